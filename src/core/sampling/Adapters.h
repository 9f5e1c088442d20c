#pragma once

#include "seams/InterfaceTable.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class QTimer;

// One network interface as it was at start-up, with its recent counter samples.
class TAdapter {
public:
    struct Sample {
        quint64 In = 0;
        quint64 Out = 0;
    };

    // Reads a fresh interface table and takes the row with this number; without such a row the
    // fields stay empty or 0.
    explicit TAdapter(quint32 index);
    // The same from a row at hand (the sampler enumerates once).
    explicit TAdapter(const TInterfaceRow& row);

    void AddSample(const TInterfaceRow& row);
    // Bytes per second: the newest interval, or the mean over the whole history. Intervals in
    // which a counter went down count as no traffic.
    quint64 InRate(bool averaged) const;
    quint64 OutRate(bool averaged) const;

    QString Description;
    quint64 Speed = 0;
    quint64 LastIn = 0;
    quint64 LastOut = 0;
    quint32 Index = 0;
    QString IPAddress;
    QString PhysicalAddress;
    std::deque<Sample> History; // newest first

private:
    void Take(const TInterfaceRow& row);
    quint64 Rate(bool averaged, quint64 Sample::*field) const;
};

// The sampler: one adapter per interface found at start, and the once-a-second step that
// samples their counters and hands each second's traffic on. The step runs on the thread that
// created the sampler, from a single-shot timer re-armed a second after each step ends.
class TAdapters {
public:
    // Receives the adapter key and the bytes received and sent in one step.
    using TrafficHandler = std::function<void(const QString& key, quint64 in, quint64 out)>;

    explicit TAdapters(TrafficHandler onTraffic = {});
    ~TAdapters();
    TAdapters(const TAdapters&) = delete;
    TAdapters& operator=(const TAdapters&) = delete;

    void Enumerate();
    void Tick();

    TAdapter* FindByAddress(const QString& key) const;
    TAdapter* FindZeroAddress() const;

    std::vector<std::unique_ptr<TAdapter>> List;

private:
    TAdapter* Match(quint32 index) const;
    // The "performlogs" switch of a key. The switches are kept while config.ini stays the
    // same, so a step costs one look at the file instead of one read per busy adapter.
    bool PerformLogs(const QString& key);

    TrafficHandler onTraffic_;
    QHash<QString, bool> performLogs_;
    const void* settingsObject_ = nullptr;
    QDateTime settingsTime_;
    qint64 settingsSize_ = -1;
    bool settingsChecked_ = false; // in this step
    std::unique_ptr<QTimer> timer_;
};
