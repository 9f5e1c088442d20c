#include "usage/Archive.h"

#include "config/SettingsFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <limits>

namespace {
const QString kKey = QStringLiteral("00-1A-2B-3C-4D-5E");
const QString kLog = QStringLiteral("Logs/00-1A-2B-3C-4D-5E.dat");

TDateTime Day(int y, int m, int d) {
    return EncodeDate(QDate(y, m, d));
}
TDateTime At(int y, int m, int d, int h = 12) {
    return EncodeDateTime(QDateTime(QDate(y, m, d), QTime(h, 30)));
}

QByteArray Record(TDateTime date, quint64 in, quint64 out) {
    QByteArray bytes(24, '\0');
    quint64 raw;
    std::memcpy(&raw, &date, 8);
    qToLittleEndian(raw, bytes.data());
    qToLittleEndian(in, bytes.data() + 8);
    qToLittleEndian(out, bytes.data() + 16);
    return bytes;
}

// One record per day from `first` to `last`, In = day of month, Out = 1000 x day of month.
QByteArray DailyRecords(const QDate& first, const QDate& last) {
    QByteArray bytes;
    for (QDate d = first; d <= last; d = d.addDays(1))
        bytes += Record(EncodeDate(d), static_cast<quint64>(d.day()),
                        1000u * static_cast<quint64>(d.day()));
    return bytes;
}

// Sum of In over the days from `first` to `last`, as DailyRecords writes them.
quint64 InSum(const QDate& first, const QDate& last) {
    quint64 sum = 0;
    for (QDate d = first; d <= last; d = d.addDays(1))
        sum += static_cast<quint64>(d.day());
    return sum;
}

class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override { MonthOffset = 0; }
    void TearDown() override { MonthOffset = 0; }
    TestEnvironment env;
};
} // namespace

TEST_F(ArchiveTest, AMissingLogIsCreatedEmpty) {
    TArchive log(kKey);
    EXPECT_EQ(log.Count(), 0);
    EXPECT_TRUE(QFileInfo::exists(env.DataPath() + kLog));
    EXPECT_EQ(env.ReadFile(kLog).size(), 0);
}

TEST_F(ArchiveTest, AFiftyByteFileLoadsTwoRecordsAndSavesFortyEight) {
    QByteArray bytes = Record(Day(2026, 12, 9), 1, 2) + Record(Day(2026, 12, 10), 3, 4) + "xy";
    ASSERT_EQ(bytes.size(), 50);
    env.WriteFile(kLog, bytes);
    TArchive log(kKey);
    ASSERT_EQ(log.Count(), 2);
    EXPECT_EQ(log.RecordAt(1)->Date, Day(2026, 12, 10));
    EXPECT_EQ(log.RecordAt(1)->Out, 4u);
    EXPECT_EQ(log.RecordAt(2), nullptr);
    ASSERT_TRUE(log.Save());
    EXPECT_EQ(env.ReadFile(kLog), bytes.left(48));
}

TEST_F(ArchiveTest, RecordsAreStoredInTheTwentyFourByteFormat) {
    // 64-bit amounts above 4 GB survive the round trip.
    const quint64 big = 0x1'2345'6789ull;
    {
        TArchive log(kKey);
        log.Add(big, 7);
        ASSERT_TRUE(log.Save());
    }
    EXPECT_EQ(env.ReadFile(kLog), Record(Day(2026, 12, 11), big, 7));
}

TEST_F(ArchiveTest, TheTwentyFifthAdditionWritesTheFileAndTheTwentyFourthDoesNot) {
    TArchive log(kKey);
    for (int i = 0; i < 24; ++i)
        log.Add(10, 1);
    EXPECT_EQ(env.ReadFile(kLog).size(), 0);
    EXPECT_EQ(log.Unsaved, 24);
    log.Add(10, 1);
    EXPECT_EQ(env.ReadFile(kLog), Record(Day(2026, 12, 11), 250, 25));
    EXPECT_EQ(log.Unsaved, 0);
}

TEST_F(ArchiveTest, DaysAreFoundByDateWhereverTheyStand) {
    env.clock.Set(At(2026, 12, 10, 23));
    TArchive log(kKey);
    log.Add(5, 5);
    env.clock.Set(At(2026, 12, 11, 0));
    log.Add(7, 0); // the first addition after midnight starts a new day
    ASSERT_EQ(log.Count(), 2);
    EXPECT_EQ(log.FindByDate(Day(2026, 12, 10))->In, 5u);
    EXPECT_EQ(log.FindByDate(Day(2026, 12, 11))->In, 7u);

    env.clock.Set(At(2026, 12, 10, 9)); // clock set back
    log.Add(1, 0);
    EXPECT_EQ(log.Count(), 2);
    EXPECT_EQ(log.FindByDate(Day(2026, 12, 10))->In, 6u);
    EXPECT_EQ(log.FindByDate(Day(2026, 12, 9)), nullptr);
}

TEST_F(ArchiveTest, RecordsWithANegativeOrMissingDateStayInMemoryButNotInTheFile) {
    const QByteArray good = Record(Day(2026, 12, 1), 1, 1);
    env.WriteFile(kLog, Record(-3, 9, 9) + good + Record(std::nan(""), 8, 8));
    TArchive log(kKey);
    EXPECT_EQ(log.Count(), 3);
    ASSERT_TRUE(log.Save());
    EXPECT_EQ(env.ReadFile(kLog), good);
    EXPECT_EQ(log.Count(), 3);
}

TEST_F(ArchiveTest, ResetEmptiesTheLogAndItsFile) {
    env.WriteFile(kLog, DailyRecords(QDate(2026, 12, 1), QDate(2026, 12, 11)));
    TArchive log(kKey);
    log.Reset();
    EXPECT_EQ(log.Count(), 0);
    EXPECT_EQ(env.ReadFile(kLog).size(), 0);
}

TEST_F(ArchiveTest, ImportReplacesTheRecordsAndSavesThem) {
    const QByteArray other = DailyRecords(QDate(2025, 1, 1), QDate(2025, 1, 3));
    env.WriteFile(QStringLiteral("old.dat"), other);
    TArchive log(kKey);
    log.Add(1, 1);
    log.Import(env.DataPath() + QStringLiteral("old.dat"));
    EXPECT_EQ(log.Count(), 3);
    EXPECT_EQ(env.ReadFile(kLog), other);
}

TEST_F(ArchiveTest, ImportOfAMissingFileIsRefusedAndLeavesTheLogAlone) {
    const QByteArray bytes = DailyRecords(QDate(2026, 12, 1), QDate(2026, 12, 3));
    env.WriteFile(kLog, bytes);
    TArchive log(kKey);
    const QString missing = env.DataPath() + QStringLiteral("nowhere.dat");
    EXPECT_THROW(log.Import(missing), EArchiveError);
    EXPECT_THROW(log.Import(QString()), EArchiveError);
    EXPECT_THROW(log.Import(env.DataPath()), EArchiveError); // a folder
    EXPECT_EQ(log.Count(), 3);
    EXPECT_EQ(env.ReadFile(kLog), bytes);
    EXPECT_THROW(log.Load(missing), EArchiveError);
    EXPECT_EQ(log.Count(), 3);
    EXPECT_FALSE(QFileInfo::exists(missing));
}

TEST_F(ArchiveTest, AKeyCannotNameAFileOutsideTheLogsFolder) {
    TArchive log(QStringLiteral("../../escape"));
    log.Add(1, 1);
    ASSERT_TRUE(log.Save());
    EXPECT_TRUE(log.FileName().startsWith(env.DataPath() + QStringLiteral("Logs/")));
    EXPECT_FALSE(log.FileName().mid(env.DataPath().size() + 5).contains(QLatin1Char('/')));
}

TEST_F(ArchiveTest, AnEmptyLogTotalsZeroForEveryPeriodAndKind) {
    TArchive log(kKey);
    for (int period = ThisHour; period <= AllRecords; ++period)
        for (int kind = KindIn; kind <= KindBoth; ++kind)
            EXPECT_EQ(log.Total(period, kind), 0u) << period << " " << kind;
}

TEST_F(ArchiveTest, TodayAndThisHourFollowTheAdditions) {
    env.clock.Set(At(2026, 12, 10, 20));
    TArchive log(kKey);
    log.Add(100, 1);
    env.clock.Set(At(2026, 12, 11, 9));
    EXPECT_EQ(log.Total(Today, KindBoth), 0u); // no traffic yet today, though yesterday has some
    log.Add(30, 3);
    log.Add(20, 2);
    EXPECT_EQ(log.Total(Today, KindIn), 50u);
    EXPECT_EQ(log.Total(Today, KindOut), 5u);
    EXPECT_EQ(log.Total(ThisHour, KindBoth), 55u);
    EXPECT_EQ(log.Total(AllRecords, KindIn), 150u);

    env.clock.Set(At(2026, 12, 11, 10));
    EXPECT_EQ(log.Total(ThisHour, KindIn), 0u);
    log.Add(4, 0);
    EXPECT_EQ(log.Total(ThisHour, KindIn), 4u);
    // The same hour a day later starts from nothing, even with no traffic in between.
    env.clock.Set(At(2026, 12, 12, 10));
    EXPECT_EQ(log.Total(ThisHour, KindIn), 0u);
    log.Add(1, 0);
    EXPECT_EQ(log.Total(ThisHour, KindIn), 1u);
}

TEST_F(ArchiveTest, MonthTotalsFollowTheFirstDayOfTheUsageMonth) {
    struct Case {
        int offset;
        QDate now;
        QDate first;
    };
    const Case cases[] = {
        {0, QDate(2026, 3, 1), QDate(2026, 3, 1)}, // March only
        {0, QDate(2026, 2, 28), QDate(2026, 2, 1)},
        {14, QDate(2026, 4, 10), QDate(2026, 3, 15)}, // 15 March to 10 April
        {14, QDate(2026, 4, 14), QDate(2026, 3, 15)},
        {14, QDate(2026, 4, 15), QDate(2026, 4, 15)}, // starts again
        {30, QDate(2026, 4, 30), QDate(2026, 3, 31)}, // March's usage month: 31 March to 30 April
        {30, QDate(2026, 5, 1), QDate(2026, 5, 1)},   // April's: from 1 May
        {30, QDate(2026, 5, 30), QDate(2026, 5, 1)},
        {30, QDate(2026, 5, 31), QDate(2026, 5, 31)},
    };
    for (const Case& c : cases) {
        env.WriteFile(kLog, DailyRecords(QDate(2026, 1, 1), c.now));
        env.WriteFile(QStringLiteral("config.ini"),
                      QStringLiteral("[settings]\nmonthoffset=%1\n").arg(c.offset).toUtf8());
        SettingsFile =
            std::make_unique<TSettingsFile>(env.DataPath() + QStringLiteral("config.ini"));
        TArchives archives;
        TArchive* log = archives.Find(kKey);
        archives.ReloadPeriodSettings();
        ASSERT_EQ(MonthOffset, c.offset);
        env.clock.Set(EncodeDateTime(QDateTime(c.now, QTime(8, 0))));
        EXPECT_EQ(log->Total(ThisMonth, KindIn), InSum(c.first, c.now))
            << "offset " << c.offset << " on " << c.now.toString(Qt::ISODate).toStdString();
    }
}

TEST_F(ArchiveTest, ChangingTheMonthOffsetIsNoticedAfterReload) {
    env.WriteFile(kLog, DailyRecords(QDate(2026, 3, 1), QDate(2026, 4, 10)));
    env.clock.Set(At(2026, 4, 10));
    TArchives archives;
    TArchive* log = archives.Find(kKey);
    EXPECT_EQ(log->Total(ThisMonth, KindIn), InSum(QDate(2026, 4, 1), QDate(2026, 4, 10)));
    env.WriteFile(QStringLiteral("config.ini"), "[settings]\nmonthoffset=14\n");
    SettingsFile = std::make_unique<TSettingsFile>(env.DataPath() + QStringLiteral("config.ini"));
    archives.ReloadPeriodSettings();
    EXPECT_EQ(log->MonthIndex, -1);
    EXPECT_EQ(log->Total(ThisMonth, KindIn), InSum(QDate(2026, 3, 15), QDate(2026, 4, 10)));
}

TEST_F(ArchiveTest, WeekAndYearTotals) {
    // Each case on a log of one record per day up to that day.
    struct Case {
        int period;
        QDate now;
        quint64 expected;
    };
    const Case cases[] = {
        // 7 Dec 2026 is a Monday: only that day.
        {ThisWeek, QDate(2026, 12, 7), 7},
        {ThisWeek, QDate(2026, 12, 9), 7 + 8 + 9},
        {ThisYear, QDate(2026, 3, 2), InSum(QDate(2026, 1, 1), QDate(2026, 3, 2))},
        // 1 Jan 2027 lies in week 53 of 2026: the December days of that week are left out.
        {ThisWeek, QDate(2027, 1, 1), 1},
        {ThisWeek, QDate(2027, 1, 3), 1 + 2 + 3},
        // 30 Dec 2025 lies in week 1 of 2026: the sum starts at week 1 of calendar 2025 and
        // takes every later record of a week 1.
        {ThisWeek, QDate(2025, 12, 30), InSum(QDate(2025, 1, 1), QDate(2025, 1, 5)) + 29 + 30},
    };
    for (const Case& c : cases) {
        env.WriteFile(kLog, DailyRecords(QDate(2024, 12, 1), c.now));
        TArchive log(kKey);
        env.clock.Set(EncodeDateTime(QDateTime(c.now, QTime(8, 0))));
        EXPECT_EQ(log.Total(c.period, KindIn), c.expected)
            << c.period << " on " << c.now.toString(Qt::ISODate).toStdString();
    }
}

TEST_F(ArchiveTest, YearTotalOnTheFirstOfJanuaryHoldsOnlyThatDay) {
    env.WriteFile(kLog, DailyRecords(QDate(2026, 12, 1), QDate(2027, 1, 1)));
    env.clock.Set(At(2027, 1, 1));
    TArchive log(kKey);
    EXPECT_EQ(log.Total(ThisYear, KindIn), 1u);
    EXPECT_EQ(log.Total(ThisYear, KindOut), 1000u);
    EXPECT_EQ(log.Total(ThisYear, KindBoth), 1001u);
}

TEST_F(ArchiveTest, APeriodChangeIsNoticedByTheRememberedPositions) {
    env.WriteFile(kLog, DailyRecords(QDate(2026, 11, 20), QDate(2026, 11, 30)));
    env.clock.Set(At(2026, 11, 30));
    TArchive log(kKey);
    EXPECT_EQ(log.Total(ThisMonth, KindIn), InSum(QDate(2026, 11, 20), QDate(2026, 11, 30)));
    env.clock.Set(At(2026, 12, 1));
    EXPECT_EQ(log.Total(ThisMonth, KindIn), 0u);
    log.Add(5, 0);
    EXPECT_EQ(log.Total(ThisMonth, KindIn), 5u);
    EXPECT_EQ(log.Total(ThisWeek, KindIn), InSum(QDate(2026, 11, 30), QDate(2026, 11, 30)) + 5);
}

TEST_F(ArchiveTest, ADamagedLogIsKeptBesideItAndReset) {
    const QByteArray bytes = Record(Day(2026, 12, 1), 5, 5) +
                             Record(std::numeric_limits<double>::quiet_NaN(), 1, 1) +
                             Record(Day(2026, 12, 11), 3, 3);
    env.WriteFile(kLog, bytes);
    TArchive log(kKey);
    EXPECT_EQ(log.Total(Today, KindIn), 3u); // no date arithmetic, no error
    EXPECT_TRUE(env.messages.messages.empty());

    log.Total(ThisMonth, KindIn);
    ASSERT_EQ(env.messages.messages.size(), 1u);
    const auto& m = env.messages.messages.front();
    EXPECT_EQ(m.caption, QStringLiteral("Read Error"));
    EXPECT_EQ(m.icon, MessageIcon::Error);
    EXPECT_EQ(m.text, QStringLiteral("A critical error occured while trying to read data from "
                                     "adapter log 00-1A-2B-3C-4D-5E. As a result, this log file "
                                     "has been reset.  This problem may have occured because of "
                                     "a file incompatibility or corruption"));
    EXPECT_EQ(log.Count(), 0);
    EXPECT_EQ(env.ReadFile(kLog).size(), 0);
    EXPECT_EQ(env.ReadFile(kLog + QStringLiteral(".damaged")), bytes);
}

TEST_F(ArchiveTest, AnotherDamagedLogDoesNotReplaceTheFirstCopy) {
    const QByteArray first = Record(HUGE_VAL, 1, 1);
    const QByteArray second = Record(1e300, 2, 2);
    env.WriteFile(kLog, first);
    TArchive log(kKey);
    log.Total(ThisYear, KindIn);
    log.Load(); // empty now
    env.WriteFile(kLog, second);
    log.Load();
    log.Total(ThisWeek, KindIn);
    EXPECT_EQ(env.ReadFile(kLog + QStringLiteral(".damaged")), first);
    EXPECT_EQ(env.ReadFile(kLog + QStringLiteral(".damaged.2")), second);
    EXPECT_EQ(env.messages.messages.size(), 2u);
}

TEST_F(ArchiveTest, ForeignFilesNeverCrash) {
    // Odd lengths, out-of-order and extreme dates: every total still answers.
    const double dates[] = {
        Day(2026, 12, 11),       -1e9, 1e15, -693594,        2958466, Day(1990, 1, 1),
        Day(2026, 12, 11) + 0.5, 0,    -0.0, Day(2030, 1, 1)};
    QByteArray bytes;
    for (double d : dates)
        bytes += Record(d, ~0ull, ~0ull);
    for (qsizetype cut : {qsizetype(0), qsizetype(1), qsizetype(23), qsizetype(25), bytes.size()}) {
        env.WriteFile(kLog, bytes.left(cut));
        TArchive log(kKey);
        EXPECT_EQ(log.Count(), cut / 24);
        for (int period = ThisHour; period <= AllRecords; ++period)
            for (int kind = KindIn; kind <= KindBoth; ++kind)
                log.Total(period, kind);
        log.Add(1, 1);
        EXPECT_TRUE(log.Save());
    }
}

TEST_F(ArchiveTest, AnUnreadableLogIsReportedNotEmptied) {
    QDir().mkpath(env.DataPath() + kLog); // a folder where the file should be
    EXPECT_THROW(TArchive log(kKey), EArchiveError);
    TArchives archives;
    EXPECT_THROW(archives.Find(kKey), EArchiveError);
    EXPECT_TRUE(archives.List.empty());
}

TEST_F(ArchiveTest, FindOpensEachLogOnceAndSaveAllWritesThemAll) {
    TArchives archives;
    TArchive* a = archives.Find(kKey);
    EXPECT_EQ(archives.Find(kKey), a);
    TArchive* b = archives.Find(QStringLiteral("00-00-00-00-00-00"));
    EXPECT_NE(a, b);
    EXPECT_NE(archives.Find(QStringLiteral("00-1a-2b-3c-4d-5e")), a); // keys are case-sensitive
    a->Add(1, 2);
    b->Add(3, 4);
    archives.SaveAll();
    EXPECT_EQ(env.ReadFile(kLog), Record(Day(2026, 12, 11), 1, 2));
    EXPECT_EQ(env.ReadFile(QStringLiteral("Logs/00-00-00-00-00-00.dat")),
              Record(Day(2026, 12, 11), 3, 4));
}
