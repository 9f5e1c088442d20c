#include "sampling/Adapters.h"

#include "config/SettingsFile.h"
#include "support/ScriptedInterfaceTable.h"
#include "support/TestSupport.h"

#include <QFile>
#include <gtest/gtest.h>
#include <vector>

namespace {
using Row = ScriptedInterfaceTable;

struct Logged {
    QString key;
    quint64 in;
    quint64 out;
};

class AdaptersTest : public ::testing::Test {
protected:
    void SetUp() override { AverageData = 5; }
    void TearDown() override { AverageData = 5; }

    std::unique_ptr<TAdapters> MakeSampler() {
        return std::make_unique<TAdapters>([this](const QString& key, quint64 in, quint64 out) {
            logged.push_back({key, in, out});
        });
    }

    TestEnvironment env;
    ScriptedInterfaceTable table;
    std::vector<Logged> logged;
};
} // namespace

TEST_F(AdaptersTest, EnumeratesEveryInterfaceInTableOrder) {
    table.rows = {Row::Row(7, QStringLiteral("  eth0 \t\x01"), 0x5E, 100, 50, 100000000),
                  Row::Row(1, QStringLiteral("lo"), 0)};
    table.addresses = {{0x0100007F, 1}};
    auto sampler = MakeSampler();
    ASSERT_EQ(sampler->List.size(), 2u);
    const TAdapter& eth = *sampler->List[0];
    EXPECT_EQ(eth.Index, 7u);
    EXPECT_EQ(eth.Description, QStringLiteral("eth0"));
    EXPECT_EQ(eth.PhysicalAddress, QStringLiteral("00-1A-2B-3C-4D-5E"));
    EXPECT_EQ(eth.Speed, 100000000u);
    EXPECT_EQ(eth.LastIn, 100u);
    EXPECT_TRUE(eth.History.empty());
    EXPECT_EQ(sampler->List[1]->IPAddress, QStringLiteral("127.0.0.1"));
    EXPECT_EQ(sampler->FindZeroAddress(), sampler->List[1].get());
    EXPECT_EQ(sampler->FindByAddress(QStringLiteral("00-1A-2B-3C-4D-5E")), &eth);
    EXPECT_EQ(sampler->FindByAddress(QStringLiteral("00-1a-2b-3c-4d-5e")), nullptr);

    TAdapter byNumber(7);
    EXPECT_EQ(byNumber.PhysicalAddress, eth.PhysicalAddress);
    TAdapter missing(99);
    EXPECT_EQ(missing.PhysicalAddress, QString());
    EXPECT_EQ(missing.LastIn, 0u);
}

TEST_F(AdaptersTest, RatesStartAtTheSecondTick) {
    table.rows = {Row::Row(2, QStringLiteral("eth0"), 0x5E, 1000, 1000)};
    auto sampler = MakeSampler();
    TAdapter& a = *sampler->List[0];
    sampler->Tick();
    EXPECT_EQ(a.History.size(), 1u);
    EXPECT_EQ(a.InRate(false), 0u);
    EXPECT_EQ(a.InRate(true), 0u);
    EXPECT_TRUE(logged.empty());

    table.SetCounters(2, 3000, 1500);
    sampler->Tick();
    EXPECT_EQ(a.InRate(false), 2000u);
    EXPECT_EQ(a.OutRate(false), 500u);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].key, QStringLiteral("00-1A-2B-3C-4D-5E"));
    EXPECT_EQ(logged[0].in, 2000u);
    EXPECT_EQ(logged[0].out, 500u);

    sampler->Tick(); // a second without traffic reaches no log
    EXPECT_EQ(logged.size(), 1u);
}

TEST_F(AdaptersTest, ACounterThatGoesDownCountsAsNoTraffic) {
    table.rows = {Row::Row(2, QStringLiteral("eth0"), 0x5E, 4294967000ull, 0)};
    auto sampler = MakeSampler();
    TAdapter& a = *sampler->List[0];
    sampler->Tick();
    table.SetCounters(2, 500, 1000);
    sampler->Tick();
    EXPECT_EQ(a.InRate(false), 0u);
    EXPECT_EQ(a.OutRate(false), 1000u);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].in, 0u);
    EXPECT_EQ(logged[0].out, 1000u);
}

TEST_F(AdaptersTest, CountersKeepSixtyFourBits) {
    const quint64 base = 0x2'0000'0000ull; // past 4 GB
    table.rows = {Row::Row(2, QStringLiteral("eth0"), 0x5E, base, base)};
    auto sampler = MakeSampler();
    sampler->Tick();
    table.SetCounters(2, base + 5'000'000'000ull, base + 1);
    sampler->Tick();
    EXPECT_EQ(sampler->List[0]->InRate(false), 5'000'000'000ull);
    EXPECT_EQ(sampler->List[0]->LastIn, base + 5'000'000'000ull);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].in, 5'000'000'000ull);
}

TEST_F(AdaptersTest, AveragingCoversTheWholeHistory) {
    struct Case {
        int averageData;
        std::vector<quint64> counters; // oldest first
        size_t historySize;
        quint64 averaged;
    };
    const Case cases[] = {
        // Two samples: the average is the last difference.
        {0, {0, 100, 300}, 2, 200},
        // Six intervals, one of them a decrease that adds nothing but still divides.
        {5, {0, 60, 120, 180, 100, 160, 220, 280}, 7, (60 + 60 + 0 + 60 + 60 + 60) / 6},
        // Rounded down.
        {1, {0, 10, 20, 21}, 3, 11 / 2},
    };
    for (const Case& c : cases) {
        AverageData = static_cast<quint8>(c.averageData);
        table.rows = {Row::Row(2, QStringLiteral("eth0"), 0x5E)};
        TAdapter a(2);
        for (quint64 value : c.counters) {
            table.SetCounters(2, value, 0);
            a.AddSample(table.rows[0]);
        }
        EXPECT_EQ(a.History.size(), c.historySize) << c.averageData;
        EXPECT_EQ(a.InRate(true), c.averaged) << c.averageData;
        EXPECT_EQ(a.OutRate(true), 0u);
    }
}

TEST_F(AdaptersTest, LoweringTheAverageShortensTheHistoryAtTheNextSample) {
    table.rows = {Row::Row(2, QStringLiteral("eth0"), 0x5E)};
    TAdapter a(2);
    for (int i = 0; i < 10; ++i)
        a.AddSample(table.rows[0]);
    EXPECT_EQ(a.History.size(), 7u);
    AverageData = 1;
    a.AddSample(table.rows[0]);
    EXPECT_EQ(a.History.size(), 3u);
}

TEST_F(AdaptersTest, AnAdapterWithLoggingOffKeepsItsRatesButLogsNothing) {
    env.WriteFile(QStringLiteral("config.ini"), "[performlogs]\n00-1A-2B-3C-4D-5E=0\n");
    SettingsFile = std::make_unique<TSettingsFile>(env.DataPath() + QStringLiteral("config.ini"));
    table.rows = {Row::Row(2, QStringLiteral("eth0"), 0x5E),
                  Row::Row(3, QStringLiteral("eth1"), 0x5F)};
    auto sampler = MakeSampler();
    sampler->Tick();
    table.SetCounters(2, 1000, 0);
    table.SetCounters(3, 1000, 0);
    sampler->Tick();
    EXPECT_EQ(sampler->List[0]->InRate(false), 1000u);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].key, QStringLiteral("00-1A-2B-3C-4D-5F"));
    EXPECT_EQ(logged[0].in, 1000u);
    EXPECT_EQ(logged[0].out, 0u);
}

TEST_F(AdaptersTest, InterfacesWithoutPhysicalAddressKeepSeparateHistories) {
    table.rows = {Row::Row(1, QStringLiteral("lo"), 0, 1'000'000, 1'000'000),
                  Row::Row(9, QStringLiteral("tun0"), 0, 10, 10)};
    auto sampler = MakeSampler();
    sampler->Tick();
    table.SetCounters(1, 1'000'400, 1'000'400);
    table.SetCounters(9, 30, 10);
    sampler->Tick();
    TAdapter& lo = *sampler->List[0];
    TAdapter& tun = *sampler->List[1];
    EXPECT_EQ(lo.PhysicalAddress, tun.PhysicalAddress);
    EXPECT_EQ(lo.InRate(false), 400u);
    EXPECT_EQ(tun.InRate(false), 20u);
    EXPECT_EQ(lo.History.size(), 2u);
    EXPECT_EQ(tun.History.size(), 2u);
    // Both still reach the one log of their shared key.
    ASSERT_EQ(logged.size(), 2u);
    EXPECT_EQ(logged[0].in + logged[1].in, 420u);
}

TEST_F(AdaptersTest, ACardBackUnderANewNumberKeepsItsAdapter) {
    table.rows = {Row::Row(4, QStringLiteral("usb0"), 0x60, 5000, 0)};
    auto sampler = MakeSampler();
    sampler->Tick();
    table.rows = {Row::Row(11, QStringLiteral("usb0"), 0x60, 0, 0)};
    sampler->Tick(); // counters restarted: no traffic
    table.SetCounters(11, 700, 0);
    sampler->Tick();
    EXPECT_EQ(sampler->List[0]->Index, 11u);
    EXPECT_EQ(sampler->List[0]->InRate(false), 700u);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0].in, 700u);
}

TEST_F(AdaptersTest, InterfacesThatAppearLaterAreSkipped) {
    table.rows = {Row::Row(2, QStringLiteral("eth0"), 0x5E)};
    auto sampler = MakeSampler();
    table.rows.append(Row::Row(3, QStringLiteral("eth1"), 0x5F));
    sampler->Tick();
    table.SetCounters(3, 100, 100);
    sampler->Tick();
    EXPECT_EQ(sampler->List.size(), 1u);
    EXPECT_TRUE(logged.empty());
}

TEST_F(AdaptersTest, AverageDataIsReadWhenTheSamplerIsCreated) {
    env.WriteFile(QStringLiteral("config.ini"), "[settings]\naveragedata=3\n");
    SettingsFile = std::make_unique<TSettingsFile>(env.DataPath() + QStringLiteral("config.ini"));
    auto sampler = MakeSampler();
    EXPECT_EQ(AverageData, 3);
}

TEST_F(AdaptersTest, ASwitchedOffLogIsNoticedAtTheNextStep) {
    const QString ini = env.DataPath() + QStringLiteral("config.ini");
    env.WriteFile(QStringLiteral("config.ini"), "[settings]\n");
    SettingsFile = std::make_unique<TSettingsFile>(ini);
    table.rows = {Row::Row(2, QStringLiteral("eth0"), 0x5E)};
    auto sampler = MakeSampler();
    quint64 counter = 0;
    auto step = [&] {
        counter += 100;
        table.SetCounters(2, counter, 0);
        sampler->Tick();
    };
    step();
    step();
    EXPECT_EQ(logged.size(), 1u);
    SettingsFile->WriteBool(QStringLiteral("performlogs"), QStringLiteral("00-1A-2B-3C-4D-5E"),
                            false);
    step();
    EXPECT_EQ(logged.size(), 1u);
    // Switched on again: same length, so only the file's time tells.
    SettingsFile->WriteBool(QStringLiteral("performlogs"), QStringLiteral("00-1A-2B-3C-4D-5E"),
                            true);
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
    file.close();
    step();
    EXPECT_EQ(logged.size(), 2u);
}
