// The translator's window: a reference beside the document, its statuses, filters, marks and
// counts against the core's on a real-shaped pair, the keyboard pass with F8, missing entries
// filled in, the reference remembered, and translations exchanged through PO and XLIFF. All
// through the window's commands, with every dialog answered through the dialogs interface.
#include "testfiles.h"
#include "translationpair.h"
#include "windowdriver.h"

#include "filecommands.h"
#include "filelocation.h"
#include "findcommands.h"
#include "frmmain.h"
#include "frmstrings.h"
#include "stringcommands.h"
#include "stringlistproxy.h"
#include "stringtablemodel.h"
#include "textcodecheck.h"
#include "translationcommands.h"
#include "userdialogs.h"
#include "valueedit.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QSet>
#include <QTest>

#include <memory>

using namespace quillet;
using namespace windowdriver;


class TestTranslator : public QObject, WindowFixture
{
    Q_OBJECT

    translationpair::Pair pair;
    QString translationPath;
    QString referencePath;

    // Writes the pair's files as real files lay them out and opens the translation.
    void openPair(const QString &format, int bits, int tables = 4, int entries = 40)
    {
        translationpair::Options options;
        options.format = format;
        options.bits = bits;
        options.tables = tables;
        options.entriesPerTable = entries;
        pair = translationpair::make(options);
        const QString extension = format.startsWith(QLatin1String("gxt2")) ? QStringLiteral("gxt2") : QStringLiteral("gxt");
        translationPath = dir->filePath(QStringLiteral("french.") + extension);
        referencePath = dir->filePath(QStringLiteral("american.") + extension);
        QVERIFY(testfiles::writeFile(translationPath, translationpair::bytesOf(pair.translation)));
        QVERIFY(testfiles::writeFile(referencePath, translationpair::bytesOf(pair.english)));
        w->Form_Load(translationPath);
        QCOMPARE(w->controller().CurrentFile(), translationPath);
    }
    // File, Open Reference..., the file chosen in its dialog.
    void openReference(const QString &path)
    {
        dialogs->setNextFileName(path);
        item(*w, "mnuFile_OpenReference")->trigger();
        // The counts follow once the events waiting have run.
        QCoreApplication::processEvents();
    }
    TranslationCommands &translation() { return w->translationCommands(); }
    QLabel *progress() const { return control<QLabel>(*w, "lblTranslation"); }
    QComboBox *statusFilter() const { return control<QComboBox>(*w, "cboStatusFilter"); }
    int changes() const { return w->controller().undoStack().count(); }
    // What the list shows, every column of every row.
    QStringList everything() const
    {
        QStringList shown;
        const QAbstractItemModel *model = list(*w)->model();
        for (int row = 0; row < model->rowCount(); ++row) {
            QStringList cells;
            for (int column = 0; column < model->columnCount(); ++column)
                cells << model->index(row, column).data().toString();
            shown << cells.join(u'|');
        }
        return shown;
    }
    // The names of the shown table's entries (missing ones too) the pair made of `state`.
    QStringList expectedNames(TranslationState state) const
    {
        const QString table = tableShown(*w);
        const bool tables = w->controller().document().hasTables();
        const GxtFormat &format = *pair.translation.format;
        QStringList names;
        for (auto it = pair.states.cbegin(); it != pair.states.cend(); ++it) {
            if (it.value() != state)
                continue;
            const QString key = tables ? it.key().section(u'/', 1) : it.key();
            if (tables && it.key().section(u'/', 0, 0) != table)
                continue;
            names << w->controller().rules().keyText(translationpair::keyed(format, pair.translation.hash, key));
        }
        names.sort();
        return names;
    }
    QStringList shownNames() const
    {
        QStringList shown = names(*w);
        shown.sort();
        return shown;
    }
    // The list's rows of one status, through the status filter.
    QStringList filtered(TranslationCommands::StatusFilter filter)
    {
        translation().setStatusFilter(filter);
        const QStringList shown = shownNames();
        translation().setStatusFilter(TranslationCommands::AllEntries);
        return shown;
    }

private Q_SLOTS:
    void init() { start(); }
    void cleanup()
    {
        QVERIFY(dialogs->allAnswersUsed());
        finish();
    }

    // The statuses, the status filter, the marks and the counts of the window agree with the
    // pair as it was made and with the core's checks, in every table.
    void statusesFiltersAndCountsAgree_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("bits");
        QTest::newRow("flat") << "flat" << 16;
        QTest::newRow("tabled") << "tabled" << 16;
        QTest::newRow("hashed 8-bit") << "hashed" << 8;
        QTest::newRow("gxt2") << "gxt2" << 8;
    }
    void statusesFiltersAndCountsAgree()
    {
        QFETCH(QString, format);
        QFETCH(int, bits);
        openPair(format, bits);
        QVERIFY(!progress()->isVisibleTo(w.get()));
        QCOMPARE(list(*w)->model()->columnCount(), 2);
        openReference(referencePath);
        QCOMPARE(list(*w)->model()->columnCount(), 3);
        QCOMPARE(list(*w)->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Reference"));
        QTRY_COMPARE(progress()->text(), translationProgressText(pair.counts));
        QVERIFY(progress()->isVisibleTo(w.get()));

        const GxtDocument &document = w->controller().document();
        const TextCodeCheck check = TextCodeCheck::of(document.format(), document.keyHash());
        for (int t = 0; t < document.tableCount(); ++t) {
            w->showTable(t);
            const QString where = tableShown(*w);
            QCOMPARE(filtered(TranslationCommands::Untranslated), expectedNames(TranslationState::Untranslated));
            QCOMPARE(filtered(TranslationCommands::Missing), expectedNames(TranslationState::Missing));
            QCOMPARE(filtered(TranslationCommands::CodesDiffer), expectedNames(TranslationState::CodesDiffer));
            QCOMPARE(filtered(TranslationCommands::Extra), expectedNames(TranslationState::Extra));

            // Marks: an entry is marked exactly where the core's check finds a problem, and
            // "with problems" lists exactly the marked ones.
            const QAbstractItemModel *model = list(*w)->model();
            QStringList marked;
            for (int row = 0; row < model->rowCount(); ++row) {
                const QModelIndex name = model->index(row, StringTableModel::NameColumn);
                const StringEntry *entry = w->table().find(name.data(StringTableModel::EntryIdRole).value<EntryId>());
                const QStringList problems = name.data(StringTableModel::ProblemsRole).toStringList();
                if (!entry) {
                    QVERIFY(problems.isEmpty());
                    continue;
                }
                const StringEntry *reference =
                    translation().reference()->status().referenceEntry(w->table().name(), *entry);
                const std::vector<TextProblem> found =
                    check.checkUnits(entry->units, reference ? std::optional<QStringView>(reference->units) : std::nullopt);
                QCOMPARE(problems.size(), qsizetype(found.size()));
                if (!problems.isEmpty()) {
                    marked << name.data().toString();
                    QCOMPARE(name.data(Qt::ToolTipRole).toString(), problems.join(u'\n'));
                }
                if (name.data(StringTableModel::StatusRole).toInt() == int(ListStatus::CodesDiffer))
                    QVERIFY2(problems.join(u'\n').contains(QLatin1String("codes differ from the reference")),
                             qPrintable(where + u'/' + name.data().toString()));
            }
            marked.sort();
            QCOMPARE(filtered(TranslationCommands::WithProblems), marked);
        }

        // Close Reference takes the column, the statuses and the counts away.
        item(*w, "mnuFile_CloseReference")->trigger();
        QCOMPARE(list(*w)->model()->columnCount(), 2);
        QVERIFY(!progress()->isVisibleTo(w.get()));
        QVERIFY(!item(*w, "mnuStrings_NextUntranslated")->isEnabled());
    }

    // The filter box matches names, values and the reference's texts as one types, with the
    // status filter on top; the entries label counts what it leaves.
    void filterBox()
    {
        const QString path = dir->filePath(QStringLiteral("t.gxt"));
        const QString reference = dir->filePath(QStringLiteral("r.gxt"));
        QVERIFY(testfiles::writeFile(path, testfiles::written({{"CAR1", "Voiture"}, {"BIKE", "Velo"}, {"HOUSE", "house"}})));
        QVERIFY(testfiles::writeFile(reference, testfiles::written({{"CAR1", "Car"}, {"BIKE", "Bike"}, {"HOUSE", "house"},
                                                                    {"SAFE", "Safe house"}})));
        w->Form_Load(path);
        openReference(reference);
        QLineEdit *filter = control<QLineEdit>(*w, "txtFilter");
        item(*w, "mnuEdit_Filter")->trigger();
        QVERIFY(filter->hasFocus());
        QLabel *entries = control<QLabel>(*w, "lblEntries");
        QCOMPARE(entries->text(), QStringLiteral("3 entries, 1 missing"));
        QTest::keyClicks(filter, "BIK");
        QCOMPARE(shownNames(), QStringList{"BIKE"}); // the name and the reference
        QCOMPARE(entries->text(), QStringLiteral("1 of 3 entries"));
        filter->clear();
        QTest::keyClicks(filter, "voit");
        QCOMPARE(shownNames(), QStringList{"CAR1"}); // the value, case aside
        filter->clear();
        QTest::keyClicks(filter, "house");
        QCOMPARE(shownNames(), (QStringList{"HOUSE", "SAFE"})); // a missing row's reference too
        translation().setStatusFilter(TranslationCommands::Untranslated);
        QCOMPARE(shownNames(), QStringList{"HOUSE"});
        QCOMPARE(entries->text(), QStringLiteral("1 of 3 entries"));
        // A translated entry leaves a list of the untranslated ones, and Undo brings it back
        // to its place in the list's order, down as well as up.
        filter->clear();
        w->listProxy().setSortOrder(Descending);
        QCOMPARE(names(*w), (QStringList{"HOUSE"}));
        StringTable &table = w->table();
        const auto rowNamed = [&](const char *name) {
            for (int row = 0; row < table.count(); ++row) {
                if (w->controller().rules().keyText(table.at(row)) == QLatin1String(name))
                    return row;
            }
            return -1;
        };
        const int house = rowNamed("HOUSE");
        const int carRow = rowNamed("CAR1");
        StringEntry car = table.at(carRow);
        StringEntry translated = table.at(house);
        QVERIFY(w->controller().rules().encodeValue(QStringLiteral("maison"), translated.units));
        w->controller().push(new EntriesCommand(QStringLiteral("Edit"), {EntryChange{&table, table.at(house), translated, -1}}));
        QCOMPARE(names(*w), QStringList());
        QVERIFY(w->controller().rules().encodeValue(QStringLiteral("Car"), car.units));
        w->controller().push(new EntriesCommand(QStringLiteral("Edit"), {EntryChange{&table, table.at(carRow), car, -1}}));
        QCOMPARE(names(*w), QStringList{"CAR1"});
        w->controller().undoStack().undo();
        w->controller().undoStack().undo();
        QCOMPARE(names(*w), QStringList{"HOUSE"});
        translation().setStatusFilter(TranslationCommands::AllEntries);
        QCOMPARE(names(*w), (QStringList{"SAFE", "HOUSE", "CAR1", "BIKE"}));
        w->listProxy().setSortOrder(Ascending);
        QCOMPARE(shownNames(), (QStringList{"BIKE", "CAR1", "HOUSE", "SAFE"}));
        QCOMPARE(entries->text(), QStringLiteral("3 entries, 1 missing"));
        // Down from the box goes on to the list.
        QTest::keyClick(filter, Qt::Key_Down);
        QVERIFY(list(*w)->hasFocus());
        QVERIFY(list(*w)->currentIndex().isValid());
    }

    // A reference that does not open says why, plainly, and leaves the window as it was:
    // without a reference, or with the one open before.
    void failedReferenceChangesNothing_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("referenceBefore");
        const QByteArray good = testfiles::written({{"A1", "one"}, {"B2", "two"}});
        QTest::newRow("not a GXT file") << QByteArray("<b>HELLO</b> world") << false;
        QTest::newRow("cut short, reference before") << good.left(20) << true;
        QTest::newRow("no such file") << QByteArray() << true;
    }
    void failedReferenceChangesNothing()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, referenceBefore);
        openPair(QStringLiteral("tabled"), 16, 2, 12);
        if (referenceBefore)
            openReference(referencePath);
        const QStringList before = everything();
        const QString counts = progress()->text();
        const int columns = list(*w)->model()->columnCount();
        const QString bad = dir->filePath(QStringLiteral("bad <i>ref.gxt"));
        if (!bytes.isEmpty())
            QVERIFY(testfiles::writeFile(bad, bytes));
        dialogs->setNextAnswer(QMessageBox::Ok);
        openReference(bad);
        QCOMPARE(dialogs->messages.size(), 1);
        QVERIFY2(dialogs->messages.last().text.startsWith(QStringLiteral("Could not open ") + bad + QStringLiteral(": ")),
                 qPrintable(dialogs->messages.last().text));
        QCOMPARE(list(*w)->model()->columnCount(), columns);
        QCOMPARE(everything(), before);
        QCOMPARE(progress()->text(), counts);
        QCOMPARE(translation().reference() != nullptr, referenceBefore);
        QCOMPARE(changes(), 0);
    }

    // A missing row filled in from the reference: one step, which Undo takes back whole.
    void fillMissingEntryAndUndo()
    {
        openPair(QStringLiteral("tabled"), 16, 2, 30);
        openReference(referencePath);
        const QStringList missing = expectedNames(TranslationState::Missing);
        QVERIFY(!missing.isEmpty());
        const QString name = missing.first();
        QVERIFY(select(*w, name));
        const QStringList before = everything();
        QString shownReference;
        w->stringCommands().setDialogRunner([&](frmStrings &dialog) {
            QVERIFY(dialog.showsReference());
            shownReference = dialog.txtReference()->toPlainText();
            QCOMPARE(dialog.txtName()->text(), name);
            // Prefilled with the reference's text, which the translator types over.
            QCOMPARE(dialog.txtValue()->value(), shownReference);
            dialog.txtValue()->setValue(QStringLiteral("Traduit ~1~"));
            dialog.cmdOk_Click();
        });
        QTest::keyClick(list(*w), Qt::Key_Return);
        QVERIFY(!shownReference.isEmpty());
        QCOMPARE(changes(), 1);
        QCOMPARE(selected(*w), name + QStringLiteral("=Traduit ~1~"));
        QVERIFY(!filtered(TranslationCommands::Missing).contains(name));
        w->findCommands().mnuStrings_Undo->trigger();
        QCOMPARE(everything(), before);
        QVERIFY(filtered(TranslationCommands::Missing).contains(name));
    }

    // A whole pass with the keyboard: F8 to the next entry that needs translating, Enter to
    // edit it with the reference in view, Enter to commit, and on, round the tables, until
    // F8 says nothing is left.
    void keyboardPass_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("tables, one lacking") << "tabled";
        QTest::newRow("one table") << "flat";
    }
    void keyboardPass()
    {
        QFETCH(QString, format);
        openPair(format, 16, 3, 12);
        const qsizetype lacking = w->controller().document().hasTables() ? 12 : 0;
        w->show();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        openReference(referencePath);
        int edited = 0;
        bool sawReference = true;
        w->stringCommands().setDialogRunner([&](frmStrings &dialog) {
            sawReference = sawReference && dialog.showsReference() && !dialog.txtReference()->toPlainText().isEmpty();
            // The reference's words in the made-up language, its codes kept.
            dialog.txtValue()->setValue(translationpair::translate(dialog.txtValue()->value()));
            QTest::keyClick(dialog.txtValue(), Qt::Key_Return);
            ++edited;
        });
        const TranslationCounts start = pair.counts;
        const qsizetype toDo = start.untranslated + start.missing - lacking; // a table the file lacks stays
        // From the middle of the first table: what stands before comes round at the end.
        QTest::keyClick(list(*w), Qt::Key_Home);
        for (int row = 0; row < 6; ++row)
            QTest::keyClick(list(*w), Qt::Key_Down);
        bool wrapped = false;
        for (int step = 0; step < 2 * toDo + 2; ++step) {
            QTest::keyClick(list(*w), Qt::Key_F8);
            const QString said = w->statusBar()->currentMessage();
            if (said == QStringLiteral("No entry is left untranslated or missing."))
                break;
            wrapped = wrapped || said == QStringLiteral("Passed the end and went on from the start.");
            QTest::keyClick(list(*w), Qt::Key_Return);
        }
        QVERIFY(wrapped);
        QVERIFY(sawReference);
        QCOMPARE(edited, int(toDo));
        QCOMPARE(changes(), int(toDo));
        TranslationCounts done = start;
        done.translated += toDo;
        done.untranslated = 0;
        done.missing = lacking;
        QTRY_COMPARE(progress()->text(), translationProgressText(done));
    }

    // F8 on the only entry left to do comes round to it again rather than saying none is
    // left; once it is done, F8 says so.
    void keyboardPassLastOneLeft()
    {
        translationPath = dir->filePath(QStringLiteral("french.gxt"));
        referencePath = dir->filePath(QStringLiteral("american.gxt"));
        QVERIFY(testfiles::writeFile(translationPath, testfiles::written({{"A", "un"}, {"B", "two"}, {"C", "trois"}})));
        QVERIFY(testfiles::writeFile(referencePath, testfiles::written({{"A", "one"}, {"B", "two"}, {"C", "three"}})));
        w->Form_Load(translationPath);
        openReference(referencePath);
        QVERIFY(select(*w, QStringLiteral("B")));
        QTest::keyClick(list(*w), Qt::Key_F8);
        QCOMPARE(selectedName(*w), QStringLiteral("B"));
        QCOMPARE(w->statusBar()->currentMessage(), QStringLiteral("Passed the end and went on from the start."));
        w->stringCommands().setDialogRunner([](frmStrings &dialog) {
            dialog.txtValue()->setValue(QStringLiteral("deux"));
            QTest::keyClick(dialog.txtValue(), Qt::Key_Return);
        });
        QTest::keyClick(list(*w), Qt::Key_Return);
        QTest::keyClick(list(*w), Qt::Key_F8);
        QCOMPARE(w->statusBar()->currentMessage(), QStringLiteral("No entry is left untranslated or missing."));
    }

    // The reference comes back with its file, in the next window too; closing it forgets it.
    void referenceRememberedForTheFile()
    {
        openPair(QStringLiteral("flat"), 16, 1, 20);
        openReference(referencePath);
        const QStringList shown = everything();
        w = std::make_unique<frmMain>(dialogs.get(), settings.get());
        w->Form_Load(translationPath);
        QVERIFY(translation().reference());
        QCOMPARE(translation().reference()->path(), referencePath);
        QCOMPARE(everything(), shown);
        // Another file has none of its own.
        const QString other = dir->filePath(QStringLiteral("other.gxt"));
        QVERIFY(testfiles::writeFile(other, testfiles::written({{"A", "b"}})));
        QVERIFY(w->fileCommands().OpenGxtFile(other));
        QVERIFY(!translation().reference());
        QVERIFY(w->fileCommands().OpenGxtFile(translationPath));
        QVERIFY(translation().reference());
        item(*w, "mnuFile_CloseReference")->trigger();
        w = std::make_unique<frmMain>(dialogs.get(), settings.get());
        w->Form_Load(translationPath);
        QVERIFY(!translation().reference());
        QCOMPARE(list(*w)->model()->columnCount(), 2);
    }

    // Export, change, import: the translation's texts come back as they were exported, in
    // one step that Undo takes back; a file that does not read names the line and changes
    // nothing.
    void exportImportRoundTrip_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::newRow("PO") << "po";
        QTest::newRow("XLIFF") << "xlf";
    }
    void exportImportRoundTrip()
    {
        QFETCH(QString, extension);
        openPair(QStringLiteral("tabled"), 16, 3, 30);
        openReference(referencePath);
        const QString exported = dir->filePath(QStringLiteral("french.") + extension);
        dialogs->setNextFileName(exported);
        item(*w, "mnuFile_ExportTranslation")->trigger();
        QVERIFY(QFileInfo(exported).isFile());
        const QStringList asExported = everything();

        // Importing what was just exported changes nothing and adds no step.
        dialogs->setNextFileName(exported);
        item(*w, "mnuFile_ImportTranslation")->trigger();
        QCOMPARE(changes(), 0);

        // Some translated values changed in one step, then the import brings them back in
        // another.
        std::vector<EntryChange> edits;
        StringTable &table = w->table();
        const TranslationStatus &status = translation().reference()->status();
        for (int row = 0; row < table.count() && edits.size() < 3; ++row) {
            if (status.stateOf(table.name(), table.at(row)) != TranslationState::Translated)
                continue;
            StringEntry after = table.at(row);
            QVERIFY(w->controller().rules().encodeValue(QStringLiteral("changed %1").arg(row), after.units));
            edits.push_back({&table, table.at(row), after, -1});
        }
        w->controller().push(new EntriesCommand(QStringLiteral("Edit"), std::move(edits)));
        const QStringList changed = everything();
        QVERIFY(changed != asExported);
        dialogs->setNextFileName(exported);
        item(*w, "mnuFile_ImportTranslation")->trigger();
        QCOMPARE(changes(), 2);
        QCOMPARE(everything(), asExported);
        w->findCommands().mnuStrings_Undo->trigger();
        QCOMPARE(everything(), changed);

        // A file broken in its middle: named with its line, and nothing changes.
        QByteArray bytes = testfiles::readFile(exported);
        const qsizetype middle = bytes.indexOf('\n', bytes.size() / 2);
        bytes.insert(middle + 1, extension == QLatin1String("po") ? "msgstr \"no end\n" : "<trans-unit id=\"x\"><source>\n");
        bytes.truncate(extension == QLatin1String("po") ? bytes.size() : middle + 40);
        const QString broken = dir->filePath(QStringLiteral("broken.") + extension);
        QVERIFY(testfiles::writeFile(broken, bytes));
        const int steps = changes();
        dialogs->setNextFileName(broken);
        dialogs->setNextAnswer(QMessageBox::Ok);
        item(*w, "mnuFile_ImportTranslation")->trigger();
        QCOMPARE(dialogs->messages.size(), 1);
        QVERIFY2(dialogs->messages.last().text.contains(QLatin1String("line")), qPrintable(dialogs->messages.last().text));
        QCOMPARE(changes(), steps);
        QCOMPARE(everything(), changed);
    }

    // Every item of the menus has its own shortcut and, within its menu, its own access key;
    // those that need a reference are off without one.
    void menuKeysAreTheirOwn()
    {
        openPair(QStringLiteral("tabled"), 16, 2, 6);
        QSet<QKeySequence> shortcuts;
        for (QMenu *menu : w->findChildren<QMenu *>()) {
            QSet<QChar> keys;
            for (QAction *action : menu->actions()) {
                if (action->isSeparator() || action->objectName().startsWith(QLatin1String("mnuFile_Recent")))
                    continue;
                const qsizetype amp = action->text().indexOf(u'&');
                if (amp >= 0 && amp + 1 < action->text().size()) {
                    const QChar key = action->text().at(amp + 1).toLower();
                    QVERIFY2(!keys.contains(key), qPrintable(menu->objectName() + u' ' + action->text()));
                    keys.insert(key);
                }
                for (const QKeySequence &shortcut : action->shortcuts()) {
                    QVERIFY2(!shortcuts.contains(shortcut), qPrintable(shortcut.toString()));
                    shortcuts.insert(shortcut);
                }
            }
        }
        for (const char *name : {"mnuFile_CloseReference", "mnuStrings_NextUntranslated", "mnuStrings_AddMissing"})
            QVERIFY2(!item(*w, name)->isEnabled(), name);
        openReference(referencePath);
        for (const char *name : {"mnuFile_CloseReference", "mnuStrings_NextUntranslated", "mnuStrings_AddMissing"})
            QVERIFY2(item(*w, name)->isEnabled(), name);
    }
};

QTEST_MAIN(TestTranslator)
#include "tst_translator.moc"
