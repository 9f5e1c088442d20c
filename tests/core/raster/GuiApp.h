#pragma once

#include <QGuiApplication>

// Fonts and text need a GUI application; the core tests run without one unless a test asks.
// It lives until the process ends, like the program's own.
inline void EnsureGuiApplication() {
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "core_tests";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    Q_UNUSED(app);
}
