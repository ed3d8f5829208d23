#include "stringcommands.h"

#include "documentcommands.h"
#include "documentcontroller.h"
#include "exchangeformats.h"
#include "filelocation.h"
#include "frmmain.h"
#include "frmstrings.h"
#include "gxtformat.h"
#include "layoutheader.h"
#include "stringlistproxy.h"
#include "stringtablemodel.h"
#include "translationcommands.h"
#include "valueedit.h"
#include "stringtable.h"
#include "userdialogs.h"
#include "windowplaces.h"
#include "windowsettings.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include <algorithm>
#include <set>

namespace quillet {

namespace {

// The names a question lists before it only counts the rest.
constexpr int NamesListed = 5;

QString listOfNames(const QStringList &names)
{
    QString listed = names.mid(0, NamesListed).join(QStringLiteral(", "));
    if (names.size() > NamesListed)
        listed += QStringLiteral(" and %1 more").arg(names.size() - NamesListed);
    return listed;
}

} // namespace

StringCommands::StringCommands(frmMain &window, DocumentController &controller, UserDialogs &dialogs,
                               SettingsStore &settings)
    : QObject(&window)
    , m_window(window)
    , m_controller(controller)
    , m_dialogs(dialogs)
    , m_settings(settings)
    , m_run([](frmStrings &dialog) { dialog.exec(); })
{
}

void StringCommands::setDialogRunner(DialogRunner run)
{
    m_run = run ? std::move(run) : DialogRunner([](frmStrings &dialog) { dialog.exec(); });
}

void StringCommands::run(frmStrings &dialog)
{
    // The size remembered is the dialog's own; the reference's box comes on top of it.
    const QSize extra(0, dialog.referenceHeight());
    const QSize remembered = rememberedSize(m_settings, WindowSetting::EditorSize).value_or(frmStrings::DesignSize);
    dialog.resize(sizeWithinScreen(dialog, remembered + extra, &m_window));
    m_run(dialog);
    if (!dialog.isMaximized())
        rememberSize(m_settings, WindowSetting::EditorSize, (dialog.size() - extra).expandedTo(frmStrings::MinimumSize));
}

void StringCommands::showReference(frmStrings &dialog, const StringTable &table, const StringEntry &entry)
{
    if (const std::optional<QString> text = m_window.translationCommands().referenceText(table, entry))
        dialog.showReference(*text);
}

EntryId StringCommands::add()
{
    if (m_controller.FileOperation())
        return 0;
    StringTable &table = m_window.table();
    frmStrings dialog(m_controller.rules(), table, m_dialogs, &m_window);
    dialog.setWindowTitle(QStringLiteral("Add String"));
    dialog.cmdOk()->setText(QStringLiteral("&Add"));
    dialog.OptView_Click(frmStrings::SourceView);
    run(dialog);
    if (dialog.result() != QDialog::Accepted || !dialog.committedEntry())
        return 0;
    StringEntry added = *dialog.committedEntry();
    added.id = m_controller.document().newEntryId();
    m_controller.rememberKeyName(dialog.committedName());
    // A new entry goes at the end of the file's order; the list shows it where its sort puts it.
    m_controller.push(new EntriesCommand(QStringLiteral("Add %1").arg(m_controller.rules().keyText(added)),
                                         {EntryChange{&table, std::nullopt, added, -1}}));
    m_window.showEntry(&table, added.id);
    return added.id;
}

EntryId StringCommands::edit()
{
    if (m_controller.FileOperation())
        return 0;
    StringTable &table = m_window.table();
    const StringEntry *selected = table.find(m_window.selectedEntry());
    if (!selected) {
        const int current = m_window.currentSourceRow();
        return m_window.listProxy().tableModel()->isMissingRow(current) ? addMissing() : 0;
    }
    const StringEntry before = *selected;
    frmStrings dialog(m_controller.rules(), table, m_dialogs, &m_window);
    dialog.setWindowTitle(QStringLiteral("Edit String"));
    dialog.showEntry(before);
    showReference(dialog, table, before);
    dialog.OptView(frmStrings::SourceView)->setChecked(true);
    dialog.OptView_Click(frmStrings::SourceView);
    dialog.cmdOk()->setText(QStringLiteral("&Update"));
    dialog.RenameElement = before.id;
    run(dialog);
    if (dialog.result() != QDialog::Accepted || !dialog.committedEntry())
        return 0;
    const StringEntry after = *dialog.committedEntry();
    m_controller.rememberKeyName(dialog.committedName());
    // An update that changes nothing has nothing to take back.
    if (!after.sameContent(before)) {
        m_controller.push(new EntriesCommand(QStringLiteral("Edit %1").arg(m_controller.rules().keyText(before)),
                                             {EntryChange{&table, before, after, -1}}));
    }
    m_window.showEntry(&table, before.id);
    return before.id;
}

EntryId StringCommands::addMissing()
{
    if (m_controller.FileOperation())
        return 0;
    const StringTableModel &model = *m_window.listProxy().tableModel();
    const MissingEntry *missing = model.missingEntry(m_window.currentSourceRow());
    if (!missing)
        return 0;
    const EntryRules &rules = m_controller.rules();
    if (!missing->placeable) {
        // The reference stores only the key's hash, and this file names its keys.
        tell(QStringLiteral("The entry %1 cannot be added: the reference holds only its hash, and this file stores "
                            "the names of its keys.")
                 .arg(rules.keyText(missing->entry)),
             QMessageBox::Information);
        return 0;
    }
    StringTable &table = m_window.table();
    frmStrings dialog(rules, table, m_dialogs, &m_window);
    dialog.setWindowTitle(QStringLiteral("Add Missing Entry"));
    // The reference's units under its key as this file reads them: committed unchanged, the
    // entry is there, untranslated.
    dialog.showEntry(missing->entry);
    dialog.showReference(missing->referenceText);
    dialog.OptView(frmStrings::SourceView)->setChecked(true);
    dialog.OptView_Click(frmStrings::SourceView);
    dialog.cmdOk()->setText(QStringLiteral("&Add"));
    // The translator starts on the text; the name is the reference's.
    dialog.txtValue()->setFocus();
    dialog.txtValue()->selectAll();
    run(dialog);
    if (dialog.result() != QDialog::Accepted || !dialog.committedEntry())
        return 0;
    StringEntry added = *dialog.committedEntry();
    added.id = m_controller.document().newEntryId();
    m_controller.rememberKeyName(dialog.committedName());
    m_controller.push(new EntriesCommand(QStringLiteral("Add %1").arg(rules.keyText(added)),
                                         {EntryChange{&table, std::nullopt, added, -1}}));
    m_window.showEntry(&table, added.id);
    return added.id;
}

QString StringCommands::deleteQuestion(const QString &name)
{
    return QStringLiteral("Are you sure you wish to delete the string '") + name + QStringLiteral("'?");
}

QString StringCommands::deleteQuestion(int count)
{
    return QStringLiteral("Are you sure you wish to delete these %1 strings?").arg(count);
}

bool StringCommands::remove()
{
    if (m_controller.FileOperation())
        return false;
    StringTable &table = m_window.table();
    std::vector<EntryChange> changes;
    for (EntryId id : m_window.selectedEntries()) {
        if (const StringEntry *selected = table.find(id))
            changes.push_back({&table, *selected, std::nullopt, -1});
    }
    if (changes.empty())
        return false;
    const int count = int(changes.size());
    const QString name = m_controller.rules().keyText(*changes.front().before);
    const UserDialogs::Message question{count == 1 ? deleteQuestion(name) : deleteQuestion(count),
                                        count == 1 ? QStringLiteral("Delete String?") : QStringLiteral("Delete Strings?"),
                                        QMessageBox::Yes | QMessageBox::No, QMessageBox::Question, QMessageBox::Yes};
    if (m_dialogs.message(&m_window, question) != QMessageBox::Yes)
        return false;
    // One step, however many: Undo gives every one of them back, each to the row it left.
    m_controller.push(new EntriesCommand(count == 1 ? QStringLiteral("Delete %1").arg(name)
                                                    : QStringLiteral("Delete %1 Strings").arg(count),
                                         std::move(changes)));
    return true;
}

QByteArray StringCommands::clipboardText(const std::vector<StringEntry> &entries, const EntryRules &rules,
                                         QString *error)
{
    // A flat file of these entries, whatever layout they come from: the rules still read
    // each key and text as the document's own.
    RawDocument flat;
    flat.format = &GxtFormat::untitled();
    flat.tables.push_back({mainTableRawName(), entries});
    QByteArray text;
    const Result written = writeExchange(flat, rules, ExchangeFormat::Txt, text);
    if (!written && error)
        *error = written.errorString();
    return written ? text : QByteArray();
}

void StringCommands::tell(const QString &text, int icon)
{
    m_dialogs.message(&m_window, {text, QString(), QMessageBox::Ok, QMessageBox::Icon(icon), QMessageBox::Ok});
}

bool StringCommands::copy()
{
    if (m_controller.FileOperation())
        return false;
    const StringTable &table = m_window.table();
    std::vector<StringEntry> entries;
    for (EntryId id : m_window.selectedEntries()) {
        if (const StringEntry *selected = table.find(id))
            entries.push_back(*selected);
    }
    if (entries.empty())
        return false;
    QString error;
    const QByteArray text = clipboardText(entries, m_controller.rules(), &error);
    if (text.isEmpty()) {
        tell(QStringLiteral("Could not copy: ") + error, QMessageBox::Warning);
        return false;
    }
    QGuiApplication::clipboard()->setText(QString::fromUtf8(text));
    return true;
}

Result StringCommands::readPasted(const QString &text, std::vector<StringEntry> &entries) const
{
    const GxtDocument &document = m_controller.document();
    const GxtFormat &format = document.format();
    // A text without a layout line is a list of entries for the table shown: it reads in the
    // document's layout, as if the lines that name it stood first. Entries of a layout of
    // their own come in only where it is the document's.
    static const QRegularExpression namesLayout(QStringLiteral("^\\s*\\{layout "));
    QString body = text;
    if (body.startsWith(QChar(0xFEFF)))
        body.remove(0, 1);
    RawDocument shape;
    shape.format = &format;
    shape.bits = document.bits();
    shape.hash = document.keyHash();
    const QString layout = LayoutHeader::of(shape).words().join(u' ');
    QByteArray source;
    int addedLines = 0;
    if (!namesLayout.match(body).hasMatch() && (&format != &GxtFormat::untitled() || document.bits() != 16)) {
        source = "{layout " + layout.toUtf8() + "}\n";
        addedLines = 1;
        if (format.hasTables()) {
            source += "{table " + mainTableName().toUtf8() + "}\n";
            ++addedLines;
        }
    }
    source += body.toUtf8();
    RawDocument raw;
    Result read = readExchange(source, ExchangeFormat::Txt, raw,
                               [this](const GxtFormat &f, const KeyHash *hash) { return m_controller.numberingFor(f, hash); });
    if (!read) {
        // The lines named are the clipboard's own, not those put before them.
        QString reason = read.errorString();
        static const QRegularExpression line(QStringLiteral("^line (\\d+)"));
        const QRegularExpressionMatch at = line.match(reason);
        if (addedLines > 0 && at.hasMatch() && at.captured(1).toInt() > addedLines)
            reason.replace(0, at.capturedLength(), QStringLiteral("line %1").arg(at.captured(1).toInt() - addedLines));
        return Result::failure(reason);
    }
    if (raw.format != &format || raw.bits != document.bits() || (format.storesHashes() && raw.hash != document.keyHash())) {
        return Result::failure(QStringLiteral("the entries are of a file of another layout ({layout %1}); this file is "
                                              "{layout %2}")
                                   .arg(LayoutHeader::of(raw).words().join(u' '), layout));
    }
    if (raw.tables.size() != 1)
        return Result::failure(QStringLiteral("the text holds %1 tables; a paste takes the entries of one").arg(raw.tables.size()));
    entries = std::move(raw.tables.front().entries);
    return {};
}

std::vector<EntryId> StringCommands::paste()
{
    if (m_controller.FileOperation())
        return {};
    StringTable &table = m_window.table();
    const EntryRules &rules = m_controller.rules();
    std::vector<StringEntry> pasted;
    const Result read = readPasted(QGuiApplication::clipboard()->text(QClipboard::Clipboard), pasted);
    if (!read) {
        tell(QStringLiteral("Could not paste: ") + read.errorString(), QMessageBox::Warning);
        return {};
    }
    if (pasted.empty()) {
        tell(QStringLiteral("The clipboard holds no entries to paste."), QMessageBox::Information);
        return {};
    }
    const bool hashed = m_controller.document().format().storesHashes();
    QStringList held;
    for (size_t i = 0; i < pasted.size(); ++i) {
        const StringEntry &entry = pasted[i];
        // A table holds each hashed key once: two of one hash cannot both go in.
        if (hashed && std::any_of(pasted.begin(), pasted.begin() + qsizetype(i),
                                  [&](const StringEntry &other) { return other.sameKey(entry); })) {
            tell(QStringLiteral("Could not paste: the key %1 stands twice among the entries; a table holds each "
                                "hashed key once.")
                     .arg(rules.keyText(entry)),
                 QMessageBox::Warning);
            return {};
        }
        const std::vector<StringEntry> &entries = table.entries();
        if (std::any_of(entries.begin(), entries.end(), [&](const StringEntry &other) { return other.sameKey(entry); }))
            held << rules.keyText(entry);
    }
    bool replace = false;
    if (!held.isEmpty()) {
        // Asked once for all of them. Hashed keys cannot stand twice, so there the choice is
        // to replace them or to paste nothing.
        UserDialogs::Message question;
        question.text = QStringLiteral("The table already holds %1 of the pasted names: %2. ")
                            .arg(held.size() == 1 ? QStringLiteral("one") : QString::number(held.size()), listOfNames(held));
        question.text += hashed ? QStringLiteral("Replace those entries with the pasted ones?")
                                : QStringLiteral("Replace those entries with the pasted ones, or keep both?");
        question.title = QStringLiteral("Paste Strings");
        question.icon = QMessageBox::Question;
        question.buttons = hashed ? QMessageBox::Yes | QMessageBox::Cancel : QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        question.defaultButton = QMessageBox::Yes;
        question.buttonTexts = {{QMessageBox::Yes, QStringLiteral("&Replace")}, {QMessageBox::No, QStringLiteral("&Keep Both")}};
        const QMessageBox::StandardButton answer = m_dialogs.message(&m_window, question);
        if (answer == QMessageBox::Yes)
            replace = true;
        else if (answer != QMessageBox::No || hashed)
            return {};
    }

    std::vector<EntryChange> changes;
    std::vector<EntryId> shown;
    std::set<EntryId> replaced;
    for (StringEntry &entry : pasted) {
        const StringEntry *existing = nullptr;
        if (replace) {
            for (const StringEntry &other : table.entries()) {
                if (other.sameKey(entry) && !replaced.count(other.id)) {
                    existing = &other;
                    break;
                }
            }
        }
        if (existing) {
            // In its place, with its identity: the list keeps it where it stood.
            entry.id = existing->id;
            replaced.insert(existing->id);
            changes.push_back({&table, *existing, entry, -1});
        } else {
            entry.id = m_controller.document().newEntryId();
            changes.push_back({&table, std::nullopt, entry, -1});
        }
        shown.push_back(entry.id);
    }
    const int count = int(changes.size());
    m_controller.push(new EntriesCommand(count == 1 ? QStringLiteral("Paste %1").arg(rules.keyText(pasted.front()))
                                                    : QStringLiteral("Paste %1 Strings").arg(count),
                                         std::move(changes)));
    m_window.selectEntries(&table, shown);
    return shown;
}

} // namespace quillet
