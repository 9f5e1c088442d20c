#pragma once

#include "updates/HTTPResponseParser.h"

#include <QString>
#include <functional>
#include <memory>
#include <stdexcept>

class QSaveFile;
class QTcpSocket;

class EAlreadyActive : public std::runtime_error {
public:
    EAlreadyActive() : std::runtime_error("This object is already downloading a file") {}
};

class EFileAccessError : public std::runtime_error {
public:
    EFileAccessError() : std::runtime_error("The temporary update folder could not be accessed") {}
};

// Downloads one resource over plain HTTP/1.0 into a file, driven by socket events on the
// calling thread. One download at a time; the object can be reused once Active() is false.
class THTTPGet {
public:
    THTTPGet();
    ~THTTPGet();
    THTTPGet(const THTTPGet&) = delete;
    THTTPGet& operator=(const THTTPGet&) = delete;

    // Starts a download and returns at once; the outcome comes through the callbacks.
    // A URL is [scheme "://"] host ["/" path]; the port is always the argument.
    void Download(const QString& url, const QString& destination, quint16 port);
    // Closes the connection and drops the unfinished file; no later callback of this download
    // is made.
    void Cancel();

    bool Active() const;
    // 0 to 100; 100 when no download is writing.
    quint8 ProgressPercent() const;
    QString HeaderValue(const QString& name) const { return parser_.HeaderValue(name); }
    QString HeaderLine(int index) const { return parser_.HeaderLine(index); }
    QString Host() const { return host_; }
    QString Path() const { return path_; }
    // Every byte received for the current download, header included.
    qint64 BytesReceived() const { return received_; }

    // Each is skipped when empty. A callback may start a new download or cancel, and may
    // destroy this object.
    std::function<void(THTTPGet*)> OnComplete;
    std::function<void(THTTPGet*)> OnConnect;
    std::function<void(THTTPGet*)> OnDisconnect;
    std::function<void(THTTPGet*, int)> OnFail;
    std::function<void(THTTPGet*)> OnProgress;

private:
    void Connected();
    void ReadyRead();
    void Disconnected();
    void SocketError(int error);
    // Parses and stores received bytes, then acts on what they completed.
    bool Receive(const QByteArray& bytes);
    // Act on a parser event; false when a callback ended this download or destroyed this object.
    bool Handle(THTTPResponseParser::Event event);
    bool Fail(int code);
    bool Complete();
    void DropDestination();
    void CloseSocket();
    // Calls a callback and tells whether this object and this download are still there.
    template <typename... Args>
    bool Call(const std::function<void(THTTPGet*, Args...)>& callback, Args... args);

    QString host_;
    QString path_;
    std::unique_ptr<QSaveFile> destination_;
    QString destinationPath_;
    THTTPResponseParser parser_;
    qint64 received_ = 0;
    std::unique_ptr<QTcpSocket> socket_;
    // Bumped by every Download and Cancel, so handlers notice the download they served ended.
    quint64 generation_ = 0;
    bool starting_ = false;
    int depth_ = 0; // socket handlers currently running
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
