#include "app/Application.h"

#include "config/DataFolder.h"
#include "config/SettingsFile.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "seams/Messages.h"
#include "ui/GeneralError.h"
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QDebug>
#include <QWidget>

int main(int argc, char** argv) {
    InitFolders();
    const QString argument = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();

    // Another instance runs: hand it the argument (if any) and end.
    if (TSingleInstance::HandOver(TSingleInstance::Name(DataFolder()), argument))
        return 0;

    // Wayland gives ordinary windows no always-on-top, no chosen position and no colour key;
    // XWayland does, so prefer it when it is there.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && !qEnvironmentVariableIsEmpty("DISPLAY") &&
        !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    TApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Meterlyn"));
    TMessageBoxes messageBoxes;
    SetMessages(&messageBoxes);
    if (!argument.isEmpty())
        HandleHandOver(argument);

    StartUp();
    // Ending the session or a service stop takes the same orderly way out as closing the window.
    TTerminationSignals signals([] { QCoreApplication::quit(); });

    if (QWidget* window = MainWindow()) {
        if (SettingsFile && SettingsFile->Read(Setting::minimizeonstart))
            window->showMinimized();
        else
            window->show();
    }
    app.setApplicationDisplayName(QStringLiteral("Meterlyn"));
    qInfo("Meterlyn running");

    app.exec();
    ShutDown();
    SetMessages(nullptr);
    return 0;
}
