// Add, Edit and Delete of the window's Strings commands, on a loaded table, with the dialog
// worked while it is open and the delete question answered through the dialogs interface.
#include "testfiles.h"
#include "windowdriver.h"

#include "filelocation.h"
#include "frmmain.h"
#include "frmstrings.h"
#include "stringcommands.h"
#include "userdialogs.h"
#include "valueedit.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>

using namespace quillet;
using namespace windowdriver;

class TestStringCommands : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<ScriptedUserDialogs> dialogs;
    std::unique_ptr<MemorySettingsStore> settings;
    std::unique_ptr<frmMain> w;

    struct Seen {
        QString title, okCaption, name, value;
        EntryId renameElement = 1234;
        bool sourceView = false, colourListEnabled = true;
    };
    // Records what the dialog shows when it opens, then types and commits or cancels.
    Seen seen;
    void runWith(const QString &typeName, const QString &typeValue, bool commit)
    {
        w->stringCommands().setDialogRunner([=, this](frmStrings &dialog) {
            dialog.show();
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            seen = {dialog.windowTitle(), dialog.cmdOk()->text(), dialog.txtName()->text(),
                    dialog.txtValue()->value(), dialog.RenameElement,
                    dialog.OptView(0)->isChecked() && dialog.shownView() == frmStrings::SourceView,
                    dialog.comboTextStyle()->isEnabled()};
            QTest::keyClicks(dialog.txtName(), typeName);
            QTest::keyClicks(dialog.txtValue(), typeValue);
            QTest::keyClick(dialog.txtName(), commit ? Qt::Key_Return : Qt::Key_Escape);
            QVERIFY(!dialog.isVisible());
        });
    }
    // Opens a flat table of BETA and ALPHA and these rows besides.
    void load(const testfiles::Rows &more = {})
    {
        const QString path = dir->filePath(QStringLiteral("t.gxt"));
        QVERIFY(testfiles::writeFile(path, testfiles::written(testfiles::Rows{{"BETA", "~r~two"}, {"ALPHA", "one"}} + more)));
        w->Form_Load(path);
    }
    StringCommands &commands() { return w->stringCommands(); }
    // The steps the history holds: each change is one.
    int changes() const { return w->controller().undoStack().count(); }
    int selectedRow() const { return list(*w)->currentIndex().row(); }
    void selectRow(int row) { list(*w)->setCurrentIndex(list(*w)->model()->index(row, 0)); }

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

    void add()
    {
        load();
        runWith("gamma", " three", true);
        const EntryId added = commands().add();
        QVERIFY(added != 0);
        QCOMPARE(w->selectedEntry(), added);
        QCOMPARE(seen.title, QString("Add String"));
        QCOMPARE(seen.okCaption, QString("&Add"));
        QVERIFY(seen.name.isEmpty() && seen.value.isEmpty());
        QCOMPARE(seen.renameElement, EntryId(0));
        QVERIFY(seen.sourceView && !seen.colourListEnabled);
        QCOMPARE(rows(*w), (QStringList{"ALPHA=one", "BETA=~r~two", "GAMMA= three"}));
        QCOMPARE(selectedRow(), 2);
        QCOMPARE(changes(), 1);

        // A name that sorts first lands first; a cancelled Add writes nothing.
        runWith("aaa", "", true);
        QVERIFY(commands().add() != 0);
        QCOMPARE(selected(*w), QString("AAA="));
        QCOMPARE(selectedRow(), 0);
        runWith("zzz", "x", false);
        QCOMPARE(commands().add(), EntryId(0));
        QCOMPARE(w->table().count(), 4);
        QCOMPARE(changes(), 2);
    }

    void edit()
    {
        load();
        QVERIFY(select(*w, "BETA"));
        const EntryId beta = w->selectedEntry();
        runWith("", "!", true);
        QCOMPARE(commands().edit(), beta);
        QCOMPARE(seen.title, QString("Edit String"));
        QCOMPARE(seen.okCaption, QString("&Update"));
        QCOMPARE(seen.name, QString("BETA"));
        QCOMPARE(seen.value, QString("~r~two")); // Source View, codes included
        QCOMPARE(seen.renameElement, beta);
        QVERIFY(seen.sourceView && !seen.colourListEnabled);
        QCOMPARE(rows(*w), (QStringList{"ALPHA=one", "BETA=!~r~two"}));
        QCOMPARE(w->selectedEntry(), beta);
        QCOMPARE(changes(), 1);

        // Add after Edit starts from a new, empty dialog.
        runWith("", "", false);
        commands().add();
        QCOMPARE(seen.title, QString("Add String"));
        QVERIFY(seen.name.isEmpty() && seen.value.isEmpty());

        // Nothing selected: no dialog.
        int shown = 0;
        commands().setDialogRunner([&shown](frmStrings &) { ++shown; });
        list(*w)->clearSelection();
        QCOMPARE(commands().edit(), EntryId(0));
        QCOMPARE(shown, 0);
    }

    // A name of eight characters read from a file goes through Edit unchanged, and an
    // Update that changes nothing is no step of the history.
    void editKeepsAnEightCharacterName()
    {
        load({{"LONGNAME", "v"}});
        QVERIFY(select(*w, "LONGNAME"));
        runWith("", "", true);
        QCOMPARE(commands().edit(), w->selectedEntry());
        QCOMPARE(seen.name, QString("LONGNAME"));
        QCOMPARE(selected(*w), QString("LONGNAME=v"));
        QCOMPARE(changes(), 0);
    }

    void remove()
    {
        load({{"O'NEIL", "x"}});
        QVERIFY(select(*w, "O'NEIL"));
        dialogs->setNextAnswer(QMessageBox::No);
        QVERIFY(!commands().remove());
        QCOMPARE(w->table().count(), 3);
        QCOMPARE(changes(), 0);
        const UserDialogs::Message &question = dialogs->messages.at(0);
        QCOMPARE(question.text, QString("Are you sure you wish to delete the string 'O'NEIL'?"));
        QCOMPARE(question.title, QString("Delete String?"));
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(question.icon, QMessageBox::Question);
        QCOMPARE(question.defaultButton, QMessageBox::Yes);

        dialogs->setNextAnswer(QMessageBox::Yes);
        QVERIFY(commands().remove());
        QCOMPARE(names(*w), (QStringList{"ALPHA", "BETA"}));
        QCOMPARE(changes(), 1); // a deletion is a change

        // The last rows go; then there is nothing to ask about.
        for (int i = 0; i < 2; ++i) {
            selectRow(0);
            dialogs->setNextAnswer(QMessageBox::Yes);
            QVERIFY(commands().remove());
        }
        QCOMPARE(w->table().count(), 0);
        QVERIFY(!commands().remove());
        QCOMPARE(dialogs->messages.size(), 4);
    }

    // Names come from files: the real question shows them as written, never as markup.
    void questionShowsNameLiterally_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("tag") << "<b>A</b>";
        QTest::newRow("entity") << "&lt;X";
        QTest::newRow("anchor") << "<a>L</a>";
    }
    void questionShowsNameLiterally()
    {
        QFETCH(QString, name);
        QtUserDialogs real;
        frmMain onScreen(&real, settings.get());
        const QString path = dir->filePath(QStringLiteral("t.gxt"));
        QVERIFY(testfiles::writeFile(path, testfiles::written(testfiles::Rows{{name, "x"}})));
        onScreen.Form_Load(path);
        QVERIFY(select(onScreen, name));
        QString shownText;
        int format = -1;
        QTimer::singleShot(0, [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            if (!box)
                return;
            if (const auto *label = box->findChild<QLabel *>(QStringLiteral("qt_msgbox_label"))) {
                shownText = label->text();
                format = label->textFormat();
            }
            box->button(QMessageBox::No)->click();
        });
        QVERIFY(!onScreen.stringCommands().remove());
        QCOMPARE(shownText, StringCommands::deleteQuestion(name));
        QCOMPARE(format, int(Qt::PlainText));
        // Every other message goes through the same box.
        const auto box = QtUserDialogs::messageBox(nullptr, {"Could not open /t/" + name + ".gxt: x", {}});
        QCOMPARE(box->textFormat(), Qt::PlainText);
        QCOMPARE(box->windowTitle(), QApplication::applicationDisplayName());
    }

    // The real modal loop: Escape cancels, Enter in the name box commits.
    void modalLoop()
    {
        load();
        commands().setDialogRunner(nullptr);
        QVERIFY(select(*w, "BETA"));
        QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
        QCOMPARE(commands().edit(), EntryId(0));
        frmStrings *shown = nullptr;
        QTimer::singleShot(0, [&shown] {
            shown = qobject_cast<frmStrings *>(QApplication::activeModalWidget());
            if (!shown)
                return;
            shown->txtName()->setText("AAA");
            QTest::keyClick(shown->txtName(), Qt::Key_Return);
        });
        QVERIFY(commands().add() != 0);
        QVERIFY(shown);
        QCOMPARE(rows(*w), (QStringList{"AAA=", "ALPHA=one", "BETA=~r~two"}));
        QCOMPARE(changes(), 1);
    }
};

QTEST_MAIN(TestStringCommands)
#include "tst_stringcommands.moc"
