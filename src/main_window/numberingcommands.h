#pragma once

#include <QObject>

class QAction;
class QActionGroup;

namespace quillet {

class DocumentController;
class SettingsStore;
class UserDialogs;
class frmMain;

// File, "Character Numbering" and "Key Names...": how the texts' glyph numbers and the
// hashed keys read. Neither changes a unit or a key of the document, so neither is a change
// to save, and the undo history stays as it was.
class NumberingCommands : public QObject
{
    Q_OBJECT

public:
    NumberingCommands(frmMain &window, DocumentController &controller, UserDialogs &dialogs, SettingsStore &settings,
                      QAction *windows1252, QAction *western, QAction *fromFile);

public Q_SLOTS:
    void mnuFile_KeyNames_Click();
    void mnuFile_Numbering_Windows1252_Click();
    void mnuFile_Numbering_Western_Click();
    void mnuFile_Numbering_FromFile_Click();

private:
    void showNumberingChoice();
    void applyNumbering(const QString &choice);
    void tellFailure(const QString &text);

    frmMain &m_window;
    DocumentController &m_controller;
    UserDialogs &m_dialogs;
    SettingsStore &m_settings;
    QAction *m_windows1252;
    QAction *m_western;
    QAction *m_fromFile;
    QActionGroup *m_group;
};

} // namespace quillet
