// Find, Replace, Undo and Redo, driven through the window's commands and the Find dialog's
// own boxes and buttons, on files our own writer made.
#include "testfiles.h"
#include "windowdriver.h"

#include "filecommands.h"
#include "filelocation.h"
#include "findcommands.h"
#include "frmfind.h"
#include "frmmain.h"
#include "frmstrings.h"
#include "stringcommands.h"
#include "userdialogs.h"
#include "valueedit.h"

#include <QAbstractButton>
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
using namespace windowdriver;
using testfiles::RowDocument;

namespace {

// MAIN, BOAT, EMPTY, INTRO in file order. "boat" is in a value of MAIN behind a colour
// code, and in both values of BOAT; a search passes over the empty table.
RowDocument tabled()
{
    return {"tabled",
            16,
            {{"MAIN", {{"YES", "Ja"}, {"B", "JÄGER ~r~boat"}, {"A", "zwei"}}},
             {"INTRO", {{"I1", "intro"}}},
             {"BOAT", {{"B1", "boat"}, {"B2", "Boat two"}}},
             {"EMPTY", {}}}};
}

RowDocument flat(const testfiles::Rows &rows)
{
    return {"flat", 16, {{"MAIN", rows}}};
}

} // namespace

class TestFindUndo : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedUserDialogs> dialogs;
    std::unique_ptr<MemorySettingsStore> settings;
    std::unique_ptr<frmMain> w;

    QString open(const RowDocument &document, const QString &name = QStringLiteral("t.gxt"))
    {
        const QString path = dir->filePath(name);
        if (!testfiles::writeFile(path, testfiles::written(document)))
            qFatal("cannot write %s", qPrintable(path));
        w->Form_Load(path);
        return path;
    }
    GxtDocument &document() const { return w->controller().document(); }
    bool changed() const { return w->controller().StringsChanged(); }
    QAction *item(const char *name) const { return windowdriver::item(*w, name); }
    // The document's keys and units as its format's own numbering reads them, in file order:
    // what a file of the same content reads back as.
    RowDocument content() const
    {
        return testfiles::rowsOf(document().toRaw(), *CharacterNumbering::defaultFor(document().format()));
    }
    RowDocument onDisk(const QString &path) const { return testfiles::readBack(testfiles::readFile(path)); }
    // The selected row as TABLE:NAME, or "-".
    QString place() const
    {
        const QString name = selectedName(*w);
        return name.isEmpty() ? QStringLiteral("-") : tableShown(*w) + ':' + name;
    }
    // A table's rows in an order of their own, whatever order the list shows.
    QStringList rowsOf(int table) const
    {
        QStringList rows;
        const EntryRules &rules = w->controller().rules();
        for (const StringEntry &entry : document().table(table)->entries())
            rows << rules.keyText(entry) + '=' + rules.valueText(entry);
        rows.sort();
        return rows;
    }
    void select(const QString &name) { QVERIFY2(windowdriver::select(*w, name), qPrintable(name)); }
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
        item("mnuStrings_Edit")->trigger();
    }
    void sortByValueDescending()
    {
        w->lvStrings_ColumnClick(QStringLiteral("Value"));
        w->lvStrings_ColumnClick(QStringLiteral("Value"));
    }
    // Opens Find or Replace and types into its boxes. `options` holds a letter for each
    // option ticked: c Match case, o Whole words, x Regular expression, i Inside text codes.
    frmFind *search(const QString &text, int lookIn = TextSearch::NamesAndValues, bool matchCase = false,
                    const QString &with = QString(), const QString &options = QString())
    {
        item(with.isNull() ? "mnuStrings_Find" : "mnuStrings_Replace")->trigger();
        frmFind *find = w->findCommands().findDialog();
        find->txtFind()->clear();
        QTest::keyClicks(find->txtFind(), text);
        find->cboLookIn()->setCurrentIndex(lookIn);
        find->chkMatchCase()->setChecked(matchCase || options.contains(u'c'));
        find->chkWholeWords()->setChecked(options.contains(u'o'));
        find->chkRegularExpression()->setChecked(options.contains(u'x'));
        find->chkInsideCodes()->setChecked(options.contains(u'i'));
        if (!with.isNull())
            find->txtReplace()->setText(with);
        return find;
    }
    QString undoText() const { return item("mnuStrings_Undo")->text(); }

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
        // From the first entry of the first table back to the last entry of the last.
        QTest::newRow("Shift+F3 past the start") << "i" << 2 << false << "NB" << QStringList{"MAIN:A", "INTRO:I1"}
                                                 << "Passed the start and went on from the end." << false;
        QTest::newRow("F3 and Shift+F3 in the window") << "boat" << 0 << false << "FFB"
                                                        << QStringList{"MAIN:B", "BOAT:B1", "MAIN:B"} << "" << false;
        QTest::newRow("keys in the dialog") << "boat" << 0 << false << "EKSE"
                                             << QStringList{"MAIN:B", "BOAT:B1", "MAIN:B", "BOAT:B1"} << "" << false;
        QTest::newRow("codes are no text to find") << "~r~b" << 2 << false << "N" << QStringList{"-"}
                                                   << "Cannot find \"~r~b\"." << false;
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
        if (byValueDescending)
            sortByValueDescending();
        QVERIFY(!item("mnuStrings_FindNext")->isEnabled());
        frmFind *find = search(text, lookIn, matchCase);
        QCOMPARE(find->windowTitle(), QStringLiteral("Find"));
        QVERIFY(item("mnuStrings_FindNext")->isEnabled());
        if (steps.contains(QRegularExpression("[EKS]")))
            QVERIFY(QTest::qWaitForWindowActive(find));
        QStringList seen;
        for (QChar step : steps) {
            switch (step.unicode()) {
            case 'N': QTest::mouseClick(find->cmdFindNext(), Qt::LeftButton); break;
            case 'P': QTest::mouseClick(find->cmdFindPrevious(), Qt::LeftButton); break;
            case 'F': item("mnuStrings_FindNext")->trigger(); break;
            case 'B': item("mnuStrings_FindPrevious")->trigger(); break;
            case 'E': QTest::keyClick(find->txtFind(), Qt::Key_Enter); break;
            case 'K': QTest::keyClick(find->txtFind(), Qt::Key_F3); break;
            case 'S': QTest::keyClick(find->txtFind(), Qt::Key_F3, Qt::ShiftModifier); break;
            }
            seen << place();
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
        QCOMPARE(place(), QStringLiteral("MAIN:B"));
        QVERIFY(!changed());
        QTest::mouseClick(find->cmdReplace(), Qt::LeftButton);
        QCOMPARE(rowsOf(0), (QStringList{"A=zwei", "B=JÄGER ~r~ship", "YES=Ja"}));
        QCOMPARE(place(), QStringLiteral("BOAT:B1"));
        QCOMPARE(undoText(), QStringLiteral("&Undo Replace"));
        // Names are keys: a search in names alone replaces nothing.
        find->cboLookIn()->setCurrentIndex(TextSearch::Names);
        QVERIFY(!find->cmdReplace()->isEnabled() && !find->cmdReplaceAll()->isEnabled());
    }

    // Replace All is one step; taking it back selects its first change in the list's order.
    void replaceAllAndUndoIt_data()
    {
        QTest::addColumn<bool>("byNameDescending");
        QTest::addColumn<QString>("first");
        QTest::newRow("by Name") << false << "MAIN:B";
        QTest::newRow("by Name, descending") << true << "MAIN:YES";
    }
    void replaceAllAndUndoIt()
    {
        QFETCH(bool, byNameDescending);
        QFETCH(QString, first);
        const QString path = open(tabled());
        if (byNameDescending)
            w->lvStrings_ColumnClick(QStringLiteral("Name"));
        frmFind *find = search(QStringLiteral("A"), TextSearch::Values, false, QStringLiteral("@"));
        QTest::mouseClick(find->cmdReplaceAll(), Qt::LeftButton);
        QCOMPARE(find->lblStatus()->text(), QStringLiteral("Replaced 4 values."));
        QCOMPARE(rowsOf(0), (QStringList{"A=zwei", "B=JÄGER ~r~bo@t", "YES=J@"}));
        QCOMPARE(rowsOf(1), (QStringList{"B1=bo@t", "B2=Bo@t two"}));
        QVERIFY(changed());
        QCOMPARE(undoText(), QStringLiteral("&Undo Replace All"));
        item("mnuStrings_Undo")->trigger();
        QCOMPARE(content(), onDisk(path));
        QCOMPARE(place(), first);
        QVERIFY(!changed());
        item("mnuStrings_Redo")->trigger();
        QCOMPARE(place(), first);
        item("mnuStrings_Undo")->trigger();
        // Nothing left to change: nothing to take back.
        find->txtFind()->setText(QStringLiteral("@"));
        QTest::mouseClick(find->cmdReplaceAll(), Qt::LeftButton);
        QCOMPARE(find->lblStatus()->text(), QStringLiteral("No value holds \"@\"."));
        QCOMPARE(undoText(), QStringLiteral("&Undo"));
        QVERIFY(!item("mnuStrings_Undo")->isEnabled());
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
        const RowDocument data = flat({{"A", "a cat"}, {"B", "cat" + QString(32763, u'x')}, {"C", "cat"}});
        open(data);
        frmFind *find = search(QStringLiteral("cat"), TextSearch::Values, false, with);
        dialogs->setNextAnswer(QMessageBox::Ok);
        QTest::mouseClick(find->cmdReplaceAll(), Qt::LeftButton);
        QCOMPARE(dialogs->messages.size(), 1);
        const QString said = dialogs->messages.constFirst().text;
        QVERIFY2(said.contains(where) && said.contains(reason), qPrintable(said.left(200)));
        QCOMPARE(content(), data);
        QVERIFY(!changed() && !item("mnuStrings_Undo")->isEnabled());
    }

    // Find through the dialog's options: codes are no text unless "Inside text codes" is on.
    void findRespectsCodes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QStringList>("found"); // after each Find Next
        QTest::newRow("a code's action name is no text") << "weapon" << "" << QStringList{"MAIN:B", "MAIN:D", "MAIN:B"};
        QTest::newRow("inside text codes") << "weapon" << "i" << QStringList{"MAIN:A", "MAIN:B", "MAIN:D"};
        QTest::newRow("whole words") << "weapon" << "o" << QStringList{"MAIN:B", "MAIN:B"};
        QTest::newRow("one letter, case matched") << "r" << "c" << QStringList{"MAIN:B", "MAIN:C", "MAIN:D"};
        QTest::newRow("an expression") << "^w" << "x" << QStringList{"MAIN:D", "MAIN:D"};
        QTest::newRow("an expression inside codes") << "PED_\\w+" << "xi" << QStringList{"MAIN:A", "MAIN:A"};
        QTest::newRow("an expression kept out of codes") << "PED_\\w+" << "x" << QStringList{"-"};
    }
    void findRespectsCodes()
    {
        QFETCH(QString, text);
        QFETCH(QString, options);
        QFETCH(QStringList, found);
        open(flat({{"A", "~k~~PED_FIREWEAPON~"}, {"B", "fire your weapon"}, {"C", "~r~red"}, {"D", "weaponry"}}));
        frmFind *find = search(text, TextSearch::Values, false, QString(), options);
        QStringList seen;
        for (qsizetype i = 0; i < found.size(); ++i) {
            QTest::mouseClick(find->cmdFindNext(), Qt::LeftButton);
            seen << place();
        }
        QCOMPARE(seen, found);
        QCOMPARE(dialogs->messages.size(), 0);
    }

    // An expression that does not compile says why in the dialog, and nothing runs: not the
    // buttons, not F3 from the window, not Replace All.
    void invalidExpressionFindsNothing()
    {
        open(flat({{"A", "a(b"}}));
        frmFind *find = search(QStringLiteral("a(b"), TextSearch::Values, false, QStringLiteral("x"), QStringLiteral("x"));
        QVERIFY2(find->lblStatus()->text().startsWith(QStringLiteral("Invalid regular expression: ")),
                 qPrintable(find->lblStatus()->text()));
        QVERIFY(!find->cmdFindNext()->isEnabled() && !find->cmdReplaceAll()->isEnabled());
        item("mnuStrings_FindNext")->trigger();
        QTest::mouseClick(find->cmdReplaceAll(), Qt::LeftButton);
        QCOMPARE(place(), QStringLiteral("-"));
        QVERIFY(find->lblStatus()->text().startsWith(QStringLiteral("Invalid regular expression: ")));
        QVERIFY(!changed());
        // As plain text the same characters are found.
        find->chkRegularExpression()->setChecked(false);
        QCOMPARE(find->lblStatus()->text(), QString());
        QTest::mouseClick(find->cmdFindNext(), Qt::LeftButton);
        QCOMPARE(place(), QStringLiteral("MAIN:A"));
    }

    // Every option of the dialog has a key of its own: a shared mnemonic reaches one of them only.
    void mnemonicsAreUnique()
    {
        open(flat({{"A", "a"}}));
        frmFind *find = search(QStringLiteral("a"), TextSearch::Values, false, QStringLiteral("b"));
        QStringList keys;
        const QRegularExpression mnemonic(QStringLiteral("&([^&])"));
        for (QWidget *part : find->findChildren<QWidget *>()) {
            QString caption;
            if (auto *label = qobject_cast<QLabel *>(part))
                caption = label->text();
            else if (auto *button = qobject_cast<QAbstractButton *>(part))
                caption = button->text();
            const QRegularExpressionMatch m = mnemonic.match(caption);
            if (part->isVisible() && m.hasMatch())
                keys << m.captured(1).toLower();
        }
        // Find what, Replace with, Look in, four buttons and four options.
        QCOMPARE(keys.size(), 11);
        keys.removeDuplicates();
        QCOMPARE(keys.size(), 11);
    }

    // Replace All over codes, whole words and groups; a taken back Replace All selects its
    // first change in the list's order, however many entries before it held the text only
    // inside a code.
    void replaceAllRespectsCodes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("with");
        QTest::addColumn<QStringList>("after");
        QTest::addColumn<bool>("byNameDescending");
        QTest::addColumn<QString>("first");
        const QStringList unchanged{"A=~k~~PED_FIREWEAPON~", "B=fire your weapon", "C=~r~red", "D=Weapons"};
        QTest::newRow("weapon, case off")
            << "weapon" << "" << "arme"
            << QStringList{"A=~k~~PED_FIREWEAPON~", "B=fire your arme", "C=~r~red", "D=armes"} << false << "MAIN:B";
        QTest::newRow("one letter") << "r" << "" << "R"
                                    << QStringList{"A=~k~~PED_FIREWEAPON~", "B=fiRe youR weapon", "C=~r~Red", "D=Weapons"}
                                    << true << "MAIN:C";
        QTest::newRow("whole words") << "weapon" << "o" << "arme"
                                     << QStringList{"A=~k~~PED_FIREWEAPON~", "B=fire your arme", "C=~r~red", "D=Weapons"}
                                     << false << "MAIN:B";
        QTest::newRow("groups") << "(\\w+) (\\w+)$" << "x" << "\\2 \\1"
                                << QStringList{"A=~k~~PED_FIREWEAPON~", "B=fire weapon your", "C=~r~red", "D=Weapons"}
                                << false << "MAIN:B";
        QTest::newRow("inside text codes") << "fireweapon" << "i" << "SPRINT"
                                           << QStringList{"A=~k~~PED_SPRINT~", "B=fire your weapon", "C=~r~red",
                                                          "D=Weapons"}
                                           << false << "MAIN:A";
    }
    void replaceAllRespectsCodes()
    {
        QFETCH(QString, text);
        QFETCH(QString, options);
        QFETCH(QString, with);
        QFETCH(QStringList, after);
        QFETCH(bool, byNameDescending);
        QFETCH(QString, first);
        const QString path =
            open(flat({{"A", "~k~~PED_FIREWEAPON~"}, {"B", "fire your weapon"}, {"C", "~r~red"}, {"D", "Weapons"}}));
        if (byNameDescending)
            w->lvStrings_ColumnClick(QStringLiteral("Name"));
        frmFind *find = search(text, TextSearch::Values, false, with, options);
        QTest::mouseClick(find->cmdReplaceAll(), Qt::LeftButton);
        QCOMPARE(rowsOf(0), after);
        QCOMPARE(dialogs->messages.size(), 0);
        select(QStringLiteral("D"));
        item("mnuStrings_Undo")->trigger();
        QCOMPARE(content(), onDisk(path));
        QCOMPARE(place(), first);
        QVERIFY(!item("mnuStrings_Undo")->isEnabled());
    }

    // A replacement that would break an entry's codes is refused before anything changes,
    // naming the entry, by Replace All and by Replace alike.
    void replacementBreakingCodesIsRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("with");
        QTest::addColumn<bool>("all");
        QTest::addColumn<QString>("where");
        QTest::newRow("a tilde made") << "fire" << "" << "~" << true << "entry 1 (A)";
        QTest::newRow("a tilde lost inside codes") << "~" << "i" << "" << true << "entry 2 (B)";
        QTest::newRow("a code made of two stray tildes, after a good change") << " fire" << "" << "" << true
                                                                               << "entry 3 (C)";
        QTest::newRow("by Replace") << "~r~" << "i" << "r" << false << "entry 2 (B)";
    }
    void replacementBreakingCodesIsRefused()
    {
        QFETCH(QString, text);
        QFETCH(QString, options);
        QFETCH(QString, with);
        QFETCH(bool, all);
        QFETCH(QString, where);
        // A takes every replacement but the first, which is refused for A itself.
        const RowDocument data = flat({{"A", "a fire"}, {"B", "~r~fire"}, {"C", "~a fire~"}});
        open(data);
        if (!all)
            select(QStringLiteral("B"));
        frmFind *find = search(text, TextSearch::Values, false, with, options);
        dialogs->setNextAnswer(QMessageBox::Ok);
        QTest::mouseClick(all ? find->cmdReplaceAll() : find->cmdReplace(), Qt::LeftButton);
        QCOMPARE(dialogs->messages.size(), 1);
        const QString said = dialogs->messages.constFirst().text;
        QVERIFY2(said.startsWith(QStringLiteral("Nothing was replaced: in ")) && said.contains(where)
                     && said.contains(QStringLiteral("text codes")),
                 qPrintable(said));
        QCOMPARE(content(), data);
        QVERIFY(!changed() && !item("mnuStrings_Undo")->isEnabled());
    }

    // Add, Edit and Delete are taken back and done again by the entry's identity, whatever
    // the list's order did meanwhile: the list shows By Value descending while the command
    // runs and moves its row, and by Name when it is taken back. A and Z share a value, so
    // only the identity tells them apart.
    void undoFindsTheEntryAfterAReSort_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("undoText");
        QTest::addColumn<QStringList>("after");
        // The entry selected after Undo and after Redo; "": the step took it away, and the
        // list's own choice of a neighbour stands.
        QTest::addColumn<QString>("selectedAfterUndo");
        QTest::addColumn<QString>("selectedAfterRedo");
        QTest::newRow("add") << "add" << "&Undo Add NEW" << QStringList{"A=x", "NEW=zzz", "QU_FAIL=y", "Z=x"} << ""
                             << "NEW=zzz";
        QTest::newRow("edit") << "edit" << "&Undo Edit Z" << QStringList{"A=x", "QU_FAIL=y", "Z=zzz"} << "Z=x"
                              << "Z=zzz";
        QTest::newRow("delete") << "delete" << "&Undo Delete QU_FAIL" << QStringList{"A=x", "Z=x"} << "QU_FAIL=y"
                                << "";
    }
    void undoFindsTheEntryAfterAReSort()
    {
        QFETCH(QString, command);
        QFETCH(QString, undoText);
        QFETCH(QStringList, after);
        QFETCH(QString, selectedAfterUndo);
        QFETCH(QString, selectedAfterRedo);
        const QString path = open(flat({{"A", "x"}, {"QU_FAIL", "y"}, {"Z", "x"}}));
        const QStringList before = rowsOf(0);
        sortByValueDescending();
        if (command == "add") {
            w->stringCommands().setDialogRunner([](frmStrings &dialog) {
                QTest::keyClicks(dialog.txtName(), QStringLiteral("new"));
                dialog.txtValue()->setValue(QStringLiteral("zzz"));
                dialog.cmdOk_Click();
            });
            item("mnuStrings_Add")->trigger();
        } else if (command == "edit") {
            edit(QStringLiteral("Z"), QStringLiteral("zzz"));
        } else {
            select(QStringLiteral("QU_FAIL"));
            dialogs->setNextAnswer(QMessageBox::Yes);
            item("mnuStrings_Delete")->trigger();
        }
        QCOMPARE(rowsOf(0), after);
        QCOMPARE(this->undoText(), undoText);
        w->lvStrings_ColumnClick(QStringLiteral("Name"));
        item("mnuStrings_Undo")->trigger();
        QCOMPARE(rowsOf(0), before);
        if (!selectedAfterUndo.isEmpty())
            QCOMPARE(selected(*w), selectedAfterUndo);
        QVERIFY(!changed());
        QCOMPARE(content(), onDisk(path));
        QCOMPARE(item("mnuStrings_Redo")->text(), QString(undoText).replace("&Undo", "&Redo"));
        sortByValueDescending();
        item("mnuStrings_Redo")->trigger();
        QCOMPARE(rowsOf(0), after);
        if (!selectedAfterRedo.isEmpty())
            QCOMPARE(selected(*w), selectedAfterRedo);
        QVERIFY(changed());
    }

    // A deleted entry comes back where it stood in the file, not at its end: of two entries
    // of one key, a save writes them in the table's order.
    void undoOfADeleteKeepsTheFileOrder_data()
    {
        QTest::addColumn<int>("row"); // of the list, by Name: A=1, A=2, B=3
        QTest::newRow("the first of two of a key") << 0;
        QTest::newRow("the second of two of a key") << 1;
        QTest::newRow("the last") << 2;
    }
    void undoOfADeleteKeepsTheFileOrder()
    {
        QFETCH(int, row);
        const QString path = open(flat({{"A", "1"}, {"A", "2"}, {"B", "3"}}));
        const QByteArray before = testfiles::readFile(path);
        list(*w)->setCurrentIndex(list(*w)->model()->index(row, 0));
        dialogs->setNextAnswer(QMessageBox::Yes);
        QVERIFY(w->stringCommands().remove());
        QCOMPARE(w->table().count(), 2);
        item("mnuStrings_Undo")->trigger();
        QCOMPARE(rows(*w), (QStringList{"A=1", "A=2", "B=3"}));
        QCOMPARE(list(*w)->currentIndex().row(), row);
        QVERIFY(!changed());
        // Saved anyway, it writes the very bytes the file had.
        QVERIFY(w->fileCommands().mnuFile_Save_Click());
        QCOMPARE(testfiles::readFile(path), before);
    }

    // Several entries deleted in one step, in whatever order they were chosen, come back each
    // to the very place in the file it left; redone and undone again, the same.
    void undoOfSeveralDeletesKeepsTheFileOrder_data()
    {
        QTest::addColumn<QList<int>>("deleted"); // rows of the file, in the order chosen
        QTest::newRow("first, middle and last, in file order") << QList<int>{0, 2, 5};
        QTest::newRow("the same, the other way round") << QList<int>{5, 2, 0};
        QTest::newRow("neighbours, mixed") << QList<int>{3, 1, 2, 4};
        QTest::newRow("every entry") << QList<int>{4, 0, 5, 1, 3, 2};
    }
    void undoOfSeveralDeletesKeepsTheFileOrder()
    {
        QFETCH(QList<int>, deleted);
        const QString path = open(flat({{"C", "3"}, {"A", "1"}, {"F", "6"}, {"A", "2"}, {"E", "5"}, {"D", "4"}}));
        const QByteArray before = testfiles::readFile(path);
        const RowDocument opened = content();
        StringTable &table = w->table();
        std::vector<EntryChange> changes;
        for (int row : deleted)
            changes.push_back({&table, table.at(row), std::nullopt, -1});
        w->controller().push(new EntriesCommand(QStringLiteral("Delete"), std::move(changes)));
        QCOMPARE(table.count(), 6 - int(deleted.size()));
        for (int round = 0; round < 2; ++round) {
            item("mnuStrings_Undo")->trigger();
            QCOMPARE(content(), opened);
            item("mnuStrings_Redo")->trigger();
            QCOMPARE(table.count(), 6 - int(deleted.size()));
        }
        item("mnuStrings_Undo")->trigger();
        QVERIFY(!changed());
        QVERIFY(w->fileCommands().mnuFile_Save_Click());
        QCOMPARE(testfiles::readFile(path), before);
    }

    // The document counts as changed exactly when the history stands elsewhere than where the
    // file was opened or saved; showing it another way moves nothing in the history.
    void changedFollowsTheHistory_data()
    {
        // E: Edit A to a new value; Q: Edit A to the value it has; U, R: Undo, Redo; S: Save;
        // N: the other character numbering; K: a key name list loaded.
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("changed"); // after each step: + changed, - not
        QTest::newRow("edit, undo, redo, save, undo") << "EURSU" << "+-+-+";
        QTest::newRow("past the save and back") << "ESEUUR" << "+-+-+-";
        QTest::newRow("an edit to the same value is no step") << "ESQU" << "+--+";
        QTest::newRow("numbering and key names keep the history") << "ENKUR" << "+++-+";
        QTest::newRow("after a save") << "ESNKUR" << "+---+-";
    }
    void changedFollowsTheHistory()
    {
        QFETCH(QString, steps);
        QFETCH(QString, changed);
        const QString path = open(flat({{"A", "1"}, {"B", "2"}}));
        const QString names = dir->filePath(QStringLiteral("names.txt"));
        QVERIFY(testfiles::writeFile(names, "YES\n"));
        int edits = 0;
        for (qsizetype i = 0; i < steps.size(); ++i) {
            const int depth = w->controller().undoStack().count();
            switch (steps[i].unicode()) {
            case 'E': edit(QStringLiteral("A"), QStringLiteral("v%1").arg(++edits)); break;
            case 'Q':
                select(QStringLiteral("A"));
                edit(QStringLiteral("A"), selected(*w).section('=', 1));
                break;
            case 'U': item("mnuStrings_Undo")->trigger(); break;
            case 'R': item("mnuStrings_Redo")->trigger(); break;
            case 'S': QVERIFY(w->fileCommands().mnuFile_Save_Click()); break;
            case 'N':
                item(w->controller().numberingChoice() == QLatin1String("western") ? "mnuFile_Numbering_Windows1252"
                                                                                  : "mnuFile_Numbering_Western")
                    ->trigger();
                break;
            case 'K':
                dialogs->setNextFileName(names);
                item("mnuFile_KeyNames")->trigger();
                break;
            }
            const QString where = QStringLiteral("after step %1 of %2").arg(i + 1).arg(steps);
            QVERIFY2(this->changed() == (changed[i] == u'+'), qPrintable(where));
            if (QStringLiteral("QNK").contains(steps[i]))
                QVERIFY2(w->controller().undoStack().count() == depth, qPrintable(where));
            if (changed[i] == u'-')
                QVERIFY2(content() == onDisk(path), qPrintable(where));
            // A save gives Undo and Redo back as they were, not simply on.
            QVERIFY2(item("mnuStrings_Undo")->isEnabled() == w->controller().undoStack().canUndo(), qPrintable(where));
            QVERIFY2(item("mnuStrings_Redo")->isEnabled() == w->controller().undoStack().canRedo(), qPrintable(where));
        }
        QCOMPARE(dialogs->messages.size(), 0);
    }

    // An edit in a table, then the table renamed, deleted and another added: each undo finds
    // what its command changed, the table brought back being the very table that went.
    void undoADeletedTableThenAnEditInIt()
    {
        const QString path = open(tabled());
        const RowDocument opened = content();
        w->showTable(document().indexOfTable(QStringLiteral("BOAT")));
        edit(QStringLiteral("B1"), QStringLiteral("raft"));
        dialogs->setNextText(QStringLiteral("HARBOUR"));
        item("mnuTables_Rename")->trigger();
        dialogs->setNextAnswer(QMessageBox::Yes);
        item("mnuTables_Delete")->trigger();
        dialogs->setNextText(QStringLiteral("EXTRA"));
        item("mnuTables_Add")->trigger();
        QCOMPARE(document().tableCount(), 4);

        const QStringList undone{"&Undo Add Table EXTRA", "&Undo Delete Table HARBOUR", "&Undo Rename Table BOAT",
                                 "&Undo Edit B1"};
        const QStringList shownAfter{"INTRO", "HARBOUR", "BOAT", "BOAT:B1"};
        for (int i = 0; i < undone.size(); ++i) {
            QCOMPARE(undoText(), undone[i]);
            item("mnuStrings_Undo")->trigger();
            QCOMPARE(shownAfter[i].contains(':') ? place() : tableShown(*w), shownAfter[i]);
        }
        QCOMPARE(selected(*w), QStringLiteral("B1=boat"));
        QCOMPARE(content(), opened);
        QVERIFY(!changed());
        for (int i = 0; i < undone.size(); ++i)
            item("mnuStrings_Redo")->trigger();
        QCOMPARE(document().tableCount(), 4);
        QCOMPARE(document().tableName(3), QStringLiteral("EXTRA"));
        // And back once more.
        for (int i = 0; i < undone.size(); ++i)
            item("mnuStrings_Undo")->trigger();
        QCOMPARE(content(), opened);
        QVERIFY(w->fileCommands().mnuFile_Save_Click());
        QCOMPARE(onDisk(path).tables.size(), size_t(4));
    }

    // Undo shows the row it changed, in the order the list shows that row's table in.
    void undoShowsTheRowInAnotherTable()
    {
        open(tabled());
        w->showTable(document().indexOfTable(QStringLiteral("BOAT")));
        edit(QStringLiteral("B1"), QStringLiteral("raft"));
        w->showTable(0);
        sortByValueDescending();
        item("mnuStrings_Undo")->trigger();
        QCOMPARE(place(), QStringLiteral("BOAT:B1"));
        QCOMPARE(selected(*w), QStringLiteral("B1=boat"));
        QCOMPARE(list(*w)->currentIndex().row(), 1); // "boat" after "Boat two", going down
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
        item("mnuStrings_Undo")->trigger();
        QVERIFY(item("mnuStrings_Redo")->isEnabled());
        edit(QStringLiteral("A"), QStringLiteral("uno"));
        dialogs->setNextAnswer(QMessageBox::No);
        if (openAnother) {
            const QString other = dir->filePath(QStringLiteral("other.gxt"));
            QVERIFY(testfiles::writeFile(other, testfiles::written(flat({{"O", "x"}}))));
            dialogs->setNextFileName(other);
            w->fileCommands().mnuFile_Open_Click();
            QCOMPARE(w->controller().CurrentFile(), other);
        } else {
            w->fileCommands().mnuFile_New_Click();
        }
        QVERIFY(!item("mnuStrings_Undo")->isEnabled() && !item("mnuStrings_Redo")->isEnabled());
        QCOMPARE(undoText(), QStringLiteral("&Undo"));
        w->findCommands().mnuStrings_Undo_Click(); // the command itself is guarded too
        QVERIFY(!changed());
    }
};

QTEST_MAIN(TestFindUndo)
#include "tst_findundo.moc"
