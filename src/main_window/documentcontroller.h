#pragma once

#include "characternumbering.h"
#include "entryrules.h"
#include "fileoperationhooks.h"
#include "gxtdocument.h"
#include "keynames.h"
#include "layoutsettings.h"
#include "result.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <memory>
#include <optional>

namespace quillet {

class SettingsStore;

// The open document and everything that belongs to it rather than to a window: the file it
// came from (`CurrentFile`), its undo history, how its keys and texts read (the character
// numbering and the key names), whether a load or a save runs (`FileOperation`), and
// whether it differs from what was opened or saved (`StringsChanged`, which is the undo
// stack's clean state and nothing else). Loading and saving go through here; the window's
// commands decide when, and ask the user.
class DocumentController : public QObject
{
    Q_OBJECT

public:
    explicit DocumentController(SettingsStore &settings, QObject *parent = nullptr);
    ~DocumentController() override;

    GxtDocument &document() { return m_document; }
    const GxtDocument &document() const { return m_document; }
    QUndoStack &undoStack() { return m_undoStack; }
    const QUndoStack &undoStack() const { return m_undoStack; }
    // Every change goes through here, as a command the history keeps.
    void push(QUndoCommand *command) { m_undoStack.push(command); }

    // The path of the file the document belongs to; empty while it is untitled.
    QString CurrentFile() const { return m_currentFile; }
    // True when the document differs from what was opened or saved.
    bool StringsChanged() const { return !m_undoStack.isClean(); }
    // True while a load or a save runs.
    bool FileOperation() const { return m_fileOperation; }

    // How the document's keys and texts read and are typed; valid until rulesChanged().
    const EntryRules &rules() const { return *m_rules; }
    std::shared_ptr<const CharacterNumbering> numbering() const { return m_numbering; }
    // The choice the numbering was made from: a built-in one's name or a map's path.
    QString numberingChoice() const { return m_numberingChoice; }
    // Shows the document through another numbering, remembered for its file. Changes no
    // unit and no part of the history. A map that cannot be read fails with its reason and
    // changes nothing.
    Result setNumberingChoice(const QString &choice);
    // Reads a list of key names, shows hashed keys by them from now on and remembers the
    // list. One that is no text fails with its reason and changes nothing; lines that are no
    // names are skipped, and the result's warning says how many.
    Result loadKeyNames(const QString &path);
    // Reads hashed keys by another hash: names show anew, no unit and no key changes, and
    // the history stays (what it holds are the keys' hashes).
    void setKeyHash(const KeyHash &hash);
    // A name typed for a hashed key: it shows for that hash from now on in this document.
    void rememberKeyName(const QString &name);

    // Opens the file at `path`. On success the document is the file's, untitled no more,
    // with an empty history; the result's warnings say what the game would trip on and what
    // could not be read of the settings. On failure nothing has changed, and where the file
    // would open without the entries that point outside their texts, salvageOffer() says
    // which; `leaveOutBroken` opens it so, and the document then differs from the file.
    Result open(const QString &path, const FileOperationHooks &hooks = {}, bool leaveOutBroken = false);
    // Reads the file at `path` as open() reads one (its layout, the key hash its keys were
    // made by, the numbering remembered for it or the one its texts read best in) into
    // `document` and `numbering`, for a file shown beside the open one. Nothing of the open
    // document changes; on failure neither does `document`. The result's warnings are what
    // could not be read of the settings.
    Result readBeside(const QString &path, GxtDocument &document, std::shared_ptr<const CharacterNumbering> &numbering);
    // The key names hashed keys show by, for whatever shows a file beside the open one.
    const KeyNames &keyNames() const { return m_names; }

    // "3 entries of table MAIN point outside its texts and cannot be read.", after an open
    // that failed so; empty otherwise.
    const QString &salvageOffer() const { return m_salvageOffer; }
    // Writes the document to `path`; on success the document belongs to that file and is
    // unchanged from it. On failure the file on disk is as it was and nothing else changes.
    Result save(const QString &path, const FileOperationHooks &hooks = {});
    // Import: an untitled document of what a text form held, in the layout it named, shown
    // through `numbering` (the layout's own when null), with an empty history. It counts as
    // changed until it is saved, since no file holds it. The result's warnings say what the
    // game would trip on.
    Result importDocument(RawDocument &&raw, std::shared_ptr<const CharacterNumbering> numbering);
    // The numbering a text form of `format` and `hash` reads in: the one the document shows
    // in where the form is of the document's own layout, so that an export imports back unit
    // for unit; null for any other, whose own numbering then reads it.
    std::shared_ptr<const CharacterNumbering> numberingFor(const GxtFormat &format, const KeyHash *hash) const;
    // New: an untitled, empty document of `format` (a flat table unless said) with an empty
    // history.
    void newDocument();
    void newDocument(const GxtFormat &format, const KeyHash *hash = nullptr);

    LayoutSettings &layoutSettings() { return m_layoutSettings; }

Q_SIGNALS:
    // The whole document was replaced (New, Open): whatever shows it starts again.
    void documentReset();
    // Keys and texts read another way now (numbering, key names).
    void rulesChanged();
    void currentFileChanged(const QString &path);
    void stringsChangedChanged(bool changed);
    void fileOperationChanged(bool running);

private:
    FileOperationHooks wrapped(const FileOperationHooks &hooks);
    void setFileOperation(bool running);
    void rebuildRules();
    // The numbering a document opens in: the one remembered for its file, else the one its
    // texts read best in; a remembered map that cannot be read is noted in `warnings` and the
    // format's own numbering used.
    void chooseNumbering(const QString &path, const RawDocument &raw, QStringList &warnings);
    std::shared_ptr<const CharacterNumbering> numberingOf(const QString &path, const RawDocument &raw,
                                                          QStringList &warnings, QString &choice) const;
    // The remembered key name list, read once; a list that cannot be read is noted.
    void readRememberedKeyNames(QStringList &warnings);

    LayoutSettings m_layoutSettings;
    GxtDocument m_document;
    QUndoStack m_undoStack;
    QString m_currentFile;
    bool m_fileOperation = false;
    std::shared_ptr<const CharacterNumbering> m_numbering;
    QString m_numberingChoice;
    std::optional<KeyNames> m_loadedNames;
    KeyNames m_typedNames;
    // The loaded names and the typed ones: what the rules show keys by.
    KeyNames m_names;
    std::optional<EntryRules> m_rules;
    QString m_salvageOffer;
};

} // namespace quillet
