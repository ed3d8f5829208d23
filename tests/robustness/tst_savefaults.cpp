// Saves that meet a fault: a folder or file the user may not write, a folder in the
// target's place, a missing folder, a disk that fills up part of the way. After each, the
// old file keeps every byte, no temporary file stays behind and the reason is given. And
// saves that succeed keep what the user set up around the file: a symbolic link stays a
// link and the file's permission bits stay as they were.
#include "testfiles.h"
#include "childprocess.h"

#include "gxtfile.h"
#include "stringtable.h"

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


// What stands on disk before each save: a small table the user does not want to lose.
const std::vector<StringEntry> OldRows{{QStringLiteral("A1"), QStringLiteral("Hi")}, {QStringLiteral("B"), QString()}};

// What the saves write: large enough that a disk filling up can stop it part of the way.
std::vector<StringEntry> newRows(int count = 3000)
{
    std::vector<StringEntry> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back({QStringLiteral("K%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("~r~text number %1").arg(i)});
    return rows;
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
};

// The child's answer: "ok", "failed:" and the reason, or "cannot prepare".
QByteArray saveInChild(const QString &path, const std::function<bool()> &prepare, int entries = 3000)
{
    const childprocess::Result child = childprocess::run([&]() -> QByteArray {
        if (!prepare())
            return "cannot prepare";
        StringTable table;
        table.assign(newRows(entries));
        const auto before = table.rows();
        const GxtSaveResult result = SaveGxt(path, table);
        if (table.rows() != before)
            return "the save changed the table";
        return result.ok ? QByteArray("ok") : "failed:" + result.errorString.toUtf8();
    });
    return child.ok() ? child.output : child.describe().toUtf8();
}

} // namespace

class TestSaveFaults : public QObject
{
    Q_OBJECT

private slots:
    void failedSavesLoseNothing_data()
    {
        QTest::addColumn<Fault>("fault");
        QTest::addColumn<qint64>("diskRoom"); // bytes a file may grow to, for DiskFull
        QTest::addColumn<int>("entries");     // of the table saved
        QTest::newRow("read-only folder") << Fault::ReadOnlyFolder << qint64(0) << 3000;
        QTest::newRow("read-only file") << Fault::ReadOnlyFile << qint64(0) << 3000;
        QTest::newRow("a folder in the file's place") << Fault::TargetIsAFolder << qint64(0) << 3000;
        QTest::newRow("missing folder") << Fault::MissingFolder << qint64(0) << 3000;
        // Large and small tables: a small one fits the file's write buffer whole.
        for (int entries : {3000, 10}) {
            const qint64 size = written(newRows(entries)).size();
            for (qint64 room : {qint64(0), qint64(1), qint64(4096), size / 2, size - 1}) {
                if (room < size)
                    QTest::addRow("disk full after %lld of %lld bytes", qlonglong(room), qlonglong(size))
                        << Fault::DiskFull << room << entries;
            }
        }
        const qint64 size = written(newRows()).size();
        QTest::newRow("disk full half-way, through a link") << Fault::DiskFullThroughALink << size / 2 << 3000;
    }
    void failedSavesLoseNothing()
    {
        QFETCH(Fault, fault);
        QFETCH(qint64, diskRoom);
        QFETCH(int, entries);
        QTemporaryDir temp;
        QVERIFY(temp.isValid());
        // The folder the user saves into, and the file already there.
        const QString folder = temp.filePath(QStringLiteral("tables"));
        QVERIFY(QDir().mkpath(folder));
        QString file = QDir(folder).filePath(QStringLiteral("t.gxt"));
        const QByteArray oldBytes = written(OldRows);
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
        }

        const int modeBefore = modeOf(file);
        QMap<QString, QStringList> before;
        for (const QString &f : watched)
            before[f] = entriesOf(f);

        const QByteArray answer = saveInChild(target, prepare, entries);
        if (answer == "cannot prepare")
            QSKIP("this system does not let the test switch to an ordinary user (uid 65534) or limit file sizes");
        QVERIFY2(answer.startsWith("failed:"), answer.constData());
        qInfo("%s", answer.constData());
        QVERIFY2(answer.size() > qsizetype(strlen("failed:")) && !answer.contains("Unknown error"),
                 "the failure gives no reason");
        if (fault == Fault::DiskFull || fault == Fault::DiskFullThroughALink)
            QCOMPARE(answer, QByteArray("failed:") + qt_error_string(EFBIG).toUtf8());

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
        for (int entries : {3000, 10}) {
            QTemporaryDir temp;
            const QString file = temp.filePath(QStringLiteral("t.gxt"));
            QVERIFY(writeFile(file, written(OldRows)));
            const QByteArray expected = written(newRows(entries));
            QCOMPARE(saveInChild(file, [&] { return limitFileSize(expected.size()); }, entries), QByteArray("ok"));
            QCOMPARE(readFile(file), expected);
            QCOMPARE(entriesOf(temp.path()), QStringList{QStringLiteral("t.gxt")});
        }
    }

    void saveWritesThroughSymbolicLinks_data()
    {
        QTest::addColumn<QString>("linkTarget"); // as stored in the link
        QTest::addColumn<bool>("chain");         // a link to a link to the file
        QTest::addColumn<bool>("dangling");      // the file is not there yet
        QTest::newRow("absolute link") << QStringLiteral("ABS") << false << false;
        QTest::newRow("relative link") << QStringLiteral("../real/t.gxt") << false << false;
        QTest::newRow("chain of links") << QStringLiteral("ABS") << true << false;
        QTest::newRow("link to a file not made yet") << QStringLiteral("../real/t.gxt") << false << true;
    }
    void saveWritesThroughSymbolicLinks()
    {
        QFETCH(QString, linkTarget);
        QFETCH(bool, chain);
        QFETCH(bool, dangling);
        QTemporaryDir temp;
        const QString realFolder = temp.filePath(QStringLiteral("real"));
        const QString linkFolder = temp.filePath(QStringLiteral("links"));
        QVERIFY(QDir().mkpath(realFolder) && QDir().mkpath(linkFolder));
        const QString file = QDir(realFolder).filePath(QStringLiteral("t.gxt"));
        if (!dangling)
            QVERIFY(writeFile(file, written(OldRows), 0640));
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

        StringTable table;
        table.assign(newRows());
        const GxtSaveResult result = SaveGxt(link, table);
        QVERIFY2(result.ok, qPrintable(result.errorString));

        QCOMPARE(readFile(file), written(newRows()));
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
        QTest::addColumn<int>("mode");
        for (int mode : {0640, 0600, 0604, 0664, 0666, 0755, 0444, 0400, 0460})
            QTest::addRow("%04o", mode) << mode;
    }
    void permissionBitsSurviveASave()
    {
        QFETCH(int, mode);
        if (!(mode & 0200) && geteuid() != 0)
            QSKIP("only root may save over a file its owner may not write; the fault test covers everyone else");
        QTemporaryDir temp;
        const QString file = temp.filePath(QStringLiteral("t.gxt"));
        QVERIFY(writeFile(file, written(OldRows), mode));
        StringTable table;
        table.assign(newRows());
        const GxtSaveResult result = SaveGxt(file, table);
        QVERIFY2(result.ok, qPrintable(result.errorString));
        QCOMPARE(readFile(file), written(newRows()));
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
        StringTable table;
        table.assign(newRows());
        const GxtSaveResult result = SaveGxt(file, table);
        QVERIFY2(result.ok, qPrintable(result.errorString));
        QCOMPARE(QString::number(modeOf(file), 8), QString::number(0666 & ~int(mask), 8));
    }
};

QTEST_GUILESS_MAIN(TestSaveFaults)
#include "tst_savefaults.moc"
