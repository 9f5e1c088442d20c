#include "ui/Display.h"

#include "config/DataFolder.h"
#include "config/Product.h"
#include "config/SettingsFile.h"
#include "raster/Bitmap32.h"
#include "seams/Messages.h"
#include "seams/Shell.h"
#include "theme/Theme.h"
#include "theme/ThemeElements.h"
#include "ui/GeneralError.h"
#include "ui/dialogs/About.h"
#include "ui/dialogs/Icons.h"
#include "ui/dialogs/Prompt.h"
#include "usage/DataMine.h"

#include <QApplication>
#include <QBitmap>
#include <QCloseEvent>
#include <QDebug>
#include <QGuiApplication>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QThread>
#include <QWindow>
#include <cmath>

namespace {
// The largest window a theme may ask for; larger requests are cut to this.
constexpr int kMaximumSize = 8192;
constexpr int kMinimumSize = 16;
constexpr int kSnapDistance = 10;

bool trayAvailableOverride = false;

bool SystemTrayAvailable() {
    return trayAvailableOverride || QSystemTrayIcon::isSystemTrayAvailable();
}

bool ReadSetting(const BoolSetting& s) {
    return SettingsFile ? SettingsFile->Read(s) : s.defaultValue;
}
int ReadSetting(const IntSetting& s) {
    return SettingsFile ? SettingsFile->Read(s) : s.defaultValue;
}
} // namespace

void TDisplay::SetSystemTrayAvailable(bool available) {
    trayAvailableOverride = available;
}

TDisplay::TDisplay() {
    setObjectName(QStringLiteral("Display"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TranslucentBackground); // glass and colour keys need an alpha channel
    setMouseTracking(true);
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    setFont(font);
    resize(410, 270);
    setWindowIcon(ProgramIcon());

    BuildMenu();
    trayIcon_ = std::make_unique<QSystemTrayIcon>(ProgramIcon());
    trayIcon_->setObjectName(QStringLiteral("TrayIcon"));
    trayIcon_->setContextMenu(popupMenu_.get());
    trayIcon_->setToolTip(QString::fromLatin1(kApplicationTitle));
    connect(trayIcon_.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) { TrayActivated(reason); });

    dimmer_.setObjectName(QStringLiteral("Dimmer"));
    dimmer_.setSingleShot(false);
    connect(&dimmer_, &QTimer::timeout, this, &TDisplay::Dim);
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            &TDisplay::ApplicationStateChanged);
    glassColour_ = QGuiApplication::palette().color(QPalette::Highlight).rgb();

    // Creation: position, topmost band, caption.
    move(ReadSetting(Setting::x), ReadSetting(Setting::y));
    PlaceOnScreen();
    alwaysOnTop_ = ReadSetting(Setting::alwaysontop);
    setWindowTitle(QString::fromLatin1(kApplicationTitle));
    dimmed_ = false;
    fading_ = false;
    ApplyWindowFlags();
}

TDisplay::~TDisplay() = default;

QAction* TDisplay::AddAction(QMenu* menu, const QString& objectName, const QString& caption,
                             const QKeySequence& shortcut) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(objectName);
    if (!shortcut.isEmpty()) {
        action->setShortcut(shortcut);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action); // shortcuts act while the window has the focus
    }
    return action;
}

void TDisplay::BuildMenu() {
    popupMenu_ = std::make_unique<QMenu>();
    popupMenu_->setObjectName(QStringLiteral("PopupMenu"));
    themesIcon_ = style()->standardIcon(QStyle::SP_DirIcon);

    QMenu* themes = popupMenu_->addMenu(themesIcon_, QStringLiteral("&Themes"));
    themes->setObjectName(QStringLiteral("mThemes"));
    AddAction(themes, QStringLiteral("mDesignActive"), QStringLiteral("Design Active.."),
              QKeySequence(Qt::Key_F2));
    connect(AddAction(themes, QStringLiteral("mCreate"), QStringLiteral("Create..")),
            &QAction::triggered, this, [this] { Guarded([this] { CreateNewTheme(); }); });
    themes->addSeparator();
    AddAction(themes, QStringLiteral("mInstall"), QStringLiteral("Install.."));
    AddAction(themes, QStringLiteral("mExport"), QStringLiteral("Export.."));
    themes->addSeparator();
    selectMenu_ = themes->addMenu(QStringLiteral("Select"));
    selectMenu_->setObjectName(QStringLiteral("mSelect"));

    AddAction(popupMenu_.get(), QStringLiteral("mSettings"), QStringLiteral("&Settings.."),
              QKeySequence(Qt::CTRL | Qt::Key_S));
    AddAction(popupMenu_.get(), QStringLiteral("mLogs"), QStringLiteral("&Logs.."),
              QKeySequence(Qt::CTRL | Qt::Key_A));
    AddAction(popupMenu_.get(), QStringLiteral("mBroadcasts"), QStringLiteral("&Broadcasts.."),
              QKeySequence(Qt::CTRL | Qt::Key_B))
        ->setVisible(false);
    AddAction(popupMenu_.get(), QStringLiteral("mHosts"), QStringLiteral("&Hosts.."),
              QKeySequence(Qt::CTRL | Qt::Key_H))
        ->setVisible(false);
    AddAction(popupMenu_.get(), QStringLiteral("mFindUpdates"), QStringLiteral("&Find Updates.."));
    popupMenu_->addSeparator();

    QMenu* help = popupMenu_->addMenu(QStringLiteral("Help"));
    help->setObjectName(QStringLiteral("mHelp"));
    connect(AddAction(help, QStringLiteral("mContents"), QStringLiteral("&Contents and Index")),
            &QAction::triggered, this, [] {
                Shell().Open(QStringLiteral("http://") + QString::fromLatin1(kMakerHost) +
                             QString::fromLatin1(kHelpPath));
            });
    connect(AddAction(help, QStringLiteral("mAbout"), QStringLiteral("About..")),
            &QAction::triggered, this, [this] {
                TAbout about(this);
                about.exec();
            });
    connect(AddAction(popupMenu_.get(), QStringLiteral("mMinimize"), QStringLiteral("Minimize")),
            &QAction::triggered, this, [this] { showMinimized(); });
    connect(AddAction(popupMenu_.get(), QStringLiteral("mExit"), QStringLiteral("&Exit")),
            &QAction::triggered, this, [this] { close(); });

    connect(popupMenu_.get(), &QMenu::aboutToShow, this, &TDisplay::RefreshThemeMenu);
}

void TDisplay::RefreshThemeMenu() {
    selectMenu_->clear();
    if (!Theme)
        return;
    for (const QString& name : Theme->ListThemes()) {
        const QString caption = name.section(QLatin1Char('='), 0, 0);
        QAction* entry = selectMenu_->addAction(themesIcon_, caption);
        connect(entry, &QAction::triggered, this,
                [this, caption] { Guarded([this, caption] { SelectTheme(caption); }); });
    }
}

void TDisplay::SelectTheme(const QString& caption) {
    if (!Theme)
        return;
    Theme->LoadTheme(DataFolder() + QStringLiteral("Themes/") + caption +
                     QStringLiteral("/repositary.xml"));
    // Only a theme that loaded becomes the active one.
    if (SettingsFile)
        SettingsFile->Write(Setting::activetheme, caption);
}

void TDisplay::CreateNewTheme() {
    const QString name =
        PromptForText(QStringLiteral("Enter a name for the new theme"),
                      QStringLiteral("Theme Name"), QStringLiteral("Untitled Theme"));
    // An empty or cancelled answer ends the command silently; a refused one says why.
    if (!Theme || !AcceptThemeName(name))
        return;
    Theme->CreateTheme(name);
    if (SettingsFile)
        SettingsFile->Write(Setting::activetheme, name);
    RefreshThemeMenu();
}

void TDisplay::ApplyDisplaySettings(TThemeElement& element) {
    ApplyDisplaySettings(ReadDisplaySettings(element));
}

void TDisplay::ApplyDisplaySettings(const TDisplayElementSettings& element) {
    applying_ = true;
    // 1. Size, kept to what a screen can show.
    SetSize(element.Width, element.Height);
    // 2. Drop shadow.
    dropShadow_ = ReadSetting(Setting::showdropshadow);
    // 3. Colour.
    colour_ = ThemeColourToSurface(element.Colour);
    // 4. Opacity, never below the minimum.
    const int opacity = std::clamp(element.Opacity, 0, 100);
    SetAlpha(std::max(MinimumAlpha, static_cast<int>(std::ceil(opacity * 2.55 - 1e-9))));
    // 5. Glass.
    glass_ = element.UseVistaGlass;
    // 6. Colour key.
    doTransparency_ = element.DoTransparency;
    transparentColour_ = ThemeColourToSurface(element.TransparentColour);
    // 7. Snapping.
    snapping_ = ReadSetting(Setting::snaptoscreen);
    // 8. Dimmer.
    if (ReadSetting(Setting::dimonidle)) {
        dimmer_.setInterval(std::max(1, ReadSetting(Setting::idleperiod)) * 1000);
        dimmer_.start();
    } else {
        dimmer_.stop();
    }
    // 9. Tray icon and taskbar entry.
    trayWanted_ = ReadSetting(Setting::dotrayicon) || ReadSetting(Setting::clickthrough);
    minimiseToTray_ = trayWanted_;
    const bool trayShown = trayWanted_ && SystemTrayAvailable();
    trayIcon_->setVisible(trayShown);
    if (!trayWanted_ && isMinimized())
        showNormal();
    // Without a system tray the taskbar entry is the only way back to the window.
    taskbarEntry_ = !trayShown;
    // 10. Frame style: single unless the element names one of the five.
    switch (element.Style) {
    case 0:
        borderStyle_ = TBorderStyle::None;
        break;
    case 2:
        borderStyle_ = TBorderStyle::Sizeable;
        break;
    case 3:
        borderStyle_ = TBorderStyle::ToolWindow;
        break;
    case 4:
        borderStyle_ = TBorderStyle::SizeableToolWindow;
        break;
    default:
        borderStyle_ = TBorderStyle::Single;
        break;
    }
    ApplyWindowFlags();
    applying_ = false;
    // 11. Repaint.
    UpdateMask();
    update();
}

void TDisplay::ApplyWindowFlags() {
    const bool wasVisible = isVisible();
    Qt::WindowFlags flags = Qt::Window;
    if (borderStyle_ == TBorderStyle::None)
        flags |= Qt::FramelessWindowHint;
    const bool toolWindow = borderStyle_ == TBorderStyle::ToolWindow ||
                            borderStyle_ == TBorderStyle::SizeableToolWindow;
    // Tool windows have no taskbar entry: that is how the entry is hidden here.
    if (toolWindow || !taskbarEntry_)
        flags = (flags & ~Qt::Window) | Qt::Tool;
    if (alwaysOnTop_)
        flags |= Qt::WindowStaysOnTopHint;
    if (!dropShadow_)
        flags |= Qt::NoDropShadowWindowHint;
    if (flags != windowFlags())
        setWindowFlags(flags);
    const bool sizeable =
        borderStyle_ == TBorderStyle::Sizeable || borderStyle_ == TBorderStyle::SizeableToolWindow;
    if (sizeable) {
        setMinimumSize(kMinimumSize, kMinimumSize);
        setMaximumSize(kMaximumSize, kMaximumSize);
    } else {
        setFixedSize(size());
    }
    if (wasVisible && !isVisible())
        show();
}

void TDisplay::SetAlwaysOnTop(bool onTop) {
    if (onTop == alwaysOnTop_)
        return;
    alwaysOnTop_ = onTop;
    ApplyWindowFlags();
}

void TDisplay::SetAlpha(int alpha) {
    alpha_ = std::clamp(alpha, 0, 255);
    setWindowOpacity(alpha_ / 255.0);
}

void TDisplay::Dim() {
    if (dimmed_ || fading_)
        return;
    int target = static_cast<int>(std::ceil(ReadSetting(Setting::dimfactor) * alpha_ / 100.0));
    if (target < MinimumAlpha)
        target = MinimumAlpha;
    dimmed_ = true;
    savedAlpha_ = alpha_;
    fading_ = true;
    while (alpha_ > target) {
        SetAlpha(alpha_ - 1);
        QThread::msleep(1);
        QCoreApplication::processEvents();
    }
    fading_ = false;
}

void TDisplay::Undim() {
    if (!dimmed_ || fading_)
        return;
    dimmed_ = false;
    fading_ = true;
    while (alpha_ < savedAlpha_) {
        SetAlpha(alpha_ + 1);
        QThread::msleep(1);
        QCoreApplication::processEvents();
    }
    fading_ = false;
}

void TDisplay::SetHint(const QString& text) {
    trayIcon_->setToolTip(text);
}

void TDisplay::SetDisplayWidth(int width) {
    SetSize(width, height());
}

void TDisplay::SetDisplayHeight(int height) {
    SetSize(width(), height);
}

void TDisplay::SetSize(int width, int height) {
    const QSize wanted(std::clamp(width, kMinimumSize, kMaximumSize),
                       std::clamp(height, kMinimumSize, kMaximumSize));
    if (wanted == size())
        return;
    // A fixed frame holds the window at its old size; the theme may still set a new one.
    const bool fixed = minimumSize() == maximumSize();
    setMinimumSize(kMinimumSize, kMinimumSize);
    setMaximumSize(kMaximumSize, kMaximumSize);
    resize(wanted);
    if (fixed)
        setFixedSize(wanted);
}

void TDisplay::SetGlassColour(QRgb colour) {
    const QRgb opaque = qRgb(qRed(colour), qGreen(colour), qBlue(colour));
    if (opaque == glassColour_)
        return;
    glassColour_ = opaque;
    if (Theme)
        Theme->Refresh();
}

void TDisplay::PaletteChanged() {
    // The desktop's highlight colour stands in for the system glass colour.
    SetGlassColour(QGuiApplication::palette().color(QPalette::Highlight).rgb());
}

void TDisplay::CopyFrom(const TBitmap32& surface, const QRect& rect) {
    picture_ = surface.Image().copy(rect);
    UpdateMask();
    update();
}

void TDisplay::RedrawTheme() {
    if (Theme)
        Theme->Paint();
}

void TDisplay::UpdateMask() {
    QRegion mask;
    if (doTransparency_ && !picture_.isNull()) {
        // Pixels of the key colour are see-through, with or without a compositor.
        const QImage keyed =
            picture_.createMaskFromColor(transparentColour_ | 0xFF000000u, Qt::MaskOutColor);
        mask = QRegion(QBitmap::fromImage(keyed));
        if (mask.isEmpty())
            mask = QRegion(0, 0, 1, 1); // a fully keyed picture keeps one pixel to grab
    }
    if (mask == mask_)
        return;
    mask_ = mask;
    if (mask_.isEmpty())
        clearMask();
    else
        setMask(mask_);
}

void TDisplay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.fillRect(rect(), QColor::fromRgb(glass_ ? 0 : colour_));
    if (glass_ && !picture_.isNull()) {
        // Black shows as glass: the desktop's highlight colour, translucent.
        QImage shown = picture_.convertToFormat(QImage::Format_ARGB32);
        const QRgb tint = qRgba(qRed(glassColour_), qGreen(glassColour_), qBlue(glassColour_), 160);
        for (int y = 0; y < shown.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(shown.scanLine(y));
            for (int x = 0; x < shown.width(); ++x)
                line[x] = (line[x] & 0xFFFFFF) == 0 ? tint : (line[x] | 0xFF000000u);
        }
        painter.fillRect(rect(),
                         QColor::fromRgba(qRgba(qRed(tint), qGreen(tint), qBlue(tint), 160)));
        painter.drawImage(0, 0, shown);
    } else if (!picture_.isNull()) {
        painter.drawImage(0, 0, picture_);
    }
}

void TDisplay::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    RedrawTheme();
}

void TDisplay::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // Hidden by minimise-to-tray the icon stays; hidden for good (shut-down) it goes.
    if (!isMinimized() || !minimiseToTray_)
        trayIcon_->hide();
}

void TDisplay::closeEvent(QCloseEvent* event) {
    if (Theme)
        Theme->RemoveCanvas(this);
    event->accept();
    // The display window is the main window: closing it ends the program.
    QCoreApplication::quit();
}

void TDisplay::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    SaveGeometry();
    update();
}

void TDisplay::SaveGeometry() {
    if (SettingsFile) {
        SettingsFile->Write(Setting::x, x());
        SettingsFile->Write(Setting::y, y());
    }
    if (Theme)
        if (TThemeElement* main = Theme->Elements().Find(QStringLiteral("main"))) {
            main->SetWidth(width());
            main->SetHeight(height());
        }
}

void TDisplay::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (!snapping_ || applying_)
        return;
    const QScreen* s = screen();
    if (!s)
        return;
    const QPoint snapped = SnapPosition(frameGeometry(), s->availableGeometry());
    if (snapped != frameGeometry().topLeft())
        move(snapped);
}

QPoint TDisplay::SnapPosition(const QRect& window, const QRect& workArea) {
    QPoint p = window.topLeft();
    if (std::abs(window.left() - workArea.left()) < kSnapDistance)
        p.setX(workArea.left());
    if (std::abs(window.top() - workArea.top()) < kSnapDistance)
        p.setY(workArea.top());
    if (std::abs(window.right() - workArea.right()) < kSnapDistance)
        p.setX(workArea.right() - window.width() + 1);
    if (std::abs(window.bottom() - workArea.bottom()) < kSnapDistance)
        p.setY(workArea.bottom() - window.height() + 1);
    return p;
}

bool TDisplay::PlaceOnScreen() {
    // A position saved on a screen that is gone would leave the window out of reach.
    const QRect probe(pos(), QSize(std::min(width(), 32), std::min(height(), 32)));
    for (const QScreen* s : QGuiApplication::screens())
        if (s->geometry().intersects(probe))
            return false;
    if (const QScreen* primary = QGuiApplication::primaryScreen())
        move(primary->availableGeometry().topLeft());
    return true;
}

void TDisplay::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton)
        return; // the context menu
    if (QWindow* w = windowHandle())
        w->startSystemMove();
}

void TDisplay::mouseMoveEvent(QMouseEvent* event) {
    QWidget::mouseMoveEvent(event);
    if (dimmer_.isActive()) {
        // The idle period counts from the last movement over the window.
        dimmer_.stop();
        dimmer_.start();
    }
    if (dimmed_ && ReadSetting(Setting::dimonidle))
        Undim();
}

void TDisplay::mouseDoubleClickEvent(QMouseEvent*) {
    if (ReadSetting(Setting::cycleadapters))
        if (DataMine)
            DataMine->CycleAdapter();
    RedrawTheme();
}

void TDisplay::contextMenuEvent(QContextMenuEvent* event) {
    popupMenu_->popup(event->globalPos());
}

void TDisplay::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ApplicationPaletteChange)
        PaletteChanged();
    if (event->type() != QEvent::WindowStateChange)
        return;
    if (isMinimized()) {
        if (Theme)
            Theme->PaintEnabled = false;
        if (minimiseToTray_ && trayIcon_->isVisible())
            QTimer::singleShot(0, this, [this] { hide(); });
    } else {
        if (Theme)
            Theme->PaintEnabled = true;
        RedrawTheme();
    }
}

void TDisplay::ApplicationStateChanged(Qt::ApplicationState state) {
    const bool dimOnSwitch = ReadSetting(Setting::dimonswitch);
    if (state == Qt::ApplicationActive) {
        if (dimmed_ && dimOnSwitch)
            Undim();
    } else if (state == Qt::ApplicationInactive) {
        if (dimOnSwitch)
            Dim();
    }
}

void TDisplay::TrayActivated(int reason) {
    if (reason == QSystemTrayIcon::DoubleClick)
        RestoreFromTray();
}

void TDisplay::RestoreFromTray() {
    showNormal();
    raise();
    activateWindow();
}
