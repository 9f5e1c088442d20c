#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>
#include <functional>

// Keeps the program to one running instance per user and data folder. A second start finds
// the running one through a local socket, hands over its argument and waits until it has
// been handled.
class TSingleInstance final : public QObject {
    Q_OBJECT
public:
    // The socket name: per user, and per data folder so that test runs stay apart.
    static QString Name(const QString& dataFolder);

    // Second-start side. Returns true when another instance answers; a non-empty argument is
    // then sent to it and this call returns once the running instance has handled it.
    static bool HandOver(const QString& name, const QString& argument);

    explicit TSingleInstance(QString name);
    ~TSingleInstance() override;

    // Starts answering second starts. False when the socket could not be created.
    bool Listen();

    // Called with each handed-over argument; the second start waits until it returns.
    std::function<void(const QString&)> OnArgument;

private:
    void Accept();

    QString name_;
    QLocalServer server_;
};
