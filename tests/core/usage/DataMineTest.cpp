#include "usage/DataMine.h"

#include "config/DataFolder.h"
#include "config/SettingsFile.h"
#include "support/ScriptedInterfaceTable.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <gtest/gtest.h>

namespace {
using Row = ScriptedInterfaceTable;
const QString kEth = QStringLiteral("00-1A-2B-3C-4D-5E");
const QString kZero = QStringLiteral("00-00-00-00-00-00");

class DataMineTest : public ::testing::Test {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale::c());
        Accuracy = 2;
        AverageData = 0;
        table.rows = {Row::Row(2, QStringLiteral("eth0"), 0x5E, 0, 0, 100000000),
                      Row::Row(1, QStringLiteral("lo"), 0)};
        // Settings that skip the migrations unless a test asks for them.
        Settings("[settings]\nlogsmigrated=1\nlogsmigrated2=1\nactiveadapter=" + kEth.toUtf8() +
                 "\naveragedata=0\n");
    }
    void TearDown() override {
        DataMine.reset();
        QLocale::setDefault(QLocale::c());
        Accuracy = 2;
        AverageData = 5;
    }

    void Settings(const QByteArray& ini) {
        env.WriteFile(QStringLiteral("config.ini"), ini);
        SettingsFile =
            std::make_unique<TSettingsFile>(env.DataPath() + QStringLiteral("config.ini"));
    }
    QString Setting(const char* name) const {
        return SettingsFile->ReadString(QStringLiteral("settings"), QLatin1String(name),
                                        QStringLiteral("<none>"));
    }
    // Two samples whose difference is the wanted rate on the watched eth0.
    void GiveRates(TDataMine& mine, quint64 in, quint64 out) {
        table.SetCounters(2, 1000, 1000);
        mine.Adapters->Tick();
        table.SetCounters(2, 1000 + in, 1000 + out);
        mine.Adapters->Tick();
    }

    TestEnvironment env;
    ScriptedInterfaceTable table;
};
} // namespace

TEST_F(DataMineTest, ExpandsDataItems) {
    struct Case {
        int accuracy;
        quint64 inRate;
        QString text;
        QString expected;
    };
    const Case cases[] = {
        {2, 1536, QStringLiteral("Down: %Adapter:KBInPerSec% KB/s"),
         QStringLiteral("Down: 1.50 KB/s")},
        {0, 1792, QStringLiteral("%Adapter:KBInPerSec%"), QStringLiteral("2")},
        {2, 131072, QStringLiteral("%Adapter:MbitInPerSec%"), QStringLiteral("1.00")},
        {2, 131072, QStringLiteral("%Adapter:KbitInPerSec%"), QStringLiteral("1024.00")},
        {12, 131072, QStringLiteral("%Adapter:MbitInPerSec%"), QStringLiteral("0.999999999836")},
        {3, 3 * 1048576, QStringLiteral("%Adapter:MBInPerSec%|%Adapter:MBOutPerSec%"),
         QStringLiteral("3.000|0.000")},
        {2, 0, QStringLiteral("%Adapter:Speed%"), QStringLiteral("100")},
        {2, 0, QStringLiteral("%ADAPTER:NAME%=%adapter:name%"), QStringLiteral("eth0=eth0")},
        {2, 0, QStringLiteral("%foo% x"), QStringLiteral("%foo% x")},
        {2, 0, QStringLiteral("%foo%"), QStringLiteral("%foo")},
        {2, 0, QStringLiteral("50% done"), QStringLiteral("50% done")},
        {2, 0, QStringLiteral("50%"), QStringLiteral("50")},
        {2, 0, QStringLiteral("%%"), QString()},
        {2, 0, QStringLiteral("%"), QString()},
        {2, 0, QStringLiteral("a%Times:Day"), QStringLiteral("aFriday")}, // 11 Dec 2026
        {2, 0, QStringLiteral("%Times:Day%"), QStringLiteral("Friday")},
        {2, 0, QStringLiteral("%Adapter:Bogus%%Adapter:Name%"),
         QStringLiteral("%Adapter:BogusAdapter:Name")},
        {2, 0, QStringLiteral("%Theme:Path%!"), QStringLiteral("%Theme:Path%!")},
        {2, 0, QStringLiteral("no items"), QStringLiteral("no items")},
        // A value of 10^14 or more is written in scientific notation.
        {2, 1ull << 60, QStringLiteral("%Adapter:KBInPerSec%"), QStringLiteral("1.13E+15")},
    };
    DataMine = std::make_unique<TDataMine>();
    for (const Case& c : cases) {
        Accuracy = static_cast<quint8>(c.accuracy);
        GiveRates(*DataMine, c.inRate, 0);
        EXPECT_EQ(DataMine->Expand(c.text), c.expected) << c.text.toStdString();
    }
}

TEST_F(DataMineTest, NumbersUseTheUsersDecimalSeparatorWithoutGrouping) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    DataMine = std::make_unique<TDataMine>();
    GiveRates(*DataMine, 1536 * 1024 * 2, 0);
    EXPECT_EQ(DataMine->Expand(QStringLiteral("%Adapter:KBInPerSec%")), QStringLiteral("3072,00"));
}

TEST_F(DataMineTest, SinceRebootFiguresKeepSixtyFourBits) {
    const quint64 three = 3ull << 30;
    table.SetCounters(2, three, three);
    DataMine = std::make_unique<TDataMine>();
    EXPECT_EQ(DataMine->Expand(QStringLiteral("%Adapter:GBBothSinceReboot%")),
              QStringLiteral("6.00"));
    EXPECT_EQ(DataMine->Expand(QStringLiteral("%Adapter:MBInSinceReboot%")),
              QStringLiteral("3072.00"));
    EXPECT_EQ(DataMine->Expand(QStringLiteral("%Adapter:TBOutSinceReboot%")),
              QStringLiteral("0.00"));
}

TEST_F(DataMineTest, WithoutAWatchedAdapterArchiveItemsAreNotAvailable) {
    Settings("[settings]\nlogsmigrated=1\nlogsmigrated2=1\nactiveadapter=AA-BB\n");
    DataMine = std::make_unique<TDataMine>();
    EXPECT_EQ(DataMine->ActiveAdapter, nullptr);
    EXPECT_EQ(Setting("activeadapter"), QStringLiteral("AA-BB")); // kept
    EXPECT_EQ(DataMine->Expand(QStringLiteral("%Archive:MBInToday% MB")), QStringLiteral("N/A MB"));
    EXPECT_EQ(DataMine->Expand(QStringLiteral("%Archive:Whatever% MB")), QStringLiteral("N/A MB"));
    EXPECT_EQ(DataMine->Expand(QStringLiteral("%Adapter:Name% is idle")),
              QStringLiteral("%Adapter:Name% is idle"));
}

TEST_F(DataMineTest, ArchiveItemsShowTheWatchedAdaptersTotals) {
    DataMine = std::make_unique<TDataMine>();
    GiveRates(*DataMine, 3 * 1048576, 1048576); // logged by the second tick
    EXPECT_EQ(
        DataMine->Expand(QStringLiteral("%Archive:MBInToday%/%Archive:MBOutToday%/"
                                        "%Archive:MBBothThisHour%/%Archive:GBBothThisMonth%")),
        QStringLiteral("3.00/1.00/4.00/0.00"));
    Accuracy = 6;
    EXPECT_EQ(DataMine->Expand(QStringLiteral("%Archive:TBInThisYear%")),
              QStringLiteral("0.000003"));
    EXPECT_EQ(DataMine->Expand(QStringLiteral("%Archive:MBInThisYear%")),
              QStringLiteral("%Archive:MBInThisYear")); // not an item
    EXPECT_TRUE(QFileInfo::exists(env.DataPath() + QStringLiteral("Logs/") + kEth + ".dat"));
}

TEST_F(DataMineTest, TextItemsAndTheThemeFolder) {
    DataMine = std::make_unique<TDataMine>();
    EXPECT_EQ(DataMine->Expand(QStringLiteral("%App:Path%")), DataFolder());
    EXPECT_EQ(DataMine->Expand(QStringLiteral("%Times:Date%")),
              QLocale().toString(QDate(2026, 12, 11), QLocale::ShortFormat));
    EXPECT_EQ(DataMine->Expand(QStringLiteral("%Times:Time%")),
              QLocale().toString(QTime(12, 0), QLocale::LongFormat));
    DataMine->ThemeFolder = [] { return QStringLiteral("/themes/Darvelo/"); };
    EXPECT_EQ(DataMine->Expand(QStringLiteral("%THEME:PATH%x.bmp")),
              QStringLiteral("/themes/Darvelo/x.bmp"));
}

TEST_F(DataMineTest, ExpandSurvivesAnyText) {
    DataMine = std::make_unique<TDataMine>();
    const QString lone = QStringLiteral("%") + QString(100000, QLatin1Char('a'));
    EXPECT_EQ(DataMine->Expand(lone), lone);
    const QString percents(100001, QLatin1Char('%'));
    EXPECT_EQ(DataMine->Expand(percents), QString());
    // A long token: only its first 255 characters form the source, and one more character
    // goes as its closing sign.
    const QString longArchive =
        QStringLiteral("%Archive:") + QString(300, QLatin1Char('x')) + QStringLiteral("%tail");
    DataMine->ActiveAdapter = nullptr;
    EXPECT_EQ(DataMine->Expand(longArchive), QStringLiteral("N/A") +
                                                 QString(300 - 247 - 1, QLatin1Char('x')) +
                                                 QStringLiteral("%tail"));
    QString binary;
    for (int i = 0; i < 5000; ++i)
        binary += QChar(static_cast<char16_t>((i * 7919) % 0xD800));
    binary += QStringLiteral("%Adapter:Name");
    EXPECT_FALSE(DataMine->Expand(binary).isNull());
}

TEST_F(DataMineTest, ListAdaptersGivesOneLinePerAdapter) {
    DataMine = std::make_unique<TDataMine>();
    QStringList lines{QStringLiteral("old")};
    EXPECT_EQ(DataMine->ListAdapters(&lines), 0);
    EXPECT_EQ(lines,
              QStringList({QStringLiteral("eth0 @") + kEth, QStringLiteral("lo @") + kZero}));
    DataMine->SelectAdapter(kZero);
    EXPECT_EQ(DataMine->ListAdapters(&lines), 1);
    EXPECT_EQ(DataMine->ListAdapters(nullptr), 0);
    DataMine->SelectAdapter(QStringLiteral("nothing"));
    EXPECT_EQ(DataMine->ActiveAdapter, nullptr);
    EXPECT_EQ(Setting("activeadapter"), kEth); // selecting leaves the setting to the caller
}

TEST_F(DataMineTest, AFirstStartWatchesTheLoopbackInterface) {
    Settings("[settings]\nlogsmigrated=1\nlogsmigrated2=1\n");
    DataMine = std::make_unique<TDataMine>();
    ASSERT_NE(DataMine->ActiveAdapter, nullptr);
    EXPECT_EQ(DataMine->ActiveAdapter->Description, QStringLiteral("lo"));
    EXPECT_EQ(Setting("activeadapter"), kZero);
}

TEST_F(DataMineTest, AnInterfaceNumberFromAnOlderVersionIsForgotten) {
    Settings("[settings]\nlogsmigrated=1\nlogsmigrated2=1\nactiveadapter=2\n");
    DataMine = std::make_unique<TDataMine>();
    EXPECT_EQ(DataMine->ActiveAdapter, DataMine->Adapters->FindZeroAddress());
    EXPECT_EQ(Setting("activeadapter"), kZero);
}

TEST_F(DataMineTest, CycleAdapterWalksTheListAndStoresTheKey) {
    DataMine = std::make_unique<TDataMine>();
    ASSERT_EQ(DataMine->ActiveAdapter->PhysicalAddress, kEth);
    DataMine->CycleAdapter();
    EXPECT_EQ(DataMine->ActiveAdapter->PhysicalAddress, kZero);
    EXPECT_EQ(Setting("activeadapter"), kZero);
    DataMine->CycleAdapter();
    EXPECT_EQ(DataMine->ActiveAdapter->PhysicalAddress, kEth);
    DataMine->ActiveAdapter = nullptr;
    DataMine->CycleAdapter();
    EXPECT_EQ(DataMine->ActiveAdapter->PhysicalAddress, kEth);
}

TEST_F(DataMineTest, TrafficReachesTheAdaptersLog) {
    DataMine = std::make_unique<TDataMine>();
    GiveRates(*DataMine, 1000, 0);
    const TArchive* log = DataMine->Archives->Find(kEth);
    ASSERT_EQ(log->Count(), 1);
    EXPECT_EQ(log->RecordAt(0)->In, 1000u);
    EXPECT_EQ(log->RecordAt(0)->Out, 0u);
    DataMine->Archives->SaveAll();
    EXPECT_EQ(env.ReadFile(QStringLiteral("Logs/") + kEth + ".dat").size(), 24);
}

TEST_F(DataMineTest, ProgramFolderLogsAreImportedOnYes) {
    Settings("[settings]\nlogsmigrated2=1\n");
    QDir().mkpath(env.ProgramPath() + QStringLiteral("Logs"));
    for (const char* name : {"A.dat", "B.dat"}) {
        QFile f(env.ProgramPath() + QStringLiteral("Logs/") + QLatin1String(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(24, name[0]));
    }
    env.WriteFile(QStringLiteral("Logs/A.dat"), "newer");
    env.messages.answers = {true};
    DataMine = std::make_unique<TDataMine>();
    ASSERT_EQ(env.messages.messages.size(), 1u);
    const auto& q = env.messages.messages.front();
    EXPECT_TRUE(q.question);
    EXPECT_EQ(q.caption, QStringLiteral("Import Logs"));
    EXPECT_EQ(q.icon, MessageIcon::Question);
    EXPECT_EQ(q.text, QStringLiteral("Meterlyn no longer stores logs in the system's Program Files "
                                     "directory. Would you like to import their contents before "
                                     "they are deleted?\r\n\r\nChoosing not to import will erase "
                                     "all log data"));
    EXPECT_EQ(env.ReadFile(QStringLiteral("Logs/A.dat")), QByteArray(24, 'A'));
    EXPECT_EQ(env.ReadFile(QStringLiteral("Logs/B.dat")), QByteArray(24, 'B'));
    EXPECT_TRUE(QDir(env.ProgramPath() + QStringLiteral("Logs")).isEmpty());
    EXPECT_EQ(Setting("logsmigrated"), QStringLiteral("1"));
}

TEST_F(DataMineTest, ProgramFolderLogsAreErasedOnNoAndNotAskedForTwice) {
    Settings("[settings]\nlogsmigrated2=1\n");
    QDir().mkpath(env.ProgramPath() + QStringLiteral("Logs"));
    QFile f(env.ProgramPath() + QStringLiteral("Logs/A.dat"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    env.messages.answers = {false};
    DataMine = std::make_unique<TDataMine>();
    EXPECT_EQ(env.messages.messages.size(), 1u);
    EXPECT_FALSE(QFileInfo::exists(env.ProgramPath() + QStringLiteral("Logs/A.dat")));
    EXPECT_FALSE(QFileInfo::exists(env.DataPath() + QStringLiteral("Logs/A.dat")));
    EXPECT_EQ(Setting("logsmigrated"), QStringLiteral("1"));

    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    DataMine = std::make_unique<TDataMine>();
    EXPECT_EQ(env.messages.messages.size(), 1u);
    EXPECT_TRUE(QFileInfo::exists(env.ProgramPath() + QStringLiteral("Logs/A.dat")));
}

TEST_F(DataMineTest, NoProgramFolderLogsMeansNoQuestion) {
    Settings("[settings]\nlogsmigrated2=1\n");
    DataMine = std::make_unique<TDataMine>();
    EXPECT_TRUE(env.messages.messages.empty());
    EXPECT_EQ(Setting("logsmigrated"), QStringLiteral("1"));
}

TEST_F(DataMineTest, LogsNamedByInterfaceNumberAreRenamedToTheirKey) {
    Settings("[settings]\nlogsmigrated=1\n");
    env.WriteFile(QStringLiteral("Logs/2.dat"), QByteArray(24, 'n'));
    env.WriteFile(QStringLiteral("Logs/") + kEth + ".dat", QByteArray(48, 'o'));
    env.WriteFile(QStringLiteral("Logs/7.dat"), QByteArray(24, 's')); // no such interface
    DataMine = std::make_unique<TDataMine>();
    EXPECT_EQ(env.ReadFile(QStringLiteral("Logs/") + kEth + ".dat"), QByteArray(24, 'n'));
    EXPECT_FALSE(QFileInfo::exists(env.DataPath() + QStringLiteral("Logs/2.dat")));
    EXPECT_TRUE(QFileInfo::exists(env.DataPath() + QStringLiteral("Logs/7.dat")));
    EXPECT_EQ(Setting("logsmigrated2"), QStringLiteral("1"));
}
