#include "updates/HTTPGet.h"

#include "config/Toolbox.h"

#include <QFile>
#include <QNetworkProxy>
#include <QSaveFile>
#include <QSignalBlocker>
#include <QTcpSocket>
#include <QTimer>

namespace {

// The most one receive takes from the socket.
constexpr qint64 ReceiveSize = 4097;

} // namespace

// Counts the socket handlers running, so that destroying the client from inside a callback
// leaves the socket to be deleted once its signal has returned.
class HandlerScope {
public:
    HandlerScope(const std::shared_ptr<bool>& alive, int& depth) : alive_(alive), depth_(depth) {
        ++depth_;
    }
    ~HandlerScope() {
        if (!alive_.expired())
            --depth_;
    }
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;

private:
    std::weak_ptr<bool> alive_;
    int& depth_;
};

THTTPGet::THTTPGet() : socket_(std::make_unique<QTcpSocket>()) {
    socket_->setProxy(QNetworkProxy::NoProxy);
    QTcpSocket* socket = socket_.get();
    QObject::connect(socket, &QTcpSocket::connected, socket, [this] {
        HandlerScope scope(alive_, depth_);
        Connected();
    });
    QObject::connect(socket, &QTcpSocket::readyRead, socket, [this] {
        HandlerScope scope(alive_, depth_);
        ReadyRead();
    });
    QObject::connect(socket, &QTcpSocket::disconnected, socket, [this] {
        HandlerScope scope(alive_, depth_);
        Disconnected();
    });
    QObject::connect(socket, &QTcpSocket::errorOccurred, socket,
                     [this](QAbstractSocket::SocketError error) {
                         HandlerScope scope(alive_, depth_);
                         SocketError(error);
                     });
}

THTTPGet::~THTTPGet() {
    socket_->disconnect();
    CloseSocket();
    destination_.reset();
    if (depth_ > 0)
        socket_.release()->deleteLater();
}

void THTTPGet::Download(const QString& url, const QString& destination, quint16 port) {
    if (Active())
        throw EAlreadyActive();
    QString rest = url;
    const qsizetype scheme = rest.indexOf(QLatin1String("://"));
    if (scheme >= 0)
        rest = rest.mid(scheme + 3);
    const qsizetype slash = rest.indexOf(QLatin1Char('/'));
    host_ = ShortText(slash < 0 ? rest : rest.left(slash));
    path_ = ShortText(slash < 0 ? QString() : rest.mid(slash + 1));

    ++generation_;
    parser_.Reset();
    received_ = 0;
    // The body goes to a temporary file that takes the destination's name only when complete.
    auto file = std::make_unique<QSaveFile>(destination);
    if (!file->open(QIODevice::WriteOnly))
        throw EFileAccessError();
    destination_ = std::move(file);
    destinationPath_ = destination;

    // Failures of the attempt arrive later, as socket errors.
    starting_ = true;
    socket_->connectToHost(host_, port);
    starting_ = false;
}

void THTTPGet::Cancel() {
    ++generation_;
    DropDestination();
    CloseSocket();
}

bool THTTPGet::Active() const {
    return destination_ || socket_->state() != QAbstractSocket::UnconnectedState;
}

quint8 THTTPGet::ProgressPercent() const {
    return destination_ ? parser_.Percent() : 100;
}

template <typename... Args>
bool THTTPGet::Call(const std::function<void(THTTPGet*, Args...)>& callback, Args... args) {
    const std::weak_ptr<bool> alive = alive_;
    const quint64 generation = generation_;
    if (callback) {
        // A copy, since the callback may replace itself or destroy this object.
        const auto call = callback;
        call(this, args...);
    }
    return !alive.expired() && generation_ == generation;
}

void THTTPGet::Connected() {
    parser_.Reset();
    received_ = 0;
    socket_->write("GET /" + path_.toUtf8() + " HTTP/1.0" + "\r\n");
    socket_->write("Cache-Control: no-cache\r\n");
    socket_->write("Host: " + host_.toUtf8() + "\r\n\r\n");
    Call(OnConnect);
}

void THTTPGet::ReadyRead() {
    while (destination_) {
        const QByteArray chunk = socket_->read(ReceiveSize);
        if (chunk.isEmpty() || !Receive(chunk))
            return;
    }
    // Nothing is being written: whatever else arrives is not wanted.
    if (socket_->isOpen())
        received_ += socket_->readAll().size();
}

bool THTTPGet::Receive(const QByteArray& bytes) {
    received_ += bytes.size();
    const THTTPResponseParser::Step step = parser_.Feed(bytes);
    if (!step.body.isEmpty() &&
        destination_->write(step.body.data(), step.body.size()) != step.body.size())
        return Fail(0);
    return Handle(step.event);
}

bool THTTPGet::Handle(THTTPResponseParser::Event event) {
    using Event = THTTPResponseParser::Event;
    switch (event) {
    case Event::None:
        return true;
    case Event::Progress:
        return Call(OnProgress);
    case Event::Complete:
        return Complete();
    case Event::NotFound:
        return Fail(404);
    case Event::HeaderTooLarge:
    case Event::Truncated:
        return Fail(0);
    }
    return true;
}

bool THTTPGet::Complete() {
    const bool written = destination_->commit();
    destination_.reset();
    if (!written) {
        QFile::remove(destinationPath_);
        CloseSocket();
        return Call(OnFail, 0);
    }
    return Call(OnComplete);
}

void THTTPGet::Disconnected() {
    if (destination_) {
        // Bytes that came with the close still belong to the response.
        const QByteArray rest = socket_->readAll();
        if (!rest.isEmpty() && !Receive(rest))
            return;
    }
    if (destination_ && !Handle(parser_.Close()))
        return;
    Call(OnDisconnect);
}

void THTTPGet::SocketError(int error) {
    // A normal close by the server: the disconnected event follows and decides.
    if (error == QAbstractSocket::RemoteHostClosedError)
        return;
    if (starting_) {
        // Reported from inside Download: the caller hears of it only after Download returned.
        // The client may be gone by then while its socket still waits for deletion.
        QTimer::singleShot(
            0, socket_.get(),
            [this, alive = std::weak_ptr<bool>(alive_), generation = generation_, error] {
                if (alive.expired())
                    return;
                HandlerScope scope(alive_, depth_);
                if (generation == generation_)
                    SocketError(error);
            });
        return;
    }
    if (!destination_) {
        // The body was complete already; the download stands.
        CloseSocket();
        return;
    }
    Fail(0);
}

bool THTTPGet::Fail(int code) {
    // Everything is released first, so that the callback may start the next download at once.
    DropDestination();
    CloseSocket();
    return Call(OnFail, code);
}

void THTTPGet::DropDestination() {
    if (!destination_)
        return;
    destination_->cancelWriting();
    destination_.reset();
    QFile::remove(destinationPath_);
}

void THTTPGet::CloseSocket() {
    // Our own close is no event for the caller.
    const QSignalBlocker blocker(socket_.get());
    socket_->abort();
}
