// Add, Edit and Delete on a table, with the dialog worked while it is open and the delete
// question answered through the dialogs interface.
#include "frmstrings.h"
#include "gxtdocument.h"
#include "stringcommands.h"
#include "stringtable.h"
#include "userdialogs.h"
#include "valueedit.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

using namespace quillet;

class TestStringCommands : public QObject
{
    Q_OBJECT

    GxtDocument *document = nullptr;
    StringTable *table = nullptr;
    ScriptedUserDialogs *dialogs = nullptr;
    StringCommands *commands = nullptr;
    int changes = 0;

    struct Seen {
        QString title, okCaption, name, value;
        int renameElement = -1;
        bool sourceView = false, colourListEnabled = true;
    };
    // Records what the dialog shows when it opens, then types and commits or cancels.
    Seen seen;
    void runWith(const QString &typeName, const QString &typeValue, bool commit)
    {
        commands->setDialogRunner([=, this](frmStrings &dialog) {
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

private Q_SLOTS:
    void init()
    {
        document = new GxtDocument;
        table = document->table(0);
        table->assignSorted({{"BETA", "~r~two"}, {"ALPHA", "one"}}, StringTable::ByName);
        dialogs = new ScriptedUserDialogs;
        changes = 0;
        // Each change the table announces, which is what marks the document as changed.
        for (auto signal : {&StringTable::rowsInserted, &StringTable::rowsRemoved})
            connect(table, signal, this, [this] { ++changes; });
        connect(table, &StringTable::rowChanged, this, [this] { ++changes; });
        commands = new StringCommands(*document, *dialogs);
    }
    void cleanup()
    {
        delete commands;
        delete dialogs;
        delete document;
    }

    void add()
    {
        runWith("gamma", " three", true);
        QCOMPARE(commands->add(nullptr), 3);
        QCOMPARE(seen.title, QString("Add String"));
        QCOMPARE(seen.okCaption, QString("&Add"));
        QVERIFY(seen.name.isEmpty() && seen.value.isEmpty());
        QVERIFY(seen.sourceView && !seen.colourListEnabled);
        QCOMPARE(table->entry(3), (StringEntry{"GAMMA", " three"}));
        QCOMPARE(changes, 1);

        // A name that sorts first lands first; a cancelled Add writes nothing.
        runWith("aaa", "", true);
        QCOMPARE(commands->add(nullptr), 1);
        runWith("zzz", "x", false);
        QCOMPARE(commands->add(nullptr), 0);
        QCOMPARE(table->count(), 4);
        QCOMPARE(changes, 2);
    }

    void edit()
    {
        runWith("", "!", true);
        QCOMPARE(commands->edit(nullptr, 2), 2);
        QCOMPARE(seen.title, QString("Edit String"));
        QCOMPARE(seen.okCaption, QString("&Update"));
        QCOMPARE(seen.name, QString("BETA"));
        QCOMPARE(seen.value, QString("~r~two")); // Source View, codes included
        QCOMPARE(seen.renameElement, 2);
        QVERIFY(seen.sourceView && !seen.colourListEnabled);
        QCOMPARE(table->entry(2), (StringEntry{"BETA", "!~r~two"}));
        QCOMPARE(changes, 1);

        // Add after Edit starts from a new, empty dialog.
        runWith("", "", false);
        commands->add(nullptr);
        QCOMPARE(seen.title, QString("Add String"));
        QVERIFY(seen.name.isEmpty() && seen.value.isEmpty());

        // Nothing selected, or no such row: no dialog.
        int shown = 0;
        commands->setDialogRunner([&shown](frmStrings &) { ++shown; });
        QCOMPARE(commands->edit(nullptr, 0), 0);
        QCOMPARE(commands->edit(nullptr, 3), 0);
        QCOMPARE(shown, 0);
    }

    // A name of eight characters read from a file goes through Edit unchanged.
    void editKeepsAnEightCharacterName()
    {
        table->addRow(StringEntry{"LONGNAME", "v"});
        runWith("", "", true);
        QCOMPARE(commands->edit(nullptr, 3), 3);
        QCOMPARE(seen.name, QString("LONGNAME"));
        QCOMPARE(table->entry(3), (StringEntry{"LONGNAME", "v"}));
    }

    void remove()
    {
        table->addRow(StringEntry{"O'NEIL", "x"});
        changes = 0;
        dialogs->setNextAnswer(QMessageBox::No);
        QVERIFY(!commands->remove(nullptr, 3));
        QCOMPARE(table->count(), 3);
        QCOMPARE(changes, 0);
        const UserDialogs::Message &question = dialogs->messages.at(0);
        QCOMPARE(question.text, QString("Are you sure you wish to delete the string 'O'NEIL'?"));
        QCOMPARE(question.title, QString("Delete String?"));
        QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(question.icon, QMessageBox::Question);
        QCOMPARE(question.defaultButton, QMessageBox::Yes);

        dialogs->setNextAnswer(QMessageBox::Yes);
        QVERIFY(commands->remove(nullptr, 3));
        QCOMPARE(table->count(), 2);
        QCOMPARE(changes, 1); // a deletion is a change

        // The last rows go; then there is nothing to ask about.
        dialogs->setNextAnswer(QMessageBox::Yes);
        dialogs->setNextAnswer(QMessageBox::Yes);
        QVERIFY(commands->remove(nullptr, 1) && commands->remove(nullptr, 1));
        QVERIFY(!commands->remove(nullptr, 1));
        QVERIFY(!commands->remove(nullptr, 0));
        QCOMPARE(dialogs->messages.size(), 4);
        QCOMPARE(dialogs->unexpected, 0);
    }

    // Names come from files: the real question shows them as written, never as markup.
    void questionShowsNameLiterally_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("tag") << "<b>A</b>";
        QTest::newRow("entity") << "&lt;X";
        QTest::newRow("link") << "<a href='x'>L</a>";
    }
    void questionShowsNameLiterally()
    {
        QFETCH(QString, name);
        const int position = table->addRow(StringEntry{name, "x"});
        QtUserDialogs real;
        StringCommands onScreen(*document, real);
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
        QVERIFY(!onScreen.remove(nullptr, position));
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
        QWidget owner;
        owner.show();
        QTimer::singleShot(0, [] { QTest::keyClick(QApplication::activeModalWidget(), Qt::Key_Escape); });
        QCOMPARE(commands->edit(&owner, 1), 0);
        frmStrings *shown = nullptr;
        QTimer::singleShot(0, [&shown] {
            shown = qobject_cast<frmStrings *>(QApplication::activeModalWidget());
            if (!shown)
                return;
            shown->txtName()->setText("AAA");
            QTest::keyClick(shown->txtName(), Qt::Key_Return);
        });
        QCOMPARE(commands->add(&owner), 1);
        QVERIFY(shown);
        QCOMPARE(table->name(1), QString("AAA"));
        QCOMPARE(table->entry(3), (StringEntry{"BETA", "~r~two"}));
        QCOMPARE(changes, 1);
    }
};

QTEST_MAIN(TestStringCommands)
#include "tst_stringcommands.moc"
