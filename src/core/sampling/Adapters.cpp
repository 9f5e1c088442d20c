#include "sampling/Adapters.h"

#include "config/SettingsFile.h"
#include "config/Toolbox.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>
#include <QTimer>
#include <algorithm>

namespace {
const QString kZeroAddress = QStringLiteral("00-00-00-00-00-00");
constexpr int kStepIntervalMs = 1000;

// Drops blanks and control characters from both ends.
QString TrimmedText(const QString& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= ' ')
        ++begin;
    while (end > begin && text[end - 1].unicode() <= ' ')
        --end;
    return text.mid(begin, end - begin);
}
} // namespace

TAdapter::TAdapter(quint32 index) : Index(index) {
    for (const TInterfaceRow& row : GetInterfaceTable())
        if (row.Index == index) {
            Take(row);
            break;
        }
}

TAdapter::TAdapter(const TInterfaceRow& row) : Index(row.Index) {
    Take(row);
}

void TAdapter::Take(const TInterfaceRow& row) {
    IPAddress = ShortText(InterfaceIPAddress(row.Index));
    LastIn = row.InOctets;
    LastOut = row.OutOctets;
    PhysicalAddress = ShortText(PhysicalAddressText(row.PhysAddr));
    Description = TrimmedText(ShortText(row.Description));
    Speed = row.Speed;
}

void TAdapter::AddSample(const TInterfaceRow& row) {
    History.push_front({row.InOctets, row.OutOctets});
    LastIn = row.InOctets;
    LastOut = row.OutOctets;
    while (History.size() >= static_cast<size_t>(AverageData) + 3)
        History.pop_back();
}

quint64 TAdapter::Rate(bool averaged, quint64 Sample::*field) const {
    if (History.size() < 2)
        return 0;
    if (!averaged) {
        const quint64 newer = History[0].*field;
        const quint64 older = History[1].*field;
        return newer > older ? newer - older : 0;
    }
    quint64 sum = 0;
    for (size_t i = 0; i + 1 < History.size(); ++i) {
        const quint64 newer = History[i].*field;
        const quint64 older = History[i + 1].*field;
        if (newer > older)
            sum += newer - older;
    }
    return sum / (History.size() - 1);
}

quint64 TAdapter::InRate(bool averaged) const {
    return Rate(averaged, &Sample::In);
}
quint64 TAdapter::OutRate(bool averaged) const {
    return Rate(averaged, &Sample::Out);
}

TAdapters::TAdapters(TrafficHandler onTraffic) : onTraffic_(std::move(onTraffic)) {
    Enumerate();
    if (SettingsFile)
        AverageData =
            static_cast<quint8>(std::clamp(SettingsFile->Read(Setting::averagedata), 0, 255));
    // Without an event loop (tests, tools) the owner calls Tick itself.
    if (QCoreApplication::instance()) {
        timer_ = std::make_unique<QTimer>();
        timer_->setSingleShot(true);
        QObject::connect(timer_.get(), &QTimer::timeout, [this] {
            try {
                Tick();
            } catch (const std::exception& e) {
                qWarning() << "Sampling step failed:" << e.what();
            }
            timer_->start(kStepIntervalMs);
        });
        QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, timer_.get(),
                         &QTimer::stop);
        timer_->start(0);
    }
}

TAdapters::~TAdapters() = default;

void TAdapters::Enumerate() {
    List.clear();
    const QList<TInterfaceRow> rows = GetInterfaceTable();
    List.reserve(static_cast<size_t>(rows.size()));
    for (const TInterfaceRow& row : rows)
        List.push_back(std::make_unique<TAdapter>(row));
}

TAdapter* TAdapters::Match(quint32 index) const {
    for (const auto& adapter : List)
        if (adapter->Index == index)
            return adapter.get();
    return nullptr;
}

bool TAdapters::PerformLogs(const QString& key) {
    if (!SettingsFile)
        return true;
    if (!settingsChecked_) {
        settingsChecked_ = true;
        const QFileInfo info(SettingsFile->FileName());
        const QDateTime time = info.exists() ? info.lastModified() : QDateTime();
        const qint64 size = info.exists() ? info.size() : -1;
        if (settingsObject_ != SettingsFile.get() || time != settingsTime_ ||
            size != settingsSize_) {
            performLogs_.clear();
            settingsObject_ = SettingsFile.get();
            settingsTime_ = time;
            settingsSize_ = size;
        }
    }
    auto it = performLogs_.constFind(key);
    if (it == performLogs_.constEnd())
        it = performLogs_.insert(key, SettingsFile->PerformLogs(key));
    return *it;
}

void TAdapters::Tick() {
    settingsChecked_ = false;
    const QList<TInterfaceRow> rows = GetInterfaceTable();
    for (const TInterfaceRow& row : rows) {
        // By number, so interfaces sharing a key (several without a physical address) keep
        // histories of their own; the adapter keeps the key it had at start.
        TAdapter* adapter = Match(row.Index);
        if (!adapter && !row.PhysAddr.isEmpty()) {
            // A card that came back under a new number (unplugged and plugged in again) keeps
            // its adapter, as long as its old number is gone from the table.
            TAdapter* byKey = FindByAddress(PhysicalAddressText(row.PhysAddr));
            if (byKey && std::none_of(rows.begin(), rows.end(), [&](const TInterfaceRow& r) {
                    return r.Index == byKey->Index;
                })) {
                byKey->Index = row.Index;
                adapter = byKey;
            }
        }
        if (!adapter)
            continue;
        adapter->AddSample(row);
        const quint64 in = adapter->InRate(false);
        const quint64 out = adapter->OutRate(false);
        if (in == 0 && out == 0)
            continue;
        if (!PerformLogs(adapter->PhysicalAddress))
            continue;
        if (onTraffic_)
            onTraffic_(adapter->PhysicalAddress, in, out);
    }
}

TAdapter* TAdapters::FindByAddress(const QString& key) const {
    for (const auto& adapter : List)
        if (adapter->PhysicalAddress == key)
            return adapter.get();
    return nullptr;
}

TAdapter* TAdapters::FindZeroAddress() const {
    return FindByAddress(kZeroAddress);
}
