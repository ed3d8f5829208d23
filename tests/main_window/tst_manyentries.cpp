// Several entries at once and whole documents as text: a selection of many rows deleted,
// copied and pasted as one step each, and File, Export and Import through the text forms
// the tool reads and writes, driven through the window's own commands and keys.
#include "testfiles.h"
#include "windowdriver.h"

#include "filecommands.h"
#include "filelocation.h"
#include "frmmain.h"
#include "stringcommands.h"
#include "stringlistproxy.h"
#include "tablecommands.h"
#include "userdialogs.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quillet;
using namespace windowdriver;
using testfiles::RowDocument;

Q_DECLARE_METATYPE(testfiles::RowDocument)

namespace {

// Entries of every sort a text form must carry: line breaks of both kinds, a colour code, a
// value that is empty and one of a unit no numbering shows.
RowDocument sampleOf(const QString &format)
{
    const bool hashed = format.startsWith(QLatin1String("hashed")) || format.startsWith(QLatin1String("gxt2"));
    const int bits = format.startsWith(QLatin1String("gxt2")) ? 8 : 16;
    RowDocument document{format, bits, {{"MAIN", {{hashed ? "#1CBF88DC" : "YES", "Ja"},
                                                  {"B", "two\nlines"},
                                                  {"C", "~r~red\r\nend"},
                                                  {"D", ""}}}}};
    if (bits == 16)
        document.tables[0].rows.append(testfiles::Row{"E", "⟨E800⟩x"});
    if (testfiles::format(format).hasTables())
        document.tables.push_back({"BOAT", {{"B1", "boat"}, {"B2", "boat two"}}});
    return document;
}

} // namespace

class TestManyEntries : public QObject, WindowFixture
{
    Q_OBJECT

    QString open(const RowDocument &document)
    {
        const QString path = file(QStringLiteral("t.gxt"), testfiles::written(document));
        w->Form_Load(path);
        return path;
    }
    bool changed() const { return w->controller().StringsChanged(); }
    int steps() const { return w->controller().undoStack().count(); }
    // The shown table's entries in file order, as "NAME=value".
    QStringList fileOrder() const
    {
        QStringList shown;
        const EntryRules &rules = w->controller().rules();
        for (const StringEntry &entry : w->table().entries())
            shown << rules.keyText(entry) + QLatin1Char('=') + rules.valueText(entry);
        return shown;
    }
    // Clicks the list's rows as a user picks them: the first plainly, each later one with
    // Ctrl, or with Shift where it is marked "+" ("+3": Shift+click on row 3).
    void pick(const QStringList &rows)
    {
        QTreeView *view = list(*w);
        for (qsizetype i = 0; i < rows.size(); ++i) {
            const bool range = rows[i].startsWith(QLatin1Char('+'));
            const int row = rows[i].mid(range ? 1 : 0).toInt();
            const QRect place = view->visualRect(view->model()->index(row, 0));
            const Qt::KeyboardModifiers with = i == 0 ? Qt::NoModifier : range ? Qt::ShiftModifier : Qt::ControlModifier;
            QTest::mouseClick(view->viewport(), Qt::LeftButton, with, place.center());
        }
    }
    QStringList selectedNames() const
    {
        QStringList shown;
        const EntryRules &rules = w->controller().rules();
        for (EntryId id : w->selectedEntries())
            shown << rules.keyText(*w->table().find(id));
        return shown;
    }
    void activate()
    {
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }

private Q_SLOTS:
    void init()
    {
        prepare();
        // Hashed keys show by these names, as a user's list would have them.
        settings->setValue(QStringLiteral("Key Names"), QStringLiteral("File"),
                           file(QStringLiteral("names.txt"), "A\nB\nC\nD\nE\nZ\nB1\nB2\n"));
        start();
    }
    void cleanup()
    {
        QVERIFY(dialogs->allAnswersUsed());
        finish();
    }

    // The rows picked go, after one question, as one step: Undo puts every one back where it
    // stood in the file, Redo takes them again.
    void deleteSeveral_data()
    {
        QTest::addColumn<QStringList>("picked"); // rows of the list, sorted by Name
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("question");
        QTest::addColumn<QStringList>("left"); // in the list's order
        const int yes = QMessageBox::Yes;
        QTest::newRow("one") << QStringList{"1"} << yes << "Are you sure you wish to delete the string 'B'?"
                             << QStringList{"A", "C", "D", "E"};
        QTest::newRow("two apart") << QStringList{"0", "2"} << yes << "Are you sure you wish to delete these 2 strings?"
                                   << QStringList{"B", "D", "E"};
        QTest::newRow("a run") << QStringList{"1", "+3"} << yes << "Are you sure you wish to delete these 3 strings?"
                               << QStringList{"A", "E"};
        QTest::newRow("picked backwards") << QStringList{"4", "0", "3"} << yes
                                          << "Are you sure you wish to delete these 3 strings?" << QStringList{"B", "C"};
        QTest::newRow("every one") << QStringList{"0", "+4"} << yes << "Are you sure you wish to delete these 5 strings?"
                                   << QStringList();
        QTest::newRow("answered No") << QStringList{"0", "4"} << int(QMessageBox::No)
                                     << "Are you sure you wish to delete these 2 strings?"
                                     << QStringList{"A", "B", "C", "D", "E"};
    }
    void deleteSeveral()
    {
        QFETCH(QStringList, picked);
        QFETCH(int, answer);
        QFETCH(QString, question);
        QFETCH(QStringList, left);
        // File order unlike the list's.
        open({"flat", 16, {{"MAIN", {{"E", "e"}, {"B", "b"}, {"D", "d"}, {"A", "a"}, {"C", "c"}}}}});
        activate();
        const QStringList before = fileOrder();
        pick(picked);
        dialogs->setNextAnswer(QMessageBox::StandardButton(answer));
        QTest::keyClick(list(*w), Qt::Key_Delete);

        QCOMPARE(dialogs->messages.size(), 1);
        QCOMPARE(dialogs->messages[0].text, question);
        QCOMPARE(names(*w), left);
        if (answer != QMessageBox::Yes) {
            QCOMPARE(steps(), 0);
            return;
        }
        QCOMPARE(steps(), 1);
        const QStringList after = fileOrder();
        item(*w, "mnuStrings_Undo")->trigger();
        QCOMPARE(fileOrder(), before);
        QVERIFY(!changed());
        item(*w, "mnuStrings_Redo")->trigger();
        QCOMPARE(fileOrder(), after);
    }

    // Copy puts the selected entries of the table shown on the clipboard as a flat txt list,
    // whatever the layout; Paste of that text into an empty table of the same layout gives
    // back the very keys and units.
    void copyAndPasteBack_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("picked"); // names
        QTest::addColumn<QString>("clipboard");
        QTest::newRow("flat") << "flat" << "MAIN" << QStringList{"B", "C", "E"}
                              << "[B]\ntwo⟨000A⟩lines\n[C]\n~r~red⟨000D⟩⟨000A⟩end\n[E]\n⟨E800⟩x\n";
        QTest::newRow("tables, the second shown") << "tabled" << "BOAT" << QStringList{"B1", "B2"}
                                                  << "[B1]\nboat\n[B2]\nboat two\n";
        QTest::newRow("hashed keys") << "hashed" << "MAIN" << QStringList{"#1CBF88DC", "D"} << "[#1CBF88DC]\nJa\n[D]\n\n";
        QTest::newRow("GXT2") << "gxt2" << "MAIN" << QStringList{"#1CBF88DC", "B"}
                              << "[#1CBF88DC]\nJa\n[B]\ntwo⟨000A⟩lines\n";
    }
    void copyAndPasteBack()
    {
        QFETCH(QString, format);
        QFETCH(QString, table);
        QFETCH(QStringList, picked);
        QFETCH(QString, clipboard);
        open(sampleOf(format));
        activate();
        w->showTable(w->controller().document().indexOfTable(table));
        // Picked by name, Ctrl-clicked after the first.
        QStringList rows;
        for (const QString &name : picked)
            rows << QString::number(names(*w).indexOf(name));
        pick(rows);
        std::vector<StringEntry> copied;
        for (EntryId id : w->selectedEntries())
            copied.push_back(*w->table().find(id));
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(list(*w), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
        QCOMPARE(steps(), 0);

        const QHash<QString, const char *> newLayout{
            {"flat", "mnuFile_New_Flat"}, {"tabled", "mnuFile_New_Tabled"}, {"hashed", "mnuFile_New_Hashed"}, {"gxt2", "mnuFile_New_Gxt2"}};
        item(*w, newLayout.value(format))->trigger();
        QCOMPARE(w->controller().document().format().id(), format);
        QTest::keyClick(list(*w), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(steps(), 1);
        const std::vector<StringEntry> &pasted = w->table().entries();
        QCOMPARE(pasted.size(), copied.size());
        for (size_t i = 0; i < copied.size(); ++i)
            QVERIFY2(pasted[i].sameContent(copied[i]), qPrintable(picked[qsizetype(i)]));
        // The pasted entries are what is selected.
        QCOMPARE(selectedNames().size(), picked.size());
        item(*w, "mnuStrings_Undo")->trigger();
        QCOMPARE(w->table().count(), 0);
    }

    // Names the table holds already are asked about once: Replace rewrites those entries in
    // their places, Keep Both adds them beside, Cancel pastes nothing. Hashed keys cannot
    // stand twice, so there only Replace or Cancel is offered.
    void pasteOverNamesHeld_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("after"); // file order
        const QStringList before{"A=a", "B=b"};
        QTest::newRow("Replace") << "flat" << int(QMessageBox::Yes) << QStringList{"A=a", "B=new b", "C=c"};
        QTest::newRow("Keep Both") << "flat" << int(QMessageBox::No) << QStringList{"A=a", "B=b", "B=new b", "C=c"};
        QTest::newRow("Cancel") << "flat" << int(QMessageBox::Cancel) << before;
        QTest::newRow("hashed, Replace") << "hashed" << int(QMessageBox::Yes) << QStringList{"A=a", "B=new b", "C=c"};
        QTest::newRow("hashed, Cancel") << "hashed" << int(QMessageBox::Cancel) << before;
    }
    void pasteOverNamesHeld()
    {
        QFETCH(QString, format);
        QFETCH(int, answer);
        QFETCH(QStringList, after);
        open({format, 16, {{"MAIN", {{"A", "a"}, {"B", "b"}}}}});
        const EntryId heldB = w->table().at(1).id;
        QGuiApplication::clipboard()->setText(QStringLiteral("[B]\nnew b\n[C]\nc\n"));
        dialogs->setNextAnswer(QMessageBox::StandardButton(answer));
        item(*w, "mnuEdit_Paste")->trigger();

        QCOMPARE(dialogs->messages.size(), 1);
        const UserDialogs::Message &question = dialogs->messages[0];
        const bool hashed = format == QLatin1String("hashed");
        QCOMPARE(question.text, QStringLiteral("The table already holds one of the pasted names: B. Replace those entries "
                                               "with the pasted ones")
                                    + (hashed ? QStringLiteral("?") : QStringLiteral(", or keep both?")));
        QCOMPARE(question.buttons, hashed ? QMessageBox::Yes | QMessageBox::Cancel
                                          : QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QVERIFY(question.buttonTexts.contains({QMessageBox::Yes, QStringLiteral("&Replace")}));
        QCOMPARE(fileOrder(), after);
        QCOMPARE(steps(), answer == QMessageBox::Cancel ? 0 : 1);
        if (answer == QMessageBox::Yes)
            QCOMPARE(w->table().at(1).id, heldB); // rewritten in place, the same entry
        if (answer != QMessageBox::Cancel) {
            item(*w, "mnuStrings_Undo")->trigger();
            QCOMPARE(fileOrder(), QStringList({"A=a", "B=b"}));
        }
    }

    // What cannot be pasted says why, naming the clipboard's own line, and changes nothing.
    void pasteRefused_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QString>("said");
        QTest::newRow("no value line") << "flat" << "[A]\nx\n[B]" << "Could not paste: line 3: the entry [B] has no value line after it";
        QTest::newRow("no value line, hashed") << "hashed" << "[A]\nx\n[B]"
                                               << "Could not paste: line 3: the entry [B] has no value line after it";
        QTest::newRow("not an entry, tables") << "tabled" << "text\n" << "Could not paste: line 1: expected an entry's name in brackets";
        QTest::newRow("a name the layout cannot hold") << "flat" << "[A]\nx\n[#1CBF88DC]\ny\n" << "Could not paste: line 3: ";
        QTest::newRow("another layout") << "flat" << "{layout tabled 16}\n{table MAIN}\n[A]\nx\n"
                                        << "Could not paste: the entries are of a file of another layout ({layout tabled 16})";
        QTest::newRow("a hashed key twice") << "hashed" << "[A]\nx\n[a]\ny\n" << "Could not paste: the key A stands twice";
        QTest::newRow("nothing") << "flat" << "" << "The clipboard holds no entries to paste.";
    }
    void pasteRefused()
    {
        QFETCH(QString, format);
        QFETCH(QString, clipboard);
        QFETCH(QString, said);
        open({format, 16, {{"MAIN", {{"Z", "z"}}}}});
        QGuiApplication::clipboard()->setText(clipboard);
        dialogs->setNextAnswer(QMessageBox::Ok);
        QVERIFY(w->stringCommands().paste().empty());
        QCOMPARE(dialogs->messages.size(), 1);
        QVERIFY2(dialogs->messages[0].text.startsWith(said), qPrintable(dialogs->messages[0].text));
        QCOMPARE(fileOrder(), QStringList{"Z=z"});
        QCOMPARE(steps(), 0);
    }

    // Export writes the whole document, every table, as the tool's export of the same file
    // in the same numbering writes it; Import reads it back into an untitled document of the
    // same layout, unit for unit, which counts as changed until it is saved.
    void exportAndImportBack_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("form");
        for (const char *format : {"flat", "tabled", "hashed", "hashed-single", "gxt2", "gxt2-be"}) {
            for (const char *form : {"txt", "csv", "json"})
                QTest::addRow("%s, %s", format, form) << QString::fromLatin1(format) << QString::fromLatin1(form);
        }
    }
    void exportAndImportBack()
    {
        QFETCH(QString, format);
        QFETCH(QString, form);
        const QString path = open(sampleOf(format));
        const RawDocument before = w->controller().document().toRaw();
        const QString numbering = w->controller().numberingChoice();
        const QString exported = dir->filePath("t." + form);
        dialogs->setNextFileName(exported);
        item(*w, "mnuFile_Export")->trigger();
        const UserDialogs::FileRequest request = dialogs->saveRequests.value(0);
        QCOMPARE(request.title, QStringLiteral("Export"));
        QCOMPARE(request.filter, QStringLiteral("Text (*.txt);;CSV (*.csv);;JSON (*.json)"));
        QCOMPARE(request.fileName, QStringLiteral("t"));
        QCOMPARE(request.defaultSuffix, QStringLiteral("txt"));
        QVERIFY(request.confirmOverwrite);
        QVERIFY(dialogs->messages.isEmpty());
        QVERIFY(!changed());

        QProcess tool;
        tool.start(QStringLiteral(QUILLET_TOOL), {"export", path, "--charmap", numbering, "--names",
                                                  dir->filePath(QStringLiteral("names.txt")), "-o", dir->filePath("tool." + form)});
        QVERIFY(tool.waitForFinished(60000));
        QCOMPARE(tool.exitCode(), 0);
        QCOMPARE(testfiles::readFile(exported), testfiles::readFile(dir->filePath("tool." + form)));

        dialogs->setNextFileName(exported);
        item(*w, "mnuFile_Import")->trigger();
        QVERIFY2(dialogs->messages.isEmpty(), qPrintable(dialogs->messages.value(0).text));
        QCOMPARE(dialogs->openRequests.value(0).filter, QStringLiteral("Text Forms (*.txt *.csv *.json);;All Files (*)"));
        QVERIFY(w->controller().document().toRaw() == before);
        QCOMPARE(w->controller().numberingChoice(), numbering);
        QCOMPARE(w->controller().CurrentFile(), QString());
        QCOMPARE(w->windowTitle(), w->controller().document().hasTables() ? QStringLiteral("Quillet - Untitled [MAIN]")
                                                                          : QStringLiteral("Quillet - Untitled"));
        QVERIFY(changed());
        QVERIFY(control<QLabel>(*w, "lblModified")->isVisibleTo(w.get()));
        QVERIFY(!item(*w, "mnuStrings_Undo")->isEnabled());
        // Closing asks before the import is lost.
        dialogs->setNextAnswer(QMessageBox::Cancel);
        QVERIFY(!w->close());
    }

    // An import that does not read says where, names the file, and leaves the open document
    // as it was; one the user stops at the save prompt reads nothing.
    void importRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes"); // empty: no such file
        QTest::addColumn<QString>("said");     // after "Could not import PATH: "
        QTest::newRow("txt, an entry before any table")
            << "e.txt" << QByteArray("{layout tabled 16}\n[A]\nx\n") << "line 2: an entry stands before the first {table NAME} line";
        QTest::newRow("txt, a name too long")
            << "e.txt" << QByteArray("[A]\nx\n[ABCDEFGHIJ]\ny\n") << "line 3: entry 2 (ABCDEFGHIJ): ";
        QTest::newRow("csv, a quote never closed") << "e.csv" << QByteArray("name,value\n\"A,x\n")
                                                   << "line 2: a quoted field is never closed";
        QTest::newRow("json, an element without a value")
            << "e.json" << QByteArray("[{\"name\": \"A\", \"value\": \"x\"}, {\"name\": \"B\"}]") << "element 2";
        QTest::newRow("not UTF-8") << "e.txt" << QByteArray("[A]\n\xff\n") << "line 2: the text is not valid UTF-8";
        QTest::newRow("no such file") << "gone.txt" << QByteArray() << "No such file";
    }
    void importRefused()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, said);
        const QString path = open({"flat", 16, {{"MAIN", {{"Z", "z"}}}}});
        const QString source = dir->filePath(name);
        if (!bytes.isEmpty())
            file(name, bytes);
        dialogs->setNextFileName(source);
        dialogs->setNextAnswer(QMessageBox::Ok);
        item(*w, "mnuFile_Import")->trigger();
        QCOMPARE(dialogs->messages.size(), 1);
        const QString message = dialogs->messages[0].text;
        QVERIFY2(message.startsWith("Could not import " + source + ": ") && message.contains(said), qPrintable(message));
        QCOMPARE(dialogs->messages[0].icon, QMessageBox::Critical);
        QCOMPARE(rows(*w), QStringList{"Z=z"});
        QCOMPARE(w->controller().CurrentFile(), path);
        QVERIFY(!changed());

        // A change is asked about first, and Cancel reads nothing.
        addEntry(*w, QStringLiteral("Y"), QStringLiteral("y"));
        dialogs->setNextAnswer(QMessageBox::Cancel);
        item(*w, "mnuFile_Import")->trigger();
        QCOMPARE(dialogs->openRequests.size(), 1);
        QCOMPARE(dialogs->messages.last().title, QStringLiteral("Save Changes?"));
    }

    // An export that cannot be written says why and leaves a file that was there as it was.
    void exportRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("existed");
        QTest::addColumn<QString>("said");
        QTest::newRow("the extension of a table") << "x.gxt" << true
                                                  << "the name has the extension .gxt; an export writes a .txt, .csv or .json file\n\nThe file on disk is as it was.";
        QTest::newRow("no extension") << "x" << false << "the name has no extension; an export writes a .txt, .csv or .json file\n\nNothing was written.";
        QTest::newRow("a folder that is not there") << "none/x.txt" << false << "\n\nNothing was written.";
    }
    void exportRefused()
    {
        QFETCH(QString, name);
        QFETCH(bool, existed);
        QFETCH(QString, said);
        open({"flat", 16, {{"MAIN", {{"Z", "z"}}}}});
        const QString target = dir->filePath(name);
        if (existed)
            file(name, "kept");
        dialogs->setNextFileName(target);
        dialogs->setNextAnswer(QMessageBox::Ok);
        item(*w, "mnuFile_Export")->trigger();
        QCOMPARE(dialogs->messages.size(), 1);
        const QString message = dialogs->messages[0].text;
        QVERIFY2(message.startsWith("Could not export " + target + ": ") && message.endsWith(said), qPrintable(message));
        QCOMPARE(testfiles::readFile(target), existed ? QByteArray("kept") : QByteArray());
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files),
                 existed ? QStringList({"names.txt", "t.gxt", "x.gxt"}) : QStringList({"names.txt", "t.gxt"}));
    }
};

QTEST_MAIN(TestManyEntries)
#include "tst_manyentries.moc"
