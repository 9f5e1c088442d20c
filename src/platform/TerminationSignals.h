#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

// Turns SIGTERM, SIGINT and SIGHUP (a desktop session ending, a service manager stopping the
// program, Ctrl+C) into a call on the user-interface thread, so the program can end in order.
class TTerminationSignals final : public QObject {
    Q_OBJECT
public:
    explicit TTerminationSignals(std::function<void()> onSignal);
    ~TTerminationSignals() override;

private:
    std::function<void()> onSignal_;
    std::unique_ptr<QSocketNotifier> notifier_;
};
