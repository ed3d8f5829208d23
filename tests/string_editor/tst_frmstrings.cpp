// The editor dialog driven as a user drives it: keys, mouse clicks and the colour list.
#include "colourcodes.h"
#include "frmstrings.h"
#include "gxtdocument.h"
#include "stringtable.h"
#include "userdialogs.h"
#include "valueedit.h"
#include "viewcases.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTest>

using namespace quillet;


class TestFrmStrings : public QObject
{
    Q_OBJECT

    GxtDocument *document = nullptr;
    StringTable *table = nullptr;
    ScriptedUserDialogs *dialogs = nullptr;
    frmStrings *dialog = nullptr;
    // Whether the document took a change.
    bool changed() const { return document->isModified(); }

    // The dialog as Edit prepares it, shown and active.
    void open(const QString &name, const QString &value, const QString &okCaption = "&Update", int position = 1)
    {
        dialog = new frmStrings(*document, *table, *dialogs);
        dialog->txtName()->setText(name);
        dialog->txtValue()->setValue(value);
        dialog->OptView_Click(frmStrings::SourceView);
        dialog->cmdOk()->setText(okCaption);
        dialog->RenameElement = position;
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
    }
    void clickView(int index) { QTest::mouseClick(dialog->OptView(index), Qt::LeftButton); }
    void select(int start, int length)
    {
        QTextCursor cursor = dialog->txtValue()->textCursor();
        cursor.setPosition(start);
        cursor.setPosition(start + length, QTextCursor::KeepAnchor);
        dialog->txtValue()->setTextCursor(cursor);
    }
    // Chooses a colour the way a user does: opens the list and clicks the item.
    void chooseColour(const QString &name)
    {
        QComboBox *combo = dialog->comboTextStyle();
        combo->setFocus();
        combo->showPopup();
        QAbstractItemView *view = combo->view();
        QVERIFY(QTest::qWaitForWindowExposed(view->window()));
        const QModelIndex item = combo->model()->index(combo->findText(name), 0);
        view->scrollTo(item);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, view->visualRect(item).center());
    }

private Q_SLOTS:
    void init()
    {
        document = new GxtDocument;
        table = document->table(0);
        table->addRow(StringEntry{"FIRST", "one"});
        document->setModified(false);
        dialogs = new ScriptedUserDialogs;
    }
    void cleanup()
    {
        delete dialog;
        dialog = nullptr;
        delete dialogs;
        delete document;
    }

    void layout()
    {
        open({}, {});
        QCOMPARE(dialog->size(), QSize(370, 174));
        QCOMPARE(dialog->minimumSize(), dialog->maximumSize());
        QVERIFY(!(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint)));
        QVERIFY(dialog->windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(dialog->windowTitle(), QString("Add String"));
        const QList<std::pair<QWidget *, QRect>> places{
            {dialog->comboTextStyle(), {48, 32, 121, 21}}, {dialog->OptView(1), {280, 8, 81, 17}},
            {dialog->OptView(0), {280, 32, 81, 17}},       {dialog->txtValue(), {8, 56, 353, 85}},
            {dialog->txtName(), {48, 8, 81, 19}},          {dialog->cmdCancel(), {280, 144, 81, 25}},
            {dialog->cmdOk(), {200, 144, 81, 25}},         {dialog->lblStringName(), {8, 8, 33, 17}}};
        for (const auto &[widget, place] : places)
            QCOMPARE(widget->geometry(), place);
        QCOMPARE(dialog->OptView(0)->text(), QString("Source View"));
        QCOMPARE(dialog->OptView(1)->text(), QString("Design View"));
        QVERIFY(dialog->OptView(0)->isChecked());
        QCOMPARE(dialog->cmdCancel()->text(), QString("&Cancel"));
        QVERIFY(dialog->cmdOk()->isDefault());
        QCOMPARE(dialog->lblStringName()->text(), QString("Name:"));
        for (QWidget *captioned : std::initializer_list<QWidget *>{dialog->lblStringName(), dialog->OptView(0),
                                                                    dialog->OptView(1), dialog->cmdOk()})
            QVERIFY2(captioned->sizeHint().width() <= captioned->width(), "caption cut off");
        QCOMPARE(dialog->txtValue()->font().family(), QString("Courier New"));
        QCOMPARE(dialog->txtValue()->font().pointSizeF(), 9.75);
        QVERIFY(dialog->txtValue()->tabChangesFocus());
        QVERIFY(!dialog->txtValue()->acceptRichText());

        QComboBox *combo = dialog->comboTextStyle();
        QVERIFY(!combo->isEditable());
        QStringList items;
        for (int i = 0; i < combo->count(); ++i)
            items << combo->itemText(i);
        QCOMPARE(items, QStringList({"Text Colour", "Yellow", "Grey (default)", "Highlight (white)", "Red", "Green",
                                     "Blue", "Purple"}));
        QCOMPARE(combo->currentIndex(), 0);
        QVERIFY(!combo->isEnabled());

        // Focus starts in the name box and Tab walks the defined order (the colour list
        // takes part while Design View enables it).
        QCOMPARE(QApplication::focusWidget(), dialog->txtName());
        clickView(1);
        dialog->txtName()->setFocus();
        QList<QWidget *> order{QApplication::focusWidget()};
        for (int i = 0; i < 7; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            order << QApplication::focusWidget();
        }
        const QList<QWidget *> expected{dialog->txtName(),       dialog->txtValue(), dialog->OptView(1),
                                        dialog->comboTextStyle(), dialog->cmdOk(),   dialog->cmdCancel(),
                                        dialog->txtName(),        dialog->txtValue()};
        QCOMPARE(order, expected);
    }

    // Every example of the conversion rules, through the option buttons of the dialog.
    void viewsThroughTheDialog()
    {
        open("NAME", {});
        for (const ViewCase &c : viewCases()) {
            dialog->txtValue()->setValue(c.source);
            clickView(1);
            QCOMPARE(dialog->shownView(), frmStrings::DesignView);
            QVERIFY(dialog->comboTextStyle()->isEnabled());
            QCOMPARE(dialog->txtValue()->backgroundColour(), qRgb(0, 0, 0));
            const ColouredText shown = dialog->txtValue()->colouredValue();
            QCOMPARE(plainText(shown), c.shown);
            for (qsizetype i = 0; i < shown.size(); ++i)
                QVERIFY2(shown[i].colour == rgbOfCode(c.colours[i]), c.name);

            clickView(0);
            QCOMPARE(dialog->txtValue()->value(), c.back);
            QVERIFY(!dialog->comboTextStyle()->isEnabled());
            QCOMPARE(dialog->txtValue()->backgroundColour(), qRgb(255, 255, 255));
            for (const ColouredChar &ch : dialog->txtValue()->colouredValue())
                QCOMPARE(ch.colour, qRgb(0, 0, 0));
        }
    }

    // Colours outside the table, and a first character that is not grey, as only the
    // editing of Design View text can make them.
    void designTextWithColoursOutsideTheTable()
    {
        open("NAME", "xabyz");
        clickView(1);
        QTextCharFormat black, orange, red;
        black.setForeground(Qt::black);
        orange.setForeground(QColor(255, 128, 0));
        red.setForeground(QColor(rgbOfCode('r')));
        QTextCursor cursor = dialog->txtValue()->textCursor();
        const auto colour = [&](int at, const QTextCharFormat &format) {
            cursor.setPosition(at);
            cursor.setPosition(at + 1, QTextCursor::KeepAnchor);
            cursor.mergeCharFormat(format);
        };
        colour(0, black);
        colour(3, red);
        colour(4, orange);
        clickView(0);
        QCOMPARE(dialog->txtValue()->value(), QString("x~w~ab~r~yz"));
    }

    // The box's own reading and writing of colours agrees with the pure rules on many texts,
    // and showing the view that is already shown changes nothing.
    void boxAgreesWithThePureRules()
    {
        open("NAME", {});
        QRandomGenerator random(7);
        const QString letters = "ywhrgbpYWx~ a\n\r\u00a0";
        const QList<QRgb> colours{rgbOfCode('y'), rgbOfCode('w'), rgbOfCode('h'), rgbOfCode('r'),
                                  rgbOfCode('p'), qRgb(0, 0, 0),  qRgb(1, 2, 3)};
        for (int n = 0; n < 300; ++n) {
            QString source;
            for (int i = int(random.bounded(16)); i > 0; --i)
                source += letters[random.bounded(int(letters.size()))];
            dialog->txtValue()->setValue(source);
            clickView(1);
            QCOMPARE(dialog->txtValue()->colouredValue(), BuildDesignView(source));

            ColouredText recoloured = dialog->txtValue()->colouredValue();
            for (ColouredChar &c : recoloured)
                c.colour = colours[random.bounded(int(colours.size()))];
            dialog->txtValue()->setColouredValue(recoloured);
            dialog->OptView_Click(1);
            QCOMPARE(dialog->txtValue()->colouredValue(), recoloured);
            clickView(0);
            QCOMPARE(dialog->txtValue()->value(), BuildSourceView(recoloured));
            dialog->OptView_Click(0);
            QCOMPARE(dialog->txtValue()->value(), BuildSourceView(recoloured));
        }
    }

    void colourList()
    {
        open("NAME", "Hello ~r~abcdef");
        clickView(1);
        select(0, 5);
        chooseColour("Red");
        QCOMPARE(dialog->comboTextStyle()->currentIndex(), 0);
        QTRY_COMPARE(QApplication::focusWidget(), dialog->txtValue());
        // Grey for red text in the middle of the value.
        select(8, 2);
        chooseColour("Grey (default)");
        // A colour at a bare caret colours what is typed next.
        QTextCursor end = dialog->txtValue()->textCursor();
        end.movePosition(QTextCursor::End);
        dialog->txtValue()->setTextCursor(end);
        chooseColour("Blue");
        QTRY_COMPARE(QApplication::focusWidget(), dialog->txtValue());
        QTest::keyClicks(dialog->txtValue(), "xy");
        // "Text Colour" itself changes nothing and keeps the focus in the list.
        select(0, 3);
        chooseColour("Text Colour");
        QTRY_VERIFY(!dialog->comboTextStyle()->view()->isVisible());
        QCOMPARE(QApplication::focusWidget(), dialog->comboTextStyle());
        clickView(0);
        QCOMPARE(dialog->txtValue()->value(), QString("~r~Hello~w~ ~r~ab~w~cd~r~ef~b~xy"));
    }

    void nameKeyFilter()
    {
        open({}, {}, "&Add");
        QLineEdit *name = dialog->txtName();
        QTest::keyClicks(name, "abc_1");
        QCOMPARE(name->text(), QString("ABC_1"));
        QTest::keyClicks(name, " -.~");
        QKeyEvent accented(QEvent::KeyPress, Qt::Key_Eacute, Qt::NoModifier, QString::fromUtf8("é"));
        QApplication::sendEvent(name, &accented);
        QCOMPARE(name->text(), QString("ABC_1"));
        QTest::keyClick(name, Qt::Key_Backspace);
        QTest::keyClicks(name, "z90x");
        QCOMPARE(name->text(), QString("ABC_Z90"));
        QTest::keyClick(name, Qt::Key_Home);
        QTest::keyClicks(name, "Q");
        QCOMPARE(name->text(), QString("ABC_Z90"));

        // Pasting is filtered the same way and cut to the room left.
        name->clear();
        QApplication::clipboard()->setText("ab c-d.9_xyz");
        QTest::keyClick(name, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(name->text(), QString("ABCD9_X"));
        name->setSelection(1, 3);
        QApplication::clipboard()->setText("q");
        const std::unique_ptr<QMenu> menu(dialog->createNameContextMenu());
        QAction *paste = menu->findChild<QAction *>("edit-paste");
        QVERIFY(paste);
        paste->trigger();
        QCOMPARE(name->text(), QString("AQ9_X"));
    }

    void eightCharacterNameKeptWhole()
    {
        open("LONGNAME", "v");
        QCOMPARE(dialog->txtName()->text(), QString("LONGNAME"));
        QTest::keyClick(dialog->txtName(), Qt::Key_End);
        QTest::keyClicks(dialog->txtName(), "X");
        QCOMPARE(dialog->txtName()->text(), QString("LONGNAME"));
        QTest::mouseClick(dialog->cmdOk(), Qt::LeftButton);
        QCOMPARE(table->name(1), QString("LONGNAME"));
    }

    void blankNameRefused()
    {
        open("   ", "~R~text", "&Add");
        clickView(1);
        dialogs->setNextAnswer(QMessageBox::Ok);
        QTest::keyClick(dialog->txtValue(), Qt::Key_Return);
        QCOMPARE(dialogs->messages.size(), 1);
        QCOMPARE(dialogs->messages[0].text, QString("Name cannot be blank!"));
        QVERIFY(dialogs->messages[0].title.isEmpty()); // the application's title
        QCOMPARE(dialogs->messages[0].buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
        QCOMPARE(dialogs->messages[0].icon, QMessageBox::NoIcon);
        QVERIFY(dialog->isVisible());
        QCOMPARE(QApplication::focusWidget(), dialog->txtName());
        QCOMPARE(table->count(), 1);
        QVERIFY(!changed());
        // The value shows its source form, without a line break, while the selector
        // still says Design View.
        QCOMPARE(dialog->txtValue()->value(), QString("~r~text"));
        QCOMPARE(dialog->txtValue()->backgroundColour(), qRgb(255, 255, 255));
        QVERIFY(!dialog->comboTextStyle()->isEnabled());
        QVERIFY(dialog->OptView(1)->isChecked());

        dialog->txtName()->setText(" A");
        QTest::keyClick(dialog->txtName(), Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
        QVERIFY(changed());
        QCOMPARE(table->count(), 2);
        QCOMPARE(table->entry(1), (StringEntry{" A", "~r~text"}));
    }

    void updateInDesignViewWithEnter()
    {
        open("FIRST", "one blue");
        clickView(1);
        select(4, 4);
        chooseColour("Blue");
        QTest::keyClick(dialog->txtValue(), Qt::Key_Enter);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QCOMPARE(table->entry(1), (StringEntry{"FIRST", "one ~b~blue"}));
        QCOMPARE(dialog->writtenPosition(), 1);
    }

    void commitWritesAndSorts()
    {
        table->addRow(StringEntry{"SECOND", "two"});
        table->setSortKey(StringTable::ByValue);
        table->setSortOrder(StringTable::Descending);
        // Update rewrites the row at RenameElement and re-sorts, following the row.
        open("RENAMED", "zzz", "&Update", 2);
        QTest::mouseClick(dialog->cmdOk(), Qt::LeftButton);
        QVERIFY(table->isSorted());
        QCOMPARE(dialog->writtenPosition(), 1);
        QCOMPARE(table->entry(1), (StringEntry{"RENAMED", "zzz"}));
        QCOMPARE(table->entry(2), (StringEntry{"FIRST", "one"}));
        delete dialog;
        // Add with a name that exists already (kept on purpose), and an empty value.
        open("FIRST", {}, "&Add");
        dialogs->setNextAnswer(QMessageBox::Yes);
        QTest::mouseClick(dialog->cmdOk(), Qt::LeftButton);
        QCOMPARE(table->count(), 3);
        QCOMPARE(dialog->writtenPosition(), 3);
        QCOMPARE(table->entry(3), (StringEntry{"FIRST", ""}));
    }

    // A second entry of a name is made only when the user says so; a row that keeps its own
    // name asks nothing, even where the file already repeats it.
    void repeatedNameAsked_data()
    {
        QTest::addColumn<QString>("okCaption");
        QTest::addColumn<int>("position"); // the row an update rewrites
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("answer"); // NoButton: no question expected
        QTest::addColumn<QString>("names");
        const int none = QMessageBox::NoButton, yes = QMessageBox::Yes, no = QMessageBox::No;
        const QString kept = "FIRST SECOND TWIN TWIN";
        QTest::newRow("add, new name") << "&Add" << 0 << "NEW" << none << "FIRST NEW SECOND TWIN TWIN";
        QTest::newRow("add, existing name, Yes") << "&Add" << 0 << "SECOND" << yes << "FIRST SECOND SECOND TWIN TWIN";
        QTest::newRow("add, existing name, No") << "&Add" << 0 << "SECOND" << no << kept;
        QTest::newRow("rename onto another, Yes") << "&Update" << 2 << "FIRST" << yes << "FIRST FIRST TWIN TWIN";
        QTest::newRow("rename onto another, No") << "&Update" << 2 << "FIRST" << no << kept;
        QTest::newRow("rename onto a repeated name, No") << "&Update" << 1 << "TWIN" << no << kept;
        QTest::newRow("edit keeping its name") << "&Update" << 1 << "FIRST" << none << kept;
        QTest::newRow("edit keeping a repeated name") << "&Update" << 4 << "TWIN" << none << kept;
        QTest::newRow("case differs") << "&Update" << 1 << "second" << none << "SECOND second TWIN TWIN";
    }
    void repeatedNameAsked()
    {
        QFETCH(QString, okCaption);
        QFETCH(int, position);
        QFETCH(QString, name);
        QFETCH(int, answer);
        QFETCH(QString, names);
        table->addRow(StringEntry{"SECOND", "two"});
        table->addRow(StringEntry{"TWIN", "a"});
        table->addRow(StringEntry{"TWIN", "b"});
        document->setModified(false);
        open(name, "v", okCaption, position);
        if (answer != QMessageBox::NoButton)
            dialogs->setNextAnswer(QMessageBox::StandardButton(answer));
        QTest::mouseClick(dialog->cmdOk(), Qt::LeftButton);

        QStringList rows;
        for (const StringEntry &row : table->rows())
            rows << row.name;
        QCOMPARE(rows.join(' '), names);
        QCOMPARE(dialogs->unexpected, 0);
        QVERIFY(dialogs->allAnswersUsed());
        if (answer == QMessageBox::NoButton) {
            QVERIFY(dialogs->messages.isEmpty());
        } else {
            QCOMPARE(dialogs->messages.size(), 1);
            const UserDialogs::Message &question = dialogs->messages[0];
            QCOMPARE(question.text, "An entry named '" + name + "' already exists. Keep both?");
            QVERIFY(question.title.isEmpty()); // the application's title
            QCOMPARE(question.buttons, QMessageBox::Yes | QMessageBox::No);
            QCOMPARE(question.icon, QMessageBox::Question);
            QCOMPARE(question.defaultButton, QMessageBox::No);
        }
        const bool refused = answer == QMessageBox::No;
        QCOMPARE(dialog->isVisible(), refused);
        QCOMPARE(changed(), !refused);
        if (refused) {
            QCOMPARE(QApplication::focusWidget(), dialog->txtName());
            QCOMPARE(table->value(2), QString("two"));
        }
    }

    void cancelWritesNothing()
    {
        open("FIRST", "one");
        QTest::keyClicks(dialog->txtValue(), "changed");
        QTest::keyClick(dialog->txtValue(), Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        delete dialog;
        open("FIRST", "one");
        dialog->close();
        QCOMPARE(table->entry(1), (StringEntry{"FIRST", "one"}));
        QVERIFY(!changed());
        QVERIFY(!table->isSorted());
    }

    void valueWithoutAByteRefused()
    {
        open("FIRST", QString::fromUtf8("ab\u30a2c"));
        dialogs->setNextAnswer(QMessageBox::Ok);
        QTest::mouseClick(dialog->cmdOk(), Qt::LeftButton);
        QCOMPARE(dialogs->messages.size(), 1);
        QVERIFY(dialogs->messages[0].text.contains(QString::fromUtf8("'\u30a2' (U+30A2)")));
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->txtValue()->textCursor().selectedText(), QString::fromUtf8("\u30a2"));
        QCOMPARE(table->value(1), QString("one"));
        QVERIFY(!changed());
    }

    // Line breaks, a no-break space and a tab come back exactly, through both views.
    void valueKeptExactly()
    {
        const QString value = QString::fromUtf8("a\r\nb\nc\rd\u00a0e\tf ~g~g\r\n");
        open("FIRST", value);
        QCOMPARE(dialog->txtValue()->document()->blockCount(), 1);
        clickView(1);
        clickView(0);
        QTest::mouseClick(dialog->cmdOk(), Qt::LeftButton);
        QCOMPARE(table->value(1), value);
    }

    // Only plain text is pasted, in the colour at the caret, line breaks kept as characters.
    void pasteIntoValue()
    {
        open("FIRST", "~r~ab");
        clickView(1);
        QTextCursor cursor = dialog->txtValue()->textCursor();
        cursor.setPosition(1);
        dialog->txtValue()->setTextCursor(cursor);
        auto *mime = new QMimeData;
        mime->setHtml("<span style='color:#00ff00'>X</span>");
        mime->setText("X\nY");
        QApplication::clipboard()->setMimeData(mime);
        dialog->txtValue()->paste();
        QCOMPARE(dialog->txtValue()->document()->blockCount(), 1);
        clickView(0);
        QCOMPARE(dialog->txtValue()->value(), QString("~r~aX\nYb"));
    }
};

QTEST_MAIN(TestFrmStrings)
#include "tst_frmstrings.moc"
