#include "packages/ZLibCompression.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStringDecoder>
#include <QtEndian>
#include <array>
#include <limits>
#include <zlib.h>

namespace {

constexpr qsizetype ChunkSize = 64 * 1024;
// No member can be smaller: two length fields and the shortest zlib stream (2-byte header,
// a 2-byte empty fixed block, 4-byte Adler-32).
constexpr qint64 SmallestMember = 4 + 4 + 8;
// Deflate cannot expand data by more than this factor, so a size beyond it cannot be real.
constexpr qint64 MaxDeflateRatio = 1032;
// Longer than any stored name can be once it passed NameProblem.
constexpr qint32 MaxNameLength = 1024;
// Stays below the file system's 255 bytes with room for the suffix of the temporary file
// each member is first written to.
constexpr qsizetype MaxNameBytes = 200;

QString Damaged(const QString& packagePath, const QString& why) {
    return QStringLiteral("The theme package \"%1\" is damaged: %2.")
        .arg(QFileInfo(packagePath).fileName(), why);
}

void WriteInt32(QSaveFile& out, qint32 value) {
    const qint32 le = qToLittleEndian(value);
    out.write(reinterpret_cast<const char*>(&le), sizeof le);
}

class DeflateStream {
public:
    DeflateStream() {
        if (deflateInit2(&z_, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
            throw EPackageError(QStringLiteral("The compressor could not be started."));
    }
    ~DeflateStream() { deflateEnd(&z_); }
    DeflateStream(const DeflateStream&) = delete;
    DeflateStream& operator=(const DeflateStream&) = delete;

    // Compresses `in` (finishing the stream when `last`) and appends the output to `out`.
    void Feed(const char* data, qsizetype size, bool last, QSaveFile& out) {
        std::array<char, ChunkSize> buffer;
        z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
        z_.avail_in = static_cast<uInt>(size);
        int result;
        do {
            z_.next_out = reinterpret_cast<Bytef*>(buffer.data());
            z_.avail_out = static_cast<uInt>(buffer.size());
            result = deflate(&z_, last ? Z_FINISH : Z_NO_FLUSH);
            if (result == Z_STREAM_ERROR)
                throw EPackageError(QStringLiteral("The compressor failed."));
            const qsizetype have = buffer.size() - z_.avail_out;
            if (have > 0 && out.write(buffer.data(), have) != have)
                throw EPackageError(QStringLiteral("The theme package \"%1\" could not be written.")
                                        .arg(out.fileName()));
        } while (z_.avail_out == 0 || (last && result != Z_STREAM_END));
    }

private:
    z_stream z_{};
};

class InflateStream {
public:
    InflateStream() {
        if (inflateInit(&z_) != Z_OK)
            throw EPackageError(QStringLiteral("The decompressor could not be started."));
    }
    ~InflateStream() { inflateEnd(&z_); }
    InflateStream(const InflateStream&) = delete;
    InflateStream& operator=(const InflateStream&) = delete;
    z_stream* operator->() { return &z_; }
    z_stream* get() { return &z_; }

private:
    z_stream z_{};
};

// Buffered reading of a package that knows how far it got, so each member's zlib stream can
// start exactly where the previous one ended whatever the inflater saw of the buffer.
class PackageReader {
public:
    explicit PackageReader(const QString& path) : path_(path), file_(path) {
        if (!file_.open(QIODevice::ReadOnly))
            throw EPackageError(QStringLiteral("The theme package \"%1\" could not be opened: %2.")
                                    .arg(path, file_.errorString()));
        size_ = file_.size();
        buffer_.resize(ChunkSize);
    }

    qint64 Remaining() const { return size_ - consumed_; }

    qint32 ReadInt32() {
        qint32 value;
        ReadExact(reinterpret_cast<char*>(&value), sizeof value);
        return qFromLittleEndian(value);
    }

    QByteArray ReadBytes(qint32 count) {
        QByteArray bytes(count, Qt::Uninitialized);
        ReadExact(bytes.data(), count);
        return bytes;
    }

    // Inflates one zlib stream and hands its output to `out` (nullptr only checks). The stream
    // must give exactly `size` bytes; output past that is never written.
    void Inflate(qint32 size, QIODevice* out, const QString& name) {
        InflateStream z;
        std::array<char, ChunkSize> output;
        qint64 produced = 0;
        for (;;) {
            if (position_ == filled_ && !Fill())
                throw EPackageError(
                    Damaged(path_, QStringLiteral("it ends inside \"%1\"").arg(name)));
            z->next_in = reinterpret_cast<Bytef*>(buffer_.data() + position_);
            z->avail_in = static_cast<uInt>(filled_ - position_);
            z->next_out = reinterpret_cast<Bytef*>(output.data());
            z->avail_out = static_cast<uInt>(output.size());
            const int result = inflate(z.get(), Z_NO_FLUSH);
            const qsizetype used = (filled_ - position_) - z->avail_in;
            position_ += used;
            consumed_ += used;
            if (result != Z_OK && result != Z_STREAM_END && result != Z_BUF_ERROR)
                throw EPackageError(
                    Damaged(path_, QStringLiteral("the data of \"%1\" is not valid").arg(name)));
            const qsizetype have = output.size() - z->avail_out;
            if (produced + have > size)
                throw EPackageError(Damaged(
                    path_,
                    QStringLiteral("\"%1\" holds more than its %2 bytes").arg(name).arg(size)));
            if (out && have > 0 && out->write(output.data(), have) != have)
                throw EPackageError(QStringLiteral("The file \"%1\" could not be written: %2.")
                                        .arg(name, out->errorString()));
            produced += have;
            if (result == Z_STREAM_END)
                break;
        }
        if (produced != size)
            throw EPackageError(Damaged(path_, QStringLiteral("\"%1\" holds %2 bytes instead of %3")
                                                   .arg(name)
                                                   .arg(produced)
                                                   .arg(size)));
    }

private:
    bool Fill() {
        const qint64 got = file_.read(buffer_.data(), buffer_.size());
        if (got <= 0)
            return false;
        position_ = 0;
        filled_ = got;
        return true;
    }

    void ReadExact(char* into, qint64 count) {
        while (count > 0) {
            if (position_ == filled_ && !Fill())
                throw EPackageError(Damaged(path_, QStringLiteral("it ends too early")));
            const qint64 take = std::min(count, qint64(filled_ - position_));
            memcpy(into, buffer_.constData() + position_, take);
            into += take;
            count -= take;
            position_ += take;
            consumed_ += take;
        }
    }

    QString path_;
    QFile file_;
    qint64 size_ = 0;
    qint64 consumed_ = 0;
    QByteArray buffer_;
    qsizetype position_ = 0;
    qsizetype filled_ = 0;
};

// Walks the whole package. Without a folder it only checks; with one it writes every member
// through a temporary file that replaces the final name only once the member is complete.
void Unpack(const QString& packagePath, const QString* folder) {
    PackageReader reader(packagePath);
    const qint32 count = reader.ReadInt32();
    if (count <= 0)
        return;
    if (count > reader.Remaining() / SmallestMember)
        throw EPackageError(
            Damaged(packagePath,
                    QStringLiteral("it promises %1 files but is too short for them").arg(count)));
    for (qint32 i = 0; i < count; ++i) {
        const qint32 length = reader.ReadInt32();
        if (length < 0 || length > reader.Remaining() || length > MaxNameLength)
            throw EPackageError(
                Damaged(packagePath,
                        QStringLiteral("file %1 has a name length of %2").arg(i + 1).arg(length)));
        const QString name = TZLibCompression::DecodeName(reader.ReadBytes(length));
        const QString problem = TZLibCompression::NameProblem(name);
        if (!problem.isEmpty())
            throw EPackageError(
                QStringLiteral(
                    "The theme package \"%1\" holds the file name \"%2\", which is refused: %3.")
                    .arg(QFileInfo(packagePath).fileName(), name, problem));
        const qint32 size = reader.ReadInt32();
        if (size < 0 || size > reader.Remaining() * MaxDeflateRatio)
            throw EPackageError(Damaged(
                packagePath,
                QStringLiteral("\"%1\" has an impossible size of %2 bytes").arg(name).arg(size)));
        if (!folder) {
            reader.Inflate(size, nullptr, name);
            continue;
        }
        QSaveFile out(*folder + name);
        if (!out.open(QIODevice::WriteOnly))
            throw EPackageError(QStringLiteral("The file \"%1\" could not be created: %2.")
                                    .arg(out.fileName(), out.errorString()));
        reader.Inflate(size, &out, name);
        if (!out.commit())
            throw EPackageError(QStringLiteral("The file \"%1\" could not be written: %2.")
                                    .arg(out.fileName(), out.errorString()));
    }
}

} // namespace

QString TZLibCompression::NameProblem(const QString& name) {
    if (name.isEmpty())
        return QStringLiteral("it is empty");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return QStringLiteral("it names a folder");
    if (name.toUtf8().size() > MaxNameBytes)
        return QStringLiteral("it is too long");
    for (const QChar c : name) {
        if (c == QLatin1Char('/') || c == QLatin1Char('\\'))
            return QStringLiteral("it holds a folder separator");
        if (c == QLatin1Char(':'))
            return QStringLiteral("it holds a drive or a colon");
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() <= 0x9F))
            return QStringLiteral("it holds a control character");
    }
    return {};
}

QString TZLibCompression::DecodeName(const QByteArray& raw) {
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = utf8.decode(raw);
    if (!utf8.hasError())
        return text;
    // Windows-1252: Latin-1 except 0x80-0x9F; its five unassigned bytes map to C1 controls.
    static constexpr char16_t High[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    text.clear();
    text.reserve(raw.size());
    for (const char byte : raw) {
        const auto b = static_cast<unsigned char>(byte);
        text.append(b >= 0x80 && b <= 0x9F ? QChar(High[b - 0x80]) : QChar(b));
    }
    return text;
}

void TZLibCompression::CompressFiles(const QStringList& files, const QString& packagePath) const {
    if (files.isEmpty())
        return;
    for (const QString& path : files) {
        const QString problem = NameProblem(QFileInfo(path).fileName());
        if (!problem.isEmpty())
            throw EPackageError(QStringLiteral("\"%1\" cannot be packed: %2.").arg(path, problem));
    }
    QSaveFile package(packagePath);
    if (!package.open(QIODevice::WriteOnly))
        throw EPackageError(QStringLiteral("The theme package \"%1\" could not be created: %2.")
                                .arg(packagePath, package.errorString()));
    WriteInt32(package, static_cast<qint32>(files.size()));
    QByteArray buffer(ChunkSize, Qt::Uninitialized);
    for (const QString& path : files) {
        if (QFileInfo(path).isDir())
            throw EPackageError(QStringLiteral("\"%1\" is a folder, not a file.").arg(path));
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly))
            throw EPackageError(QStringLiteral("The file \"%1\" could not be read: %2.")
                                    .arg(path, in.errorString()));
        const qint64 size = in.size();
        if (size > std::numeric_limits<qint32>::max())
            throw EPackageError(
                QStringLiteral("The file \"%1\" is too large for a theme package.").arg(path));
        const QByteArray name = QFileInfo(path).fileName().toUtf8();
        WriteInt32(package, static_cast<qint32>(name.size()));
        package.write(name);
        WriteInt32(package, static_cast<qint32>(size));
        DeflateStream deflater;
        qint64 total = 0;
        for (;;) {
            const qint64 got = in.read(buffer.data(), buffer.size());
            if (got < 0)
                throw EPackageError(QStringLiteral("The file \"%1\" could not be read: %2.")
                                        .arg(path, in.errorString()));
            total += got;
            const bool last = got == 0;
            deflater.Feed(buffer.constData(), got, last, package);
            if (last)
                break;
        }
        // The size field is already written; a file that changed meanwhile would break it.
        if (total != size)
            throw EPackageError(
                QStringLiteral("The file \"%1\" changed while it was packed.").arg(path));
    }
    if (!package.commit())
        throw EPackageError(QStringLiteral("The theme package \"%1\" could not be written: %2.")
                                .arg(packagePath, package.errorString()));
}

void TZLibCompression::DecompressFiles(const QString& packagePath,
                                       const QString& targetFolder) const {
    Unpack(packagePath, nullptr);
    QString folder = targetFolder;
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    if (!QDir().mkpath(folder))
        throw EPackageError(QStringLiteral("The folder \"%1\" could not be created.").arg(folder));
    Unpack(packagePath, &folder);
}
