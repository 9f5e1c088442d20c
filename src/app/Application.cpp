#include "app/Application.h"

#include "config/DataFolder.h"
#include "config/SettingsFile.h"
#include "platform/LinuxInterfaceTable.h"
#include "platform/SingleInstance.h"
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
} // namespace

QWidget* MainWindow() {
    return display.get();
}

void HandleHandOver(const QString& argument) {
    qInfo().noquote() << QStringLiteral("Package handed over: %1").arg(argument);
}

void StartUp() {
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
    display = std::make_unique<TDisplay>();
    instance = std::make_unique<TSingleInstance>(TSingleInstance::Name(DataFolder()));
    instance->OnArgument = HandleHandOver;
    if (!instance->Listen())
        qWarning() << "Second starts cannot reach this instance: the local socket failed";
}

void ShutDown() {
    // The first failure ends the sequence; the process ends after it either way.
    try {
        if (display)
            display->hide();
        instance.reset();
        if (DataMine)
            DataMine->Archives->SaveAll();
        SettingsFile.reset();
    } catch (...) {
    }
}
