#include "app/Application.h"

#include "config/DataFolder.h"
#include "config/SettingsFile.h"
#include "platform/LinuxInterfaceTable.h"
#include "platform/SingleInstance.h"
#include "seams/Messages.h"
#include "theme/DisplayTarget.h"
#include "theme/Theme.h"
#include "ui/Display.h"
#include "usage/DataMine.h"

#include <QDebug>
#include <memory>

namespace {
// Created in StartUp and, like every program-wide object, kept until the process ends.
std::unique_ptr<TDisplay> display;
std::unique_ptr<TSingleInstance> instance;
TLinuxInterfaceTable interfaceTable;
bool firstRun = false;
bool themeLoaded = false;

// Step 10: the pending theme of a package install, else "activetheme", else the library's
// first theme. Returns whether a theme was loaded.
bool LoadFirstTheme(const QStringList& themes) {
    const auto warn = [](const QString& caption, const QString& text) {
        Messages().Show(caption, text, MessageIcon::Warning);
    };
    if (!PendingStartUpTheme.isEmpty()) {
        const QString path = PendingStartUpTheme;
        PendingStartUpTheme.clear();
        // Reported with the path, since config.ini did not name this theme.
        try {
            Theme->LoadTheme(path);
            return true;
        } catch (const ELoadError& error) {
            warn(QStringLiteral("Load Error"), error.Message());
        } catch (const EBuildError& error) {
            warn(QStringLiteral("Build Error"), error.Message());
        }
        return false;
    }
    const QString name = SettingsFile ? SettingsFile->Read(Setting::activetheme)
                                      : QString::fromUtf8(Setting::activetheme.defaultValue);
    try {
        Theme->LoadTheme(ThemeFile(name));
        return true;
    } catch (const std::exception&) {
    }
    if (themes.isEmpty()) {
        warn(QStringLiteral("No Themes"),
             QStringLiteral("The themes folder holds no theme, so Meterlyn starts without one"));
        return false;
    }
    try {
        Theme->LoadTheme(ThemeFile(themes.first()));
        return true;
    } catch (const ELoadError&) {
        warn(QStringLiteral("Load Error"),
             QStringLiteral("The theme specified in ") + QStringLiteral("config.ini") +
                 QStringLiteral(" could not be loaded.  It may either not exist or it may "
                                "contain general syntax errors"));
    } catch (const EBuildError&) {
        warn(QStringLiteral("Build Error"),
             QStringLiteral("The theme specified in ") + QStringLiteral("config.ini") +
                 QStringLiteral(" was loaded but could not be built.  Check to make sure a valid "
                                "<theme> entry point exists"));
    }
    return false;
}
} // namespace

bool StartThemeLoaded() {
    return themeLoaded;
}

QWidget* MainWindow() {
    return display.get();
}

void HandleHandOver(const QString& argument) {
    qInfo().noquote() << QStringLiteral("Package handed over: %1").arg(argument);
}

void StartUp(bool headless) {
    // 1. Settings; start-up goes on even when config.ini cannot be written.
    OpenSettings();

    // 2. First-run test, remembered for the wizard.
    firstRun = IsFirstRun(*SettingsFile);

    // 3. Program-wide settings.
    Accuracy = static_cast<quint8>(SettingsFile->Read(Setting::accuracy));

    // 5. The data mine: log migrations, the sampler on this machine's interfaces, the watched
    // adapter.
    SetInterfaceTable(&interfaceTable);
    DataMine = std::make_unique<TDataMine>();

    // 7. The main window; from now on a second start finds this instance.
    if (!headless) {
        display = std::make_unique<TDisplay>();
        instance = std::make_unique<TSingleInstance>(TSingleInstance::Name(DataFolder()));
        instance->OnArgument = HandleHandOver;
        if (!instance->Listen())
            qWarning() << "Second starts cannot reach this instance: the local socket failed";
    }

    // 8. The theme object, drawing onto the display window.
    Theme = std::make_unique<TTheme>();
    DataMine->ThemeFolder = [] { return Theme ? Theme->ThemeFolder() : QString(); };
    if (display) {
        SetDisplayTarget(display.get());
        Theme->AddCanvas(display.get());
    }
    // 9. and 10. The first theme. An error other than a load or build failure (a value that is
    // not a number, say) is reported like any uncaught error, and start-up goes on.
    try {
        themeLoaded = LoadFirstTheme(Theme->ListThemes());
    } catch (const std::exception& error) {
        themeLoaded = false;
        Messages().Show(QStringLiteral("Meterlyn"), QString::fromUtf8(error.what()),
                        MessageIcon::Error);
    }
    if (!headless)
        Theme->StartRefreshing();
}

void ShutDown() {
    // The first failure ends the sequence; the process ends after it either way.
    try {
        if (display)
            display->hide();
        if (Theme) {
            Theme->StopRefreshing();
            Theme->SaveTheme();
        }
        instance.reset();
        if (DataMine)
            DataMine->Archives->SaveAll();
        SettingsFile.reset();
    } catch (...) {
    }
}
