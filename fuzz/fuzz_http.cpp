// Feeds an arbitrary response to the HTTP parser twice: whole, and cut at points taken from
// the input. Both must store the same body and end the same way, within the limits.
#include "updates/HTTPResponseParser.h"

#include <QByteArray>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

static void Check(bool condition, const char* what) {
    if (!condition) {
        fprintf(stderr, "invariant broken: %s\n", what);
        abort();
    }
}

using Event = THTTPResponseParser::Event;

struct Outcome {
    QByteArray body;
    Event last = Event::None;
    bool closed = false;
};

static bool Terminal(Event event) {
    return event != Event::None && event != Event::Progress;
}

static Outcome Run(THTTPResponseParser& parser, const QByteArray& response,
                   const std::vector<qsizetype>& cuts) {
    Outcome outcome;
    qsizetype start = 0;
    std::vector<qsizetype> ends = cuts;
    ends.push_back(response.size());
    for (const qsizetype end : ends) {
        const QByteArrayView piece = QByteArrayView(response).sliced(start, end - start);
        start = end;
        const THTTPResponseParser::Step step = parser.Feed(piece);
        Check(step.body.empty() ||
                  (step.body.data() >= piece.data() &&
                   step.body.data() + step.body.size() <= piece.data() + piece.size()),
              "body outside the piece fed");
        outcome.body += step.body.toByteArray();
        if (Terminal(step.event)) {
            Check(!Terminal(outcome.last), "two endings");
            outcome.last = step.event;
        }
        Check(parser.Header().size() <= THTTPResponseParser::MaxHeaderSize + 4,
              "header grew past its limit");
    }
    const Event close = parser.Close();
    if (Terminal(close)) {
        Check(!Terminal(outcome.last), "an ending after the end");
        outcome.last = close;
        outcome.closed = true;
    }
    Check(outcome.body.size() == parser.Stored(), "stored count differs from the body");
    Check(parser.Stored() <= parser.ExpectedLength(), "body longer than Content-Length");
    Check(parser.Percent() <= 100, "percent above 100");
    if (outcome.last == Event::Complete && parser.LengthKnown())
        Check(parser.Stored() == parser.ExpectedLength(), "complete before the length");
    return outcome;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    // First byte: how many cut points follow as 16-bit offsets; the rest is the response.
    const size_t cutCount = std::min<size_t>(data[0] % 8, (size - 1) / 2);
    const size_t head = 1 + cutCount * 2;
    const QByteArray response(reinterpret_cast<const char*>(data + head), qsizetype(size - head));
    std::vector<qsizetype> cuts;
    for (size_t i = 0; i < cutCount; ++i) {
        const qsizetype at = qsizetype(data[1 + i * 2] | (data[2 + i * 2] << 8));
        cuts.push_back(response.isEmpty() ? 0 : at % (response.size() + 1));
    }
    std::sort(cuts.begin(), cuts.end());

    THTTPResponseParser whole;
    THTTPResponseParser split;
    const Outcome a = Run(whole, response, {});
    const Outcome b = Run(split, response, cuts);
    Check(a.body == b.body, "split changed the body");
    Check(a.last == b.last, "split changed the ending");
    Check(whole.Header() == split.Header(), "split changed the header");
    Check(whole.StatusLine() == split.StatusLine(), "split changed the status line");
    Check(whole.ExpectedLength() == split.ExpectedLength(), "split changed the length");
    for (int i = 0; i < 4; ++i)
        Check(whole.HeaderLine(i) == split.HeaderLine(i), "split changed a header line");
    Check(whole.HeaderValue(QStringLiteral("content-length")) ==
              split.HeaderValue(QStringLiteral("Content-Length")),
          "header names depend on case");
    return 0;
}
