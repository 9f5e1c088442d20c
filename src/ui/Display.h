#pragma once

#include <QImage>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <memory>

class QMenu;
class QAction;
class QSystemTrayIcon;

// What a theme's display element asks of the window.
struct TDisplayProperties {
    int width = 200;
    int height = 300;
    int colour = 16777215;
    int opacity = 100;
    bool useVistaGlass = false;
    bool doTransparency = false;
    int transparentColour = 16711935;
    int style = 2;
};

// Window frame styles of a theme's display element.
enum class TBorderStyle { None, Single, Sizeable, ToolWindow, SizeableToolWindow };

// The window never goes below this alpha, by a theme or by dimming.
inline constexpr int MinimumAlpha = 10;

// The program's main window: shows the composed theme picture once a second, carries the tray
// icon and the context menu from which every command starts.
class TDisplay final : public QWidget {
    Q_OBJECT
public:
    TDisplay();
    ~TDisplay() override;

    void ApplyDisplaySettings(const TDisplayProperties& element);
    void SetAlwaysOnTop(bool onTop);
    void Dim();
    void Undim();
    void RefreshThemeMenu();
    void CreateNewTheme();
    void SetHint(const QString& text);
    QRgb GlassColour() const { return glassColour_; }
    // A new glass colour from the desktop palette: repaint at once with it.
    void SetGlassColour(QRgb colour);
    bool GlassOn() const { return glass_; }

    // The composed theme picture to show.
    void ShowPicture(const QImage& picture);

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

Q_SIGNALS:
    // Redraw requests for the active theme (paint, show, restore, double-click).
    void RedrawRequested();

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
    void TrayActivated(int reason);
    void RestoreFromTray();
    void SelectTheme(const QString& caption);
    void SetAlpha(int alpha);
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
    QRgb glassColour_ = 0xFF000000;
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
