#pragma once

#include "textsearch.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quillet {

// The Find dialog, and with its "Replace with" box shown, the Replace dialog. It stays open
// beside the window and only asks: the window finds, replaces and answers in lblStatus.
class frmFind : public QDialog
{
    Q_OBJECT

public:
    explicit frmFind(QWidget *owner = nullptr);

    // Find alone, or Find and Replace.
    void showFind(bool replace);
    bool replacing() const { return m_replacing; }

    TextSearch search() const;
    // Why the search as typed finds nothing whatever the table holds (a regular expression
    // that does not compile); empty when it can run.
    QString searchProblem() const;
    QString replacement() const;
    // What the last command came to; empty when there is nothing to say.
    void setStatus(const QString &text);
    QString status() const;

    QLineEdit *txtFind() const { return m_txtFind; }
    QLineEdit *txtReplace() const { return m_txtReplace; }
    QCheckBox *chkMatchCase() const { return m_chkMatchCase; }
    QCheckBox *chkWholeWords() const { return m_chkWholeWords; }
    QCheckBox *chkRegularExpression() const { return m_chkRegularExpression; }
    QCheckBox *chkInsideCodes() const { return m_chkInsideCodes; }
    QComboBox *cboLookIn() const { return m_cboLookIn; }
    QPushButton *cmdFindNext() const { return m_cmdFindNext; }
    QPushButton *cmdFindPrevious() const { return m_cmdFindPrevious; }
    QPushButton *cmdReplace() const { return m_cmdReplace; }
    QPushButton *cmdReplaceAll() const { return m_cmdReplaceAll; }
    QLabel *lblStatus() const { return m_lblStatus; }

Q_SIGNALS:
    void findRequested(bool backwards);
    void replaceRequested();
    void replaceAllRequested();
    // The text or where to look changed: what F3 finds is another thing now.
    void searchChanged();

private:
    void setMode(bool replace);
    void updateButtons();

    QLineEdit *m_txtFind;
    QLabel *m_lblReplace;
    QLineEdit *m_txtReplace;
    QCheckBox *m_chkMatchCase;
    QCheckBox *m_chkWholeWords;
    QCheckBox *m_chkRegularExpression;
    QCheckBox *m_chkInsideCodes;
    QComboBox *m_cboLookIn;
    QLabel *m_lblValuesOnly;
    QPushButton *m_cmdFindNext;
    QPushButton *m_cmdFindPrevious;
    QPushButton *m_cmdReplace;
    QPushButton *m_cmdReplaceAll;
    QPushButton *m_cmdClose;
    QLabel *m_lblStatus;
    bool m_replacing = false;
};

} // namespace quillet
