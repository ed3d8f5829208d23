#pragma once

#include <QObject>
#include <QPointer>

#include <map>

class QAction;
class QActionGroup;
class QLabel;

namespace quillet {

class DocumentController;
class KeyHash;
class KeyHashBox;
class SettingsStore;
class UserDialogs;
class frmMain;

// The menu items the commands drive: one a built-in numbering (by its NumberingChoice), the
// map file item, and the key names' items.
struct NumberingActions {
    std::map<QString, QAction *> builtIn;
    QAction *fromFile = nullptr;
    QAction *crc32 = nullptr;
    QAction *oneAtATime = nullptr;
    QAction *keyHashBox = nullptr;
};

// File, "Character Numbering" and "Key Names": how the texts' glyph numbers and the hashed
// keys read. None of them changes a unit or a key of the document, so none is a change to
// save, and the undo history stays as it was. The numbering in use shows in the menu and
// in `status`.
class NumberingCommands : public QObject
{
    Q_OBJECT

public:
    NumberingCommands(frmMain &window, DocumentController &controller, UserDialogs &dialogs, SettingsStore &settings,
                      const NumberingActions &actions, QLabel *status);

    KeyHashBox *keyHashBox() const;

public Q_SLOTS:
    void mnuFile_KeyNames_Click();
    void mnuFile_Numbering_Click(const QString &choice);
    void mnuFile_Numbering_FromFile_Click();
    void mnuFile_KeyHash_Click(const KeyHash &hash);
    void mnuFile_KeyHashBox_Click();

private:
    void showChoices();
    void applyNumbering(const QString &choice);
    void tellFailure(const QString &text);

    frmMain &m_window;
    DocumentController &m_controller;
    UserDialogs &m_dialogs;
    SettingsStore &m_settings;
    NumberingActions m_actions;
    QLabel *m_status;
    QActionGroup *m_numberings;
    QActionGroup *m_hashes;
    QPointer<KeyHashBox> m_keyHashBox;
};

} // namespace quillet
