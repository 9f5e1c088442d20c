#pragma once

#include "theme/DisplayCanvas.h"
#include "theme/ThemeElements.h"

#include <QString>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <vector>

class TBitmap32;

// The active theme: its document and elements, the theme library on disk, and the
// once-a-second refresh that draws it onto the registered canvases.
class TTheme {
public:
    // Copies the default themes into an absent library.
    TTheme();
    TTheme(const TTheme&) = delete;
    TTheme& operator=(const TTheme&) = delete;

    // The library.
    void InstallDefaultThemes();
    QStringList ListThemes() const;
    // Makes the folder (EInOutError if it cannot be made) with a new three-line document,
    // loads it and gives it a "DISPLAY" element named "main".
    void CreateTheme(const QString& name);
    bool DeleteTheme(const QString& name);
    // ELoadError for a missing or malformed file (the previous theme stays), EBuildError
    // without an entry point (the new document stays active, the old elements shown).
    void LoadTheme(const QString& path);
    // Writes the active document back while its file exists; failures are ignored.
    void SaveTheme();
    const QString& ThemeFolder() const { return themeFolder_; }
    const TThemeDocumentPtr& Document() const { return document_; }
    QString FileName() const { return document_ ? document_->FileName : QString(); }

    // The document.
    TThemeElements& Elements() { return elements_; }
    void BuildTheme();
    TThemeElement* AddElement(const QString& kind);
    bool DeleteElement(const QString& name);
    void DuplicateElement(const QString& name);
    void MoveElement(const QString& name, int offset);

    // Composition.
    bool PaintEnabled = true;
    // Updates every element, sets the tray tip, and paints unless painting is off.
    void Refresh();
    // Draws the theme and copies it to the canvas, or to every registered one.
    void Paint(ICanvas* canvas = nullptr);
    // The theme drawn into a surface: "main" first, then the rest in list order.
    void DrawInto(TBitmap32& surface);
    void AddCanvas(ICanvas* canvas);
    void RemoveCanvas(ICanvas* canvas);

    // Runs Refresh on this thread 1000 ms after the end of the previous one.
    void StartRefreshing();
    void StopRefreshing();

private:
    std::vector<ICanvas*> canvases_;
    TThemeDocumentPtr document_;
    QString themeFolder_;
    TThemeElements elements_;
    QTimer timer_;
};

// The theme object of the program; empty until start-up creates it.
extern std::unique_ptr<TTheme> Theme;
// A theme to load first at start-up instead of "activetheme" (set by a package install that
// runs before the theme object exists).
extern QString PendingStartUpTheme;

// The library folder, DataFolder + "Themes/", and a theme's document in it.
QString ThemesFolder();
QString ThemeFile(const QString& name);

// Names of themes made in the program: at most 48 characters of space, digits and letters
// a-z / A-Z, not already in the library.
enum class TThemeNameCheck { Ok, Empty, TooLong, InvalidCharacters, Exists };
TThemeNameCheck CheckThemeName(const QString& name);
// Shows the warning for a refused name (none for an empty one); true when the name may be used.
bool AcceptThemeName(const QString& name);
