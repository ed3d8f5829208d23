// The editor dialog driven as a user drives it: keys, mouse clicks, the colour list, and
// the name box of each format. The dialog writes nothing: what it commits is an entry.
#include "characternumbering.h"
#include "colourcodes.h"
#include "designtext.h"
#include "entryrules.h"
#include "frmstrings.h"
#include "gxtformat.h"
#include "keynames.h"
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
#include <QTextBlock>

#include <memory>
#include <optional>

using namespace quillet;

class TestFrmStrings : public QObject
{
    Q_OBJECT

    std::shared_ptr<const CharacterNumbering> numbering;
    KeyNames names;
    std::optional<EntryRules> rules;
    std::unique_ptr<StringTable> table;
    ScriptedUserDialogs *dialogs = nullptr;
    frmStrings *dialog = nullptr;

    // A table of `format` whose entries have the identities 1, 2, ... in the order given.
    void makeTable(const QString &format, const QList<std::pair<QString, QString>> &rows)
    {
        const GxtFormat &f = *GxtFormat::byId(format);
        // Flat cases type Windows-1252 text (a no-break space among it); the others their own.
        numbering = format == QLatin1String("flat") ? CharacterNumbering::windows1252() : CharacterNumbering::defaultFor(f);
        rules.emplace(f, 16, *numbering, nullptr, &names);
        table = std::make_unique<StringTable>(mainTableRawName());
        EntryId id = 0;
        for (const auto &[name, value] : rows) {
            StringEntry entry;
            if (!rules->encode(name, value, entry))
                qFatal("a test entry does not encode: %s", qPrintable(name));
            entry.id = ++id;
            table->append(entry);
        }
    }
    const std::optional<StringEntry> &committedEntry() const { return dialog->committedEntry(); }
    // What the dialog committed as "NAME=value"; empty when it committed nothing.
    QString committed() const
    {
        const std::optional<StringEntry> &entry = dialog->committedEntry();
        return entry ? rules->keyText(*entry) + '=' + rules->valueText(*entry) : QString();
    }
    void show()
    {
        dialog->show();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
    }
    // The dialog with these boxes, as Add (`update` 0) or as an Update of that entry.
    void open(const QString &name, const QString &value, const QString &okCaption = "&Update", EntryId update = 1)
    {
        dialog = new frmStrings(*rules, *table, *dialogs);
        dialog->txtName()->setText(name);
        dialog->txtValue()->setValue(value);
        dialog->OptView_Click(frmStrings::SourceView);
        dialog->cmdOk()->setText(okCaption);
        dialog->RenameElement = update;
        show();
    }
    // The dialog as Edit prepares it for the table's entry `id`.
    void openEntry(EntryId id)
    {
        dialog = new frmStrings(*rules, *table, *dialogs);
        dialog->showEntry(*table->find(id));
        dialog->OptView_Click(frmStrings::SourceView);
        dialog->cmdOk()->setText("&Update");
        dialog->RenameElement = id;
        show();
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
        names = KeyNames();
        makeTable("flat", {{"FIRST", "one"}});
        dialogs = new ScriptedUserDialogs;
    }
    void cleanup()
    {
        delete dialog;
        dialog = nullptr;
        QCOMPARE(dialogs->unexpected, 0);
        delete dialogs;
        table.reset();
    }

    void layout()
    {
        open({}, {});
        // It opens at its design size; sizes() below resizes it.
        QCOMPARE(dialog->size(), QSize(370, 174));
        QVERIFY(!(dialog->windowFlags() & Qt::WindowMinimizeButtonHint));
        QVERIFY(dialog->windowFlags() & Qt::WindowMaximizeButtonHint);
        QVERIFY(dialog->windowFlags() & Qt::WindowCloseButtonHint);
        QCOMPARE(dialog->windowTitle(), QString("Add String"));
        const QList<std::pair<QWidget *, QRect>> places{
            {dialog->comboTextStyle(), {48, 32, 121, 21}}, {dialog->OptView(1), {280, 8, 81, 17}},
            {dialog->OptView(0), {280, 32, 81, 17}},       {dialog->txtValue(), {8, 56, 353, 85}},
            {dialog->txtName(), {48, 8, 81, 19}},          {dialog->cmdCancel(), {280, 144, 81, 25}},
            {dialog->cmdOk(), {200, 144, 81, 25}},         {dialog->lblStringName(), {8, 8, 33, 17}},
            {dialog->lblTextStyle(), {8, 34, 39, 17}}};
        for (const auto &[widget, place] : places)
            QCOMPARE(widget->geometry(), place);
        QCOMPARE(dialog->OptView(0)->text(), QString("&Source View"));
        QCOMPARE(dialog->OptView(1)->text(), QString("&Design View"));
        QVERIFY(dialog->OptView(0)->isChecked());
        QCOMPARE(dialog->cmdCancel()->text(), QString("&Cancel"));
        QVERIFY(dialog->cmdOk()->isDefault());
        QCOMPARE(dialog->lblStringName()->text(), QString("&Name:"));
        QCOMPARE(dialog->lblTextStyle()->text(), QString("C&olour:"));
        for (QWidget *captioned : std::initializer_list<QWidget *>{dialog->lblStringName(), dialog->lblTextStyle(),
                                                                    dialog->OptView(0), dialog->OptView(1), dialog->cmdOk()})
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

    // Every example of the conversion rules, through the option buttons of the dialog: Design
    // View shows what the rules show, and with no edit the source comes back as it was.
    void viewsThroughTheDialog()
    {
        open("NAME", {});
        for (const ViewCase &c : viewCases()) {
            dialog->txtValue()->setValue(c.source);
            clickView(1);
            QCOMPARE(dialog->shownView(), frmStrings::DesignView);
            QVERIFY(dialog->comboTextStyle()->isEnabled());
            QCOMPARE(dialog->txtValue()->backgroundColour(), qRgb(0, 0, 0));
            // "~h~" is a token here, not the white of the rules.
            if (!c.source.contains(QStringLiteral("~h~"), Qt::CaseInsensitive)) {
                const ColouredText shown = dialog->txtValue()->colouredValue();
                QCOMPARE(plainText(shown), c.shown);
                for (qsizetype i = 0; i < shown.size(); ++i)
                    QVERIFY2(shown[i].colour == rgbOfCode(c.colours[i]), c.name);
            }

            clickView(0);
            QCOMPARE(dialog->txtValue()->value(), c.source);
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

    // The box shows what the pure rules make of many texts, tokens included, reads back what
    // it was given, and writes back what the rules make of the edit; showing the view that
    // is already shown changes nothing.
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
            const DesignSource expected(source);
            QCOMPARE(dialog->txtValue()->designText(), expected.shown());
            QCOMPARE(dialog->txtValue()->colouredValue(), expandTokens(expected.shown()));

            DesignText recoloured = dialog->txtValue()->designText();
            for (DesignChar &c : recoloured)
                c.colour = c.isToken() ? c.colour : colours[random.bounded(int(colours.size()))];
            dialog->txtValue()->setDesignText(recoloured);
            dialog->OptView_Click(1);
            QCOMPARE(dialog->txtValue()->designText(), recoloured);
            clickView(0);
            QCOMPARE(dialog->txtValue()->value(), expected.sourceAfter(recoloured));
            dialog->OptView_Click(0);
            QCOMPARE(dialog->txtValue()->value(), expected.sourceAfter(recoloured));
        }
    }

    // Open an entry, look at it in Design View, come back and update: the entry is as it was.
    void designViewWithoutAnEditChangesNothing_data()
    {
        QTest::addColumn<QString>("value");
        for (const char *value : {"~w~That showed them", "~r~~r~double", "Trailing ~r~", "~Y~shouted",
                                  "~k~~PED_FIREWEAPON~ to fire", "~1~ of ~1~~n~done", "~h~bright ~x~odd~",
                                  "~~r~a ~r", "two\nlines~n~"})
            QTest::newRow(value) << QString::fromLatin1(value);
    }
    void designViewWithoutAnEditChangesNothing()
    {
        QFETCH(QString, value);
        makeTable("tabled", {{"NAME", value}});
        openEntry(1);
        const QString units = table->at(0).units;
        clickView(1);
        // Moving about and choosing no colour is no edit.
        QTest::keyClick(dialog->txtValue(), Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(dialog->txtValue(), Qt::Key_Left, Qt::ShiftModifier);
        clickView(0);
        QCOMPARE(dialog->txtValue()->value(), value);
        clickView(1);
        QTest::mouseClick(dialog->cmdOk(), Qt::LeftButton);
        QVERIFY(committedEntry());
        QCOMPARE(committedEntry()->units, units);
    }

    // Keys in Design View: a letter typed in the middle of a coloured text, a token taken
    // away whole, text typed after a token; every other code stays where it was.
    void editByKeysKeepsTheOtherCodes_data()
    {
        QTest::addColumn<int>("at"); // the caret's place in Design View
        QTest::addColumn<QString>("keys"); // letters, and < for Backspace
        QTest::addColumn<QString>("source");
        // Shown: One [~n~] Two [~n~] Three, one colour each.
        QTest::newRow("a letter inside a coloured word") << 6 << "!" << "~b~One~n~~r~Tw!o~n~~g~Three";
        QTest::newRow("a token taken away") << 4 << "<" << "~b~One~r~Two~n~~g~Three";
        QTest::newRow("typed after a token") << 8 << "xy" << "~b~One~n~~r~Two~n~xy~g~Three";
        // Typed where the caret stands after the token, in the colour shown there.
        QTest::newRow("a word retyped") << 7 << "<<<2" << "~b~One~n~2~n~~g~Three";
    }
    void editByKeysKeepsTheOtherCodes()
    {
        QFETCH(int, at);
        QFETCH(QString, keys);
        QFETCH(QString, source);
        open("NAME", "~b~One~n~~r~Two~n~~g~Three");
        clickView(1);
        QTextCursor cursor = dialog->txtValue()->textCursor();
        cursor.setPosition(at);
        dialog->txtValue()->setTextCursor(cursor);
        for (QChar key : keys) {
            if (key == u'<')
                QTest::keyClick(dialog->txtValue(), Qt::Key_Backspace);
            else
                QTest::keyClicks(dialog->txtValue(), QString(key));
        }
        clickView(0);
        QCOMPARE(dialog->txtValue()->value(), source);
    }

    // A token is one piece: the caret steps over it whole, it shows its code, and it copies
    // as its code.
    void tokensAreWhole()
    {
        open("NAME", "a~k~~PED_FIREWEAPON~b");
        clickView(1);
        const DesignText shown = dialog->txtValue()->designText();
        QCOMPARE(shown.size(), 3);
        QCOMPARE(shown[1].code, QString("~k~~PED_FIREWEAPON~"));
        QTextCursor cursor = dialog->txtValue()->textCursor();
        cursor.setPosition(1);
        dialog->txtValue()->setTextCursor(cursor);
        QTest::keyClick(dialog->txtValue(), Qt::Key_Right, Qt::ShiftModifier);
        QCOMPARE(dialog->txtValue()->textCursor().position(), 2);
        dialog->txtValue()->copy();
        QCOMPARE(QApplication::clipboard()->text(), QString("~k~~PED_FIREWEAPON~"));
        // Pasted back, the code comes in as its characters, and the source holds it twice.
        QTest::keyClick(dialog->txtValue(), Qt::Key_End);
        dialog->txtValue()->paste();
        clickView(0);
        QCOMPARE(dialog->txtValue()->value(), QString("a~k~~PED_FIREWEAPON~b~k~~PED_FIREWEAPON~"));
        clickView(1);
        QCOMPARE(dialog->txtValue()->designText().size(), 4);
    }

    // The colour list by keys: Down on the list colours the selection and gives the focus back.
    void colourListByKeys()
    {
        open("NAME", "one ~n~blue");
        clickView(1);
        select(5, 4);
        dialog->comboTextStyle()->setFocus();
        QTest::keyClick(dialog->comboTextStyle(), Qt::Key_Down);
        QTRY_COMPARE(QApplication::focusWidget(), dialog->txtValue());
        QCOMPARE(dialog->comboTextStyle()->currentIndex(), 0);
        clickView(0);
        QCOMPARE(dialog->txtValue()->value(), QString("one ~n~~y~blue"));
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

    // Under a fan translation's map that draws Ж where ASCII has y, a colour code is still
    // ASCII: the file's ~y~ shows and colours as one, and Yellow from the list writes 7E 79 7E.
    void coloursUnderAMapThatMovesY()
    {
        std::shared_ptr<const CharacterNumbering> map;
        QVERIFY(CharacterNumbering::fromMap("0416=0079\n", QStringLiteral("ru.map"),
                                            *CharacterNumbering::western(*GxtFormat::byId("tabled")), map));
        numbering = map;
        rules.emplace(*GxtFormat::byId("tabled"), 16, *numbering, nullptr, &names);
        table = std::make_unique<StringTable>(mainTableRawName());
        StringEntry entry;
        entry.name = RawName::fromBytes("NAME");
        entry.units = QStringLiteral("~y~y ~r~x");
        entry.id = 1;
        table->append(entry);
        openEntry(1);
        QCOMPARE(dialog->txtValue()->value(), QStringLiteral("~y~Ж ~r~x"));
        clickView(1);
        const ColouredText design = dialog->txtValue()->colouredValue();
        QCOMPARE(design.value(0).ch, QChar(u'Ж'));
        QCOMPARE(design.value(0).colour, rgbOfCode('y'));
        select(2, 1);
        chooseColour("Yellow");
        clickView(0);
        QTest::mouseClick(dialog->cmdOk(), Qt::LeftButton);
        QVERIFY(committedEntry());
        QCOMPARE(committedEntry()->units, QStringLiteral("~y~y x"));
    }

    void nameKeyFilter()
    {
        open({}, {}, "&Add", 0);
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

    // The name box by the format's rule: seven typed characters of A-Z, 0-9 and _ (a hashed
    // key has no length of its own); a name read from the file kept whole, however long, and
    // as it is written; "#" and eight hex digits only where keys are hashed. `typed` goes in key by key ("\b" is Backspace),
    // then Enter commits.
    void nameBoxOfEachFormat_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("loaded"); // the entry updated, as the box shows it; "": Add
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("box");
        QTest::addColumn<bool>("commits"); // false: a message says why not
        for (const char *format : {"flat", "tabled", "hashed"}) {
            auto row = [&](const char *what) -> QTestData & {
                return QTest::addRow("%s: %s", format, what) << QString::fromLatin1(format);
            };
            const bool hashed = qstrcmp(format, "hashed") == 0;
            row("an eighth character") << "" << "abcdefgh" << (hashed ? "ABCDEFGH" : "ABCDEFG") << true;
            row("a hash's text") << "" << "#1cbf88dc" << (hashed ? "#1CBF88DC" : "1CBF88D") << true;
            row("a loaded name kept whole") << (hashed ? "ROMAN13_03" : "LONGNAME") << "x"
                                            << (hashed ? "ROMAN13_03X" : "LONGNAME") << true;
            if (!hashed) {
                row("a loaded name shortened and edited") << "LONGNAME" << "\bX" << "LONGNAMX" << true;
                row("a loaded name in small letters") << "lower" << "" << "lower" << true;
            }
        }
        QTest::newRow("hashed: hex digits only after #") << "hashed" << "" << "#12g3" << "#123" << false;
        QTest::newRow("hashed: # only first") << "hashed" << "" << "a#1" << "A1" << true;
    }
    void nameBoxOfEachFormat()
    {
        QFETCH(QString, format);
        QFETCH(QString, loaded);
        QFETCH(QString, typed);
        QFETCH(QString, box);
        QFETCH(bool, commits);
        names.add("ROMAN13_03");
        makeTable(format, {{"FIRST", "one"}, {format == "hashed" ? "ROMAN13_03" : "LONGNAME", "v"}, {"lower", "w"}});
        if (loaded.isEmpty()) {
            open({}, {}, "&Add", 0);
        } else {
            EntryId id = 0;
            for (const StringEntry &entry : table->entries()) {
                if (rules->keyText(entry) == loaded)
                    id = entry.id;
            }
            QVERIFY(id != 0);
            openEntry(id);
        }
        QTest::keyClick(dialog->txtName(), Qt::Key_End);
        QTest::keyClicks(dialog->txtName(), typed);
        QCOMPARE(dialog->txtName()->text(), box);

        if (!commits)
            dialogs->setNextAnswer(QMessageBox::Ok);
        QTest::keyClick(dialog->txtName(), Qt::Key_Return);
        QCOMPARE(committedEntry().has_value(), commits);
        QCOMPARE(dialogs->messages.size(), commits ? 0 : 1);
        if (!commits)
            return;
        StringEntry expected;
        QVERIFY(rules->encodeKey(box, expected));
        QVERIFY(committedEntry()->sameKey(expected));
        QCOMPARE(dialog->committedName(), box);
        QCOMPARE(committedEntry()->id, loaded.isEmpty() ? EntryId(0) : dialog->RenameElement);
    }

    void blankNameRefused()
    {
        open("   ", "~R~text", "&Add", 0);
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
        QVERIFY(!committedEntry());
        // The value shows its source form as it was, without a line break, while the
        // selector still says Design View.
        QCOMPARE(dialog->txtValue()->value(), QString("~R~text"));
        QCOMPARE(dialog->txtValue()->backgroundColour(), qRgb(255, 255, 255));
        QVERIFY(!dialog->comboTextStyle()->isEnabled());
        QVERIFY(dialog->OptView(1)->isChecked());

        dialog->txtName()->setText(" A");
        QTest::keyClick(dialog->txtName(), Qt::Key_Return);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(committed(), QString(" A=~R~text"));
        QCOMPARE(committedEntry()->id, EntryId(0));
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
        QCOMPARE(committed(), QString("FIRST=one ~b~blue"));
        QCOMPARE(committedEntry()->id, EntryId(1));
    }

    // An update keeps the identity of the entry it rewrites; an add has none yet, whatever
    // RenameElement still says, and asks before it repeats a name.
    void commitGivesTheEntry()
    {
        makeTable("flat", {{"FIRST", "one"}, {"SECOND", "two"}});
        open("RENAMED", "zzz", "&Update", 2);
        QTest::mouseClick(dialog->cmdOk(), Qt::LeftButton);
        QCOMPARE(committed(), QString("RENAMED=zzz"));
        QCOMPARE(committedEntry()->id, EntryId(2));
        QCOMPARE(dialog->committedName(), QString("RENAMED"));
        delete dialog;
        open("FIRST", {}, "&Add", 1);
        dialogs->setNextAnswer(QMessageBox::Yes);
        QTest::mouseClick(dialog->cmdOk(), Qt::LeftButton);
        QCOMPARE(dialogs->messages.size(), 1);
        QCOMPARE(committed(), QString("FIRST="));
        QCOMPARE(committedEntry()->id, EntryId(0));
    }

    // A second entry of a name is made only when the user says so; an entry that keeps its
    // own name asks nothing, even where the file already repeats it.
    void repeatedNameAsked_data()
    {
        QTest::addColumn<QString>("okCaption");
        QTest::addColumn<int>("update"); // the entry an update rewrites
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("answer"); // NoButton: no question expected
        const int none = QMessageBox::NoButton, yes = QMessageBox::Yes, no = QMessageBox::No;
        QTest::newRow("add, new name") << "&Add" << 0 << "NEW" << none;
        QTest::newRow("add, existing name, Yes") << "&Add" << 0 << "SECOND" << yes;
        QTest::newRow("add, existing name, No") << "&Add" << 0 << "SECOND" << no;
        QTest::newRow("rename onto another, Yes") << "&Update" << 2 << "FIRST" << yes;
        QTest::newRow("rename onto another, No") << "&Update" << 2 << "FIRST" << no;
        QTest::newRow("rename onto a repeated name, No") << "&Update" << 1 << "TWIN" << no;
        QTest::newRow("edit keeping its name") << "&Update" << 1 << "FIRST" << none;
        QTest::newRow("edit keeping a repeated name") << "&Update" << 4 << "TWIN" << none;
        QTest::newRow("case differs") << "&Update" << 1 << "second" << none;
    }
    void repeatedNameAsked()
    {
        QFETCH(QString, okCaption);
        QFETCH(int, update);
        QFETCH(QString, name);
        QFETCH(int, answer);
        makeTable("flat", {{"FIRST", "one"}, {"SECOND", "two"}, {"TWIN", "a"}, {"TWIN", "b"}});
        open(name, "v", okCaption, EntryId(update));
        if (answer != QMessageBox::NoButton)
            dialogs->setNextAnswer(QMessageBox::StandardButton(answer));
        QTest::mouseClick(dialog->cmdOk(), Qt::LeftButton);

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
        QCOMPARE(committed(), refused ? QString() : name + "=v");
        if (refused)
            QCOMPARE(QApplication::focusWidget(), dialog->txtName());
    }

    void cancelWritesNothing()
    {
        open("FIRST", "one");
        QTest::keyClicks(dialog->txtValue(), "changed");
        QTest::keyClick(dialog->txtValue(), Qt::Key_Escape);
        QVERIFY(!dialog->isVisible());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QVERIFY(!committedEntry());
        delete dialog;
        open("FIRST", "one");
        dialog->close();
        QVERIFY(!committedEntry());
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
        QVERIFY(!committedEntry());
    }

    // Line breaks, a no-break space and a tab come back exactly, through both views; each LF
    // shows as a line of its own, a CR as a symbol.
    void valueKeptExactly()
    {
        const QString value = QString::fromUtf8("a\r\nb\nc\rd\u00a0e\tf ~g~g\r\n");
        open("FIRST", value);
        QStringList lines;
        for (QTextBlock block = dialog->txtValue()->document()->begin(); block.isValid(); block = block.next())
            lines << block.text();
        QCOMPARE(lines, QStringList({"a\u240d", "b", "c\u240dd\u00a0e\tf ~g~g\u240d", ""}));
        clickView(1);
        clickView(0);
        QTest::mouseClick(dialog->cmdOk(), Qt::LeftButton);
        QCOMPARE(committed(), "FIRST=" + value);
    }

    // Every caption has an access key of its own, in either mode of the dialog, and each
    // key reaches its control: a label's the box beside it, an option its view, a button
    // its command.
    void accessKeys_data()
    {
        QTest::addColumn<QString>("okCaption");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<QString>("reached"); // the control with the focus after, or what happened
        for (const char *caption : {"&Update", "&Add"}) {
            auto row = [&](const char *what) -> QTestData & {
                return QTest::addRow("%s: %s", caption + 1, what) << QString::fromLatin1(caption);
            };
            row("Alt+N") << Qt::Key_N << "txtName";
            row("Alt+O") << Qt::Key_O << "comboTextStyle";
            row("Alt+D") << Qt::Key_D << "Design View";
            row("Alt+S") << Qt::Key_S << "Source View";
            row("Alt+C") << Qt::Key_C << "cancelled";
            row(caption[1] == 'U' ? "Alt+U" : "Alt+A") << (caption[1] == 'U' ? Qt::Key_U : Qt::Key_A) << "committed";
        }
    }
    void accessKeys()
    {
        QFETCH(QString, okCaption);
        QFETCH(Qt::Key, key);
        QFETCH(QString, reached);
        open("NEW", "v", okCaption, okCaption == "&Update" ? 1 : 0);
        QStringList keys;
        for (QWidget *captioned : std::initializer_list<QWidget *>{dialog->lblStringName(), dialog->lblTextStyle(),
                                                                    dialog->OptView(0), dialog->OptView(1), dialog->cmdOk(),
                                                                    dialog->cmdCancel()}) {
            const QString text = captioned->property("text").toString();
            const qsizetype amp = text.indexOf('&');
            QVERIFY2(amp >= 0 && amp + 1 < text.size(), qPrintable(text));
            keys << text.mid(amp + 1, 1).toUpper();
        }
        keys.removeDuplicates();
        QCOMPARE(keys.size(), 6);
        QCOMPARE(dialog->lblStringName()->buddy(), static_cast<QWidget *>(dialog->txtName()));
        QCOMPARE(dialog->lblTextStyle()->buddy(), static_cast<QWidget *>(dialog->comboTextStyle()));

        // The colour list takes part in Design View only.
        if (key == Qt::Key_O)
            clickView(1);
        dialog->txtValue()->setFocus();
        QTest::keyClick(dialog, key, Qt::AltModifier);
        if (reached == "Design View" || reached == "Source View") {
            QTRY_COMPARE(dialog->shownView(), reached == "Design View" ? frmStrings::DesignView : frmStrings::SourceView);
        } else if (reached == "cancelled" || reached == "committed") {
            QTRY_VERIFY(!dialog->isVisible());
            QCOMPARE(committedEntry().has_value(), reached == "committed");
        } else {
            QCOMPARE(QApplication::focusWidget()->objectName(), reached);
        }
        QCOMPARE(dialog->txtName()->text(), QString("NEW"));
        QCOMPARE(dialog->txtValue()->value(), QString("v"));
    }

    // Alt with a key types nothing into either box, whether or not the key is a caption's;
    // AltGr, which types characters of its own, still does.
    void altKeysTypeNothing_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text"); // what the key carries
        QTest::addColumn<QString>("after");
        const int alt = Qt::AltModifier, altGr = Qt::GroupSwitchModifier, windowsAltGr = Qt::AltModifier | Qt::ControlModifier;
        QTest::newRow("name, Alt+T") << "name" << alt << "t" << "FIRST";
        QTest::newRow("name, Alt+Shift+T") << "name" << int(alt | Qt::ShiftModifier) << "T" << "FIRST";
        QTest::newRow("name, AltGr") << "name" << altGr << "x" << "FIRSTX";
        QTest::newRow("name, Ctrl+Alt as AltGr") << "name" << windowsAltGr << "x" << "FIRSTX";
        QTest::newRow("value, Alt+T") << "value" << alt << "t" << "one";
        QTest::newRow("value, AltGr") << "value" << altGr << "€" << "one€";
        QTest::newRow("value, Ctrl+Alt as AltGr") << "value" << windowsAltGr << "€" << "one€";
    }
    void altKeysTypeNothing()
    {
        QFETCH(QString, box);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(QString, after);
        open("FIRST", "one");
        QWidget *target = box == "name" ? static_cast<QWidget *>(dialog->txtName()) : dialog->txtValue();
        target->setFocus();
        QTest::keyClick(target, Qt::Key_End);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_T, Qt::KeyboardModifiers(modifiers), text);
        QApplication::sendEvent(target, &press);
        QCOMPARE(box == "name" ? dialog->txtName()->text() : dialog->txtValue()->value(), after);
    }

    // The keys of the value box: Return and keypad Enter commit, with Shift they break the
    // line with the unit LF (over a selection, in its place), which a commit keeps.
    void enterKeys_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<bool>("selected"); // "cd" selected before the key
        QTest::addColumn<QString>("value"); // what the box then holds; "": it committed
        const int shift = Qt::ShiftModifier, keypad = Qt::KeypadModifier;
        QTest::newRow("Return") << Qt::Key_Return << 0 << false << "";
        QTest::newRow("keypad Enter") << Qt::Key_Enter << keypad << false << "";
        QTest::newRow("Shift+Return") << Qt::Key_Return << shift << false << "ab\ncd";
        QTest::newRow("Shift+keypad Enter") << Qt::Key_Enter << int(shift | keypad) << false << "ab\ncd";
        QTest::newRow("Shift+Return over a selection") << Qt::Key_Return << shift << true << "ab\n";
    }
    void enterKeys()
    {
        QFETCH(Qt::Key, key);
        QFETCH(int, modifiers);
        QFETCH(bool, selected);
        QFETCH(QString, value);
        open("FIRST", "abcd");
        if (selected)
            select(2, 2);
        else
            select(2, 0);
        QTest::keyClick(dialog->txtValue(), key, Qt::KeyboardModifiers(modifiers));
        if (value.isEmpty()) {
            QVERIFY(!dialog->isVisible());
            QCOMPARE(committed(), QString("FIRST=abcd"));
            return;
        }
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->txtValue()->value(), value);
        QCOMPARE(dialog->txtValue()->document()->blockCount(), 2);
        // Through Design View and back, and into the entry.
        clickView(1);
        clickView(0);
        QTest::keyClick(dialog->txtValue(), Qt::Key_Return);
        QCOMPARE(committed(), "FIRST=" + value);
        QVERIFY(committedEntry()->units.contains(QChar(0x0A)));
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
        QCOMPARE(dialog->txtValue()->document()->blockCount(), 2);
        clickView(0);
        QCOMPARE(dialog->txtValue()->value(), QString("~r~aX\nYb"));
    }
};

QTEST_MAIN(TestFrmStrings)
#include "tst_frmstrings.moc"
