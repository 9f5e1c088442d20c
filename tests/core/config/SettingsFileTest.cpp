#include "config/SettingsFile.h"
#include "config/DataFolder.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
class SettingsFileTest : public ::testing::Test {
protected:
    TSettingsFile Open(const QByteArray& content) {
        env.WriteFile(QStringLiteral("config.ini"), content);
        return TSettingsFile(env.DataPath() + QStringLiteral("config.ini"));
    }
    QByteArray OnDisk() const { return env.ReadFile(QStringLiteral("config.ini")); }

    TestEnvironment env;
};
} // namespace

TEST_F(SettingsFileTest, IntegerAndBooleanReadRules) {
    struct Case {
        const char* stored;
        int asInteger; // read with default -7
        bool asBool;   // read with default true
    } const cases[] = {
        {"12", 12, true},         {"0", 0, false},           {"2", 2, true},
        {"-3", -3, true},         {"$1F", 31, true},         {"0x1F", 31, true},
        {"0X1f", 31, true},       {"yes", -7, true},         {"true", -7, true},
        {"", -7, true},           {"1.5", -7, true},         {"12abc", -7, true},
        {" 42 ", 42, true},       {"99999999999", -7, true}, {"$", -7, true},
        {"0xFFFFFFFF", -1, true},
    };
    for (const Case& c : cases) {
        TSettingsFile file = Open(QByteArray("[settings]\nvalue=") + c.stored + "\n");
        EXPECT_EQ(file.ReadInteger(QStringLiteral("settings"), QStringLiteral("value"), -7),
                  c.asInteger)
            << "stored " << c.stored;
        EXPECT_EQ(file.ReadBool(QStringLiteral("settings"), QStringLiteral("value"), true),
                  c.asBool)
            << "stored " << c.stored;
    }
    TSettingsFile file = Open("[settings]\nflag=yes\n");
    EXPECT_FALSE(file.ReadBool(QStringLiteral("settings"), QStringLiteral("flag"), false));
}

TEST_F(SettingsFileTest, NamesIgnoreCaseAndTheFirstMatchWins) {
    TSettingsFile file =
        Open("; comment\r\n[Settings]\r\nActiveTheme = First \r\nactivetheme=Second\r\n"
             "[SETTINGS]\r\nactivetheme=Third\r\nother=x\r\n");
    EXPECT_EQ(file.ReadString(QStringLiteral("settings"), QStringLiteral("ACTIVETHEME"), QString()),
              QStringLiteral("First"));
    // A second section of the same name is not searched.
    EXPECT_FALSE(file.ValueExists(QStringLiteral("settings"), QStringLiteral("other")));
    EXPECT_EQ(file.ReadSection(QStringLiteral("sEtTiNgS")),
              (QStringList{QStringLiteral("ActiveTheme"), QStringLiteral("activetheme")}));
    EXPECT_EQ(
        file.ReadString(QStringLiteral("missing"), QStringLiteral("key"), QStringLiteral("def")),
        QStringLiteral("def"));
}

TEST_F(SettingsFileTest, AWriteKeepsEverythingElseByteForByte) {
    const QByteArray original = "; my notes\r\n\r\n[settings]\r\n# keep me\r\naccuracy=2\r\n"
                                "odd line without equals\r\n\r\n[custom]\r\nmine=1\r\n";
    TSettingsFile file = Open(original);
    ASSERT_TRUE(file.Write(Setting::accuracy, 5));
    QByteArray expected = original;
    expected.replace("accuracy=2", "accuracy=5");
    EXPECT_EQ(OnDisk(), expected);

    // A new key lands in its section, before the blank separator.
    ASSERT_TRUE(file.Write(Setting::dimfactor, 40));
    expected.replace("odd line without equals\r\n", "odd line without equals\r\ndimfactor=40\r\n");
    EXPECT_EQ(OnDisk(), expected);

    // A new section is appended at the end.
    ASSERT_TRUE(
        file.WriteBool(QStringLiteral("performlogs"), QStringLiteral("00-11-22-33-44-55"), false));
    expected += "\r\n[performlogs]\r\n00-11-22-33-44-55=0\r\n";
    EXPECT_EQ(OnDisk(), expected);
    EXPECT_FALSE(file.PerformLogs(QStringLiteral("00-11-22-33-44-55")));
    EXPECT_TRUE(file.PerformLogs(QStringLiteral("AA-BB-CC-DD-EE-FF")));

    ASSERT_TRUE(file.DeleteKey(QStringLiteral("SETTINGS"), QStringLiteral("Accuracy")));
    expected.replace("accuracy=5\r\n", "");
    EXPECT_EQ(OnDisk(), expected);
}

TEST_F(SettingsFileTest, ReadsAnEditMadeOnDisk) {
    TSettingsFile file = Open("[settings]\nx=1\n");
    EXPECT_EQ(file.Read(Setting::x), 1);
    env.WriteFile(QStringLiteral("config.ini"), "[settings]\nx=1234\ny=5\n");
    EXPECT_EQ(file.Read(Setting::x), 1234);
    EXPECT_EQ(file.Read(Setting::y), 5);
}

TEST_F(SettingsFileTest, WritesByAtomicReplace) {
    TSettingsFile file = Open("[settings]\nx=1\n");
    const QString path = env.DataPath() + QStringLiteral("config.ini");
    // Another link to the old file keeps the old content: the write made a new file.
    ASSERT_EQ(::link(QFile::encodeName(path).constData(),
                     QFile::encodeName(env.DataPath() + QStringLiteral("old.ini")).constData()),
              0);
    const QByteArray before = env.ReadFile(QStringLiteral("old.ini"));
    ASSERT_TRUE(file.Write(Setting::x, 2));
    EXPECT_EQ(env.ReadFile(QStringLiteral("old.ini")), before);
    EXPECT_EQ(OnDisk(), QByteArray("[settings]\nx=2\n"));
    // No temporary file is left beside it.
    EXPECT_EQ(QDir(env.DataPath()).entryList(QDir::Files).size(), 2);
}

TEST_F(SettingsFileTest, AFailedWriteLeavesTheFileAsItWas) {
    TSettingsFile file = Open("[settings]\nx=1\n");
    QFile::setPermissions(env.DataPath(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const bool writable = QFileInfo(env.DataPath()).isWritable(); // root can write anyway
    if (!writable) {
        EXPECT_FALSE(file.Write(Setting::x, 2));
        EXPECT_EQ(file.Read(Setting::x), 1);
        EXPECT_EQ(OnDisk(), QByteArray("[settings]\nx=1\n"));
    }
    QFile::setPermissions(env.DataPath(),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(SettingsFileTest, BadFilesReadWithoutFault) {
    QByteArray garbage;
    for (int i = 0; i < 100000; ++i)
        garbage += static_cast<char>((i * 7919) % 256);
    QByteArray huge;
    for (int i = 0; i < 400000; ++i)
        huge += "key" + QByteArray::number(i) + "=some value that takes room " +
                QByteArray::number(i) + "\n";
    struct Case {
        const char* name;
        QByteArray content;
        const char* expectedX; // read of settings/x with default "def"
    } const cases[] = {
        {"binary", garbage, "def"},
        {"bom", "\xEF\xBB\xBF[settings]\r\nx=bom\r\n", "bom"},
        {"lf", "[settings]\nx=lf\n", "lf"},
        {"no final line end", "[settings]\nx=last", "last"},
        {"no equals", "[settings]\nx\nx=after\n", "after"},
        {"unclosed section", "[settings\nx=open\n", "open"},
        {"quoted", "[settings]\nx=\"quoted\"\n", "quoted"},
        {"large", "[other]\n" + huge + "[settings]\nx=found\n", "found"},
        {"empty", "", "def"},
        {"nul bytes", QByteArray("[settings]\nx=a\0b\n", 16), "a"},
    };
    for (const Case& c : cases) {
        TSettingsFile file = Open(c.content);
        const QString read =
            file.ReadString(QStringLiteral("settings"), QStringLiteral("x"), QStringLiteral("def"));
        EXPECT_EQ(read.left(QString::fromUtf8(c.expectedX).size()), QString::fromUtf8(c.expectedX))
            << c.name;
        EXPECT_TRUE(
            file.WriteString(QStringLiteral("settings"), QStringLiteral("y"), QStringLiteral("ok")))
            << c.name;
        EXPECT_EQ(file.ReadString(QStringLiteral("settings"), QStringLiteral("y"), QString()),
                  QStringLiteral("ok"))
            << c.name;
    }
}

TEST_F(SettingsFileTest, ValuesWithLineBreaksStayOnOneLine) {
    TSettingsFile file = Open("");
    ASSERT_TRUE(file.WriteString(QStringLiteral("settings"), QStringLiteral("x"),
                                 QStringLiteral("a\r\n[evil]\nb")));
    EXPECT_EQ(file.ReadSection(QStringLiteral("settings")), QStringList{QStringLiteral("x")});
    EXPECT_EQ(file.ReadSection(QStringLiteral("evil")), QStringList());
}

TEST_F(SettingsFileTest, OpenSettingsWritesCreatedAtEveryStart) {
    env.clock.Set(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)));
    ASSERT_TRUE(OpenSettings());
    const QString first = SettingsFile->Read(Setting::created);
    const QLocale locale = QLocale::system();
    EXPECT_EQ(first, locale.toString(QDate(2026, 3, 4), QLocale::ShortFormat) + QLatin1Char(' ') +
                         locale.toString(QTime(5, 6, 7), QLocale::LongFormat));

    env.clock.Set(QDateTime(QDate(2026, 3, 5), QTime(0, 0)));
    ASSERT_TRUE(OpenSettings());
    const QString midnight = SettingsFile->Read(Setting::created);
    // Exactly midnight: the time is left out.
    EXPECT_EQ(midnight, locale.toString(QDate(2026, 3, 5), QLocale::ShortFormat));
    EXPECT_TRUE(env.messages.messages.empty());
}

TEST_F(SettingsFileTest, OpenSettingsReportsAnUnwritableFolderOnce) {
    // A data folder that is a file cannot hold config.ini, whoever we run as.
    env.WriteFile(QStringLiteral("blocked"), "not a folder");
    SetFolders(env.DataPath() + QStringLiteral("blocked/"), env.ProgramPath());
    EXPECT_FALSE(OpenSettings());
    ASSERT_EQ(env.messages.messages.size(), 1u);
    const auto& m = env.messages.messages.front();
    EXPECT_EQ(m.caption, QStringLiteral("Config Error"));
    EXPECT_EQ(m.text,
              QStringLiteral(
                  "Meterlyn was not able to access its config file. Please ensure that you are "
                  "running with correct administrator privileges or change data path "
                  "preferences in the Settings dialog."));
    EXPECT_EQ(m.icon, MessageIcon::Error);
    // Reads give defaults, writes fail quietly.
    EXPECT_EQ(SettingsFile->Read(Setting::dimfactor), 50);
    EXPECT_FALSE(SettingsFile->Write(Setting::dimfactor, 20));
    EXPECT_EQ(env.messages.messages.size(), 1u);
}

TEST_F(SettingsFileTest, FirstRunUnlessBothAdapterAndMonthOffsetExist) {
    struct Case {
        const char* content;
        bool firstRun;
    } const cases[] = {
        {"", true},
        {"[settings]\nactiveadapter=00-11-22-33-44-55\n", true},
        {"[settings]\nmonthoffset=0\n", true},
        {"[settings]\nActiveAdapter=00-11-22-33-44-55\nMONTHOFFSET=3\n", false},
        {"[settings]\nactiveadapter=\nmonthoffset=\n", false}, // present, even if empty
        {"[other]\nactiveadapter=x\nmonthoffset=1\n", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsFirstRun(Open(c.content)), c.firstRun) << c.content;
}

TEST(DataFolder, FollowsMeterlynDataOrXdgDataHome) {
    const QByteArray oldData = qgetenv("METERLYN_DATA");
    const QByteArray oldXdg = qgetenv("XDG_DATA_HOME");
    QTemporaryDir dir;
    qputenv("METERLYN_DATA", "");
    qputenv("XDG_DATA_HOME", dir.path().toUtf8());
    InitFolders();
    EXPECT_EQ(DataFolder(), dir.path() + QStringLiteral("/Darvelo/Meterlyn 2/"));
    EXPECT_TRUE(QFileInfo(DataFolder()).isDir());
    qputenv("METERLYN_DATA", (dir.path() + QStringLiteral("/a/b/c")).toUtf8());
    InitFolders();
    EXPECT_EQ(DataFolder(), dir.path() + QStringLiteral("/a/b/c/"));
    EXPECT_TRUE(QFileInfo(DataFolder()).isDir());
    EXPECT_TRUE(ProgramFolder().endsWith(QLatin1Char('/')));
    qputenv("METERLYN_DATA", oldData);
    qputenv("XDG_DATA_HOME", oldXdg);
}
