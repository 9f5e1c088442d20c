#pragma once

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "theme/DisplayCanvas.h"
#include "theme/DisplayTarget.h"

class QMenu;
class QAction;
class QSystemTrayIcon;

// Window frame styles of a theme's display element.
enum class TBorderStyle { None, Single, Sizeable, ToolWindow, SizeableToolWindow };

// The window never goes below this alpha, by a theme or by dimming.
inline constexpr int MinimumAlpha = 10;

// The program's main window: shows the composed theme picture once a second, carries the tray
// icon and the context menu from which every command starts.
class TDisplay final : public QWidget, public IDisplayTarget, public ICanvas {
    Q_OBJECT
public:
    TDisplay();
    ~TDisplay() override;

    // Applies a theme's display element and the window settings, in that order.
    void ApplyDisplaySettings(TThemeElement& element) override;
    void ApplyDisplaySettings(const TDisplayElementSettings& element);
    void SetAlwaysOnTop(bool onTop);
    void Dim();
    void Undim();
    void RefreshThemeMenu();
    void CreateNewTheme();
    void SetHint(const QString& text) override;
    TSurfaceColour GlassColour() const override { return glassColour_; }
    bool GlassSheetOn() const override { return glass_; }
    void SetDisplayWidth(int width) override;
    void SetDisplayHeight(int height) override;
    // A new glass colour from the desktop palette: refresh at once with it.
    void SetGlassColour(QRgb colour);

    // The composed theme picture, copied in by every paint of the theme.
    void CopyFrom(const TBitmap32& surface, const QRect& rect) override;
    const QImage& Picture() const { return picture_; }

    QMenu* PopupMenu() const { return popupMenu_.get(); }
    int Alpha() const { return alpha_; }
    bool Dimmed() const { return dimmed_; }
    bool Fading() const { return fading_; }
    bool TrayIconVisible() const { return trayWanted_; }
    bool TaskbarEntryVisible() const { return taskbarEntry_; }
    TBorderStyle BorderStyle() const { return borderStyle_; }
    bool Snapping() const { return snapping_; }
    QTimer& Dimmer() { return dimmer_; }

    // Where a window at `window` lands when its edges are within 10 pixels of the work area's.
    static QPoint SnapPosition(const QRect& window, const QRect& workArea);
    // Tests run without a system tray; this lets them say there is one.
    static void SetSystemTrayAvailable(bool available);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void BuildMenu();
    QAction* AddAction(QMenu* menu, const QString& objectName, const QString& caption,
                       const QKeySequence& shortcut = {});
    void ApplyWindowFlags();
    void SaveGeometry();
    void ApplicationStateChanged(Qt::ApplicationState state);
    void RedrawTheme();
    void PaletteChanged();
    void TrayActivated(int reason);
    void RestoreFromTray();
    void SelectTheme(const QString& caption);
    void SetAlpha(int alpha);
    void SetSize(int width, int height);
    void UpdateMask();
    bool PlaceOnScreen();

    std::unique_ptr<QMenu> popupMenu_;
    QMenu* selectMenu_ = nullptr;
    QIcon themesIcon_;
    std::unique_ptr<QSystemTrayIcon> trayIcon_;
    QTimer dimmer_;
    QImage picture_;
    QRgb colour_ = 0xFFFFFFFF;
    QRgb transparentColour_ = 0xFFFF00FF;
    TSurfaceColour glassColour_ = 0xFF000000;
    QRegion mask_;
    int alpha_ = 255;
    int savedAlpha_ = 255;
    bool dimmed_ = false;
    bool fading_ = false;
    bool glass_ = false;
    bool doTransparency_ = false;
    bool snapping_ = false;
    bool trayWanted_ = false;
    bool minimiseToTray_ = false;
    bool taskbarEntry_ = true;
    bool alwaysOnTop_ = false;
    bool dropShadow_ = false;
    bool applying_ = false;
    TBorderStyle borderStyle_ = TBorderStyle::Sizeable;
};
