#include "app/Application.h"

#include "config/DataFolder.h"
#include "config/SettingsFile.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "seams/Messages.h"
#include "theme/Theme.h"
#include "ui/GeneralError.h"
#include "ui/MessageBoxes.h"

#include <QApplication>
#include <QDebug>
#include <QEventLoop>
#include <QGuiApplication>
#include <QTimer>
#include <QWidget>
#include <cstdio>

namespace {
// Messages of a run without windows go to standard error; questions are answered No.
class TStandardErrorMessages final : public IMessages {
public:
    void Show(const QString& caption, const QString& text, MessageIcon) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(caption), qPrintable(text));
    }
    bool Ask(const QString& caption, const QString& text, MessageIcon icon) override {
        Show(caption, text, icon);
        return false;
    }
};

int SnapshotUsage() {
    std::fprintf(stderr, "usage: meterlyn --snapshot FILE.png [--theme PATH/repositary.xml] "
                         "[--seconds N]\n");
    return 2;
}

// meterlyn --snapshot FILE.png [--theme PATH] [--seconds N]: starts the core offscreen, lets N
// refreshes run and writes the picture of the "main" element.
int RunSnapshot(int argc, char** argv) {
    QString output;
    QString theme;
    int seconds = 2;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg(argv[i]);
        const bool hasValue = i + 1 < argc;
        if (arg == "--snapshot" && hasValue)
            output = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--theme" && hasValue)
            theme = QString::fromLocal8Bit(argv[++i]);
        else if (arg == "--seconds" && hasValue) {
            bool ok = false;
            seconds = QByteArray(argv[++i]).toInt(&ok);
            if (!ok || seconds < 1 || seconds > 3600)
                return SnapshotUsage();
        } else
            return SnapshotUsage();
    }
    if (output.isEmpty())
        return SnapshotUsage();

    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("Meterlyn"));
    InitFolders();
    TStandardErrorMessages messages;
    SetMessages(&messages);
    if (!theme.isEmpty())
        PendingStartUpTheme = theme;

    StartUp(true);
    int result = 0;
    if (!StartThemeLoaded()) {
        result = 1;
    } else {
        TImageCanvas canvas;
        Theme->AddCanvas(&canvas);
        for (int i = 0; i < seconds; ++i) {
            // The sampler runs on timers of this thread: give it its second between refreshes.
            if (i > 0) {
                QEventLoop wait;
                QTimer::singleShot(1000, &wait, &QEventLoop::quit);
                wait.exec();
            }
            try {
                Theme->Refresh();
            } catch (const std::exception& error) {
                std::fprintf(stderr, "Meterlyn: %s\n", error.what());
                result = 1;
                break;
            }
        }
        Theme->RemoveCanvas(&canvas);
        if (result == 0 && canvas.Image().isNull()) {
            std::fprintf(stderr, "Meterlyn: the theme has no element named \"main\" to draw\n");
            result = 1;
        } else if (result == 0 && !canvas.Image().save(output, "PNG")) {
            std::fprintf(stderr, "Meterlyn: could not write %s\n", qPrintable(output));
            result = 1;
        }
    }
    ShutDown();
    SetMessages(nullptr);
    return result;
}
} // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i)
        if (QByteArray(argv[i]) == "--snapshot")
            return RunSnapshot(argc, argv);

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
