#include "updates/HTTPResponseParser.h"

#include "config/Toolbox.h"

#include <QList>
#include <algorithm>

namespace {

// CR, LF and CR LF each end a line; a last line without an ending still counts.
QList<QByteArrayView> SplitLines(const QByteArray& text) {
    QList<QByteArrayView> lines;
    const QByteArrayView all(text);
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < all.size()) {
        const char c = all[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.append(all.sliced(start, i - start));
        i += (c == '\r' && i + 1 < all.size() && all[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < all.size())
        lines.append(all.sliced(start));
    return lines;
}

// A decimal Content-Length that fits 32 bits; anything else counts as missing.
bool ParseLength(const QString& text, qint32& length) {
    if (text.isEmpty() || text.size() > 10)
        return false;
    qint64 value = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
        value = value * 10 + (c.unicode() - '0');
    }
    if (value > THTTPResponseParser::UnknownLength)
        return false;
    length = static_cast<qint32>(value);
    return true;
}

} // namespace

void THTTPResponseParser::Reset() {
    *this = THTTPResponseParser();
}

THTTPResponseParser::Step THTTPResponseParser::Feed(QByteArrayView data) {
    if (finished_)
        return {};
    if (!inHeader_)
        return TakeBody(data);
    // The buffer never holds more than the largest header allowed plus its blank line.
    const qsizetype before = header_.size();
    const qsizetype take = std::min(data.size(), MaxHeaderSize + 4 - before);
    header_.append(data.first(take));
    const qsizetype end = header_.indexOf("\r\n\r\n", std::max<qsizetype>(0, before - 3));
    if (end < 0) {
        if (header_.size() >= MaxHeaderSize + 4) {
            finished_ = true;
            return {Event::HeaderTooLarge, {}};
        }
        return {};
    }
    const qsizetype bodyStart = end + 4 - before;
    header_.truncate(end);
    return EndHeader(data.sliced(bodyStart));
}

THTTPResponseParser::Step THTTPResponseParser::EndHeader(QByteArrayView body) {
    inHeader_ = false;
    const QList<QByteArrayView> lines = SplitLines(header_);
    statusLine_ = lines.isEmpty() ? QString() : ShortText(QString::fromLatin1(lines.first()));
    lengthKnown_ = ParseLength(HeaderValue(QStringLiteral("Content-Length")), expected_);
    if (!lengthKnown_)
        expected_ = UnknownLength;
    if (GetToken(statusLine_, QStringLiteral(" "), 2) == QLatin1String("404")) {
        finished_ = true;
        return {Event::NotFound, {}};
    }
    return TakeBody(body);
}

THTTPResponseParser::Step THTTPResponseParser::TakeBody(QByteArrayView body) {
    // Bytes past the announced length are not part of this response.
    const qsizetype take =
        static_cast<qsizetype>(std::min<qint64>(body.size(), expected_ - stored_));
    stored_ += take;
    if (stored_ >= expected_) {
        finished_ = true;
        return {Event::Complete, body.first(take)};
    }
    return {Event::Progress, body.first(take)};
}

THTTPResponseParser::Event THTTPResponseParser::Close() {
    if (finished_)
        return Event::None;
    finished_ = true;
    // HTTP/1.0 ends a body without Content-Length by closing the connection.
    return !inHeader_ && !lengthKnown_ ? Event::Complete : Event::Truncated;
}

quint8 THTTPResponseParser::Percent() const {
    if (!lengthKnown_ || expected_ <= 0)
        return 0;
    return static_cast<quint8>(std::min<qint64>(100, stored_ * 100 / expected_));
}

QString THTTPResponseParser::HeaderValue(const QString& name) const {
    for (const QByteArrayView line : SplitLines(header_)) {
        const qsizetype colon = line.indexOf(':');
        const QByteArrayView lineName = colon < 0 ? line : line.first(colon);
        if (QString::fromLatin1(lineName).compare(name, Qt::CaseInsensitive) == 0)
            return colon < 0 ? QString()
                             : ShortText(QString::fromLatin1(line.sliced(colon + 1)).trimmed());
    }
    return {};
}

QString THTTPResponseParser::HeaderLine(int index) const {
    const QList<QByteArrayView> lines = SplitLines(header_);
    if (index < 0 || index >= lines.size())
        return {};
    QByteArrayView line = lines[index];
    const qsizetype colon = line.indexOf(':');
    if (colon >= 0)
        line = line.sliced(colon + 1);
    return ShortText(QString::fromLatin1(line).trimmed());
}
