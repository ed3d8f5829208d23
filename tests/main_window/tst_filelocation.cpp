// The remembered folder and the window title, against the real per-user settings store
// (each test run has a configuration folder of its own).
#include "filelocation.h"

#include <QDir>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace quillet;

class TestFileLocation : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Run by hand, outside CTest's own configuration folder, the store still stays out of
    // the user's settings.
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void rememberedFolder_data();
    void rememberedFolder();
    void staleOrMissingFolderFallsBack();
    void windowTitle();
};

void TestFileLocation::rememberedFolder_data()
{
    QTest::addColumn<QString>("file");  // relative to a fresh folder, or "" for a bare name
    QTest::addColumn<QString>("stored"); // relative to that folder; "-" for the empty text
    QTest::addColumn<bool>("givesStored");
    QTest::newRow("file in a folder") << "table.gxt" << "" << true;
    QTest::newRow("file in a subfolder") << "sub/table.gxt" << "sub/" << true;
    QTest::newRow("bare file name") << "" << "-" << false;
}

void TestFileLocation::rememberedFolder()
{
    QFETCH(QString, file);
    QFETCH(QString, stored);
    QFETCH(bool, givesStored);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("sub")));
    const QString base = dir.path() + QLatin1Char('/');
    const QString name = QString::fromLatin1(FileLocationSetting::Application);

    QSettingsStore store(name, name);
    SaveFileLocation(store, file.isEmpty() ? QStringLiteral("table.gxt") : base + file);

    // Where and under which names the setting lands is part of the contract.
    const QString expected = stored == QLatin1String("-") ? QString() : base + stored;
    QCOMPARE(QSettings(name, name).value(QStringLiteral("Main/File Location")).toString(), expected);
    QCOMPARE(GetFileLocation(store, QStringLiteral("/app")), givesStored ? expected : QStringLiteral("/app"));
}

void TestFileLocation::staleOrMissingFolderFallsBack()
{
    QSettings(QStringLiteral("Quillet Tests"), QStringLiteral("stale")).clear();
    QSettingsStore store(QStringLiteral("Quillet Tests"), QStringLiteral("stale"));
    QCOMPARE(GetFileLocation(store, QStringLiteral("/app")), QStringLiteral("/app"));
    {
        QTemporaryDir gone;
        SaveFileLocation(store, gone.filePath(QStringLiteral("t.gxt")));
        QCOMPARE(GetFileLocation(store, QStringLiteral("/app")), gone.path() + QLatin1Char('/'));
    }
    QCOMPARE(GetFileLocation(store, QStringLiteral("/app")), QStringLiteral("/app"));
}

void TestFileLocation::windowTitle()
{
    QCOMPARE(WindowTitle(QStringLiteral("/home/me/work/table.gxt")), QStringLiteral("Quillet - table.gxt"));
    QCOMPARE(WindowTitle(QStringLiteral("Untitled")), QStringLiteral("Quillet - Untitled"));
    // A backslash is an ordinary character of a file name here.
    QCOMPARE(WindowTitle(QStringLiteral("/x/a\\b.gxt")), QStringLiteral("Quillet - a\\b.gxt"));
}

QTEST_GUILESS_MAIN(TestFileLocation)
#include "tst_filelocation.moc"
