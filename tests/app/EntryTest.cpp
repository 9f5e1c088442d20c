#include "support/TestSupport.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSet>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

namespace {
// The real program, offscreen, on a data folder of its own.
class ProgramRun {
public:
    explicit ProgramRun(const QString& dataFolder) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("METERLYN_DATA"), dataFolder);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        process.setProcessEnvironment(env);
        process.setProcessChannelMode(QProcess::MergedChannels);
    }
    ~ProgramRun() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    void Start(const QStringList& arguments = {}) {
        process.start(QStringLiteral(METERLYN_PROGRAM), arguments);
    }
    // Collects output until it holds `text` or the time is up.
    bool WaitForOutput(const QString& text, int timeoutMs = 30000) {
        QDeadlineTimer deadline(timeoutMs);
        while (!output.contains(text) && !deadline.hasExpired()) {
            process.waitForReadyRead(100);
            output += QString::fromUtf8(process.readAll());
            if (process.state() == QProcess::NotRunning && !process.bytesAvailable())
                break;
        }
        return output.contains(text);
    }
    bool Finish(int timeoutMs = 30000) {
        const bool done = process.waitForFinished(timeoutMs);
        output += QString::fromUtf8(process.readAll());
        return done;
    }

    QProcess process;
    QString output;
};
} // namespace

TEST(Entry, ASecondStartHandsItsArgumentOverAndEnds) {
    QTemporaryDir data;
    ProgramRun first(data.path());
    first.Start();
    ASSERT_TRUE(first.WaitForOutput(QStringLiteral("Meterlyn running")))
        << first.output.toStdString();

    // Without an argument the second start ends at once and tells the first nothing.
    ProgramRun plain(data.path());
    plain.Start();
    ASSERT_TRUE(plain.Finish());
    EXPECT_EQ(plain.process.exitCode(), 0);
    EXPECT_FALSE(plain.output.contains(QStringLiteral("Meterlyn running")));

    // With an argument it waits until the first has handled it.
    ProgramRun second(data.path());
    second.Start({QStringLiteral("/tmp/some theme.dtp")});
    ASSERT_TRUE(second.Finish());
    EXPECT_EQ(second.process.exitCode(), 0);
    EXPECT_TRUE(first.WaitForOutput(QStringLiteral("Package handed over: /tmp/some theme.dtp")))
        << first.output.toStdString();
    EXPECT_FALSE(second.output.contains(QStringLiteral("Meterlyn running")));

    // A termination signal takes the orderly way out.
    ::kill(static_cast<pid_t>(first.process.processId()), SIGTERM);
    ASSERT_TRUE(first.Finish());
    EXPECT_EQ(first.process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.process.exitCode(), 0);

    QFile config(data.path() + QStringLiteral("/config.ini"));
    ASSERT_TRUE(config.open(QIODevice::ReadOnly));
    EXPECT_TRUE(config.readAll().contains("created="));
}

TEST(Entry, EachSignalEndsTheProgramInOrder) {
    for (const int sig : {SIGINT, SIGHUP}) {
        QTemporaryDir data;
        ProgramRun run(data.path());
        run.Start();
        ASSERT_TRUE(run.WaitForOutput(QStringLiteral("Meterlyn running")))
            << run.output.toStdString();
        ::kill(static_cast<pid_t>(run.process.processId()), sig);
        ASSERT_TRUE(run.Finish()) << sig;
        EXPECT_EQ(run.process.exitStatus(), QProcess::NormalExit) << sig;
        EXPECT_EQ(run.process.exitCode(), 0) << sig;
    }
}

TEST(Entry, SnapshotDrawsTheDefaultThemeOnAFreshDataFolder) {
    QTemporaryDir data;
    ProgramRun run(data.path());
    const QString png = data.path() + QStringLiteral("/out.png");
    run.Start(
        {QStringLiteral("--snapshot"), png, QStringLiteral("--seconds"), QStringLiteral("1")});
    ASSERT_TRUE(run.Finish(60000)) << run.output.toStdString();
    EXPECT_EQ(run.process.exitCode(), 0) << run.output.toStdString();
    const QImage picture(png);
    ASSERT_FALSE(picture.isNull());
    EXPECT_EQ(picture.size(), QSize(220, 150)); // the size of the default theme's "main"
    // Not one flat colour: the theme drew text and frames.
    QSet<QRgb> colours;
    for (int y = 0; y < picture.height(); y += 3)
        for (int x = 0; x < picture.width(); x += 3)
            colours.insert(picture.pixel(x, y));
    EXPECT_GT(colours.size(), 5);
    // The default themes were installed and shut-down saved the theme and the settings.
    EXPECT_TRUE(QFile::exists(data.path() + QStringLiteral("/Themes/Darvelo/repositary.xml")));
    EXPECT_TRUE(QFile::exists(data.path() + QStringLiteral("/config.ini")));
}

TEST(Entry, SnapshotOfAThemeThatFailsToLoadSaysWhy) {
    QTemporaryDir data;
    ProgramRun run(data.path());
    run.process.setProcessChannelMode(QProcess::SeparateChannels);
    run.Start({QStringLiteral("--snapshot"), data.path() + QStringLiteral("/out.png"),
               QStringLiteral("--theme"), data.path() + QStringLiteral("/missing/repositary.xml")});
    ASSERT_TRUE(run.Finish(60000));
    EXPECT_NE(run.process.exitCode(), 0);
    const QString errors = QString::fromUtf8(run.process.readAllStandardError());
    EXPECT_TRUE(errors.contains(QStringLiteral("Load Error"))) << errors.toStdString();
    EXPECT_FALSE(QFile::exists(data.path() + QStringLiteral("/out.png")));
}
