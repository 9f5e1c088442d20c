#include "packages/ZLibCompression.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <zlib.h>

namespace {

QByteArray Int32(qint32 value) {
    const qint32 le = qToLittleEndian(value);
    return QByteArray(reinterpret_cast<const char*>(&le), sizeof le);
}

QByteArray Deflate(const QByteArray& data, int level = 9) {
    uLongf length = compressBound(static_cast<uLong>(data.size()));
    QByteArray out(static_cast<qsizetype>(length), Qt::Uninitialized);
    compress2(reinterpret_cast<Bytef*>(out.data()), &length,
              reinterpret_cast<const Bytef*>(data.constData()), static_cast<uLong>(data.size()),
              level);
    out.truncate(static_cast<qsizetype>(length));
    return out;
}

// One member written by hand: the fields can disagree with the stream.
QByteArray Member(const QByteArray& name, qint32 size, const QByteArray& stream) {
    return Int32(static_cast<qint32>(name.size())) + name + Int32(size) + stream;
}
QByteArray Member(const QByteArray& name, const QByteArray& data) {
    return Member(name, static_cast<qint32>(data.size()), Deflate(data));
}

QByteArray ReadAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void WriteAll(const QString& path, const QByteArray& data) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(data);
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

class ZLibCompressionTest : public ::testing::Test {
protected:
    QString Path(const QString& relative) const { return dir.path() + QLatin1Char('/') + relative; }
    // Writes raw package bytes and unpacks them into "out"; returns the error text, "" on success.
    QString Unpack(const QByteArray& package, const QString& target = QStringLiteral("out")) {
        WriteAll(Path(QStringLiteral("in.dtp")), package);
        try {
            TZLibCompression().DecompressFiles(Path(QStringLiteral("in.dtp")), Path(target));
        } catch (const EPackageError& e) {
            return e.Message();
        }
        return {};
    }

    QTemporaryDir dir;
    const TZLibCompression zlib{};
};

} // namespace

TEST_F(ZLibCompressionTest, RoundTripsAListOfFiles) {
    QByteArray binary(100000, Qt::Uninitialized);
    QRandomGenerator random(7);
    for (char& byte : binary)
        byte = static_cast<char>(random.bounded(256));
    const QByteArray xml = QByteArray("<theme>\r\n").repeated(500);
    WriteAll(Path("a/repositary.xml"), xml);
    WriteAll(Path("a/empty.txt"), {});
    WriteAll(Path("a/back.bmp"), binary);
    WriteAll(Path("a/same.txt"), "from a");
    WriteAll(Path("b/same.txt"), "from b, later");
    const QStringList files = {Path("a/repositary.xml"), Path("a/empty.txt"), Path("a/same.txt"),
                               Path("a/back.bmp"), Path("b/same.txt")};
    zlib.CompressFiles(files, Path("theme.dtp"));

    const QByteArray package = ReadAll(Path("theme.dtp"));
    EXPECT_EQ(package.left(4), Int32(5));
    EXPECT_EQ(package.mid(4, 4), Int32(14));
    EXPECT_EQ(package.mid(8, 14), "repositary.xml");
    EXPECT_EQ(package.mid(22, 4), Int32(static_cast<qint32>(xml.size())));
    EXPECT_EQ(package.mid(26, 2), "\x78\xDA");

    zlib.DecompressFiles(Path("theme.dtp"), Path("x/y/z"));
    EXPECT_EQ(Entries(Path("x/y/z")),
              QStringList({"back.bmp", "empty.txt", "repositary.xml", "same.txt"}));
    EXPECT_EQ(ReadAll(Path("x/y/z/repositary.xml")), xml);
    EXPECT_EQ(ReadAll(Path("x/y/z/empty.txt")), QByteArray());
    EXPECT_EQ(ReadAll(Path("x/y/z/back.bmp")), binary);
    EXPECT_EQ(ReadAll(Path("x/y/z/same.txt")), "from b, later");
}

TEST_F(ZLibCompressionTest, AnEmptyFileIsItsNameSizeZeroAndAnEightByteStream) {
    WriteAll(Path("empty.txt"), {});
    zlib.CompressFiles({Path("empty.txt")}, Path("p.dtp"));
    EXPECT_EQ(ReadAll(Path("p.dtp")), Int32(1) + Int32(9) + "empty.txt" + Int32(0) +
                                          QByteArray("\x78\xDA\x03\x00\x00\x00\x00\x01", 8));
}

// A packer written in python with its own zlib binding: our writer gives the same bytes, and
// its packages (level 9, or other levels and a Windows-1252 name) unpack byte for byte.
TEST_F(ZLibCompressionTest, MatchesAnIndependentWriter) {
    const QString expected = TestDataPath(QStringLiteral("packages/expected/"));
    const QStringList names = {QStringLiteral("repositary.xml"), QStringLiteral("empty.txt"),
                               QStringLiteral("back.bmp"), QStringLiteral("caf\u00e9 \u20ac.txt")};
    QStringList files;
    for (const QString& name : names)
        files << expected + name;
    zlib.CompressFiles(files, Path("ours.dtp"));
    EXPECT_EQ(ReadAll(Path("ours.dtp")),
              ReadAll(TestDataPath(QStringLiteral("packages/python.dtp"))));

    for (const char* fixture : {"packages/python.dtp", "packages/python-mixed.dtp"}) {
        const QString target = Path(QString::fromUtf8(fixture).section('/', 1));
        zlib.DecompressFiles(TestDataPath(QString::fromUtf8(fixture)), target);
        EXPECT_EQ(Entries(target).size(), names.size()) << fixture;
        for (const QString& name : names)
            EXPECT_EQ(ReadAll(target + QLatin1Char('/') + name), ReadAll(expected + name))
                << fixture << " " << name.toStdString();
    }
}

TEST_F(ZLibCompressionTest, AnEmptyListWritesNothing) {
    zlib.CompressFiles({}, Path("none.dtp"));
    EXPECT_FALSE(QFile::exists(Path("none.dtp")));
    WriteAll(Path("old.dtp"), "keep me");
    zlib.CompressFiles({}, Path("old.dtp"));
    EXPECT_EQ(ReadAll(Path("old.dtp")), "keep me");
}

TEST_F(ZLibCompressionTest, ACountOfZeroOrLessGivesAnEmptyFolderSeveralLevelsDeep) {
    for (const qint32 count : {0, -1, std::numeric_limits<qint32>::min()}) {
        const QString target = QStringLiteral("deep%1/a/b/c").arg(count);
        EXPECT_EQ(Unpack(Int32(count) + "ignored", target), QString()) << count;
        EXPECT_TRUE(QDir(Path(target)).exists()) << count;
        EXPECT_TRUE(Entries(Path(target)).isEmpty()) << count;
    }
}

TEST_F(ZLibCompressionTest, RefusesNamesThatAreNotPlainFileNames) {
    const QByteArray names[] = {"",
                                ".",
                                "..",
                                "../evil.txt",
                                "a/b.txt",
                                "a\\b.txt",
                                "..\\evil",
                                "/etc/evil",
                                "\\evil",
                                "C:",
                                "C:evil",
                                "D:\\evil",
                                "a\x01"
                                "b",
                                "tab\there",
                                QByteArray(201, 'n')};
    for (const QByteArray& name : names) {
        // A good member first: it must not be written either.
        const QByteArray package = Int32(2) + Member("good.txt", "fine") + Member(name, "bad");
        const QString error = Unpack(package);
        EXPECT_FALSE(error.isEmpty()) << name.constData();
        EXPECT_FALSE(QFileInfo::exists(Path("out"))) << name.constData();
        EXPECT_EQ(Entries(dir.path()), QStringList({"in.dtp"})) << name.constData();
    }
    EXPECT_TRUE(Unpack(Int32(1) + Member("..\\evil", "bad")).contains(QStringLiteral("..\\evil")));

    // The packer refuses them as well, before it creates anything.
    for (const char* name : {"back\\slash.txt", "drive:name.txt", "ctl\x02.txt"}) {
        WriteAll(Path("src/") + QString::fromUtf8(name), "data");
        EXPECT_THROW(zlib.CompressFiles({Path("src/") + QString::fromUtf8(name)}, Path("p.dtp")),
                     EPackageError)
            << name;
        EXPECT_FALSE(QFile::exists(Path("p.dtp"))) << name;
    }
}

TEST_F(ZLibCompressionTest, ReadsNamesAsUTF8OrElseWindows1252) {
    EXPECT_EQ(TZLibCompression::DecodeName("caf\xC3\xA9"), QStringLiteral("caf\u00e9"));
    EXPECT_EQ(TZLibCompression::DecodeName("caf\xE9 \x80"), QStringLiteral("caf\u00e9 \u20ac"));
    EXPECT_EQ(TZLibCompression::DecodeName("\x93quoted\x94"), QStringLiteral("\u201cquoted\u201d"));
    EXPECT_EQ(Unpack(Int32(1) + Member("na\xEFve.txt", "x")), QString());
    EXPECT_EQ(ReadAll(Path("out/na\u00efve.txt")), "x");
}

TEST_F(ZLibCompressionTest, RefusesSizeFieldsThatDisagreeWithTheStream) {
    const QByteArray data = QByteArray("0123456789").repeated(100);
    struct Case {
        const char* name;
        QByteArray package;
    } const cases[] = {
        {"size too large", Int32(1) + Member("a.txt", 1001, Deflate(data))},
        {"size too small", Int32(1) + Member("a.txt", 999, Deflate(data))},
        {"size zero for data", Int32(1) + Member("a.txt", 0, Deflate(data))},
        {"negative size", Int32(1) + Member("a.txt", -1, Deflate(data))},
        // Ten megabytes of zeros claimed to be ten bytes: never written past the ten.
        {"decompression bomb", Int32(1) + Member("a.txt", 10, Deflate(QByteArray(10 << 20, '\0')))},
        {"size no stream can give", Int32(1) + Member("a.txt", 0x7FFFFFFF, Deflate(data))},
        {"count past the file", Int32(1000) + Member("a.txt", data)},
        {"huge count", Int32(0x7FFFFFFF) + Member("a.txt", data)},
        {"negative name length", Int32(1) + Int32(-4) + "a.txt" + Int32(1000) + Deflate(data)},
        {"name length past the file", Int32(1) + Int32(100000) + "a.txt"},
        {"not a zlib stream", Int32(1) + Member("a.txt", 1000, QByteArray(40, 'x'))},
        {"a raw deflate stream", Int32(1) + Member("a.txt", 1000, Deflate(data).mid(2))},
        {"bad checksum", Int32(1) + Member("a.txt", 1000, Deflate(data).chopped(1) + "\x00")},
    };
    WriteAll(Path("out/a.txt"), "already there");
    for (const Case& c : cases) {
        EXPECT_FALSE(Unpack(c.package).isEmpty()) << c.name;
        EXPECT_EQ(ReadAll(Path("out/a.txt")), "already there") << c.name;
        EXPECT_EQ(Entries(Path("out")), QStringList({"a.txt"})) << c.name;
    }
}

TEST_F(ZLibCompressionTest, RefusesATruncatedPackageAtEveryLength) {
    const QByteArray whole = ReadAll(TestDataPath(QStringLiteral("packages/python.dtp")));
    for (qsizetype length = 1; length < whole.size(); ++length) {
        ASSERT_FALSE(Unpack(whole.left(length)).isEmpty()) << length;
        ASSERT_FALSE(QFileInfo::exists(Path("out"))) << length;
    }
    EXPECT_EQ(Unpack(whole), QString());
}

TEST_F(ZLibCompressionTest, ContinuesRightAfterEachStream) {
    // Streams at different levels back to back, the first one tiny: the reader must not lose
    // the bytes the inflater saw beyond a stream's end.
    const QByteArray big = QByteArray("abcdefgh").repeated(20000);
    const QByteArray package = Int32(4) + Member("1", "") + Member("2", "x") +
                               Member("3", static_cast<qint32>(big.size()), Deflate(big, 1)) +
                               Member("4", 3, Deflate("end", 0)) + "trailing bytes are ignored";
    EXPECT_EQ(Unpack(package), QString());
    EXPECT_EQ(ReadAll(Path("out/1")), QByteArray());
    EXPECT_EQ(ReadAll(Path("out/2")), "x");
    EXPECT_EQ(ReadAll(Path("out/3")), big);
    EXPECT_EQ(ReadAll(Path("out/4")), "end");
}

TEST_F(ZLibCompressionTest, ReplacesSameNamedFilesAndKeepsTheOthers) {
    WriteAll(Path("out/repositary.xml"), "old theme");
    WriteAll(Path("out/mine.bmp"), "user's own");
    EXPECT_EQ(Unpack(Int32(1) + Member("repositary.xml", "new theme")), QString());
    EXPECT_EQ(ReadAll(Path("out/repositary.xml")), "new theme");
    EXPECT_EQ(ReadAll(Path("out/mine.bmp")), "user's own");
    EXPECT_EQ(Entries(Path("out")),
              QStringList({"mine.bmp", "repositary.xml"})); // no temporary files
}

TEST_F(ZLibCompressionTest, AFailedPackLeavesTheOldPackageAndNoScratchFile) {
    WriteAll(Path("pkg/theme.dtp"), "the old package");
    WriteAll(Path("a.txt"), "a");
    const QString cwdBefore = QDir::currentPath();
    EXPECT_THROW(zlib.CompressFiles({Path("a.txt"), Path("missing.txt")}, Path("pkg/theme.dtp")),
                 EPackageError);
    EXPECT_THROW(zlib.CompressFiles({Path("a.txt"), dir.path()}, Path("pkg/theme.dtp")),
                 EPackageError);
    EXPECT_EQ(ReadAll(Path("pkg/theme.dtp")), "the old package");
    EXPECT_EQ(Entries(Path("pkg")), QStringList({"theme.dtp"}));
    EXPECT_FALSE(QFile::exists(cwdBefore + QStringLiteral("/tmp")));
    EXPECT_THROW(zlib.DecompressFiles(Path("no-such.dtp"), Path("out")), EPackageError);
}

// The fuzzer's corpus (and any input that once broke the reader): each package is refused
// before anything is written, or unpacks plain files inside the target and nowhere else.
TEST_F(ZLibCompressionTest, ReplaysTheFuzzCorpus) {
    const QDir folder(TestDataPath(QStringLiteral("packages/fuzz")));
    const QStringList inputs = folder.entryList(QDir::Files);
    ASSERT_FALSE(inputs.isEmpty());
    int accepted = 0;
    for (const QString& name : inputs) {
        QDir(Path("out")).removeRecursively();
        const QString error = Unpack(ReadAll(folder.filePath(name)));
        if (error.isEmpty()) {
            ++accepted;
            for (const QFileInfo& entry :
                 QDir(Path("out"))
                     .entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
                EXPECT_TRUE(entry.isFile()) << name.toStdString();
        } else {
            EXPECT_FALSE(QFileInfo::exists(Path("out"))) << name.toStdString();
        }
        EXPECT_EQ(Entries(dir.path()).size(), error.isEmpty() ? 2 : 1) << name.toStdString();
    }
    EXPECT_GT(accepted, 0); // the corpus holds good packages too
}
