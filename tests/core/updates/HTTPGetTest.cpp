#include "updates/HTTPGet.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

void EnsureApplication() {
    static int argc = 1;
    static char name[] = "core_tests";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance())
        new QCoreApplication(argc, argv); // lives until the process ends
}

// Runs the event loop until the condition holds; false after the time-out.
bool WaitFor(const std::function<bool()>& condition, int milliseconds = 5000) {
    if (condition())
        return true;
    const QDeadlineTimer deadline(milliseconds);
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (condition() || deadline.hasExpired())
            loop.quit();
    });
    poll.start(2);
    loop.exec();
    return condition();
}

// One-connection server on 127.0.0.1 whose replies the test writes piece by piece.
class TestServer {
public:
    TestServer() {
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost));
        QObject::connect(&server_, &QTcpServer::newConnection, [this] {
            connection_ = server_.nextPendingConnection();
            QObject::connect(connection_, &QTcpSocket::readyRead,
                             [this] { request_ += connection_->readAll(); });
        });
    }
    quint16 Port() const { return server_.serverPort(); }
    QByteArray Request() const { return request_; }
    bool WaitForRequest() {
        return WaitFor([this] { return request_.endsWith("\r\n\r\n"); });
    }
    void Send(const QByteArray& bytes) {
        connection_->write(bytes);
        connection_->flush();
    }
    void Close() { connection_->disconnectFromHost(); }

private:
    QTcpServer server_;
    QPointer<QTcpSocket> connection_;
    QByteArray request_;
};

// Records every callback in order.
struct Recorder {
    explicit Recorder(THTTPGet& get) {
        get.OnConnect = [this](THTTPGet*) { events += "connect;"; };
        get.OnProgress = [this](THTTPGet*) { events += "progress;"; };
        get.OnComplete = [this](THTTPGet*) { events += "complete;"; };
        get.OnDisconnect = [this](THTTPGet*) { events += "disconnect;"; };
        get.OnFail = [this](THTTPGet*, int code) {
            events += "fail " + std::to_string(code) + ";";
        };
    }
    bool Has(const std::string& event) const { return events.find(event) != std::string::npos; }
    std::string events;
};

class HTTPGetTest : public ::testing::Test {
protected:
    // Before any member: sockets need the application's event dispatcher.
    static void SetUpTestSuite() { EnsureApplication(); }
    QString Target() const { return dir.path() + QStringLiteral("/meterlyn.xml"); }
    QByteArray Stored() const {
        QFile file(Target());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    // Starts a download from the test server and waits until the request is in.
    void Start(THTTPGet& get,
               const QString& url = QStringLiteral("127.0.0.1/catalog/meterlyn.xml")) {
        get.Download(url, Target(), server.Port());
        ASSERT_TRUE(server.WaitForRequest());
    }
    // Sends each piece only after the client has taken in the ones before it, so every
    // piece reaches the client in a receive of its own.
    void SendPieces(THTTPGet& get, const QList<QByteArray>& pieces) {
        qint64 sent = get.BytesReceived();
        for (const QByteArray& piece : pieces) {
            server.Send(piece);
            sent += piece.size();
            ASSERT_TRUE(WaitFor([&] { return get.BytesReceived() >= sent || !get.Active(); }));
        }
    }

    QTemporaryDir dir;
    TestServer server;
};

} // namespace

TEST_F(HTTPGetTest, SendsTheRequestLineAndHostForEachFormOfURL) {
    struct Case {
        const char* url;
        QByteArray requestLine;
        const char* path;
    } const cases[] = {
        {"127.0.0.1/catalog/x.xml", "GET /catalog/x.xml HTTP/1.0\r\n", "catalog/x.xml"},
        {"http://127.0.0.1/catalog/x.xml", "GET /catalog/x.xml HTTP/1.0\r\n", "catalog/x.xml"},
        {"127.0.0.1", "GET / HTTP/1.0\r\n", ""},
    };
    for (const Case& c : cases) {
        TestServer own;
        THTTPGet get;
        Recorder recorder(get);
        get.Download(QString::fromUtf8(c.url), Target(), own.Port());
        EXPECT_TRUE(get.Active());
        ASSERT_TRUE(own.WaitForRequest()) << c.url;
        EXPECT_EQ(own.Request(),
                  c.requestLine + "Cache-Control: no-cache\r\nHost: 127.0.0.1\r\n\r\n")
            << c.url;
        EXPECT_EQ(get.Host(), QStringLiteral("127.0.0.1"));
        EXPECT_EQ(get.Path(), QString::fromUtf8(c.path));
        EXPECT_EQ(recorder.events, "connect;");
    }
}

TEST_F(HTTPGetTest, StoresExactlyTheBodyHoweverTheReplyArrives) {
    const QByteArray header = "HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n";
    const QByteArray body = "ab\r\n\r\ncd\r\n"; // holds the blank line itself
    struct Case {
        const char* name;
        QList<QByteArray> pieces;
    } const cases[] = {
        {"one piece", {header + body}},
        {"cut after CR", {header.chopped(3), header.right(3) + body}},
        {"cut after CR LF", {header.chopped(2), header.right(2) + body}},
        {"cut after CR LF CR", {header.chopped(1), header.right(1) + body}},
        {"header then body in two", {header, body.left(4), body.mid(4)}},
        {"longer than announced", {header + body + "surplus"}},
    };
    for (const Case& c : cases) {
        THTTPGet get;
        Recorder recorder(get);
        TestServer own;
        get.Download(QStringLiteral("127.0.0.1/x"), Target(), own.Port());
        ASSERT_TRUE(own.WaitForRequest());
        qint64 sent = 0;
        for (const QByteArray& piece : c.pieces) {
            own.Send(piece);
            sent += piece.size();
            ASSERT_TRUE(WaitFor([&] { return get.BytesReceived() >= sent; })) << c.name;
        }
        EXPECT_TRUE(recorder.Has("complete;")) << c.name << ": " << recorder.events;
        EXPECT_EQ(Stored(), body) << c.name;
        EXPECT_EQ(get.ProgressPercent(), 100) << c.name;
        EXPECT_EQ(get.HeaderValue(QStringLiteral("content-length")), QStringLiteral("10"));
        EXPECT_EQ(get.HeaderLine(0), QStringLiteral("HTTP/1.0 200 OK"));
        // The connection stays open until the server closes it.
        EXPECT_TRUE(get.Active()) << c.name;
        own.Close();
        ASSERT_TRUE(WaitFor([&] { return !get.Active(); })) << c.name;
        EXPECT_EQ(recorder.events.substr(recorder.events.size() - 11), "disconnect;") << c.name;
        EXPECT_FALSE(recorder.Has("fail")) << c.name;
    }
}

TEST_F(HTTPGetTest, ReportsProgressWhileTheBodyArrives) {
    THTTPGet get;
    Recorder recorder(get);
    Start(get);
    SendPieces(get, {"HTTP/1.0 200 OK\r\nContent-Length: 4\r\n\r\nab"});
    EXPECT_EQ(recorder.events, "connect;progress;");
    EXPECT_EQ(get.ProgressPercent(), 50);
    SendPieces(get, {"cd"});
    EXPECT_EQ(recorder.events, "connect;progress;complete;");
    EXPECT_EQ(get.ProgressPercent(), 100);
}

TEST_F(HTTPGetTest, ContentLengthZeroCompletesWithAnEmptyFile) {
    for (const char* name : {"Content-Length", "content-length"}) {
        THTTPGet get;
        Recorder recorder(get);
        TestServer own;
        get.Download(QStringLiteral("127.0.0.1/x"), Target(), own.Port());
        ASSERT_TRUE(own.WaitForRequest());
        own.Send(QByteArray("HTTP/1.0 200 OK\r\n") + name + ": 0\r\n\r\n");
        ASSERT_TRUE(WaitFor([&] { return recorder.Has("complete;"); })) << name;
        EXPECT_EQ(Stored(), QByteArray()) << name;
    }
}

TEST_F(HTTPGetTest, NotFoundDeletesTheFileAndReports404) {
    QFile old(Target());
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("from an earlier check");
    old.close();
    THTTPGet get;
    Recorder recorder(get);
    Start(get);
    server.Send("HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\n\r\nnot here!");
    ASSERT_TRUE(WaitFor([&] { return recorder.Has("fail"); }));
    EXPECT_EQ(recorder.events, "connect;fail 404;");
    EXPECT_FALSE(QFile::exists(Target()));
    EXPECT_FALSE(get.Active());
}

TEST_F(HTTPGetTest, ABodyWithoutLengthEndsWhenTheServerCloses) {
    THTTPGet get;
    Recorder recorder(get);
    Start(get);
    SendPieces(get, {"HTTP/1.0 200 OK\r\n\r\nfirst ", "second"});
    EXPECT_EQ(get.ProgressPercent(), 0);
    server.Close();
    ASSERT_TRUE(WaitFor([&] { return recorder.Has("disconnect;"); }));
    EXPECT_EQ(recorder.events, "connect;progress;progress;complete;disconnect;");
    EXPECT_EQ(Stored(), "first second");
}

TEST_F(HTTPGetTest, AReplyCutShortFailsAndLeavesNoFile) {
    for (const QByteArray& reply : {QByteArray("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nabc"),
                                    QByteArray("HTTP/1.0 200 OK\r\nContent-Le")}) {
        THTTPGet get;
        Recorder recorder(get);
        TestServer own;
        get.Download(QStringLiteral("127.0.0.1/x"), Target(), own.Port());
        ASSERT_TRUE(own.WaitForRequest());
        own.Send(reply);
        own.Close();
        ASSERT_TRUE(WaitFor([&] { return recorder.Has("disconnect;"); })) << reply.constData();
        EXPECT_TRUE(recorder.Has("fail 0;")) << recorder.events;
        EXPECT_FALSE(recorder.Has("complete;"));
        EXPECT_FALSE(QFile::exists(Target()));
    }
}

TEST_F(HTTPGetTest, ARefusedConnectionFailsWithCode0) {
    quint16 port;
    {
        QTcpServer closed;
        ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
        port = closed.serverPort();
    }
    THTTPGet get;
    Recorder recorder(get);
    get.Download(QStringLiteral("127.0.0.1/x"), Target(), port);
    EXPECT_EQ(recorder.events, ""); // reported later, never from inside Download
    ASSERT_TRUE(WaitFor([&] { return recorder.Has("fail"); }));
    EXPECT_EQ(recorder.events, "fail 0;");
    EXPECT_FALSE(QFile::exists(Target()));
    EXPECT_FALSE(get.Active());
    EXPECT_EQ(get.ProgressPercent(), 100);

    // No host at all fails the same way, after Download returned.
    Recorder again(get);
    get.Download(QStringLiteral("/no-host"), Target(), port);
    EXPECT_EQ(again.events, "");
    ASSERT_TRUE(WaitFor([&] { return again.Has("fail"); }));
    EXPECT_EQ(again.events, "fail 0;");
    EXPECT_FALSE(get.Active());
}

TEST_F(HTTPGetTest, AnOversizeHeaderFailsWithCode0) {
    THTTPGet get;
    Recorder recorder(get);
    Start(get);
    server.Send("HTTP/1.0 200 OK\r\n");
    const QByteArray line = "X-Filler: " + QByteArray(1000, 'f') + "\r\n";
    for (int i = 0; i < 70 && !recorder.Has("fail"); ++i) {
        server.Send(line);
        WaitFor([&] { return get.BytesReceived() >= 17 + (i + 1) * line.size() || !get.Active(); });
    }
    ASSERT_TRUE(WaitFor([&] { return recorder.Has("fail"); }));
    EXPECT_EQ(recorder.events, "connect;fail 0;");
    EXPECT_FALSE(QFile::exists(Target()));
    EXPECT_FALSE(get.Active());
}

TEST_F(HTTPGetTest, CancelDeliversNoLaterEvents) {
    THTTPGet get;
    Recorder recorder(get);
    Start(get);
    SendPieces(get, {"HTTP/1.0 200 OK\r\nContent-Length: 6\r\n\r\nabc"});
    get.Cancel();
    EXPECT_FALSE(get.Active());
    EXPECT_FALSE(QFile::exists(Target()));
    const std::string before = recorder.events;
    server.Send("def");
    server.Close();
    // Nothing may arrive: waiting for a change must run out.
    EXPECT_FALSE(WaitFor([&] { return recorder.events != before; }, 300)) << recorder.events;
    EXPECT_EQ(before, "connect;progress;");
}

TEST_F(HTTPGetTest, RaisesItsOwnErrors) {
    THTTPGet get;
    Start(get);
    try {
        get.Download(QStringLiteral("other/y"), Target(), server.Port());
        FAIL() << "a second download was started";
    } catch (const EAlreadyActive& e) {
        EXPECT_STREQ(e.what(), "This object is already downloading a file");
    }
    EXPECT_EQ(get.Host(), QStringLiteral("127.0.0.1")); // nothing changed
    get.Cancel();

    THTTPGet other;
    try {
        other.Download(QStringLiteral("host/a/b.xml"),
                       dir.path() + QStringLiteral("/no/such/folder/x"), 80);
        FAIL() << "an impossible destination was accepted";
    } catch (const EFileAccessError& e) {
        EXPECT_STREQ(e.what(), "The temporary update folder could not be accessed");
    }
    EXPECT_EQ(other.Host(), QStringLiteral("host"));
    EXPECT_EQ(other.Path(), QStringLiteral("a/b.xml"));
    EXPECT_FALSE(other.Active());
}

TEST_F(HTTPGetTest, ACallbackMayStartTheNextDownloadOrDestroyTheClient) {
    // Restart from OnFail: the failed download has let go of everything already.
    quint16 refused;
    {
        QTcpServer closed;
        ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
        refused = closed.serverPort();
    }
    THTTPGet get;
    int fails = 0;
    get.OnFail = [&](THTTPGet* sender, int) {
        if (++fails == 1)
            sender->Download(QStringLiteral("127.0.0.1/second"), Target(), server.Port());
    };
    get.Download(QStringLiteral("127.0.0.1/first"), Target(), refused);
    ASSERT_TRUE(server.WaitForRequest());
    EXPECT_TRUE(server.Request().startsWith("GET /second HTTP/1.0\r\n"));

    // Destroying the client from OnComplete, inside the socket's own event.
    auto owned = std::make_unique<THTTPGet>();
    TestServer own;
    bool completed = false;
    owned->OnComplete = [&](THTTPGet*) {
        owned.reset();
        completed = true;
    };
    owned->Download(QStringLiteral("127.0.0.1/x"), dir.path() + QStringLiteral("/y"), own.Port());
    ASSERT_TRUE(own.WaitForRequest());
    own.Send("HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nokMORE");
    ASSERT_TRUE(WaitFor([&] { return completed; }));
    EXPECT_EQ(owned, nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
