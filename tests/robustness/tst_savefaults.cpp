// Saves that meet a fault, for documents of every layout: a folder or file the user may not
// write, a folder in the target's place, a missing folder, a disk that fills up part of the
// way, a document the layout cannot hold, and a written file that does not read back as the
// document. After each, the old file keeps every byte, no temporary file stays behind and
// the reason is given. And saves that succeed keep what the user set up around the file: a
// symbolic link stays a link and the file's permission bits stay as they were.
#include "testfiles.h"
#include "childprocess.h"

#include "codepage.h"
#include "fileio.h"
#include "gxtdocument.h"
#include "gxtdocumentfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace quillet;
using namespace testfiles;

namespace {

// A format and its text width: what the saves are made in.
struct Kind {
    const char *format = "flat";
    int bits = 16;

    const GxtFormat &gxtFormat() const { return testfiles::format(QString::fromLatin1(format)); }
    bool flat() const { return !gxtFormat().hasTables(); }
};

const Kind Kinds[] = {{"flat", 16}, {"tabled", 16}, {"hashed", 16}, {"hashed", 8}};

QByteArray kindName(const Kind &kind)
{
    return (kind.bits == 8 ? QByteArray("8-bit ") : QByteArray()) + kind.format;
}

// What stands on disk before each save: a small table the user does not want to lose, in
// the format the save is made in.
RowDocument oldData(const Kind &kind)
{
    RowDocument data{QString::fromLatin1(kind.format), kind.bits, {{mainTableName(), {{QStringLiteral("A1"), QStringLiteral("Hi")}, {QStringLiteral("B"), QString()}}}}};
    if (!kind.flat())
        data.tables.push_back({QStringLiteral("OLD"), {{QStringLiteral("C"), QStringLiteral("old")}}});
    return data;
}

// What the saves write: large enough that a disk filling up can stop it part of the way,
// spread over three tables in the formats that have them.
RowDocument newData(const Kind &kind, int count = 3000)
{
    RowDocument data{QString::fromLatin1(kind.format), kind.bits, {{mainTableName(), {}}}};
    if (!kind.flat())
        data.tables.insert(data.tables.end(), {{QStringLiteral("MISS1"), {}}, {QStringLiteral("MISS2"), {}}});
    for (int i = 0; i < count; ++i) {
        data.tables[size_t(i) % data.tables.size()].rows.append(
            {QStringLiteral("K%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("~r~text number %1").arg(i)});
    }
    return data;
}

QByteArray bytesOf(const RowDocument &data)
{
    return written(data);
}

// The document a user has open, as a load would leave it.
void open(GxtDocument &document, const RawDocument &raw)
{
    RawDocument copy = raw;
    document.assign(std::move(copy));
}
void open(GxtDocument &document, const RowDocument &data)
{
    open(document, testfiles::raw(data));
}

int modeOf(const QString &path)
{
    struct stat st {};
    return stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

bool setMode(const QString &path, int mode)
{
    return chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}

// Every entry of a folder, hidden ones included: a temporary file has nowhere to hide.
QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

enum class Fault {
    ReadOnlyFolder,
    ReadOnlyFile,
    TargetIsAFolder,
    MissingFolder,
    DiskFull,
    DiskFullThroughALink,
    Unstorable,
};

// The child's answer: "ok", "failed:" and the reason, or "cannot prepare".
QByteArray saveInChild(const QString &path, const std::function<bool()> &prepare, const RawDocument &data)
{
    const childprocess::Result child = childprocess::run([&]() -> QByteArray {
        if (!prepare())
            return "cannot prepare";
        GxtDocument document;
        open(document, data);
        const RawDocument before = document.toRaw();
        const Result result = SaveGxt(path, document);
        if (!(document.toRaw() == before))
            return "the save changed the document";
        return result ? QByteArray("ok") : "failed:" + result.errorString().toUtf8();
    });
    return child.ok() ? child.output : child.describe().toUtf8();
}

// How the written document is made to differ from what the save expects to read back.
enum class Difference { Unit, Key, TableName, EntryCount, TableCount, Width, Unreadable, VerifyFails };

} // namespace

Q_DECLARE_METATYPE(Kind)

class TestSaveFaults : public QObject
{
    Q_OBJECT

private slots:
    void failedSavesLoseNothing_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<qint64>("diskRoom"); // bytes a file may grow to, for DiskFull
        QTest::addColumn<int>("entries");     // of the document saved
        for (const Kind &kind : Kinds) {
            const QByteArray name = kindName(kind);
            auto row = [&](const char *what) { return &QTest::addRow("%s: %s", name.constData(), what); };
            *row("read-only folder") << kind << Fault::ReadOnlyFolder << qint64(0) << 3000;
            *row("read-only file") << kind << Fault::ReadOnlyFile << qint64(0) << 3000;
            *row("a folder in the file's place") << kind << Fault::TargetIsAFolder << qint64(0) << 3000;
            *row("missing folder") << kind << Fault::MissingFolder << qint64(0) << 3000;
            *row("a value the layout cannot hold") << kind << Fault::Unstorable << qint64(0) << 3000;
            // Large and small documents: a small one fits the file's write buffer whole.
            for (int entries : {3000, 10}) {
                const qint64 size = bytesOf(newData(kind, entries)).size();
                for (qint64 room : {qint64(0), qint64(1), qint64(4096), size / 2, size - 1}) {
                    if (room < size)
                        QTest::addRow("%s: disk full after %lld of %lld bytes", name.constData(), qlonglong(room), qlonglong(size))
                            << kind << Fault::DiskFull << room << entries;
                }
            }
            const qint64 size = bytesOf(newData(kind)).size();
            *row("disk full half-way, through a link") << kind << Fault::DiskFullThroughALink << size / 2 << 3000;
        }
    }
    void failedSavesLoseNothing()
    {
        QFETCH(Kind, kind);
        QFETCH(Fault, fault);
        QFETCH(qint64, diskRoom);
        QFETCH(int, entries);
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        // The folder the user saves into, and the file already there.
        const QString folder = temp.filePath(QStringLiteral("tables"));
        QVERIFY(QDir().mkpath(folder));
        QString file = QDir(folder).filePath(QStringLiteral("t.gxt"));
        const QByteArray oldBytes = bytesOf(oldData(kind));
        RawDocument saved = testfiles::raw(newData(kind, entries));
        QString target = file;
        std::function<bool()> prepare = [] { return true; };
        QStringList watched{folder}; // folders where no temporary file may stay

        switch (fault) {
        case Fault::ReadOnlyFolder:
        case Fault::ReadOnlyFile:
            // The ordinary user must reach the folder, and meet only the one obstacle.
            QVERIFY(setMode(temp.path(), 0755));
            QVERIFY(writeFile(file, oldBytes, fault == Fault::ReadOnlyFolder ? 0666 : 0444));
            QVERIFY(setMode(folder, fault == Fault::ReadOnlyFolder ? 0555 : 0777));
            prepare = becomeAnOrdinaryUser;
            break;
        case Fault::TargetIsAFolder:
            QVERIFY(QDir().mkpath(file));
            QVERIFY(writeFile(QDir(file).filePath(QStringLiteral("inside.txt")), "keep"));
            watched << file;
            break;
        case Fault::MissingFolder:
            target = QDir(folder).filePath(QStringLiteral("no/such/t.gxt"));
            QVERIFY(writeFile(file, oldBytes));
            break;
        case Fault::DiskFull:
            QVERIFY(writeFile(file, oldBytes, 0640));
            prepare = [diskRoom] { return limitFileSize(diskRoom); };
            break;
        case Fault::DiskFullThroughALink: {
            const QString real = temp.filePath(QStringLiteral("real"));
            QVERIFY(QDir().mkpath(real));
            file = QDir(real).filePath(QStringLiteral("t.gxt"));
            QVERIFY(writeFile(file, oldBytes, 0640));
            target = QDir(folder).filePath(QStringLiteral("link.gxt"));
            QVERIFY(QFile::link(file, target));
            watched << real;
            prepare = [diskRoom] { return limitFileSize(diskRoom); };
            break;
        }
        case Fault::Unstorable:
            // The last entry of the last table holds a unit wider than 8 bits, or more units
            // than a text holds: nothing may be written at all.
            QVERIFY(writeFile(file, oldBytes, 0640));
            saved.tables.back().entries.back().units = kind.bits == 8 ? QStringLiteral("ok\u0100") : QString(32767, u'x');
            break;
        }

        const int modeBefore = modeOf(file);
        QMap<QString, QStringList> before;
        for (const QString &f : watched)
            before[f] = entriesOf(f);

        const QByteArray answer = saveInChild(target, prepare, saved);
        if (answer == "cannot prepare")
            QSKIP("this system does not let the test switch to an ordinary user (uid 65534) or limit file sizes");
        QVERIFY2(answer.startsWith("failed:"), answer.constData());
        qInfo("%s", answer.constData());
        QVERIFY2(answer.size() > qsizetype(strlen("failed:")) && !answer.contains("Unknown error"),
                 "the failure gives no reason");
        if (fault == Fault::DiskFull || fault == Fault::DiskFullThroughALink)
            QCOMPARE(answer, QByteArray("failed:") + qt_error_string(EFBIG).toUtf8());
        if (fault == Fault::Unstorable) {
            const RawTable &last = saved.tables.back();
            const QString where = describeEntry(kind.gxtFormat(), nameFromBytes(last.name.bytes()), int(last.entries.size()),
                                                kind.gxtFormat().keyText(last.entries.back()));
            QCOMPARE(QString::fromUtf8(answer),
                     "failed:" + where
                         + (kind.bits == 8 ? QStringLiteral(": the text holds the unit 0x0100, which an 8-bit file cannot hold")
                                           : QStringLiteral(": the value has 32767 characters; a GXT text holds at most 32766")));
        }

        QVERIFY(setMode(folder, 0755)); // so that the checks and the clean-up may look inside
        for (const QString &f : watched)
            QCOMPARE(entriesOf(f), before[f]);
        if (fault == Fault::TargetIsAFolder) {
            QVERIFY(QFileInfo(file).isDir());
            QCOMPARE(readFile(QDir(file).filePath(QStringLiteral("inside.txt"))), QByteArray("keep"));
        } else {
            QCOMPARE(readFile(file), oldBytes);
            QCOMPARE(modeOf(file), modeBefore);
        }
        if (fault == Fault::MissingFolder)
            QVERIFY(!QFileInfo::exists(QDir(folder).filePath(QStringLiteral("no"))));
        if (fault == Fault::DiskFullThroughALink) {
            QVERIFY(QFileInfo(target).isSymLink());
            QCOMPARE(QFileInfo(target).symLinkTarget(), file);
        }
    }

    // The control for the disk-full rows: with exactly enough room the same save succeeds,
    // so it is the full disk that stops them.
    void exactlyEnoughRoomSaves()
    {
        for (const Kind &kind : Kinds) {
            for (int entries : {3000, 10}) {
                QTemporaryDir temp;
                const QString file = temp.filePath(QStringLiteral("t.gxt"));
                QVERIFY(writeFile(file, bytesOf(oldData(kind))));
                const QByteArray expected = bytesOf(newData(kind, entries));
                QCOMPARE(saveInChild(file, [&] { return limitFileSize(expected.size()); }, testfiles::raw(newData(kind, entries))),
                         QByteArray("ok"));
                QCOMPARE(readFile(file), expected);
                QCOMPARE(entriesOf(temp.path()), QStringList{QStringLiteral("t.gxt")});
            }
        }
    }

    // A small hostile file whose records all share one long text reads as a document that
    // no GXT file can hold once every record has its own copy: 2 tables of 32,766 records
    // sharing a 17,000-unit text, 592 KB that would write 2.2 GB. The save adds up the sizes
    // and refuses before it copies or allocates anything of that size; a save that encoded
    // first took 39 s and 2.4 GB before the same refusal.
    void aDocumentTooLargeIsRefusedBeforeAnythingIsCopied()
    {
        constexpr int Records = 32766;
        constexpr int Units = 17000;
        QByteArray bytes("\x04\x00\x10\x00TABL", 8);
        auto put32 = [&bytes](quint32 value) {
            for (int shift = 0; shift < 32; shift += 8)
                bytes.append(char((value >> shift) & 0xFF));
        };
        const qint64 blockSize = 8 + 8 * Records + 8 + 2 * (Units + 1);
        put32(24);
        bytes.append("MAIN\0\0\0\0", 8);
        put32(quint32(4 + 8 + 24));
        bytes.append("LONG\0\0\0\0", 8);
        put32(quint32(4 + 8 + 24 + blockSize));
        for (int t = 0; t < 2; ++t) {
            if (t == 1)
                bytes.append("LONG\0\0\0\0", 8);
            bytes.append("TKEY", 4);
            put32(8 * Records);
            for (int i = 0; i < Records; ++i) {
                put32(0);
                put32(quint32(i + 1));
            }
            bytes.append("TDAT", 4);
            put32(2 * (Units + 1));
            for (int u = 0; u < Units; ++u)
                bytes.append("A\0", 2);
            bytes.append("\0\0", 2);
        }
        QTemporaryDir temp;
        const QString source = temp.filePath(QStringLiteral("hostile.gxt"));
        const QString target = temp.filePath(QStringLiteral("saved.gxt"));
        QVERIFY(writeFile(source, bytes));

        const childprocess::Result child = childprocess::run([&] {
            GxtDocument document;
            const Result loaded = LoadGxt(source, document);
            if (!loaded)
                return QByteArray("load: ") + loaded.errorString().toUtf8();
            rusage before{};
            getrusage(RUSAGE_SELF, &before);
            const Result saved = SaveGxt(target, document);
            rusage after{};
            getrusage(RUSAGE_SELF, &after);
            if (saved)
                return QByteArray("saved");
            // Peak resident memory in KiB: the refusal takes nothing near the file's size.
            const long grown = after.ru_maxrss - before.ru_maxrss;
            return QByteArray(grown < 64 * 1024 ? "small " : "LARGE ") + saved.errorString().toUtf8();
        });
        QVERIFY2(child.ok(), qPrintable(child.describe()));
        QVERIFY2(child.output.startsWith("small ") && child.output.contains("too large for a GXT file"),
                 child.output.constData());
        QVERIFY(!QFileInfo::exists(target));
        QCOMPARE(entriesOf(temp.path()), QStringList{QStringLiteral("hostile.gxt")});
    }

    // The save reads the new file back before it takes the old one's place; when what it
    // reads is not the document, the old file stays and the new one goes.
    void failedReadBackKeepsTheOldFile_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<Difference>("difference");
        QTest::addColumn<QString>("reason");
        // FIRST stands for the first entry of MAIN as the check expects it.
        const QString differs = QStringLiteral("the file written does not read back as the table: %1; the save was stopped");
        for (const Kind &kind : Kinds) {
            const QByteArray name = kindName(kind);
            const bool flat = kind.flat();
            QTest::addRow("%s: a unit", name.constData()) << kind << Difference::Unit << differs.arg(QStringLiteral("FIRST differs"));
            QTest::addRow("%s: a key", name.constData()) << kind << Difference::Key << differs.arg(QStringLiteral("FIRST differs"));
            QTest::addRow("%s: an entry too many", name.constData())
                << kind << Difference::EntryCount
                << differs.arg(QStringLiteral("table MAIN holds %1 entries instead of %2").arg(flat ? 10 : 4).arg(flat ? 11 : 5));
            QTest::addRow("%s: a table too many", name.constData())
                << kind << Difference::TableCount << differs.arg(QStringLiteral("it holds %1 tables instead of %2").arg(flat ? 1 : 3).arg(flat ? 2 : 4));
            QTest::addRow("%s: the text width", name.constData())
                << kind << Difference::Width << differs.arg(QStringLiteral("its format or text width differs"));
            if (!flat) {
                QTest::addRow("%s: a table's name", name.constData())
                    << kind << Difference::TableName << differs.arg(QStringLiteral("table MISS9 reads back as MISS2"));
            }
            QTest::addRow("%s: bytes that do not read", name.constData())
                << kind << Difference::Unreadable
                << QStringLiteral("the file written does not read back (the file is 0 bytes long; a GXT file has at "
                                  "least 8); the save was stopped");
            QTest::addRow("%s: a check that fails", name.constData()) << kind << Difference::VerifyFails << QStringLiteral("made to fail");
        }
    }
    void failedReadBackKeepsTheOldFile()
    {
        QFETCH(Kind, kind);
        QFETCH(Difference, difference);
        QFETCH(QString, reason);
        QTemporaryDir temp;
        const QString file = temp.filePath(QStringLiteral("t.gxt"));
        const QByteArray oldBytes = bytesOf(oldData(kind));
        QVERIFY(writeFile(file, oldBytes, 0640));

        // What the save writes, and what it expects to read back from it.
        GxtDocument document;
        open(document, newData(kind, 10));
        QByteArray bytes;
        QVERIFY(buildGxt(document, bytes));
        const RawDocument raw = document.toRaw();
        RawDocument expected = inWriterOrder(raw);
        RawTable &main = expected.tables.front(); // until a table is added
        switch (difference) {
        case Difference::Unit:
            main.entries.front().units += QChar(u'!');
            break;
        case Difference::Key:
            main.entries.front().name = RawName::fromBytes("K0000X");
            main.entries.front().hash ^= 1;
            break;
        case Difference::TableName:
            expected.tables.back().name = RawName::fromBytes("MISS9");
            break;
        case Difference::EntryCount:
            main.entries.push_back(main.entries.front());
            break;
        case Difference::TableCount:
            expected.tables.push_back(expected.tables.back());
            break;
        case Difference::Width:
            expected.bits = kind.bits == 8 ? 16 : 8;
            expected.format = &testfiles::format(QStringLiteral("hashed"));
            break;
        case Difference::Unreadable:
            bytes.clear();
            break;
        case Difference::VerifyFails:
            break;
        }
        const auto verify = [&](const QByteArray &written) {
            return difference == Difference::VerifyFails ? Result::failure(QStringLiteral("made to fail"))
                                                         : verifyGxt(written, expected);
        };
        const Result result = writeFileAtomically(file, bytes, verify);
        QVERIFY(!result);
        QCOMPARE(result.errorString(),
                 QString(reason).replace(QStringLiteral("FIRST"),
                                         describeEntry(kind.gxtFormat(), mainTableName(), 1,
                                                       kind.gxtFormat().keyText(expected.tables.front().entries.front()))));
        QCOMPARE(readFile(file), oldBytes);
        QCOMPARE(modeOf(file), 0640);
        QCOMPARE(entriesOf(temp.path()), QStringList{QStringLiteral("t.gxt")});

        // The control: the true document reads back, and the save goes through.
        QVERIFY(writeFileAtomically(file, bytesOf(newData(kind, 10)),
                                    [&](const QByteArray &written) { return verifyGxt(written, inWriterOrder(raw)); }));
        QCOMPARE(readFile(file), bytesOf(newData(kind, 10)));
        QCOMPARE(entriesOf(temp.path()), QStringList{QStringLiteral("t.gxt")});
    }

    void saveWritesThroughSymbolicLinks_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("linkTarget"); // as stored in the link
        QTest::addColumn<bool>("chain");         // a link to a link to the file
        QTest::addColumn<bool>("dangling");      // the file is not there yet
        for (const Kind &kind : Kinds) {
            const QByteArray name = kindName(kind);
            QTest::addRow("%s: absolute link", name.constData()) << kind << QStringLiteral("ABS") << false << false;
            QTest::addRow("%s: relative link", name.constData()) << kind << QStringLiteral("../real/t.gxt") << false << false;
            QTest::addRow("%s: chain of links", name.constData()) << kind << QStringLiteral("ABS") << true << false;
            QTest::addRow("%s: link to a file not made yet", name.constData())
                << kind << QStringLiteral("../real/t.gxt") << false << true;
        }
    }
    void saveWritesThroughSymbolicLinks()
    {
        QFETCH(Kind, kind);
        QFETCH(QString, linkTarget);
        QFETCH(bool, chain);
        QFETCH(bool, dangling);
        QTemporaryDir temp;
        const QString realFolder = temp.filePath(QStringLiteral("real"));
        const QString linkFolder = temp.filePath(QStringLiteral("links"));
        QVERIFY(QDir().mkpath(realFolder) && QDir().mkpath(linkFolder));
        const QString file = QDir(realFolder).filePath(QStringLiteral("t.gxt"));
        if (!dangling)
            QVERIFY(writeFile(file, bytesOf(oldData(kind)), 0640));
        if (linkTarget == QLatin1String("ABS"))
            linkTarget = file;

        QString link = QDir(linkFolder).filePath(QStringLiteral("t.gxt"));
        QVERIFY(symlink(QFile::encodeName(linkTarget).constData(), QFile::encodeName(link).constData()) == 0);
        if (chain) {
            const QString first = link;
            link = QDir(linkFolder).filePath(QStringLiteral("again.gxt"));
            QVERIFY(QFile::link(first, link));
        }
        const QStringList linksBefore = entriesOf(linkFolder);

        GxtDocument document;
        open(document, newData(kind));
        const Result result = SaveGxt(link, document);
        QVERIFY2(result, qPrintable(result.errorString()));

        QCOMPARE(readFile(file), bytesOf(newData(kind)));
        if (!dangling)
            QCOMPARE(modeOf(file), 0640);
        QCOMPARE(entriesOf(realFolder), QStringList{QStringLiteral("t.gxt")});
        QCOMPARE(entriesOf(linkFolder), linksBefore);
        QVERIFY(QFileInfo(link).isSymLink());
        QCOMPARE(QFileInfo(link).canonicalFilePath(), QFileInfo(file).canonicalFilePath());
        QCOMPARE(QFile::symLinkTarget(QDir(linkFolder).filePath(QStringLiteral("t.gxt"))), file);
    }

    void permissionBitsSurviveASave_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<int>("mode");
        for (const Kind &kind : Kinds) {
            // The special bits too: setuid, setgid and sticky.
            for (int mode : {0640, 0600, 0604, 0664, 0666, 0755, 0444, 0400, 0460, 04755, 02775, 01777, 06750})
                QTest::addRow("%s: %04o", kindName(kind).constData(), mode) << kind << mode;
        }
    }
    void permissionBitsSurviveASave()
    {
        QFETCH(Kind, kind);
        QFETCH(int, mode);
        if (!(mode & 0200) && geteuid() != 0)
            QSKIP("only root may save over a file its owner may not write; the fault test covers everyone else");
        QTemporaryDir temp;
        const QString file = temp.filePath(QStringLiteral("t.gxt"));
        QVERIFY(writeFile(file, bytesOf(oldData(kind)), mode));
        if (modeOf(file) != mode)
            QSKIP("this file system, or this user, cannot give a file these bits");
        GxtDocument document;
        open(document, newData(kind));
        const Result result = SaveGxt(file, document);
        QVERIFY2(result, qPrintable(result.errorString()));
        QCOMPARE(readFile(file), bytesOf(newData(kind)));
        QCOMPARE(QString::number(modeOf(file), 8), QString::number(mode, 8));
        QCOMPARE(entriesOf(temp.path()), QStringList{QStringLiteral("t.gxt")});
    }

    // A new file gets what the user's umask gives any new file, not the private bits of a
    // temporary file.
    void newFileGetsTheUsualPermissions()
    {
        QTemporaryDir temp;
        const QString file = temp.filePath(QStringLiteral("new.gxt"));
        const mode_t mask = umask(022);
        umask(mask);
        GxtDocument document;
        open(document, newData(Kind{}));
        const Result result = SaveGxt(file, document);
        QVERIFY2(result, qPrintable(result.errorString()));
        QCOMPARE(QString::number(modeOf(file), 8), QString::number(0666 & ~int(mask), 8));
    }
};

QTEST_GUILESS_MAIN(TestSaveFaults)
#include "tst_savefaults.moc"
