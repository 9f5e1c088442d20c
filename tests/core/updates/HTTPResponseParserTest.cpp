#include "updates/HTTPResponseParser.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <vector>

using Event = THTTPResponseParser::Event;

namespace {

struct Outcome {
    QByteArray body;
    Event ending = Event::None;
    int progress = 0;
};

// Feeds the response in pieces cut at `cuts` (ascending offsets).
Outcome Feed(THTTPResponseParser& parser, const QByteArray& response, std::vector<qsizetype> cuts) {
    Outcome outcome;
    cuts.push_back(response.size());
    qsizetype start = 0;
    for (const qsizetype end : cuts) {
        const auto step = parser.Feed(QByteArrayView(response).sliced(start, end - start));
        start = end;
        outcome.body += step.body.toByteArray();
        if (step.event == Event::Progress)
            ++outcome.progress;
        else if (step.event != Event::None)
            outcome.ending = step.event;
    }
    return outcome;
}

Outcome FeedAndClose(THTTPResponseParser& parser, const QByteArray& response) {
    Outcome outcome = Feed(parser, response, {});
    const Event close = parser.Close();
    if (close != Event::None)
        outcome.ending = close;
    return outcome;
}

} // namespace

TEST(HTTPResponseParser, StoresExactlyTheBodyWhereverTheResponseIsCut) {
    struct Case {
        const char* name;
        QByteArray response;
        QByteArray body;
    } const cases[] = {
        {"plain", "HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhello", "hello"},
        {"body holds a blank line", "HTTP/1.0 200 OK\r\nContent-Length: 8\r\n\r\na\r\n\r\nb\r\n",
         "a\r\n\r\nb\r\n"},
        {"lower-case name", "HTTP/1.0 200 OK\r\ncontent-length: 3\r\n\r\nabc", "abc"},
        {"redirect is stored too", "HTTP/1.0 302 Found\r\nContent-Length: 2\r\n\r\nhi", "hi"},
        {"longer than announced", "HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nabcdef", "abc"},
    };
    for (const Case& c : cases) {
        // Every single cut and every pair of cuts, so a split inside CR LF CR LF is covered.
        for (qsizetype i = 0; i <= c.response.size(); ++i) {
            for (qsizetype j = i; j <= c.response.size(); j += 3) {
                THTTPResponseParser parser;
                const Outcome outcome = Feed(parser, c.response, {i, j});
                ASSERT_EQ(outcome.body, c.body) << c.name << " cut at " << i << "," << j;
                ASSERT_EQ(outcome.ending, Event::Complete) << c.name << " cut at " << i << "," << j;
                ASSERT_EQ(parser.Percent(), 100);
            }
        }
    }
}

TEST(HTTPResponseParser, ContentLengthZeroCompletesWithTheHeader) {
    THTTPResponseParser parser;
    const auto step = parser.Feed("HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n");
    EXPECT_EQ(step.event, Event::Complete);
    EXPECT_TRUE(step.body.isEmpty());
    EXPECT_EQ(parser.Feed("late bytes").event, Event::None);
}

TEST(HTTPResponseParser, NotFoundStoresNothingEvenWithABody) {
    THTTPResponseParser parser;
    const auto step = parser.Feed("HTTP/1.0 404 Not Found\r\nContent-Length: 9\r\n\r\nnot here!");
    EXPECT_EQ(step.event, Event::NotFound);
    EXPECT_TRUE(step.body.isEmpty());
    EXPECT_EQ(parser.Stored(), 0);
}

TEST(HTTPResponseParser, ReportsProgressOnlyOnceTheHeaderIsDone) {
    THTTPResponseParser parser;
    EXPECT_EQ(parser.Feed("HTTP/1.0 200 OK\r\nContent-Le").event, Event::None);
    EXPECT_EQ(parser.Feed("ngth: 10\r\n\r\nabcd").event, Event::Progress);
    EXPECT_EQ(parser.Percent(), 40);
    EXPECT_EQ(parser.Feed("efghij").event, Event::Complete);
}

TEST(HTTPResponseParser, AClosedConnectionEndsABodyWithoutLengthAndTruncatesTheRest) {
    struct Case {
        const char* name;
        QByteArray response;
        Event ending;
        QByteArray body;
    } const cases[] = {
        {"no length", "HTTP/1.0 200 OK\r\nServer: x\r\n\r\nall of it", Event::Complete,
         "all of it"},
        {"length not a number", "HTTP/1.0 200 OK\r\nContent-Length: 12a\r\n\r\nxy", Event::Complete,
         "xy"},
        {"negative length", "HTTP/1.0 200 OK\r\nContent-Length: -5\r\n\r\nxy", Event::Complete,
         "xy"},
        {"length past 32 bits", "HTTP/1.0 200 OK\r\nContent-Length: 4294967296\r\n\r\nxy",
         Event::Complete, "xy"},
        {"short of its length", "HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\nabc",
         Event::Truncated, "abc"},
        {"inside the header", "HTTP/1.0 200 OK\r\nContent-Len", Event::Truncated, ""},
        {"nothing at all", "", Event::Truncated, ""},
    };
    for (const Case& c : cases) {
        THTTPResponseParser parser;
        const Outcome outcome = FeedAndClose(parser, c.response);
        EXPECT_EQ(outcome.ending, c.ending) << c.name;
        EXPECT_EQ(outcome.body, c.body) << c.name;
    }
    THTTPResponseParser parser;
    parser.Feed("HTTP/1.0 200 OK\r\n\r\nabc");
    EXPECT_EQ(parser.ExpectedLength(), THTTPResponseParser::UnknownLength);
    EXPECT_EQ(parser.Percent(), 0);
}

TEST(HTTPResponseParser, RefusesAHeaderPast64KiB) {
    const QByteArray status = "HTTP/1.0 200 OK\r\n";
    const QByteArray filler =
        "X-Filler: " + QByteArray(THTTPResponseParser::MaxHeaderSize - status.size() - 10, 'a');
    {
        // Exactly at the limit, the header is still taken.
        THTTPResponseParser parser;
        ASSERT_EQ(status.size() + filler.size(), THTTPResponseParser::MaxHeaderSize);
        EXPECT_EQ(parser.Feed(status + filler + "\r\n\r\nab").event, Event::Progress);
        EXPECT_EQ(parser.Stored(), 2);
    }
    {
        THTTPResponseParser parser;
        const QByteArray tooLong = status + filler + "b\r\n\r\nab";
        Event last = Event::None;
        for (qsizetype at = 0; at < tooLong.size() && last == Event::None; at += 1000)
            last = parser
                       .Feed(QByteArrayView(tooLong).sliced(
                           at, std::min<qsizetype>(1000, tooLong.size() - at)))
                       .event;
        EXPECT_EQ(last, Event::HeaderTooLarge);
        EXPECT_LE(parser.Header().size(), THTTPResponseParser::MaxHeaderSize + 4);
    }
    {
        // A server that never ends its header is cut off too, not buffered without end.
        THTTPResponseParser parser;
        const QByteArray chunk(4097, 'z');
        Event last = Event::None;
        for (int i = 0; i < 100 && last == Event::None; ++i)
            last = parser.Feed(chunk).event;
        EXPECT_EQ(last, Event::HeaderTooLarge);
    }
}

TEST(HTTPResponseParser, LooksUpHeaderLines) {
    THTTPResponseParser parser;
    parser.Feed(
        "HTTP/1.0 200 OK\r\nServer:  Test 1.0 \r\nX-Time: 12:30\nx-empty:\rNoColon\r\n\r\n");
    EXPECT_EQ(parser.StatusLine(), QStringLiteral("HTTP/1.0 200 OK"));
    EXPECT_EQ(parser.HeaderLine(0), QStringLiteral("HTTP/1.0 200 OK"));
    EXPECT_EQ(parser.HeaderLine(1), QStringLiteral("Test 1.0"));
    EXPECT_EQ(parser.HeaderLine(2), QStringLiteral("12:30"));
    EXPECT_EQ(parser.HeaderLine(3), QString());
    EXPECT_EQ(parser.HeaderLine(4), QStringLiteral("NoColon"));
    EXPECT_EQ(parser.HeaderLine(5), QString());
    EXPECT_EQ(parser.HeaderLine(-1), QString());
    EXPECT_EQ(parser.HeaderValue(QStringLiteral("server")), QStringLiteral("Test 1.0"));
    EXPECT_EQ(parser.HeaderValue(QStringLiteral("X-TIME")), QStringLiteral("12:30"));
    EXPECT_EQ(parser.HeaderValue(QStringLiteral("Missing")), QString());
    EXPECT_EQ(parser.HeaderValue(QStringLiteral("NoColon")), QString());
    // Values are short texts.
    THTTPResponseParser longOne;
    longOne.Feed("HTTP/1.0 200 OK\r\nX-Long: " + QByteArray(400, 'q') + "\r\n\r\n");
    EXPECT_EQ(longOne.HeaderValue(QStringLiteral("x-long")).size(), 255);
}

// The fuzzer's corpus (and any input that once broke the parser), fed whole and cut in two at
// many points: each must store the same body and end the same way. The fuzzer's first byte
// and cut offsets are part of each input; here it is all treated as the response.
TEST(HTTPResponseParser, ReplaysTheFuzzCorpus) {
    const QDir folder(TestDataPath(QStringLiteral("http/fuzz")));
    const QStringList inputs = folder.entryList(QDir::Files);
    ASSERT_FALSE(inputs.isEmpty());
    for (const QString& name : inputs) {
        QFile file(folder.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray response = file.readAll();
        THTTPResponseParser whole;
        const Outcome a = FeedAndClose(whole, response);
        for (qsizetype cut = 0; cut <= response.size();
             cut += std::max<qsizetype>(1, response.size() / 64)) {
            THTTPResponseParser split;
            Outcome b = Feed(split, response, {cut});
            const Event close = split.Close();
            if (close != Event::None)
                b.ending = close;
            EXPECT_EQ(a.body, b.body) << name.toStdString() << " cut " << cut;
            EXPECT_EQ(a.ending, b.ending) << name.toStdString() << " cut " << cut;
            EXPECT_LE(split.Stored(), split.ExpectedLength());
        }
    }
}
