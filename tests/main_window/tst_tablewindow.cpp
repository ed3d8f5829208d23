// The window over tabled and hashed files, driven through its own commands: moving between
// tables, the table commands, hashed keys, key names and character numberings.
#include "testfiles.h"

#include "filelocation.h"
#include "frmmain.h"
#include "frmstrings.h"
#include "frmtables.h"
#include "keynames.h"
#include "userdialogs.h"
#include "valueedit.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

using namespace quillet;

namespace {

// Three tables, in file order MAIN, BOAT, INTRO as the writer orders them; the texts hold
// letters of the game's own numbering (0x83 is Ä there, ƒ in Windows-1252).
GxtDocumentData tables(GxtLayout layout)
{
    GxtDocumentData data;
    data.layout = layout;
    const bool hashed = layout == GxtLayout::Hashed;
    data.tables.push_back({"MAIN", {{hashed ? "#1CBF88DC" : "YES", "Ja"}, {"B", "JÄGER"}, {"A", "zwei"}}});
    if (layout == GxtLayout::Flat)
        return data;
    data.tables.push_back({"INTRO", {{"I1", "intro"}}});
    data.tables.push_back({"BOAT", {{"B1", "boat"}, {"B2", "boat two"}}});
    return data;
}

} // namespace

class TestTableWindow : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedUserDialogs> dialogs;
    std::unique_ptr<MemorySettingsStore> settings;
    std::unique_ptr<frmMain> w;

    QString file(const QString &name, const GxtDocumentData &data)
    {
        const QString path = dir->filePath(name);
        const auto numbering = CharacterNumbering::defaultFor(data.layout);
        if (!testfiles::writeFile(path, testfiles::written(data, *numbering)))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    QString open(GxtLayout layout)
    {
        const QString path = file(QStringLiteral("t.gxt"), tables(layout));
        w->Form_Load(path);
        return path;
    }
    QStringList names() const
    {
        QStringList list;
        for (const StringEntry &row : w->table().rows())
            list << row.name;
        return list;
    }
    QString tableShown() const { return w->document().tableName(w->shownTable()); }
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
        QVERIFY(!w->mnuTables->menuAction()->isVisible());
        open(GxtLayout::Flat);
        QCOMPARE(w->windowTitle(), QStringLiteral("Quillet - t.gxt"));
        // Hidden is not enough: a hidden menu's shortcuts would still fire.
        QVERIFY(!w->mnuTables->menuAction()->isVisible() && !w->mnuTables_Next->isEnabled());

        open(GxtLayout::Tabled);
        QCOMPARE(w->windowTitle(), QStringLiteral("Quillet - t.gxt [MAIN]"));
        QVERIFY(w->mnuTables->menuAction()->isVisible() && w->mnuTables_Next->isEnabled());
        // MAIN stays what it is.
        QVERIFY(!w->mnuTables_Rename->isEnabled() && !w->mnuTables_Delete->isEnabled());
        w->mnuFile_New_Click();
        QVERIFY(!w->mnuTables->menuAction()->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("Quillet - Untitled"));
    }

    void movingBetweenTablesKeepsTheOrderAndSelectsNothing()
    {
        open(GxtLayout::Tabled);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        w->lvStrings_ColumnClick(QStringLiteral("Name")); // Name, descending
        w->lvStrings->setCurrentIndex(w->lvStrings->model()->index(0, 0));
        QTest::keyClick(w.get(), Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(tableShown(), QStringLiteral("BOAT"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Quillet - t.gxt [BOAT]"));
        QCOMPARE(names(), (QStringList{"B2", "B1"}));
        QCOMPARE(w->selectedPosition(), 0);
        w->mnuTables_Next_Click();
        QCOMPARE(tableShown(), QStringLiteral("INTRO"));
        w->mnuTables_Next_Click(); // wraps
        QCOMPARE(tableShown(), QStringLiteral("MAIN"));
        QTest::keyClick(w.get(), Qt::Key_PageUp, Qt::ControlModifier);
        QCOMPARE(tableShown(), QStringLiteral("INTRO"));
        QVERIFY(!w->StringsChanged);
    }

    void goToTableFiltersAsOneTypes()
    {
        open(GxtLayout::Tabled);
        QStringList shown;
        w->setTablesDialogRunner([&shown](frmTables &dialog) {
            dialog.show();
            QTest::keyClicks(dialog.txtFilter(), "o");
            for (int i = 0; i < dialog.lstTables()->topLevelItemCount(); ++i) {
                const QTreeWidgetItem *item = dialog.lstTables()->topLevelItem(i);
                if (!item->isHidden())
                    shown << item->text(0) + ' ' + item->text(1);
            }
            QTest::keyClick(dialog.txtFilter(), Qt::Key_Down);
            QTest::keyClick(dialog.txtFilter(), Qt::Key_Return);
        });
        w->mnuTables_GoTo->trigger();
        QCOMPARE(shown, (QStringList{"BOAT 2", "INTRO 1"}));
        QCOMPARE(tableShown(), QStringLiteral("INTRO"));

        // Escape goes nowhere.
        w->setTablesDialogRunner([](frmTables &dialog) {
            dialog.show();
            QTest::keyClick(dialog.txtFilter(), Qt::Key_Escape);
        });
        w->mnuTables_GoTo_Click();
        QCOMPARE(tableShown(), QStringLiteral("INTRO"));
    }

    void tableCommandsChangeTheDocumentAndSave()
    {
        const QString path = open(GxtLayout::Tabled);
        // A name the game's tables cannot have is asked again; a name taken is refused.
        dialogs->setNextText(QStringLiteral("new table"));
        dialogs->setNextAnswer(QMessageBox::Ok);
        dialogs->setNextText(QStringLiteral("boat"));
        dialogs->setNextAnswer(QMessageBox::Ok);
        dialogs->setNextText(QStringLiteral("extra"));
        w->mnuTables_Add_Click();
        QCOMPARE(dialogs->messages.value(0).text, QStringLiteral("A table's name is 1 to 7 characters of A to Z, 0 to 9 and _."));
        QCOMPARE(dialogs->messages.value(1).text, QStringLiteral("A table named 'BOAT' already exists."));
        QCOMPARE(tableShown(), QStringLiteral("EXTRA"));
        QVERIFY(w->StringsChanged);

        dialogs->setNextText(QStringLiteral("CARGO"));
        w->mnuTables_Rename_Click();
        QCOMPARE(w->windowTitle(), QStringLiteral("Quillet - t.gxt [CARGO]"));

        w->mnuTables_Previous_Click();
        QCOMPARE(tableShown(), QStringLiteral("INTRO"));
        dialogs->setNextAnswer(QMessageBox::No);
        w->mnuTables_Delete_Click();
        QCOMPARE(dialogs->messages.last().text,
                 QStringLiteral("Are you sure you wish to delete the table 'INTRO' and its 1 entry?"));
        QCOMPARE(w->document().tableCount(), 4);
        dialogs->setNextAnswer(QMessageBox::Yes);
        w->mnuTables_Delete_Click();
        QCOMPARE(tableShown(), QStringLiteral("BOAT"));

        QVERIFY(w->mnuFile_Save_Click());
        GxtDocumentData saved = testfiles::readBack(testfiles::readFile(path));
        QCOMPARE(saved.layout, GxtLayout::Tabled);
        QStringList tableNames;
        for (const GxtTableData &t : saved.tables)
            tableNames << t.name;
        QCOMPARE(tableNames, (QStringList{"MAIN", "BOAT", "CARGO"}));
        QVERIFY(!w->StringsChanged);
    }

    void hashedKeysByNameOrHash()
    {
        const QString list = dir->filePath(QStringLiteral("names.txt"));
        QVERIFY(testfiles::writeFile(list, "YES\nI1\n"));
        open(GxtLayout::Hashed);
        QVERIFY(names().contains(QStringLiteral("#1CBF88DC")));

        dialogs->setNextFileName(list);
        w->mnuFile_KeyNames_Click();
        QVERIFY(names().contains(QStringLiteral("YES")));
        QVERIFY(!w->StringsChanged);
        QCOMPARE(settings->value(QStringLiteral("Key Names"), QStringLiteral("File"), QString()), list);

        // A key typed as its hash, and one whose hash another entry has.
        commitWithName(QStringLiteral("#0000abcd"));
        w->mnuStrings_Add_Click();
        QVERIFY(names().contains(QStringLiteral("#0000ABCD")));
        dialogs->setNextAnswer(QMessageBox::Ok);
        commitWithName(QStringLiteral("yes"));
        w->mnuStrings_Add_Click();
        QCOMPARE(names().count(QStringLiteral("YES")), 1);
        QVERIFY2(dialogs->messages.last().text.contains(QStringLiteral("#1CBF88DC")), qPrintable(dialogs->messages.last().text));

        // Names typed here are known from now on, and hashed files opened later use the list.
        dialogs->setNextAnswer(QMessageBox::No);
        w->mnuFile_New_Click();
        open(GxtLayout::Hashed);
        QVERIFY(names().contains(QStringLiteral("YES")));
    }

    void numberingShowsTheSameUnitsAnew()
    {
        const QString path = open(GxtLayout::Tabled);
        const QByteArray before = testfiles::readFile(path);
        QVERIFY(w->mnuFile_Numbering_Western->isChecked());
        w->mnuFile_Numbering_Windows1252->trigger();
        QVERIFY(w->table().rows().end() != std::find_if(w->table().rows().begin(), w->table().rows().end(),
                                                        [](const StringEntry &e) { return e.value == QStringLiteral("JƒGER"); }));
        QVERIFY(!w->StringsChanged);
        QCOMPARE(settings->value(QStringLiteral("Character Numbering"), QStringLiteral("tabled"), QString()),
                 QStringLiteral("windows-1252"));
        // Flat files keep their own choice.
        QCOMPARE(settings->value(QStringLiteral("Character Numbering"), QStringLiteral("flat"), QStringLiteral("unset")),
                 QStringLiteral("unset"));

        // A map that does not read changes nothing but says where it is wrong.
        const QString map = dir->filePath(QStringLiteral("bad.map"));
        QVERIFY(testfiles::writeFile(map, "0104=0083\nwrong\n"));
        dialogs->setNextFileName(map);
        dialogs->setNextAnswer(QMessageBox::Ok);
        w->mnuFile_Numbering_FromFile_Click();
        QVERIFY2(dialogs->messages.last().text.endsWith(QStringLiteral("line 2: expected UUUU=GGGG, a character's code "
                                                                        "and its glyph number in hex, but found \"wrong\"")),
                 qPrintable(dialogs->messages.last().text));
        QVERIFY(w->mnuFile_Numbering_Windows1252->isChecked());

        // A map that reads: Ą where the game draws Ä, and the editor refuses Ä from then on.
        QVERIFY(testfiles::writeFile(map, "0104=0083\n"));
        dialogs->setNextFileName(map);
        w->mnuFile_Numbering_FromFile_Click();
        QVERIFY(w->mnuFile_Numbering_FromFile->isChecked());
        QVERIFY(w->table().rows().end() != std::find_if(w->table().rows().begin(), w->table().rows().end(),
                                                        [](const StringEntry &e) { return e.value == QStringLiteral("JĄGER"); }));
        w->stringCommands().setDialogRunner([](frmStrings &dialog) {
            dialog.txtName()->setText(QStringLiteral("NEW"));
            dialog.txtValue()->setValue(QStringLiteral("Ä"));
            dialog.cmdOk_Click();
            if (dialog.isVisible())
                dialog.cmdCancel_Click();
        });
        dialogs->setNextAnswer(QMessageBox::Ok);
        w->mnuStrings_Add_Click();
        QVERIFY(!names().contains(QStringLiteral("NEW")));
        QVERIFY(dialogs->messages.last().text.contains(QStringLiteral("U+00C4")));

        // Nothing underneath changed: the save writes the same bytes.
        QVERIFY(w->mnuFile_Save_Click());
        QCOMPARE(testfiles::readFile(path), before);
    }
};

QTEST_MAIN(TestTableWindow)
#include "tst_tablewindow.moc"
