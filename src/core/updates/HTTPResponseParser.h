#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The byte-level half of the download client: takes the response in whatever pieces the
// network delivers and says what to store and what happened. No sockets, no files.
class THTTPResponseParser {
public:
    // A header that has not ended after this many bytes is refused.
    static constexpr qsizetype MaxHeaderSize = 64 * 1024;
    // Expected length when the header has no usable Content-Length.
    static constexpr qint32 UnknownLength = 0x7FFFFFFF;

    enum class Event {
        None,           // still inside the header, or finished earlier
        Progress,       // the header is done and more body may follow
        Complete,       // the body reached Content-Length
        NotFound,       // status 404
        HeaderTooLarge, // no end of header within MaxHeaderSize bytes
        Truncated,      // the connection closed before the response was whole
    };

    struct Step {
        Event event = Event::None;
        // Body bytes to store before acting on the event; points into the fed data.
        QByteArrayView body;
    };

    void Reset();
    // Takes the next piece of the response. After Complete or a failure, further pieces are
    // ignored (Event::None, no body).
    Step Feed(QByteArrayView data);
    // The connection closed: a body without Content-Length ends here (Complete); a response
    // that is still short of its header or its length is Truncated; otherwise None.
    Event Close();

    bool InHeader() const { return inHeader_; }
    bool Finished() const { return finished_; }
    qint64 Stored() const { return stored_; }
    qint32 ExpectedLength() const { return expected_; }
    bool LengthKnown() const { return lengthKnown_; }
    const QByteArray& Header() const { return header_; }
    QString StatusLine() const { return statusLine_; }
    // Percentage of the body stored, 0 to 100; 0 while the length is unknown.
    quint8 Percent() const;

    // Value of the first header line whose name matches (without regard to case), blanks
    // trimmed; empty when there is none.
    QString HeaderValue(const QString& name) const;
    // Header line `index` after its first ":" (if any), blanks trimmed; 0 is the status line.
    QString HeaderLine(int index) const;

private:
    Step EndHeader(QByteArrayView body);
    Step TakeBody(QByteArrayView body);

    QByteArray header_;
    QString statusLine_;
    bool inHeader_ = true;
    bool finished_ = false;
    bool lengthKnown_ = false;
    qint32 expected_ = UnknownLength;
    qint64 stored_ = 0;
};
