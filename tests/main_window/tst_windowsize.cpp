// The windows as places to live in: the main window and the editor dialog open at their
// design sizes or the remembered ones, within the screen at any scale factor, grow and
// shrink with their controls following; the status bar tells what the window shows; and
// what start-up has to say shows over the window once it is on the screen.
//
// CTest runs this suite twice: on the offscreen platform's own screen, and as tst_windowsize_scale2
// on a 1280 x 1024 screen at a scale factor of 2 (640 x 512 logical pixels), where the design
// size of the main window does not fit.
#include "testfiles.h"
#include "windowdriver.h"

#include "filecommands.h"
#include "filelocation.h"
#include "frmmain.h"
#include "frmstrings.h"
#include "stringcommands.h"
#include "tablecommands.h"
#include "userdialogs.h"
#include "valueedit.h"
#include "windowsettings.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <memory>

using namespace quillet;
using namespace windowdriver;

Q_DECLARE_METATYPE(testfiles::RowDocument)

namespace {

QString sizeText(QSize size)
{
    return QStringLiteral("%1x%2").arg(size.width()).arg(size.height());
}

} // namespace

class TestWindowSize : public QObject, WindowFixture
{
    Q_OBJECT

    QString setting(const char *key) const
    {
        return settings->value(QString::fromLatin1(WindowSetting::Group), QString::fromLatin1(key), QString());
    }
    void remember(const char *key, const QString &value)
    {
        settings->setValue(QString::fromLatin1(WindowSetting::Group), QString::fromLatin1(key), value);
    }
    QRect room() const { return w->screen()->availableGeometry(); }
    QLabel *label(const char *name) const { return control<QLabel>(*w, name); }
    // The labels the status bar shows, left to right, as "name=text".
    QStringList status() const
    {
        QStringList shown;
        for (const char *name : {"lblEntries", "lblTable", "lblFormat", "lblModified", "lblWarnings"}) {
            if (label(name)->isVisibleTo(w.get()))
                shown << QLatin1String(name).mid(3) + QLatin1Char('=') + label(name)->text();
        }
        return shown;
    }
    // Every control of the central area or the dialog inside it, and none over another.
    static void expectControlsInPlace(const QWidget &container, const QList<QWidget *> &controls)
    {
        for (qsizetype i = 0; i < controls.size(); ++i) {
            const QRect place = controls[i]->geometry();
            QVERIFY2(container.rect().contains(place), qPrintable(controls[i]->objectName()));
            for (qsizetype j = i + 1; j < controls.size(); ++j) {
                // The form has Update's right edge on Cancel's left one.
                if (controls[i]->objectName() == QLatin1String("cmdOk") && controls[j]->objectName() == QLatin1String("cmdCancel"))
                    continue;
                QVERIFY2(!place.intersects(controls[j]->geometry()),
                         qPrintable(controls[i]->objectName() + QLatin1String(" over ") + controls[j]->objectName()));
            }
        }
    }

private Q_SLOTS:
    void init() { start(); }
    void cleanup() { finish(); }

    // The size the window opens at: the design size of its client area, or the one
    // remembered, never larger than the screen leaves room for (frame included) and never
    // below the window's least.
    void opensAtItsSize_data()
    {
        QTest::addColumn<QString>("remembered"); // the setting; "" for none
        QTest::addColumn<QSize>("wanted");       // the window's size without frame; empty: the design size
        QTest::newRow("nothing remembered") << "" << QSize();
        QTest::newRow("remembered") << "600x420" << QSize(600, 420);
        QTest::newRow("larger than any screen") << "5000x4000" << QSize(5000, 4000);
        QTest::newRow("smaller than the least") << "50x40" << QSize(50, 40);
        QTest::newRow("no size") << "wide" << QSize();
        QTest::newRow("no area") << "0x300" << QSize();
    }
    void opensAtItsSize()
    {
        QFETCH(QString, remembered);
        QFETCH(QSize, wanted);
        if (!remembered.isEmpty())
            remember(WindowSetting::MainSize, remembered);
        w->Form_Load(QString());
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));

        const QSize frame = w->frameGeometry().size() - w->size();
        const QSize least = w->minimumSizeHint();
        QVERIFY(w->centralWidget()->width() >= frmMain::MinimumClientSize.width());
        QVERIFY(w->centralWidget()->height() >= frmMain::MinimumClientSize.height());
        if (wanted.isEmpty()) {
            // The design size where it fits, however tall the style makes the menu and status bars.
            const QSize designed = w->size() - w->centralWidget()->size() + frmMain::DesignClientSize;
            if (room().size().boundedTo(designed + frame) == designed + frame)
                QCOMPARE(w->centralWidget()->size(), frmMain::DesignClientSize);
            else
                QVERIFY(w->width() < designed.width() || w->height() < designed.height());
        } else {
            QCOMPARE(w->size(), wanted.boundedTo(room().size() - frame).expandedTo(least));
        }
        // Wholly on the screen, title bar and all.
        QVERIFY2(room().contains(w->frameGeometry()),
                 qPrintable(sizeText(w->frameGeometry().size()) + QLatin1String(" in ") + sizeText(room().size())));
    }

    // A size the user leaves the window at is the one the next window opens at; so is being
    // maximised, with the size to go back to.
    void sizeRemembered_data()
    {
        QTest::addColumn<bool>("maximized");
        QTest::newRow("a size") << false;
        QTest::newRow("maximised") << true;
    }
    void sizeRemembered()
    {
        QFETCH(bool, maximized);
        w->Form_Load(QString());
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        const QSize chosen = (room().size() - QSize(100, 100)).boundedTo(QSize(700, 480));
        w->resize(chosen);
        if (maximized)
            w->showMaximized();
        QTRY_COMPARE(w->isMaximized(), maximized);
        QVERIFY(w->close());
        QCOMPARE(setting(WindowSetting::MainSize), sizeText(chosen));
        QCOMPARE(setting(WindowSetting::MainMaximized), maximized ? QStringLiteral("true") : QStringLiteral("false"));

        w = std::make_unique<frmMain>(dialogs.get(), settings.get());
        w->Form_Load(QString());
        QTRY_COMPARE(w->isMaximized(), maximized);
        if (!maximized)
            QCOMPARE(w->size(), chosen);
        // A window that is not closed remembers nothing: the settings hold what the last close left.
        w->resize(chosen - QSize(10, 10));
        w.reset();
        QCOMPARE(setting(WindowSetting::MainSize), sizeText(chosen));
    }

    // However large or small, the lists fill the client area with the same margins, the
    // Value column takes what the Name column leaves, and the window shrinks no further than
    // its least.
    void listsFollowTheWindow_data()
    {
        QTest::addColumn<QSize>("client");
        QTest::newRow("design size") << frmMain::DesignClientSize;
        QTest::newRow("larger") << QSize(1000, 700);
        QTest::newRow("the least") << frmMain::MinimumClientSize;
        QTest::newRow("below the least") << QSize(100, 60);
    }
    void listsFollowTheWindow()
    {
        QFETCH(QSize, client);
        testfiles::Rows rows;
        for (int i = 0; i < 80; ++i)
            rows.append({QStringLiteral("E%1").arg(i), QStringLiteral("value %1").arg(i)});
        w->Form_Load(file(QStringLiteral("t.gxt"), testfiles::written(rows)));
        const int nameWidth = list(*w)->header()->sectionSize(0);
        w->resize(w->size() - w->centralWidget()->size() + client);
        const QSize shown = client.expandedTo(frmMain::MinimumClientSize);
        QTRY_COMPARE(w->centralWidget()->size(), shown);
        for (const char *name : {"lvStrings", "lvBlank"}) {
            const QTreeView *view = control<QTreeView>(*w, name);
            // Below the filter bar.
            QCOMPARE(view->geometry(), QRect(QPoint(8, 36), shown - QSize(16, 44)));
            QCOMPARE(view->header()->sectionSize(0), nameWidth);
        }
        const QHeaderView *header = list(*w)->header();
        QTRY_COMPARE(header->sectionSize(0) + header->sectionSize(1), list(*w)->viewport()->width());
    }

    // A Name column the user widens stays so for every file and the next window; the
    // stand-in list follows it.
    void nameColumnRemembered()
    {
        w->Form_Load(QString());
        QHeaderView *header = list(*w)->header();
        const int fitted = header->sectionSize(0);
        // Opening a hashed file fits the column to a hash's nine characters.
        testfiles::RowDocument hashed{"hashed", 16, {{"MAIN", {{"#1CBF88DC", "x"}}}}};
        QVERIFY(w->fileCommands().OpenGxtFile(file(QStringLiteral("h.gxt"), testfiles::written(hashed))));
        QVERIFY(header->sectionSize(0) > fitted);
        w->fileCommands().mnuFile_New_Click();
        QCOMPARE(header->sectionSize(0), fitted);
        QVERIFY(setting(WindowSetting::NameColumn).isEmpty());

        header->resizeSection(0, fitted + 40);
        QCOMPARE(control<QTreeView>(*w, "lvBlank")->header()->sectionSize(0), fitted + 40);
        QVERIFY(w->fileCommands().OpenGxtFile(dir->filePath(QStringLiteral("h.gxt"))));
        QCOMPARE(header->sectionSize(0), fitted + 40);
        QVERIFY(w->close());
        QCOMPARE(setting(WindowSetting::NameColumn), QString::number(fitted + 40));

        w = std::make_unique<frmMain>(dialogs.get(), settings.get());
        w->Form_Load(QString());
        QCOMPARE(list(*w)->header()->sectionSize(0), fitted + 40);
        QTRY_COMPARE(list(*w)->header()->sectionSize(0) + list(*w)->header()->sectionSize(1),
                     list(*w)->viewport()->width());
    }

    // The editor dialog: at its design size every control is where the form put it; larger
    // or smaller, the value box takes the difference, the buttons keep to the bottom right
    // corner, nothing overlaps; and it opens again at the size the user left it at.
    void editorDialogSizes_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("design size") << frmStrings::DesignSize;
        QTest::newRow("larger") << QSize(600, 400);
        QTest::newRow("the least") << frmStrings::MinimumSize;
        QTest::newRow("below the least") << QSize(100, 50);
    }
    void editorDialogSizes()
    {
        QFETCH(QSize, size);
        w->Form_Load(QString());
        QSize seen;
        QRect valueBox, okButton, cancelButton;
        bool inPlace = false;
        w->stringCommands().setDialogRunner([&](frmStrings &dialog) {
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            QCOMPARE(dialog.size(), frmStrings::DesignSize);
            dialog.resize(size);
            QTRY_COMPARE(dialog.size(), size.expandedTo(frmStrings::MinimumSize));
            seen = dialog.size();
            valueBox = dialog.txtValue()->geometry();
            okButton = dialog.cmdOk()->geometry();
            cancelButton = dialog.cmdCancel()->geometry();
            expectControlsInPlace(dialog, QList<QWidget *>{dialog.lblStringName(), dialog.txtName(), dialog.lblTextStyle(),
                                                           dialog.comboTextStyle(), dialog.OptView(0), dialog.OptView(1),
                                                           dialog.txtValue(), dialog.cmdOk(), dialog.cmdCancel()});
            inPlace = !QTest::currentTestFailed();
            dialog.cmdCancel_Click();
        });
        w->stringCommands().add();
        QVERIFY(inPlace);
        const QSize grown = seen - frmStrings::DesignSize;
        QCOMPARE(valueBox, QRect(8, 56, 353 + grown.width(), 85 + grown.height()));
        QCOMPARE(okButton, QRect(200 + grown.width(), 144 + grown.height(), 81, 25));
        QCOMPARE(cancelButton, QRect(280 + grown.width(), 144 + grown.height(), 81, 25));
        QCOMPARE(setting(WindowSetting::EditorSize), sizeText(seen));

        // Edit opens it at that size too.
        addEntry(*w, QStringLiteral("A"), QStringLiteral("a"));
        QVERIFY(select(*w, QStringLiteral("A")));
        QSize reopened;
        w->stringCommands().setDialogRunner([&](frmStrings &dialog) {
            reopened = dialog.size();
            dialog.cmdCancel_Click();
        });
        w->stringCommands().edit();
        QCOMPARE(reopened, seen);
    }

    // What the status bar says for each kind of file, as the window moves between tables.
    void statusBarOfEachFile_data()
    {
        QTest::addColumn<testfiles::RowDocument>("document");
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("flat, one entry") << testfiles::RowDocument{"flat", 16, {{"MAIN", {{"A", "a"}}}}}
                                         << QStringList{"Entries=1 entry", "Format=flat GXT (one table, the first games), first game"};
        QTest::newRow("flat, empty") << testfiles::RowDocument{"flat", 16, {{"MAIN", {}}}}
                                     << QStringList{"Entries=0 entries", "Format=flat GXT (one table, the first games), first game"};
        QTest::newRow("tables") << testfiles::RowDocument{"tabled", 16, {{"MAIN", {{"A", "a"}, {"B", "b"}}}, {"BOAT", {{"C", "c"}}}}}
                                << QStringList{"Entries=2 entries", "Table=Table MAIN",
                                               "Format=GXT of tables (the second game), second game"};
        QTest::newRow("hashed keys, one-at-a-time")
            << testfiles::RowDocument{"hashed-single", 16, {{"MAIN", {{"#1CBF88DC", "a"}}}}}
            << QStringList{"Entries=1 entry", "Format=GXT of one table with hashed keys, fourth game"};
    }
    void statusBarOfEachFile()
    {
        QFETCH(testfiles::RowDocument, document);
        QFETCH(QStringList, shown);
        w->Form_Load(file(QStringLiteral("t.gxt"), testfiles::written(document)));
        QCOMPARE(status(), shown);
        if (document.tables.size() > 1) {
            w->tableCommands().mnuTables_Next_Click();
            QCOMPARE(status().mid(0, 2), (QStringList{"Entries=1 entry", "Table=Table BOAT"}));
        }
        // The numbering stays on the right, the progress bar with it only while a file is read
        // or written.
        QVERIFY(label("lblNumbering")->isVisible());
        QVERIFY(control<QWidget>(*w, "ProgressBar")->isHidden());
    }

    // "Modified" while the document differs from what was opened or saved, and not a moment
    // longer; the count follows every change.
    void statusBarFollowsChanges()
    {
        const QString path = file(QStringLiteral("t.gxt"), testfiles::written({{"A", "a"}}));
        w->Form_Load(path);
        QCOMPARE(status().first(), QStringLiteral("Entries=1 entry"));
        QVERIFY(!status().contains(QStringLiteral("Modified=Modified")));
        addEntry(*w, QStringLiteral("B"), QStringLiteral("b"));
        QCOMPARE(status().first(), QStringLiteral("Entries=2 entries"));
        QVERIFY(status().contains(QStringLiteral("Modified=Modified")));
        item(*w, "mnuStrings_Undo")->trigger();
        QCOMPARE(status().first(), QStringLiteral("Entries=1 entry"));
        QVERIFY(!status().contains(QStringLiteral("Modified=Modified")));
        item(*w, "mnuStrings_Redo")->trigger();
        QVERIFY(w->fileCommands().mnuFile_Save_Click());
        QVERIFY(!status().contains(QStringLiteral("Modified=Modified")));
        // Undo after the save differs from the file again.
        item(*w, "mnuStrings_Undo")->trigger();
        QVERIFY(status().contains(QStringLiteral("Modified=Modified")));
        dialogs->setNextAnswer(QMessageBox::No);
        w->fileCommands().mnuFile_New_Click();
        QCOMPARE(status().first(), QStringLiteral("Entries=0 entries"));
        QVERIFY(!status().contains(QStringLiteral("Modified=Modified")));
    }

    // A load's warnings stay in the status bar, each one in its tip as plain text, until the
    // next document.
    void statusBarWarnings()
    {
        // A key twice, and a remembered character map that has gone, whose name reads as markup.
        const QString path = dir->filePath(QStringLiteral("t.gxt"));
        const QString map = dir->filePath(QStringLiteral("<b>gone</b>.map"));
        settings->setValue(QStringLiteral("Recent Files"), QStringLiteral("File1"), path);
        settings->setValue(QStringLiteral("Recent Files"), QStringLiteral("Numbering1"), map);
        w->Form_Load(file(QStringLiteral("t.gxt"), testfiles::written({{"A", "1"}, {"A", "2"}})));
        QCoreApplication::processEvents();
        QCOMPARE(dialogs->notes.size(), 1);
        QVERIFY(status().contains(QStringLiteral("Warnings=2 warnings")));
        const QString tip = label("lblWarnings")->toolTip();
        QVERIFY2(tip.contains(QStringLiteral("the key A appears 2 times; the game finds only one of them<br>the character map "
                                             "could not be read (")
                              + map.toHtmlEscaped()),
                 qPrintable(tip));
        QVERIFY(!tip.contains(QStringLiteral("<b>")));
        // A failed open leaves the document, and what was said of it, as it was.
        dialogs->setNextAnswer(QMessageBox::Ok);
        QVERIFY(!w->fileCommands().OpenGxtFile(dir->filePath(QStringLiteral("none.gxt"))));
        QVERIFY(status().contains(QStringLiteral("Warnings=2 warnings")));
        w->fileCommands().mnuFile_New_Click();
        QVERIFY(label("lblWarnings")->isHidden());
        QVERIFY(label("lblWarnings")->toolTip().isEmpty());
    }

    // Start-up's messages show over the window, once the window system has put it on the
    // screen, and the window then settles on an untitled table.
    void startupMessagesOverTheWindow_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("said");
        QTest::addColumn<QString>("title");
        QTest::newRow("a damaged file") << QByteArray("TKEY\x07\0\0\0", 8) << int(QMessageBox::Ok)
                                        << "Could not open PATH: " << "Quillet - Untitled";
        // A: "x"; B points past the 4 bytes of texts.
        const QByteArray broken("TKEY\x18\0\0\0\0\0\0\0A\0\0\0\0\0\0\0\x40\0\0\0B\0\0\0\0\0\0\0TDAT\x04\0\0\0x\0\0\0", 44);
        QTest::newRow("a file offered without its broken entries, declined")
            << broken << int(QMessageBox::No) << "PATH\n\n1 entry of table MAIN points outside" << "Quillet - Untitled";
        QTest::newRow("a file offered without its broken entries, taken")
            << broken << int(QMessageBox::Yes) << "PATH\n\n1 entry of table MAIN points outside" << "Quillet - t.gxt";
    }
    void startupMessagesOverTheWindow()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, answer);
        QFETCH(QString, said);
        QFETCH(QString, title);
        const QString path = file(QStringLiteral("t.gxt"), bytes);
        dialogs->setNextAnswer(QMessageBox::StandardButton(answer));
        w->Form_Load(path);
        QCOMPARE(dialogs->messages.size(), 1);
        QVERIFY2(dialogs->messages[0].text.startsWith(said.replace(QStringLiteral("PATH"), path)),
                 qPrintable(dialogs->messages[0].text));
        QCOMPARE(dialogs->overShownWindow, QList<bool>{true});
        QCOMPARE(w->windowTitle(), title);
    }
};

QTEST_MAIN(TestWindowSize)
#include "tst_windowsize.moc"
