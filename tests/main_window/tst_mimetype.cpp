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
    }

    void recognised_data()
    {
        QTest::addColumn<QString>("name"); // "": known by its bytes alone
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("gxt");
        const QByteArray rest(32, '\0');
        QTest::newRow("flat, as the editor writes it") << "" << written({{QStringLiteral("A"), QStringLiteral("b")}}) << true;
        QTest::newRow("tabled") << "" << "TABL" + rest << true;
        QTest::newRow("hashed, 8-bit characters") << "" << QByteArray("\x04\0\x08\0TABL", 8) + rest << true;
        QTest::newRow("hashed, 16-bit characters") << "" << QByteArray("\x04\0\x10\0TABL", 8) + rest << true;
        QTest::newRow("by name, in capitals") << "MAIN.GXT" << QByteArray("hello") << true;
        QTest::newRow("hashed, another size word") << "" << QByteArray("\x04\0\x09\0TABL", 8) + rest << false;
        QTest::newRow("key block further in") << "" << "xTKEY" + rest << false;
        QTest::newRow("cut short") << "" << QByteArray("TKE") << false;
    }

    void recognised()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(bool, gxt);
        const QMimeDatabase database;
        const QMimeType type = name.isEmpty() ? database.mimeTypeForData(bytes)
                                              : database.mimeTypeForFileNameAndData(name, bytes);
        QVERIFY2((type.name() == GxtType) == gxt, qPrintable(type.name()));
    }
};

QTEST_GUILESS_MAIN(TestMimeType)
#include "tst_mimetype.moc"
