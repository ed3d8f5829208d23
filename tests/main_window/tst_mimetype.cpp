// The GXT file type as a desktop reads it, through Qt's own reader of the same database
// format: the installed package knows a table of each layout by its first bytes and by
// its name, and takes nothing else for one.
#include "testfiles.h"

#include <QDir>
#include <QMimeDatabase>
#include <QTemporaryDir>
#include <QTest>

using namespace testfiles;

const QString GxtType = QStringLiteral("application/x-gxt");
const QString Gxt2Type = QStringLiteral("application/x-gxt2");

class TestMimeType : public QObject
{
    Q_OBJECT

    QTemporaryDir m_data;

private Q_SLOTS:
    void initTestCase()
    {
        // Before the first look-up, which reads the database's folders.
        QVERIFY(QDir().mkpath(m_data.filePath(QStringLiteral("mime/packages"))));
        QVERIFY(QFile::copy(QStringLiteral(QUILLET_MIME_PACKAGE), m_data.filePath(QStringLiteral("mime/packages/quillet.xml"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_data.path()));
    }

    void described()
    {
        const QMimeType type = QMimeDatabase().mimeTypeForName(GxtType);
        QVERIFY(type.isValid());
        QCOMPARE(type.comment(), QStringLiteral("GXT text table"));
        QCOMPARE(type.globPatterns(), QStringList{QStringLiteral("*.gxt")});
        const QMimeType gxt2 = QMimeDatabase().mimeTypeForName(Gxt2Type);
        QVERIFY(gxt2.isValid());
        QCOMPARE(gxt2.globPatterns(), QStringList{QStringLiteral("*.gxt2")});
    }

    void recognised_data()
    {
        QTest::addColumn<QString>("name"); // "": known by its bytes alone
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("type"); // "": neither of ours
        const QByteArray rest(32, '\0');
        QTest::newRow("flat, as the editor writes it") << "" << written({{QStringLiteral("A"), QStringLiteral("b")}}) << GxtType;
        QTest::newRow("tabled") << "" << "TABL" + rest << GxtType;
        QTest::newRow("hashed, 8-bit characters") << "" << QByteArray("\x04\0\x08\0TABL", 8) + rest << GxtType;
        QTest::newRow("hashed, 16-bit characters") << "" << QByteArray("\x04\0\x10\0TABL", 8) + rest << GxtType;
        QTest::newRow("hashed, one table") << "" << QByteArray("\x04\0\x10\0TKEY", 8) + rest << GxtType;
        QTest::newRow("GXT2") << "" << "2TXG" + rest << Gxt2Type;
        QTest::newRow("GXT2, big-endian") << "" << "GXT2" + rest << Gxt2Type;
        QTest::newRow("by name, in capitals") << "MAIN.GXT" << QByteArray("hello") << GxtType;
        QTest::newRow("GXT2 by name") << "global.gxt2" << QByteArray("hello") << Gxt2Type;
        QTest::newRow("hashed, another size word") << "" << QByteArray("\x04\0\x09\0TABL", 8) + rest << "";
        QTest::newRow("key block further in") << "" << "xTKEY" + rest << "";
        QTest::newRow("cut short") << "" << QByteArray("TKE") << "";
    }

    void recognised()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, type);
        const QMimeDatabase database;
        const QMimeType found = name.isEmpty() ? database.mimeTypeForData(bytes)
                                               : database.mimeTypeForFileNameAndData(name, bytes);
        if (type.isEmpty())
            QVERIFY2(found.name() != GxtType && found.name() != Gxt2Type, qPrintable(found.name()));
        else
            QCOMPARE(found.name(), type);
    }
};

QTEST_GUILESS_MAIN(TestMimeType)
#include "tst_mimetype.moc"
