#include "ui/Display.h"
#include "theme/Theme.h"
#include "ui/UiTestSupport.h"

#include "config/SettingsFile.h"
#include "support/TestSupport.h"
#include <QDir>
#include <QFile>

#include <QAction>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <gtest/gtest.h>

namespace {
class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(OpenSettings()); }
    void TearDown() override { TDisplay::SetSystemTrayAvailable(false); }

    TestEnvironment env;
};

QStringList Captions(const QMenu* menu) {
    QStringList captions;
    for (const QAction* a : menu->actions())
        if (a->isVisible())
            captions.append(a->isSeparator() ? QStringLiteral("-") : a->text());
    return captions;
}
} // namespace

TEST_F(DisplayTest, ContextMenuEntriesInOrder) {
    TDisplay display;
    const QMenu* menu = display.PopupMenu();
    EXPECT_EQ(Captions(menu), (QStringList{"&Themes", "&Settings..", "&Logs..", "&Find Updates..",
                                           "-", "Help", "Minimize", "&Exit"}));
    const auto* themes = menu->findChild<QMenu*>(QStringLiteral("mThemes"));
    ASSERT_NE(themes, nullptr);
    EXPECT_EQ(Captions(themes), (QStringList{"Design Active..", "Create..", "-", "Install..",
                                             "Export..", "-", "Select"}));
    const auto* help = menu->findChild<QMenu*>(QStringLiteral("mHelp"));
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(Captions(help), (QStringList{"&Contents and Index", "About.."}));

    const struct {
        const char* name;
        QKeySequence shortcut;
    } shortcuts[] = {
        {"mDesignActive", QKeySequence(Qt::Key_F2)},
        {"mSettings", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"mLogs", QKeySequence(Qt::CTRL | Qt::Key_A)},
        {"mBroadcasts", QKeySequence(Qt::CTRL | Qt::Key_B)},
        {"mHosts", QKeySequence(Qt::CTRL | Qt::Key_H)},
    };
    for (const auto& s : shortcuts) {
        const QAction* action = menu->findChild<QAction*>(QString::fromLatin1(s.name));
        ASSERT_NE(action, nullptr) << s.name;
        EXPECT_EQ(action->shortcut(), s.shortcut) << s.name;
    }
    EXPECT_FALSE(menu->findChild<QAction*>(QStringLiteral("mBroadcasts"))->isVisible());
    EXPECT_FALSE(menu->findChild<QAction*>(QStringLiteral("mHosts"))->isVisible());
    EXPECT_EQ(display.windowTitle(), QStringLiteral("Meterlyn"));
}

TEST_F(DisplayTest, ApplyDisplaySettingsKeepsTheWindowUsable) {
    struct Case {
        const char* what;
        TDisplayElementSettings element;
        int alpha;
        TBorderStyle style;
        QSize size;
    } const cases[] = {
        {"defaults", {}, 255, TBorderStyle::Sizeable, {200, 300}},
        {"opacity 2", {.Opacity = 2}, 10, TBorderStyle::Sizeable, {200, 300}},
        {"opacity 50", {.Opacity = 50}, 128, TBorderStyle::Sizeable, {200, 300}},
        {"opacity -5", {.Opacity = -5}, 10, TBorderStyle::Sizeable, {200, 300}},
        {"opacity 900", {.Opacity = 900}, 255, TBorderStyle::Sizeable, {200, 300}},
        {"style 7", {.Style = 7}, 255, TBorderStyle::Single, {200, 300}},
        {"style 99", {.Style = 99}, 255, TBorderStyle::Single, {200, 300}},
        {"style 0", {.Style = 0}, 255, TBorderStyle::None, {200, 300}},
        {"style 3", {.Style = 3}, 255, TBorderStyle::ToolWindow, {200, 300}},
        {"style 4", {.Style = 4}, 255, TBorderStyle::SizeableToolWindow, {200, 300}},
        {"size 0", {.Width = 0, .Height = -20}, 255, TBorderStyle::Sizeable, {16, 16}},
        {"size 50000",
         {.Width = 50000, .Height = 50000},
         255,
         TBorderStyle::Sizeable,
         {8192, 8192}},
    };
    for (const Case& c : cases) {
        TDisplay display;
        display.ApplyDisplaySettings(c.element);
        EXPECT_EQ(display.Alpha(), c.alpha) << c.what;
        EXPECT_EQ(display.BorderStyle(), c.style) << c.what;
        EXPECT_EQ(display.size(), c.size) << c.what;
    }
}

TEST_F(DisplayTest, AFixedFrameStillTakesTheNextThemesSize) {
    TDisplay display;
    display.ApplyDisplaySettings({.Width = 120, .Height = 80, .Style = 1});
    EXPECT_EQ(display.size(), QSize(120, 80));
    display.ApplyDisplaySettings({.Width = 300, .Height = 200, .Style = 1});
    EXPECT_EQ(display.size(), QSize(300, 200));
    display.SetDisplayWidth(310);
    EXPECT_EQ(display.size(), QSize(310, 200));
    EXPECT_EQ(display.minimumSize(), display.maximumSize()); // still fixed
    display.ApplyDisplaySettings({.Width = 90, .Height = 60, .Style = 2});
    EXPECT_EQ(display.size(), QSize(90, 60));
    EXPECT_NE(display.minimumSize(), display.maximumSize());
}

TEST_F(DisplayTest, TrayIconAndTaskbarEntry) {
    TDisplay::SetSystemTrayAvailable(true);
    struct Case {
        bool dotrayicon;
        bool clickthrough;
        bool tray;
    } const cases[] = {{true, false, true}, {false, true, true}, {false, false, false}};
    for (const Case& c : cases) {
        SettingsFile->Write(Setting::dotrayicon, c.dotrayicon);
        SettingsFile->Write(Setting::clickthrough, c.clickthrough);
        TDisplay display;
        display.ApplyDisplaySettings({});
        EXPECT_EQ(display.TrayIconVisible(), c.tray);
        EXPECT_EQ(display.TaskbarEntryVisible(), !c.tray);
    }
    // Without any system tray the taskbar entry stays, whatever the settings.
    TDisplay::SetSystemTrayAvailable(false);
    SettingsFile->Write(Setting::dotrayicon, true);
    TDisplay display;
    display.ApplyDisplaySettings({});
    EXPECT_TRUE(display.TaskbarEntryVisible());
}

TEST_F(DisplayTest, DimAndUndimFade) {
    TDisplay display;
    display.ApplyDisplaySettings({});
    display.Dim();
    EXPECT_EQ(display.Alpha(), 128);
    EXPECT_TRUE(display.Dimmed());
    EXPECT_FALSE(display.Fading());
    display.Dim(); // already dimmed
    EXPECT_EQ(display.Alpha(), 128);
    display.Undim();
    EXPECT_EQ(display.Alpha(), 255);
    EXPECT_FALSE(display.Dimmed());

    SettingsFile->Write(Setting::dimfactor, 1);
    display.Dim();
    EXPECT_EQ(display.Alpha(), 10);
    display.Undim();
    EXPECT_EQ(display.Alpha(), 255);
}

TEST_F(DisplayTest, ADimRequestDuringAFadeChangesNothing) {
    TDisplay display;
    display.ApplyDisplaySettings({});
    bool innerRan = false;
    int alphaBefore = -1;
    int alphaAfter = -1;
    // Runs inside the fade, while it handles pending events.
    QTimer::singleShot(0, &display, [&] {
        innerRan = true;
        alphaBefore = display.Alpha();
        EXPECT_TRUE(display.Fading());
        display.Dim();
        display.Undim();
        alphaAfter = display.Alpha();
    });
    display.Dim();
    ASSERT_TRUE(innerRan);
    EXPECT_EQ(alphaAfter, alphaBefore);
    EXPECT_EQ(display.Alpha(), 128); // the outer fade went on to its own target
}

TEST_F(DisplayTest, ResizeWritesThePositionAndAMoveDoesNot) {
    TDisplay display;
    display.move(40, 50);
    display.show();
    SettingsFile->Write(Setting::x, 0);
    SettingsFile->Write(Setting::y, 0);
    display.move(70, 80);
    EXPECT_EQ(SettingsFile->Read(Setting::x), 0);
    EXPECT_EQ(SettingsFile->Read(Setting::y), 0);
    display.resize(display.width() + 10, display.height() + 10);
    EXPECT_EQ(SettingsFile->Read(Setting::x), display.x());
    EXPECT_EQ(SettingsFile->Read(Setting::y), display.y());
    EXPECT_NE(SettingsFile->Read(Setting::x), 0);
}

TEST_F(DisplayTest, APositionOffEveryScreenComesBackToThePrimaryScreen) {
    SettingsFile->Write(Setting::x, -30000);
    SettingsFile->Write(Setting::y, 40000);
    TDisplay display;
    EXPECT_TRUE(QGuiApplication::primaryScreen()->geometry().contains(display.pos()));
}

TEST(DisplaySnap, EdgesWithinTenPixelsMeetTheWorkArea) {
    const QRect work(0, 0, 1000, 800);
    struct Case {
        QRect window;
        QPoint expected;
    } const cases[] = {
        {QRect(5, 9, 100, 100), QPoint(0, 0)},
        {QRect(10, 10, 100, 100), QPoint(10, 10)},     // exactly 10: no snap
        {QRect(895, 300, 100, 100), QPoint(900, 300)}, // right edge 994 → 999
        {QRect(300, 705, 100, 100), QPoint(300, 700)},
        {QRect(-8, -3, 100, 100), QPoint(0, 0)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TDisplay::SnapPosition(c.window, work), c.expected);
}

TEST_F(DisplayTest, CreateNewThemeRefusesBadNamesAndMakesGoodOnes) {
    Theme = std::make_unique<TTheme>();
    QDir().mkpath(env.DataPath() + QStringLiteral("Themes/Existing"));
    TDisplay display;
    struct Case {
        QString answer;
        bool ok;
        const char* caption; // of the warning, "" for none
        const char* text;
    } const cases[] = {
        {QString(49, QLatin1Char('a')), true, "Name Too Long",
         "Theme names cannot exceed 48 characters in length"},
        {QStringLiteral("My-Theme"), true, "Invalid Name",
         "Theme names cannot contain special characters"},
        {QStringLiteral("Existing"), true, "Invalid Name", "A theme by this name already exists"},
        {QString(), true, "", ""},
        {QStringLiteral("Cancelled"), false, "", ""},
    };
    for (const Case& c : cases) {
        env.messages.messages.clear();
        AnswerPrompt(c.answer, c.ok);
        display.CreateNewTheme();
        if (*c.caption) {
            ASSERT_EQ(env.messages.messages.size(), 1u) << c.caption;
            EXPECT_EQ(env.messages.messages.front().caption, QString::fromLatin1(c.caption));
            EXPECT_EQ(env.messages.messages.front().text, QString::fromLatin1(c.text));
            EXPECT_EQ(env.messages.messages.front().icon, MessageIcon::Warning);
        } else {
            EXPECT_TRUE(env.messages.messages.empty()) << c.answer.toStdString();
        }
        EXPECT_EQ(SettingsFile->Read(Setting::activetheme), QStringLiteral("Darvelo"));
    }
    EXPECT_FALSE(QDir(env.DataPath() + QStringLiteral("Themes/Cancelled")).exists());

    const QString name =
        QString(48, QLatin1Char('b')).replace(0, 11, QStringLiteral("My Theme 2 "));
    AnswerPrompt(name);
    display.CreateNewTheme();
    EXPECT_TRUE(env.messages.messages.empty());
    EXPECT_TRUE(QFile::exists(env.DataPath() + QStringLiteral("Themes/") + name +
                              QStringLiteral("/repositary.xml")));
    EXPECT_EQ(SettingsFile->Read(Setting::activetheme), name);
    ASSERT_NE(Theme->Elements().Find(QStringLiteral("main")), nullptr);
    // The new theme is in the Select submenu.
    display.RefreshThemeMenu();
    const auto* select = display.PopupMenu()->findChild<QMenu*>(QStringLiteral("mSelect"));
    ASSERT_NE(select, nullptr);
    EXPECT_TRUE(Captions(select).contains(name));
    Theme.reset();
}

TEST_F(DisplayTest, SelectingAThemeLoadsItAndOnlyThenWritesActiveTheme) {
    Theme = std::make_unique<TTheme>();
    env.WriteFile(
        QStringLiteral("Themes/Good/repositary.xml"),
        "<?xml version=\"1.0\"?>\n<theme><element name=\"main\" kind=\"DISPLAY\" width=\"50\" "
        "height=\"40\"/></theme>\n");
    env.WriteFile(QStringLiteral("Themes/Broken/repositary.xml"), "<theme><element");
    TDisplay display;
    SetDisplayTarget(&display);
    display.RefreshThemeMenu();
    const auto* select = display.PopupMenu()->findChild<QMenu*>(QStringLiteral("mSelect"));
    ASSERT_NE(select, nullptr);
    QAction* good = nullptr;
    QAction* broken = nullptr;
    for (QAction* a : select->actions()) {
        if (a->text() == QStringLiteral("Good"))
            good = a;
        if (a->text() == QStringLiteral("Broken"))
            broken = a;
    }
    ASSERT_TRUE(good && broken);
    good->trigger();
    EXPECT_EQ(SettingsFile->Read(Setting::activetheme), QStringLiteral("Good"));
    EXPECT_EQ(display.size(), QSize(50, 40));
    broken->trigger(); // reported by the general error report; the setting stays
    EXPECT_EQ(SettingsFile->Read(Setting::activetheme), QStringLiteral("Good"));
    ASSERT_FALSE(env.messages.messages.empty());
    EXPECT_TRUE(env.messages.messages.back().text.contains(QStringLiteral("could not be loaded")));
    SetDisplayTarget(nullptr);
    Theme.reset();
}
