#include "documentcontroller.h"

#include "gxtcheck.h"
#include "gxtdocumentfile.h"
#include "gxtformat.h"
#include "hashevidence.h"
#include "numberingfit.h"
#include "numberingchoice.h"
#include "stringtable.h"

#include <QDir>

namespace quillet {

DocumentController::DocumentController(SettingsStore &settings, QObject *parent)
    : QObject(parent)
    , m_layoutSettings(settings)
{
    connect(&m_undoStack, &QUndoStack::cleanChanged, this, [this](bool clean) { Q_EMIT stringsChangedChanged(!clean); });
    QStringList ignored;
    chooseNumbering(QString(), m_document.toRaw(), ignored);
    rebuildRules();
}

DocumentController::~DocumentController()
{
    // The stack empties itself as it goes; whoever listens to it may be going too.
    m_undoStack.blockSignals(true);
    m_undoStack.clear();
}

void DocumentController::setFileOperation(bool running)
{
    if (running == m_fileOperation)
        return;
    m_fileOperation = running;
    Q_EMIT fileOperationChanged(running);
}

FileOperationHooks DocumentController::wrapped(const FileOperationHooks &hooks)
{
    FileOperationHooks mine = hooks;
    mine.begin = [this, begin = hooks.begin] {
        setFileOperation(true);
        if (begin)
            begin();
    };
    mine.end = [this, end = hooks.end] {
        setFileOperation(false);
        if (end)
            end();
    };
    return mine;
}

void DocumentController::rebuildRules()
{
    m_rules.emplace(m_document.format(), m_document.bits(), *m_numbering, m_document.keyHash(), &m_names);
}

std::shared_ptr<const CharacterNumbering> DocumentController::numberingOf(const QString &path, const RawDocument &raw,
                                                                          QStringList &warnings, QString &choice) const
{
    const GxtFormat &format = *raw.format;
    choice = m_layoutSettings.numberingChoice(path);
    if (choice.isEmpty()) {
        std::vector<const RawTable *> tables;
        for (const RawTable &table : raw.tables)
            tables.push_back(&table);
        choice = bestNumbering(format, tables, raw.hash);
    }
    std::shared_ptr<const CharacterNumbering> numbering;
    const Result made = NumberingChoice::resolve(choice, format, numbering, raw.hash);
    if (!made) {
        // A map that has gone away costs the user nothing but the letters it showed: the
        // format's own numbering shows the same units.
        numbering = CharacterNumbering::defaultFor(format, raw.hash);
        warnings.append(QStringLiteral("the character map could not be read (%1); the texts show in %2")
                            .arg(QDir::toNativeSeparators(made.errorString()), numbering->title()));
        choice = numbering->name();
    }
    return numbering;
}

void DocumentController::chooseNumbering(const QString &path, const RawDocument &raw, QStringList &warnings)
{
    QString choice;
    m_numbering = numberingOf(path, raw, warnings, choice);
    m_numberingChoice = choice;
}

void DocumentController::readRememberedKeyNames(QStringList &warnings)
{
    if (m_loadedNames)
        return;
    KeyNames names;
    const QString path = m_layoutSettings.keyNamesFile();
    if (!path.isEmpty()) {
        const Result read = LayoutSettings::readKeyNames(path, names);
        if (!read) {
            warnings.append(QStringLiteral("the key name list could not be read (%1); hashed keys show as their hashes")
                                .arg(QDir::toNativeSeparators(read.errorString())));
            names = KeyNames();
        }
    }
    m_loadedNames = std::move(names);
    m_names = *m_loadedNames;
    m_names.merge(m_typedNames);
}

Result DocumentController::setNumberingChoice(const QString &choice)
{
    const GxtFormat &format = m_document.format();
    std::shared_ptr<const CharacterNumbering> numbering;
    const Result made = NumberingChoice::resolve(choice, format, numbering, m_document.keyHash());
    if (!made)
        return made;
    m_layoutSettings.rememberNumbering(m_currentFile, choice);
    // The old numbering stays alive until everything that showed it has the new rules.
    const std::shared_ptr<const CharacterNumbering> old = m_numbering;
    m_numbering = std::move(numbering);
    m_numberingChoice = choice;
    rebuildRules();
    Q_EMIT rulesChanged();
    return {};
}

Result DocumentController::loadKeyNames(const QString &path)
{
    KeyNames names;
    const Result read = LayoutSettings::readKeyNames(path, names);
    if (!read)
        return read;
    m_loadedNames = std::move(names);
    m_layoutSettings.rememberKeyNamesFile(path);
    m_names = *m_loadedNames;
    m_names.merge(m_typedNames);
    rebuildRules();
    Q_EMIT rulesChanged();
    return read;
}

void DocumentController::setKeyHash(const KeyHash &hash)
{
    if (!m_document.format().storesHashes() || m_document.keyHash() == &hash)
        return;
    m_document.setKeyHash(&hash);
    rebuildRules();
    Q_EMIT rulesChanged();
}

void DocumentController::rememberKeyName(const QString &name)
{
    if (!m_document.format().storesHashes() || !NameRule::whyNotAHashedName(name).isEmpty())
        return;
    // No entry of the table shown holds the name's hash yet (a table holds each hash once),
    // so nothing shown needs to read anew.
    m_typedNames.add(name);
    m_names.add(name);
}

Result DocumentController::open(const QString &path, const FileOperationHooks &hooks, bool leaveOutBroken)
{
    const FileOperationHooks mine = wrapped(hooks);
    LoadedFile loaded;
    SalvageReport salvage;
    Result result;
    m_salvageOffer.clear();
    {
        OperationScope scope(mine);
        result = readForLoad(path, loaded, mine, leaveOutBroken ? &salvage : nullptr);
    }
    if (!result) {
        // Whether the only damage is entries outside their texts, which the user may agree
        // to leave out: a second read, and only of a file that failed.
        LoadedFile trial;
        if (!leaveOutBroken && readForLoad(path, trial, {}, &salvage) && salvage.total() > 0)
            m_salvageOffer = salvage.description();
        return result;
    }
    const GxtFormat &format = *loaded.raw.format;
    // What shows the old document keeps its numbering until it shows the new one.
    const std::shared_ptr<const CharacterNumbering> shownNumbering = m_numbering;
    QStringList notes;
    if (format.storesHashes()) {
        readRememberedKeyNames(notes);
        const KeyNames *names = m_loadedNames && !m_loadedNames->isEmpty() ? &*m_loadedNames : nullptr;
        loaded.raw.hash = &chooseKeyHash(loaded.raw, names);
    }
    chooseNumbering(path, loaded.raw, notes);
    // What the game would trip on, from the keys alone: the texts of most tables are not
    // read yet, and need not be.
    m_typedNames = KeyNames();
    m_names = m_loadedNames ? *m_loadedNames : KeyNames();
    const EntryRules fileRules = EntryRules::of(loaded.raw, *m_numbering, &m_names);
    std::vector<const RawTable *> tables;
    for (const RawTable &table : loaded.raw.tables)
        tables.push_back(&table);
    result.addWarnings(checkDocument(format, tables, fileRules, false).warnings);
    result.addWarnings(notes);

    m_document.assign(std::move(loaded.raw), std::move(loaded.pending));
    m_undoStack.clear();
    if (salvage.total() > 0) {
        // What was left out is a change nothing has saved yet.
        result.addWarning(QStringLiteral("left out: ") + salvage.description());
        m_undoStack.resetClean();
    }
    m_currentFile = path;
    rebuildRules();
    Q_EMIT documentReset();
    Q_EMIT currentFileChanged(m_currentFile);
    return result;
}

Result DocumentController::readBeside(const QString &path, GxtDocument &document,
                                      std::shared_ptr<const CharacterNumbering> &numbering)
{
    LoadedFile loaded;
    Result result = readForLoad(path, loaded);
    if (!result)
        return result;
    QStringList notes;
    if (loaded.raw.format->storesHashes()) {
        readRememberedKeyNames(notes);
        const KeyNames *names = m_loadedNames && !m_loadedNames->isEmpty() ? &*m_loadedNames : nullptr;
        loaded.raw.hash = &chooseKeyHash(loaded.raw, names);
    }
    QString choice;
    numbering = numberingOf(path, loaded.raw, notes, choice);
    document.assign(std::move(loaded.raw), std::move(loaded.pending));
    Result read;
    read.addWarnings(notes);
    return read;
}

Result DocumentController::save(const QString &path, const FileOperationHooks &hooks)
{
    const Result result = SaveGxt(path, m_document, wrapped(hooks));
    if (!result)
        return result;
    m_undoStack.setClean();
    if (m_currentFile != path) {
        m_currentFile = path;
        Q_EMIT currentFileChanged(m_currentFile);
    }
    return result;
}

std::shared_ptr<const CharacterNumbering> DocumentController::numberingFor(const GxtFormat &format,
                                                                          const KeyHash *hash) const
{
    if (&format != &m_document.format() || (format.storesHashes() && hash != m_document.keyHash()))
        return nullptr;
    return m_numbering;
}

Result DocumentController::importDocument(RawDocument &&raw, std::shared_ptr<const CharacterNumbering> numbering)
{
    const GxtFormat &format = *raw.format;
    // What shows the old document keeps its numbering until it shows the new one.
    const std::shared_ptr<const CharacterNumbering> shownNumbering = m_numbering;
    QStringList notes;
    if (format.storesHashes())
        readRememberedKeyNames(notes);
    if (!numbering)
        numbering = CharacterNumbering::defaultFor(format, raw.hash);
    if (numbering != m_numbering)
        m_numberingChoice = numbering->name();
    m_numbering = std::move(numbering);
    m_typedNames = KeyNames();
    m_names = m_loadedNames ? *m_loadedNames : KeyNames();
    Result result;
    const EntryRules importRules = EntryRules::of(raw, *m_numbering, &m_names);
    std::vector<const RawTable *> tables;
    for (const RawTable &table : raw.tables)
        tables.push_back(&table);
    result.addWarnings(checkDocument(format, tables, importRules, false).warnings);
    result.addWarnings(notes);

    m_document.assign(std::move(raw));
    m_undoStack.clear();
    m_undoStack.resetClean();
    m_currentFile.clear();
    rebuildRules();
    Q_EMIT documentReset();
    Q_EMIT currentFileChanged(m_currentFile);
    return result;
}

void DocumentController::newDocument()
{
    newDocument(GxtFormat::untitled());
}

void DocumentController::newDocument(const GxtFormat &format, const KeyHash *hash)
{
    const std::shared_ptr<const CharacterNumbering> shownNumbering = m_numbering;
    m_document.clear(format);
    if (hash && format.storesHashes())
        m_document.setKeyHash(hash);
    m_undoStack.clear();
    m_currentFile.clear();
    m_typedNames = KeyNames();
    m_names = m_loadedNames ? *m_loadedNames : KeyNames();
    QStringList ignored;
    chooseNumbering(QString(), m_document.toRaw(), ignored);
    rebuildRules();
    Q_EMIT documentReset();
    Q_EMIT currentFileChanged(m_currentFile);
}

} // namespace quillet
