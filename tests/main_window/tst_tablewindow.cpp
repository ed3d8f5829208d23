// The window over tabled and hashed files, driven through its own commands: moving between
// tables, the table commands, hashed keys, key names, character numberings and what a load
// notes about them.
#include "testfiles.h"
#include "windowdriver.h"

#include "filecommands.h"
#include "filelocation.h"
#include "frmmain.h"
#include "frmstrings.h"
#include "frmtables.h"
#include "keyhash.h"
#include "keyhashbox.h"
#include "numberingcommands.h"
#include "stringcommands.h"
#include "tablecommands.h"
#include "userdialogs.h"
#include "valueedit.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace quillet;
using namespace windowdriver;
using testfiles::Row;
using testfiles::RowDocument;

namespace {

// Three tables, in file order MAIN, BOAT, INTRO as the writer orders them; the texts hold
// letters of the game's own numbering (0x83 is Ä there, ƒ in Windows-1252).
RowDocument tables(const QString &format)
{
    const bool hashed = format == QLatin1String("hashed");
    RowDocument document{format, 16, {{"MAIN", {{hashed ? "#1CBF88DC" : "YES", "Ja"}, {"B", "JÄGER"}, {"A", "zwei"}}}}};
    if (format == QLatin1String("flat"))
        return document;
    document.tables.push_back({"INTRO", {{"I1", "intro"}}});
    document.tables.push_back({"BOAT", {{"B1", "boat"}, {"B2", "boat two"}}});
    return document;
}

// The bytes of such a document, in the game's numbering whatever the format.
QByteArray bytesOf(const RowDocument &document)
{
    return testfiles::written(document, *CharacterNumbering::western(testfiles::format(document.format)));
}

} // namespace

class TestTableWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedUserDialogs> dialogs;
    std::unique_ptr<MemorySettingsStore> settings;
    std::unique_ptr<frmMain> w;

    QString file(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir->filePath(name);
        if (!testfiles::writeFile(path, bytes))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    QString open(const QString &format)
    {
        const QString path = file(QStringLiteral("t.gxt"), bytesOf(tables(format)));
        w->Form_Load(path);
        return path;
    }
    QStringList names() const { return windowdriver::names(*w); }
    bool changed() const { return w->controller().StringsChanged(); }
    QAction *item(const char *name) const { return windowdriver::item(*w, name); }
    QString tableShown() const { return windowdriver::tableShown(*w); }
    // Works the editor dialog: types a name into the emptied name box and commits.
    void commitWithName(const QString &typed)
    {
        w->stringCommands().setDialogRunner([typed](frmStrings &dialog) {
            dialog.txtName()->clear();
            QTest::keyClicks(dialog.txtName(), typed);
            dialog.cmdOk_Click();
            if (dialog.isVisible())
                dialog.cmdCancel_Click();
        });
    }

private Q_SLOTS:
    void init()
    {
        dir = std::make_unique<QTemporaryDir>();
        dialogs = std::make_unique<ScriptedUserDialogs>();
        settings = std::make_unique<MemorySettingsStore>();
        w = std::make_unique<frmMain>(dialogs.get(), settings.get());
    }
    void cleanup()
    {
        w.reset();
        QCOMPARE(dialogs->unexpected, 0);
    }

    void tablesMenuOnlyForTables()
    {
        QMenu *tablesMenu = menu(*w, "mnuTables");
        QVERIFY(!tablesMenu->menuAction()->isVisible());
        open(QStringLiteral("flat"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Quillet - t.gxt"));
        // Hidden is not enough: a hidden menu's shortcuts would still fire.
        QVERIFY(!tablesMenu->menuAction()->isVisible() && !item("mnuTables_Next")->isEnabled());

        open(QStringLiteral("tabled"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Quillet - t.gxt [MAIN]"));
        QVERIFY(tablesMenu->menuAction()->isVisible() && item("mnuTables_Next")->isEnabled());
        // MAIN stays what it is.
        QVERIFY(!item("mnuTables_Rename")->isEnabled() && !item("mnuTables_Delete")->isEnabled());
        w->fileCommands().mnuFile_New_Click();
        QVERIFY(!tablesMenu->menuAction()->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("Quillet - Untitled"));
    }

    void movingBetweenTablesKeepsTheOrderAndSelectsNothing()
    {
        open(QStringLiteral("tabled"));
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->lvStrings_ColumnClick(QStringLiteral("Name")); // Name, descending
        list(*w)->setCurrentIndex(list(*w)->model()->index(0, 0));
        QTest::keyClick(w.get(), Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(tableShown(), QStringLiteral("BOAT"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Quillet - t.gxt [BOAT]"));
        QCOMPARE(names(), (QStringList{"B2", "B1"}));
        QCOMPARE(w->selectedEntry(), EntryId(0));
        w->tableCommands().mnuTables_Next_Click();
        QCOMPARE(tableShown(), QStringLiteral("INTRO"));
        w->tableCommands().mnuTables_Next_Click(); // wraps
        QCOMPARE(tableShown(), QStringLiteral("MAIN"));
        QTest::keyClick(w.get(), Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(tableShown(), QStringLiteral("INTRO"));
        QVERIFY(!changed());
    }

    void goToTableFiltersAsOneTypes()
    {
        open(QStringLiteral("tabled"));
        QStringList shown;
        w->tableCommands().setTablesDialogRunner([&shown](frmTables &dialog) {
            dialog.show();
            QTest::keyClicks(dialog.txtFilter(), "o");
            for (int i = 0; i < dialog.lstTables()->topLevelItemCount(); ++i) {
                const QTreeWidgetItem *row = dialog.lstTables()->topLevelItem(i);
                if (!row->isHidden())
                    shown << row->text(0) + ' ' + row->text(1);
            }
            QTest::keyClick(dialog.txtFilter(), Qt::Key_Down);
            QTest::keyClick(dialog.txtFilter(), Qt::Key_Return);
        });
        item("mnuTables_GoTo")->trigger();
        QCOMPARE(shown, (QStringList{"BOAT 2", "INTRO 1"}));
        QCOMPARE(tableShown(), QStringLiteral("INTRO"));

        // Escape goes nowhere.
        w->tableCommands().setTablesDialogRunner([](frmTables &dialog) {
            dialog.show();
            QTest::keyClick(dialog.txtFilter(), Qt::Key_Escape);
        });
        w->tableCommands().mnuTables_GoTo_Click();
        QCOMPARE(tableShown(), QStringLiteral("INTRO"));
    }

    void tableCommandsChangeTheDocumentAndSave()
    {
        const QString path = open(QStringLiteral("tabled"));
        // A name the game's tables cannot have is asked again; a name taken is refused.
        dialogs->setNextText(QStringLiteral("new table"));
        dialogs->setNextAnswer(QMessageBox::Ok);
        dialogs->setNextText(QStringLiteral("boat"));
        dialogs->setNextAnswer(QMessageBox::Ok);
        dialogs->setNextText(QStringLiteral("extra"));
        w->tableCommands().mnuTables_Add_Click();
        QCOMPARE(dialogs->messages.value(0).text, QStringLiteral("A table's name is 1 to 7 characters of A to Z, 0 to 9 and _."));
        QCOMPARE(dialogs->messages.value(1).text, QStringLiteral("A table named 'BOAT' already exists."));
        QCOMPARE(tableShown(), QStringLiteral("EXTRA"));
        QVERIFY(changed());

        dialogs->setNextText(QStringLiteral("CARGO"));
        w->tableCommands().mnuTables_Rename_Click();
        QCOMPARE(w->windowTitle(), QStringLiteral("Quillet - t.gxt [CARGO]"));

        w->tableCommands().mnuTables_Previous_Click();
        QCOMPARE(tableShown(), QStringLiteral("INTRO"));
        dialogs->setNextAnswer(QMessageBox::No);
        w->tableCommands().mnuTables_Delete_Click();
        QCOMPARE(dialogs->messages.last().text,
                 QStringLiteral("Are you sure you wish to delete the table 'INTRO' and its 1 entry?"));
        QCOMPARE(w->controller().document().tableCount(), 4);
        dialogs->setNextAnswer(QMessageBox::Yes);
        w->tableCommands().mnuTables_Delete_Click();
        QCOMPARE(tableShown(), QStringLiteral("BOAT"));

        QVERIFY(w->fileCommands().mnuFile_Save_Click());
        const RowDocument saved = testfiles::readBack(testfiles::readFile(path));
        QCOMPARE(saved.format, QStringLiteral("tabled"));
        QStringList tableNames;
        for (const testfiles::RowTable &t : saved.tables)
            tableNames << t.name;
        QCOMPARE(tableNames, (QStringList{"MAIN", "BOAT", "CARGO"}));
        QVERIFY(!changed());
    }

    void hashedKeysByNameOrHash()
    {
        const QString list = file(QStringLiteral("names.txt"), "YES\nI1\n");
        open(QStringLiteral("hashed"));
        QVERIFY(names().contains(QStringLiteral("#1CBF88DC")));

        dialogs->setNextFileName(list);
        item("mnuFile_KeyNames")->trigger();
        QVERIFY(names().contains(QStringLiteral("YES")));
        QVERIFY(!changed());
        QCOMPARE(settings->value(QStringLiteral("Key Names"), QStringLiteral("File"), QString()), list);

        // A key typed as its hash, and one whose hash another entry has.
        commitWithName(QStringLiteral("#0000abcd"));
        w->stringCommands().mnuStrings_Add_Click();
        QVERIFY(names().contains(QStringLiteral("#0000ABCD")));
        dialogs->setNextAnswer(QMessageBox::Ok);
        commitWithName(QStringLiteral("yes"));
        w->stringCommands().mnuStrings_Add_Click();
        QCOMPARE(names().count(QStringLiteral("YES")), 1);
        QVERIFY2(dialogs->messages.last().text.contains(QStringLiteral("#1CBF88DC")), qPrintable(dialogs->messages.last().text));

        // Names typed here are known from now on, and hashed files opened later use the list.
        dialogs->setNextAnswer(QMessageBox::No);
        w->fileCommands().mnuFile_New_Click();
        open(QStringLiteral("hashed"));
        QVERIFY(names().contains(QStringLiteral("YES")));
    }

    // Updating the value of an entry of a hashed file keeps its key, however the key shows:
    // as its hash, by a known name, or by a known name longer than a typed one.
    void hashedUpdateKeepsTheHash_data()
    {
        QTest::addColumn<QString>("known"); // the key name list; "" for none
        QTest::addColumn<QString>("shown"); // the key as the list and the name box show it
        QTest::addColumn<QString>("value"); // its value in the file, which finds its hash
        QTest::newRow("shown as its hash") << "" << "#1CBF88DC" << "Ja";
        QTest::newRow("shown by a known name") << "YES" << "YES" << "Ja";
        QTest::newRow("a known name of ten characters") << "ROMAN13_03" << "ROMAN13_03" << "lang";
    }
    void hashedUpdateKeepsTheHash()
    {
        QFETCH(QString, known);
        QFETCH(QString, shown);
        QFETCH(QString, value);
        const QByteArray bytes =
            testfiles::written(RowDocument{"hashed", 16, {{"MAIN", {{"YES", "Ja"}, {"ROMAN13_03", "lang"}, {"B", "b"}}}}});
        const QString path = file(QStringLiteral("t.gxt"), bytes);
        testfiles::Rows rows = testfiles::readRows(bytes);
        const auto edited = std::find_if(rows.begin(), rows.end(), [&](const Row &row) { return row.value == value; });
        QVERIFY(edited != rows.end());
        edited->value = QStringLiteral("Oui");
        if (!known.isEmpty())
            settings->setValue(QStringLiteral("Key Names"), QStringLiteral("File"), file(QStringLiteral("names.txt"), known.toUtf8()));
        w->Form_Load(path);
        QVERIFY2(select(*w, shown), qPrintable(names().join(' ')));

        QString named;
        w->stringCommands().setDialogRunner([&named](frmStrings &dialog) {
            named = dialog.txtName()->text();
            dialog.txtValue()->setValue(QStringLiteral("Oui"));
            dialog.cmdOk_Click();
        });
        QCOMPARE(w->stringCommands().edit(), w->selectedEntry());
        QCOMPARE(named, shown);
        QCOMPARE(selected(*w), shown + QStringLiteral("=Oui"));
        QVERIFY(w->fileCommands().mnuFile_Save_Click());
        QCOMPARE(testfiles::readRows(testfiles::readFile(path)), rows);
        QCOMPARE(dialogs->messages.size(), 0);
    }

    // A list with lines that are no names still names the keys it can, and a note says
    // what it left out; the hash the keys read by can change, which renames and changes no
    // unit; the Key Hash box tells a typed name's key under the hash in use.
    void keyNamesAndTheirHash()
    {
        const QString path = open(QStringLiteral("hashed"));
        const QByteArray before = testfiles::readFile(path);
        QVERIFY(item("mnuFile_KeyHash_Crc32")->isChecked() && item("mnuFile_KeyHash_Crc32")->isEnabled());
        const QString list = file(QStringLiteral("names.txt"), "// names\nYES\nTWO WORDS\n");
        dialogs->setNextFileName(list);
        item("mnuFile_KeyNames")->trigger();
        QCOMPARE(dialogs->messages.size(), 0);
        QCOMPARE(dialogs->notes.size(), 1);
        QVERIFY2(dialogs->notes[0].text.contains(QStringLiteral("1 of the list's lines is no key name")), qPrintable(dialogs->notes[0].text));
        QVERIFY(rows(*w).contains(QStringLiteral("YES=Ja")));

        item("mnuFile_KeyHash_OneAtATime")->trigger();
        QVERIFY(item("mnuFile_KeyHash_OneAtATime")->isChecked());
        QVERIFY(rows(*w).contains(QStringLiteral("#1CBF88DC=Ja"))); // no name hashes so under this one
        QVERIFY(!changed());
        item("mnuFile_KeyHashBox")->trigger();
        KeyHashBox *box = w->numberingCommands().keyHashBox();
        QVERIFY(box && box->isVisible());
        QTest::keyClicks(box->txtName(), QStringLiteral("roman13_03"));
        QCOMPARE(box->lblHash()->text(), QStringLiteral("#A61B0283"));
        item("mnuFile_KeyHash_Crc32")->trigger();
        QVERIFY(rows(*w).contains(QStringLiteral("YES=Ja")));
        QCOMPARE(box->lblHash()->text(), QStringLiteral("#") + QString::number(KeyHash::crc32()("ROMAN13_03"), 16).toUpper().rightJustified(8, u'0'));
        box->txtName()->setText(QStringLiteral("TWO WORDS"));
        QVERIFY(box->lblHash()->text().contains(QStringLiteral("without spaces")));
        QVERIFY(w->fileCommands().mnuFile_Save_Click());
        QCOMPARE(testfiles::readFile(path), before);

        // Keys stored by name have no hash to choose.
        open(QStringLiteral("tabled"));
        QVERIFY(!item("mnuFile_KeyHash_Crc32")->isEnabled() && !item("mnuFile_KeyHash_Crc32")->isChecked());
    }

    // A file whose entries point outside their texts opens only if the user agrees to leave
    // them out; the document is then changed, and the file untouched until a save.
    void brokenEntriesAreLeftOutOnlyWhenAgreed_data()
    {
        QTest::addColumn<int>("answer");
        QTest::newRow("no") << int(QMessageBox::No);
        QTest::newRow("yes") << int(QMessageBox::Yes);
    }
    void brokenEntriesAreLeftOutOnlyWhenAgreed()
    {
        QFETCH(int, answer);
        const QString good = open(QStringLiteral("flat"));
        const QStringList shown = rows(*w);
        // A: "x"; B points past the 4 bytes of texts.
        const QByteArray broken("TKEY\x18\0\0\0\0\0\0\0A\0\0\0\0\0\0\0\x40\0\0\0B\0\0\0\0\0\0\0TDAT\x04\0\0\0x\0\0\0", 44);
        const QString path = file(QStringLiteral("broken.gxt"), broken);
        dialogs->setNextAnswer(QMessageBox::StandardButton(answer));
        QVERIFY(w->fileCommands().OpenGxtFile(path) == (answer == QMessageBox::Yes));
        QCOMPARE(dialogs->messages.size(), 1);
        const UserDialogs::Message &question = dialogs->messages[0];
        QCOMPARE(question.text, path + QStringLiteral("\n\n1 entry of table MAIN points outside its texts and cannot be "
                                                      "read. Open the file without them?"));
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(question.defaultButton, QMessageBox::No);
        QCOMPARE(testfiles::readFile(path), broken);
        if (answer == QMessageBox::No) {
            QCOMPARE(w->controller().CurrentFile(), good);
            QCOMPARE(rows(*w), shown);
            QVERIFY(!changed());
            return;
        }
        QCOMPARE(w->controller().CurrentFile(), path);
        QCOMPARE(rows(*w), QStringList{QStringLiteral("A=x")});
        QVERIFY(changed());
        QVERIFY(w->fileCommands().mnuFile_Save_Click());
        QVERIFY(!changed());
        QCOMPARE(testfiles::readRows(testfiles::readFile(path)), (testfiles::Rows{{"A", "x"}}));
    }

    // File, New Layout makes an empty document of every kind of file the series ships, which
    // saves as such a file.
    void newLayouts_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("hash");
        QTest::addColumn<QString>("numbering");
        QTest::newRow("flat") << "mnuFile_New_Flat" << "flat" << "" << "western";
        QTest::newRow("tabled") << "mnuFile_New_Tabled" << "tabled" << "" << "western";
        QTest::newRow("third") << "mnuFile_New_Hashed" << "hashed" << "crc32" << "western";
        QTest::newRow("fourth") << "mnuFile_New_HashedFourth" << "hashed" << "one-at-a-time" << "unicode";
        QTest::newRow("fourth, one table") << "mnuFile_New_HashedSingle" << "hashed-single" << "one-at-a-time" << "unicode";
        QTest::newRow("fifth") << "mnuFile_New_Gxt2" << "gxt2" << "one-at-a-time" << "unicode";
        QTest::newRow("fifth, big-endian") << "mnuFile_New_Gxt2BigEndian" << "gxt2-be" << "one-at-a-time" << "unicode";
    }
    void newLayouts()
    {
        QFETCH(QString, action);
        QFETCH(QString, format);
        QFETCH(QString, hash);
        QFETCH(QString, numbering);
        item(action.toLatin1().constData())->trigger();
        const GxtDocument &document = w->controller().document();
        QCOMPARE(document.format().id(), format);
        QCOMPARE(document.keyHash() ? document.keyHash()->id() : QString(), hash);
        QCOMPARE(w->controller().numberingChoice(), numbering);
        QCOMPARE(document.tableCount(), 1);
        QVERIFY(w->controller().CurrentFile().isEmpty() && !changed());
        const QString path = dir->filePath(QStringLiteral("new.") + QString::fromLatin1(document.format().traits().extension));
        dialogs->setNextFileName(path);
        QVERIFY(w->fileCommands().mnuFile_Save_Click());
        QCOMPARE(dialogs->saveRequests.value(0).defaultSuffix, QString::fromLatin1(document.format().traits().extension));
        RawDocument raw;
        QVERIFY(readGxt(testfiles::readFile(path), raw));
        QCOMPARE(raw.format->id(), format);
    }

    void numberingShowsTheSameUnitsAnew()
    {
        const QString path = open(QStringLiteral("tabled"));
        const QByteArray before = testfiles::readFile(path);
        QVERIFY(item("mnuFile_Numbering_Western")->isChecked());
        item("mnuFile_Numbering_Windows1252")->trigger();
        QVERIFY(rows(*w).contains(QStringLiteral("B=JƒGER")));
        QVERIFY(!changed());
        QCOMPARE(w->findChild<QLabel *>(QStringLiteral("lblNumbering"))->text(), QStringLiteral("Windows-1252"));
        // Remembered for this file, with the recent files: it opens so again, and another
        // file opens in the numbering its own texts read best in.
        QCOMPARE(settings->value(QStringLiteral("Recent Files"), QStringLiteral("Numbering1"), QString()),
                 QStringLiteral("windows-1252"));
        const QString other = file(QStringLiteral("other.gxt"), bytesOf(tables(QStringLiteral("tabled"))));
        w->Form_Load(other);
        QVERIFY(item("mnuFile_Numbering_Western")->isChecked());
        w->Form_Load(path);
        QVERIFY(item("mnuFile_Numbering_Windows1252")->isChecked());
        QVERIFY(rows(*w).contains(QStringLiteral("B=JƒGER")));

        // A map that does not read changes nothing but says where it is wrong.
        const QString map = file(QStringLiteral("bad.map"), "0104=0083\nwrong\n");
        dialogs->setNextFileName(map);
        dialogs->setNextAnswer(QMessageBox::Ok);
        item("mnuFile_Numbering_FromFile")->trigger();
        QVERIFY2(dialogs->messages.last().text.endsWith(QStringLiteral("line 2: expected UUUU=GGGG, a character's code "
                                                                        "and its glyph number in hex, but found \"wrong\"")),
                 qPrintable(dialogs->messages.last().text));
        QVERIFY(item("mnuFile_Numbering_Windows1252")->isChecked());

        // A map that reads: Ą where the game draws Ä, and the editor refuses Ä from then on.
        file(QStringLiteral("bad.map"), "0104=0083\n");
        dialogs->setNextFileName(map);
        item("mnuFile_Numbering_FromFile")->trigger();
        QVERIFY(item("mnuFile_Numbering_FromFile")->isChecked());
        QVERIFY(rows(*w).contains(QStringLiteral("B=JĄGER")));
        w->stringCommands().setDialogRunner([](frmStrings &dialog) {
            dialog.txtName()->setText(QStringLiteral("NEW"));
            dialog.txtValue()->setValue(QStringLiteral("Ä"));
            dialog.cmdOk_Click();
            if (dialog.isVisible())
                dialog.cmdCancel_Click();
        });
        dialogs->setNextAnswer(QMessageBox::Ok);
        w->stringCommands().mnuStrings_Add_Click();
        QVERIFY(!names().contains(QStringLiteral("NEW")));
        QVERIFY(dialogs->messages.last().text.contains(QStringLiteral("U+00C4")));

        // Nothing underneath changed: the save writes the same bytes.
        QVERIFY(w->fileCommands().mnuFile_Save_Click());
        QCOMPARE(testfiles::readFile(path), before);
    }

    // What a load could not take as it should is said in one note beside the window, which
    // opens the file all the same; a file without anything to say shows none.
    void loadNotes_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("setting"); // "group/key" of a remembered file that has gone; "" for none
        QTest::addColumn<QStringList>("said"); // the note's lines after its first; empty: no note
        QTest::addColumn<QString>("shown");    // the row MAIN's B shows as
        QTest::newRow("nothing to say") << "tabled" << "" << QStringList() << "B=JÄGER";
        QTest::newRow("the check's warnings")
            << "flat" << ""
            << QStringList{"• the key A appears 2 times; the game finds only one of them",
                           "• the key B appears 2 times; the game finds only one of them"}
            << "B=JÄGER";
        QTest::newRow("a remembered map that has gone")
            << "tabled" << "Recent Files/Numbering1"
            << QStringList{"• the character map could not be read (GONE: No such file or directory); the texts "
                           "show in Game (Western European)"}
            << "B=JÄGER";
        QTest::newRow("a remembered key name list that has gone")
            << "hashed" << "Key Names/File"
            << QStringList{"• the key name list could not be read (GONE: No such file or directory); hashed keys "
                           "show as their hashes"}
            << "#B52F30CE=JÄGER";
    }
    void loadNotes()
    {
        QFETCH(QString, format);
        QFETCH(QString, setting);
        QFETCH(QStringList, said);
        QFETCH(QString, shown);
        RowDocument document = tables(format);
        if (format == QLatin1String("flat"))
            document.tables[0].rows << Row{"A", "drei"} << Row{"B", "vier"};
        const QString gone = dir->filePath(QStringLiteral("gone.txt"));
        if (!setting.isEmpty())
            settings->setValue(setting.section('/', 0, 0), setting.section('/', 1), gone);
        const QString path = dir->filePath(QStringLiteral("t.gxt"));
        if (setting.startsWith(QLatin1String("Recent Files")))
            settings->setValue(QStringLiteral("Recent Files"), QStringLiteral("File1"), path);
        w->Form_Load(file(QStringLiteral("t.gxt"), bytesOf(document)));

        QCOMPARE(w->controller().CurrentFile(), dir->filePath(QStringLiteral("t.gxt")));
        QVERIFY(rows(*w).contains(shown));
        QCOMPARE(dialogs->messages.size(), 0);
        // The note comes once the window has shown the file.
        QCOMPARE(dialogs->notes.size(), 0);
        QCoreApplication::processEvents();
        if (said.isEmpty()) {
            QCOMPARE(dialogs->notes.size(), 0);
            return;
        }
        QCOMPARE(dialogs->notes.size(), 1);
        const UserDialogs::Message &note = dialogs->notes[0];
        QCOMPARE(note.title, QStringLiteral("Opened with Warnings"));
        QCOMPARE(note.icon, QMessageBox::Information);
        const QString count = said.size() == 1 ? QStringLiteral("a warning") : QStringLiteral("%1 warnings").arg(said.size());
        QCOMPARE(note.text, QStringLiteral("t.gxt opened, with %1:\n\n").arg(count) + said.join('\n').replace("GONE", gone));
        // The format's own numbering stands in for a map that has gone, and a save writes
        // what was read.
        QCOMPARE(w->controller().numberingChoice(), CharacterNumbering::defaultFor(testfiles::format(format))->name());
        QVERIFY(item("mnuFile_Numbering_Western")->isChecked());
        QVERIFY(!changed());
    }

    // A key name list chosen from the menu that does not read says why in a message box, and
    // the keys, the remembered list and the history stay as they were.
    void unreadableKeyNameList_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // empty: no such file
        QTest::addColumn<QString>("reason");
        QTest::newRow("no such file") << QByteArray() << "No such file or directory";
        QTest::newRow("not UTF-8") << QByteArray("YES\n\xff\n") << "not valid UTF-8";
    }
    void unreadableKeyNameList()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        const QString known = file(QStringLiteral("known.txt"), "I1\n");
        settings->setValue(QStringLiteral("Key Names"), QStringLiteral("File"), known);
        open(QStringLiteral("hashed"));
        addEntry(*w, QStringLiteral("#0000ABCD"), QStringLiteral("new"));
        const QStringList before = rows(*w);
        const QString list = dir->filePath(QStringLiteral("names.txt"));
        if (!bytes.isEmpty())
            file(QStringLiteral("names.txt"), bytes);

        dialogs->setNextFileName(list);
        dialogs->setNextAnswer(QMessageBox::Ok);
        item("mnuFile_KeyNames")->trigger();
        QCOMPARE(dialogs->messages.size(), 1);
        const UserDialogs::Message &message = dialogs->messages[0];
        QVERIFY2(message.text.startsWith(QStringLiteral("Could not read the name list ") + list) && message.text.contains(reason),
                 qPrintable(message.text));
        QCOMPARE(message.icon, QMessageBox::Critical);
        QCOMPARE(rows(*w), before);
        QCOMPARE(settings->value(QStringLiteral("Key Names"), QStringLiteral("File"), QString()), known);
        QVERIFY(changed());
        item("mnuStrings_Undo")->trigger();
        QVERIFY(!changed());
        QVERIFY(!names().contains(QStringLiteral("#0000ABCD")));
    }
};

QTEST_MAIN(TestTableWindow)
#include "tst_tablewindow.moc"
