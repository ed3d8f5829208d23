// Find, Replace, Undo and Redo, driven through the window's commands and the Find dialog's
// own boxes and buttons, on files our own writer made.
#include "testfiles.h"

#include "filelocation.h"
#include "frmfind.h"
#include "frmmain.h"
#include "frmstrings.h"
#include "userdialogs.h"
#include "valueedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quillet;

namespace {

// MAIN, BOAT, EMPTY, INTRO in file order. "boat" is in a value of MAIN behind a colour
// code, and in both values of BOAT; a search passes over the empty table.
GxtDocumentData tabled()
{
    GxtDocumentData data;
    data.layout = GxtLayout::Tabled;
    data.tables.push_back({"MAIN", {{"YES", "Ja"}, {"B", "JÄGER ~r~boat"}, {"A", "zwei"}}});
    data.tables.push_back({"INTRO", {{"I1", "intro"}}});
    data.tables.push_back({"BOAT", {{"B1", "boat"}, {"B2", "Boat two"}}});
    data.tables.push_back({"EMPTY", {}});
    return data;
}

GxtDocumentData flat(std::vector<StringEntry> rows)
{
    GxtDocumentData data;
    data.tables.push_back({"MAIN", std::move(rows)});
    return data;
}

} // namespace

class TestFindUndo : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedUserDialogs> dialogs;
    std::unique_ptr<MemorySettingsStore> settings;
    std::unique_ptr<frmMain> w;

    QString open(const GxtDocumentData &data, const QString &name = QStringLiteral("t.gxt"))
    {
        const QString path = dir->filePath(name);
        if (!testfiles::writeFile(path, testfiles::written(data, *CharacterNumbering::defaultFor(data.layout))))
            qFatal("cannot write %s", qPrintable(path));
        w->Form_Load(path);
        return path;
    }
    QString tableShown() const { return w->document().tableName(w->shownTable()); }
    // The selected row as TABLE:NAME, or "-".
    QString selected() const
    {
        const int position = w->selectedPosition();
        return position ? tableShown() + ':' + w->table().name(position) : QStringLiteral("-");
    }
    // A table's rows in an order of their own, whatever order the list shows.
    QStringList rowsOf(int table) const
    {
        QStringList rows;
        for (const StringEntry &row : w->document().table(table)->rows())
            rows << row.name + '=' + row.value;
        rows.sort();
        return rows;
    }
    void select(const QString &name)
    {
        const auto &rows = w->table().rows();
        const auto it = std::find_if(rows.begin(), rows.end(), [&](const StringEntry &row) { return row.name == name; });
        QVERIFY2(it != rows.end(), qPrintable(name));
        w->lvStrings->setCurrentIndex(w->lvStrings->model()->index(int(it - rows.begin()), 0));
    }
    // Edit on the named row: the dialog takes the new value and commits.
    void edit(const QString &name, const QString &value)
    {
        select(name);
        w->stringCommands().setDialogRunner([value](frmStrings &dialog) {
            dialog.txtValue()->setValue(value);
            dialog.cmdOk_Click();
            if (dialog.isVisible())
                dialog.cmdCancel_Click();
        });
        w->mnuStrings_Edit->trigger();
    }
    // Opens Find or Replace and types into its boxes.
    frmFind *search(const QString &text, int lookIn = TextSearch::NamesAndValues, bool matchCase = false,
                    const QString &with = QString())
    {
        (with.isNull() ? w->mnuStrings_Find : w->mnuStrings_Replace)->trigger();
        frmFind *find = w->findDialog();
        find->txtFind()->clear();
        QTest::keyClicks(find->txtFind(), text);
        find->cboLookIn()->setCurrentIndex(lookIn);
        find->chkMatchCase()->setChecked(matchCase);
        if (!with.isNull()) {
            find->txtReplace()->setText(with);
        }
        return find;
    }
    QString undoText() const { return w->mnuStrings_Undo->text(); }

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

    void findGoesThroughTheTables_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lookIn");
        QTest::addColumn<bool>("matchCase");
        // N/P: the dialog's Find Next/Previous buttons; F/B: F3 and Shift+F3 in the window;
        // E/K/S: Enter, F3 and Shift+F3 in the dialog's text box.
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<QString>("status");
        QTest::addColumn<bool>("byValueDescending");

        QTest::newRow("on into the next table, then round")
            << "boat" << 0 << false << "NNNN" << QStringList{"MAIN:B", "BOAT:B1", "BOAT:B2", "MAIN:B"}
            << "Passed the end and went on from the start." << false;
        QTest::newRow("backwards from nothing starts at the table's end")
            << "boat" << 0 << false << "PPN" << QStringList{"MAIN:B", "BOAT:B2", "MAIN:B"}
            << "Passed the end and went on from the start." << false;
        QTest::newRow("F3 and Shift+F3 in the window") << "boat" << 0 << false << "FFB"
                                                        << QStringList{"MAIN:B", "BOAT:B1", "MAIN:B"} << "" << false;
        QTest::newRow("keys in the dialog") << "boat" << 0 << false << "EKSE"
                                             << QStringList{"MAIN:B", "BOAT:B1", "MAIN:B", "BOAT:B1"} << "" << false;
        QTest::newRow("a value's source form, colour codes and all")
            << "~r~b" << 2 << false << "NN" << QStringList{"MAIN:B", "MAIN:B"}
            << "Passed the end and went on from the start." << false;
        QTest::newRow("match case") << "Boat" << 0 << true << "NN" << QStringList{"BOAT:B2", "BOAT:B2"}
                                    << "Passed the end and went on from the start." << false;
        QTest::newRow("names only") << "b" << 1 << false << "NNN" << QStringList{"MAIN:B", "BOAT:B1", "BOAT:B2"}
                                    << "" << false;
        QTest::newRow("values only skip the names") << "i" << 2 << false << "NN"
                                                    << QStringList{"MAIN:A", "INTRO:I1"} << "" << false;
        QTest::newRow("no match keeps the selection") << "boot" << 0 << false << "NF" << QStringList{"-", "-"}
                                                      << "Cannot find \"boot\"." << false;
        // The next table is searched in the order the list is about to show it in.
        QTest::newRow("the next table in the list's order") << "two" << 2 << false << "N" << QStringList{"BOAT:B2"}
                                                            << "" << true;
    }
    void findGoesThroughTheTables()
    {
        QFETCH(QString, text);
        QFETCH(int, lookIn);
        QFETCH(bool, matchCase);
        QFETCH(QString, steps);
        QFETCH(QStringList, found);
        QFETCH(QString, status);
        QFETCH(bool, byValueDescending);
        open(tabled());
        if (byValueDescending) {
            w->lvStrings_ColumnClick(QStringLiteral("Value"));
            w->lvStrings_ColumnClick(QStringLiteral("Value"));
        }
        QVERIFY(!w->mnuStrings_FindNext->isEnabled());
        frmFind *find = search(text, lookIn, matchCase);
        QCOMPARE(find->windowTitle(), QStringLiteral("Find"));
        QVERIFY(w->mnuStrings_FindNext->isEnabled());
        if (steps.contains(QRegularExpression("[EKS]")))
            QVERIFY(QTest::qWaitForWindowActive(find));
        QStringList seen;
        for (QChar step : steps) {
            switch (step.unicode()) {
            case 'N': QTest::mouseClick(find->cmdFindNext(), Qt::LeftButton); break;
            case 'P': QTest::mouseClick(find->cmdFindPrevious(), Qt::LeftButton); break;
            case 'F': w->mnuStrings_FindNext->trigger(); break;
            case 'B': w->mnuStrings_FindPrevious->trigger(); break;
            case 'E': QTest::keyClick(find->txtFind(), Qt::Key_Enter); break;
            case 'K': QTest::keyClick(find->txtFind(), Qt::Key_F3); break;
            case 'S': QTest::keyClick(find->txtFind(), Qt::Key_F3, Qt::ShiftModifier); break;
            }
            seen << selected();
        }
        QCOMPARE(seen, found);
        QCOMPARE(find->lblStatus()->text(), status);
        QCOMPARE(dialogs->messages.size(), 0);
    }

    void replaceTheSelectedMatchThenFindNext()
    {
        open(tabled());
        frmFind *find = search(QStringLiteral("boat"), TextSearch::NamesAndValues, false, QStringLiteral("ship"));
        QCOMPARE(find->windowTitle(), QStringLiteral("Replace"));
        // Nothing selected: Replace only finds.
        QTest::mouseClick(find->cmdReplace(), Qt::LeftButton);
        QCOMPARE(selected(), QStringLiteral("MAIN:B"));
        QVERIFY(!w->StringsChanged);
        QTest::mouseClick(find->cmdReplace(), Qt::LeftButton);
        QCOMPARE(w->document().table(0)->rows(), (std::vector<StringEntry>{{"A", "zwei"}, {"B", "JÄGER ~r~ship"}, {"YES", "Ja"}}));
        QCOMPARE(selected(), QStringLiteral("BOAT:B1"));
        QCOMPARE(undoText(), QStringLiteral("&Undo Replace"));
        // Names are keys: a search in names alone replaces nothing.
        find->cboLookIn()->setCurrentIndex(TextSearch::Names);
        QVERIFY(!find->cmdReplace()->isEnabled() && !find->cmdReplaceAll()->isEnabled());
    }

    void replaceAllAndUndoIt()
    {
        const QString path = open(tabled());
        frmFind *find = search(QStringLiteral("BOAT"), TextSearch::NamesAndValues, false, QStringLiteral("ship"));
        QTest::mouseClick(find->cmdReplaceAll(), Qt::LeftButton);
        QCOMPARE(find->lblStatus()->text(), QStringLiteral("Replaced 3 values."));
        QCOMPARE(rowsOf(1), (QStringList{"B1=ship", "B2=ship two"}));
        QVERIFY(w->StringsChanged);
        QCOMPARE(undoText(), QStringLiteral("&Undo Replace All"));
        w->mnuStrings_Undo->trigger();
        QCOMPARE(w->document().data(), testfiles::readBack(testfiles::readFile(path)));
        QVERIFY(!w->StringsChanged);
        QTest::mouseClick(find->cmdReplaceAll(), Qt::LeftButton);
        w->mnuStrings_Undo->trigger();
        // Nothing left to change: nothing to take back.
        find->txtFind()->setText(QStringLiteral("ship"));
        QTest::mouseClick(find->cmdReplaceAll(), Qt::LeftButton);
        QCOMPARE(find->lblStatus()->text(), QStringLiteral("No value holds \"ship\"."));
        QCOMPARE(undoText(), QStringLiteral("&Undo"));
        QVERIFY(!w->mnuStrings_Undo->isEnabled());
    }

    void replaceAllIsRefusedAsAWhole_data()
    {
        QTest::addColumn<QString>("with");
        QTest::addColumn<QString>("where");
        QTest::addColumn<QString>("reason");
        QTest::newRow("a value past 32766 units") << "catcat" << "entry 2 (B)" << "a GXT text holds at most 32766";
        QTest::newRow("a character the numbering lacks") << "cat\u03A9" << "entry 1 (A)" << "U+03A9";
    }
    void replaceAllIsRefusedAsAWhole()
    {
        QFETCH(QString, with);
        QFETCH(QString, where);
        QFETCH(QString, reason);
        const GxtDocumentData data = flat({{"A", "a cat"}, {"B", "cat" + QString(32763, u'x')}, {"C", "cat"}});
        open(data);
        frmFind *find = search(QStringLiteral("cat"), TextSearch::Values, false, with);
        dialogs->setNextAnswer(QMessageBox::Ok);
        QTest::mouseClick(find->cmdReplaceAll(), Qt::LeftButton);
        QCOMPARE(dialogs->messages.size(), 1);
        const QString said = dialogs->messages.constFirst().text;
        QVERIFY2(said.contains(where) && said.contains(reason), qPrintable(said.left(200)));
        QCOMPARE(w->document().data(), data);
        QVERIFY(!w->StringsChanged && !w->mnuStrings_Undo->isEnabled());
    }

    // Add, Edit and Delete are taken back and done again after the list re-sorted.
    void undoFindsTheRowAfterAReSort_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("undoText");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("add") << "add" << "&Undo Add NEW" << QStringList{"A=x", "NEW=zzz", "QU_FAIL=y", "Z=x"};
        QTest::newRow("edit") << "edit" << "&Undo Edit A" << QStringList{"A=zzz", "QU_FAIL=y", "Z=x"};
        QTest::newRow("delete") << "delete" << "&Undo Delete QU_FAIL" << QStringList{"A=x", "Z=x"};
    }
    void undoFindsTheRowAfterAReSort()
    {
        QFETCH(QString, command);
        QFETCH(QString, undoText);
        QFETCH(QStringList, after);
        open(flat({{"A", "x"}, {"QU_FAIL", "y"}, {"Z", "x"}}));
        const QStringList before = rowsOf(0);
        if (command == "add") {
            w->stringCommands().setDialogRunner([](frmStrings &dialog) {
                QTest::keyClicks(dialog.txtName(), QStringLiteral("new"));
                dialog.txtValue()->setValue(QStringLiteral("zzz"));
                dialog.cmdOk_Click();
            });
            w->mnuStrings_Add->trigger();
        } else if (command == "edit") {
            edit(QStringLiteral("A"), QStringLiteral("zzz"));
        } else {
            select(QStringLiteral("QU_FAIL"));
            dialogs->setNextAnswer(QMessageBox::Yes);
            w->mnuStrings_Delete->trigger();
        }
        QCOMPARE(rowsOf(0), after);
        QCOMPARE(this->undoText(), undoText);
        // By Value, descending: every row stands elsewhere now.
        w->lvStrings_ColumnClick(QStringLiteral("Value"));
        w->lvStrings_ColumnClick(QStringLiteral("Value"));
        w->mnuStrings_Undo->trigger();
        QCOMPARE(rowsOf(0), before);
        QVERIFY(!w->StringsChanged);
        QCOMPARE(w->mnuStrings_Redo->text(), QString(undoText).replace("&Undo", "&Redo"));
        w->mnuStrings_Redo->trigger();
        QCOMPARE(rowsOf(0), after);
        QVERIFY(w->StringsChanged);
        if (command != "delete")
            QCOMPARE(w->table().value(w->selectedPosition()), QStringLiteral("zzz"));
    }

    void undoFollowsTheSavedState()
    {
        const QString path = open(flat({{"A", "1"}, {"B", "2"}}));
        edit(QStringLiteral("A"), QStringLiteral("one"));
        QVERIFY(w->mnuFile_Save_Click());
        // The save gives Undo back as it was, not simply on.
        QVERIFY(w->mnuStrings_Undo->isEnabled() && !w->mnuStrings_Redo->isEnabled());
        edit(QStringLiteral("B"), QStringLiteral("two"));
        QVERIFY(w->StringsChanged);
        w->mnuStrings_Undo->trigger();
        QVERIFY(!w->StringsChanged);
        w->mnuStrings_Undo->trigger();
        QVERIFY(w->StringsChanged); // older than the file on disk
        QCOMPARE(rowsOf(0), (QStringList{"A=1", "B=2"}));
        w->mnuStrings_Redo->trigger();
        QVERIFY(!w->StringsChanged);
        QCOMPARE(w->document().data(), testfiles::readBack(testfiles::readFile(path)));

        // An update that changes nothing is no step.
        edit(QStringLiteral("B"), QStringLiteral("2"));
        QVERIFY(!w->StringsChanged);
        QCOMPARE(undoText(), QStringLiteral("&Undo Edit A"));

        // Texts shown in another numbering start the history anew, and an unsaved change
        // stays unsaved.
        edit(QStringLiteral("B"), QStringLiteral("zwei"));
        w->mnuFile_Numbering_Western->trigger();
        QVERIFY(!w->mnuStrings_Undo->isEnabled());
        QVERIFY(w->StringsChanged);
        edit(QStringLiteral("A"), QStringLiteral("eins"));
        w->mnuStrings_Undo->trigger();
        QVERIFY(w->StringsChanged);
    }

    // An edit in a table, then the table deleted: undo brings the table back as a new
    // object, and the edit's undo must still find its row there.
    void undoADeletedTableThenAnEditInIt()
    {
        const QString path = open(tabled());
        const GxtDocumentData opened = w->document().data();
        w->showTable(w->document().indexOfTable(QStringLiteral("BOAT")));
        edit(QStringLiteral("B1"), QStringLiteral("raft"));
        dialogs->setNextText(QStringLiteral("HARBOUR"));
        w->mnuTables_Rename->trigger();
        dialogs->setNextAnswer(QMessageBox::Yes);
        w->mnuTables_Delete->trigger();
        dialogs->setNextText(QStringLiteral("EXTRA"));
        w->mnuTables_Add->trigger();
        QCOMPARE(w->document().tableCount(), 4);

        const QStringList undone{"&Undo Add Table EXTRA", "&Undo Delete Table HARBOUR", "&Undo Rename Table BOAT",
                                 "&Undo Edit B1"};
        const QStringList shownAfter{"INTRO", "HARBOUR", "BOAT", "BOAT"};
        for (int i = 0; i < undone.size(); ++i) {
            QCOMPARE(undoText(), undone[i]);
            w->mnuStrings_Undo->trigger();
            QCOMPARE(tableShown(), shownAfter[i]);
        }
        QCOMPARE(w->document().data(), opened);
        QVERIFY(!w->StringsChanged);
        for (int i = 0; i < undone.size(); ++i)
            w->mnuStrings_Redo->trigger();
        QCOMPARE(w->document().tableCount(), 4);
        QCOMPARE(w->document().tableName(3), QStringLiteral("EXTRA"));
        // And back once more through the new table objects.
        for (int i = 0; i < undone.size(); ++i)
            w->mnuStrings_Undo->trigger();
        QCOMPARE(w->document().data(), opened);
        QVERIFY(w->mnuFile_Save_Click());
        QCOMPARE(testfiles::readBack(testfiles::readFile(path)).tables.size(), size_t(4));
    }

    // Undo shows the row it changed, in the order the list shows that row's table in.
    void undoShowsTheRowInAnotherTable()
    {
        open(tabled());
        w->showTable(w->document().indexOfTable(QStringLiteral("BOAT")));
        edit(QStringLiteral("B1"), QStringLiteral("raft"));
        w->showTable(0);
        w->lvStrings_ColumnClick(QStringLiteral("Value"));
        w->lvStrings_ColumnClick(QStringLiteral("Value"));
        w->mnuStrings_Undo->trigger();
        QCOMPARE(selected(), QStringLiteral("BOAT:B1"));
        QCOMPARE(w->table().value(w->selectedPosition()), QStringLiteral("boat"));
    }

    void newAndOpenClearTheHistory_data()
    {
        QTest::addColumn<bool>("openAnother");
        QTest::newRow("new") << false;
        QTest::newRow("open") << true;
    }
    void newAndOpenClearTheHistory()
    {
        QFETCH(bool, openAnother);
        open(flat({{"A", "1"}}));
        edit(QStringLiteral("A"), QStringLiteral("one"));
        w->mnuStrings_Undo->trigger();
        QVERIFY(w->mnuStrings_Redo->isEnabled());
        edit(QStringLiteral("A"), QStringLiteral("uno"));
        dialogs->setNextAnswer(QMessageBox::No);
        if (openAnother) {
            const QString other = dir->filePath(QStringLiteral("other.gxt"));
            QVERIFY(testfiles::writeFile(other, testfiles::written(flat({{"O", "x"}}))));
            dialogs->setNextFileName(other);
            w->mnuFile_Open_Click();
            QCOMPARE(w->currentFile(), other);
        } else {
            w->mnuFile_New_Click();
        }
        QVERIFY(!w->mnuStrings_Undo->isEnabled() && !w->mnuStrings_Redo->isEnabled());
        QCOMPARE(undoText(), QStringLiteral("&Undo"));
        w->mnuStrings_Undo_Click(); // the command itself is guarded too
        QVERIFY(!w->StringsChanged);
    }
};

QTEST_MAIN(TestFindUndo)
#include "tst_findundo.moc"
