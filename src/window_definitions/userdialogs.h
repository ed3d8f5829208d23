#pragma once

#include <QList>
#include <QMessageBox>
#include <QString>

#include <optional>
#include <memory>

class QWidget;

namespace quillet {

// Every message box and file dialog of the editor goes through this interface, so that a
// test can answer them in advance and drive a modal flow without a screen.
class UserDialogs
{
public:
    struct Message {
        QString text;
        QString title; // empty: the application's title
        QMessageBox::StandardButtons buttons = QMessageBox::Ok;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    };

    struct FileRequest {
        QString title;
        QString filter;        // Qt syntax: "GXT File (*.gxt);;All Files (*)"
        QString defaultSuffix; // without the dot: "gxt"
        QString initialFolder;
        QString fileName;      // proposed name, may be empty
        bool mustExist = false;        // open: the chosen file must exist
        bool confirmOverwrite = false; // save: ask before replacing a file
    };

    struct TextRequest {
        QString title;
        QString label;
        QString text; // proposed
    };

    virtual ~UserDialogs();

    virtual QMessageBox::StandardButton message(QWidget *parent, const Message &message) = 0;
    // A message that waits for nothing: it shows beside the window until the user closes it.
    virtual void note(QWidget *parent, const Message &message) = 0;
    // The chosen path, or an empty text when the user cancelled.
    virtual QString openFileName(QWidget *parent, const FileRequest &request) = 0;
    virtual QString saveFileName(QWidget *parent, const FileRequest &request) = 0;
    // The text entered, or nothing when the user cancelled.
    virtual std::optional<QString> askText(QWidget *parent, const TextRequest &request) = 0;
};

// The real dialogs.
class QtUserDialogs : public UserDialogs
{
public:
    // The box that message() shows, set up but not yet shown. Its text is plain text, always:
    // names and paths come from files and users, and QMessageBox would read "<b>A</b>" in
    // one as markup.
    static std::unique_ptr<QMessageBox> messageBox(QWidget *parent, const Message &message);

    QMessageBox::StandardButton message(QWidget *parent, const Message &message) override;
    void note(QWidget *parent, const Message &message) override;
    QString openFileName(QWidget *parent, const FileRequest &request) override;
    QString saveFileName(QWidget *parent, const FileRequest &request) override;
    std::optional<QString> askText(QWidget *parent, const TextRequest &request) override;
};

// Answers from a script, for tests: each question takes the next answer queued for its
// kind and is recorded. A question without a queued answer is a test failure waiting to
// happen, so it is recorded as unexpected and answered with Cancel or an empty path.
class ScriptedUserDialogs : public UserDialogs
{
public:
    void setNextAnswer(QMessageBox::StandardButton answer) { m_answers.append(answer); }
    void setNextFileName(const QString &path) { m_fileNames.append(path); }
    // Nothing stands for Cancel.
    void setNextText(const std::optional<QString> &text) { m_texts.append(text); }

    QMessageBox::StandardButton message(QWidget *parent, const Message &message) override;
    void note(QWidget *, const Message &message) override { notes.append(message); }
    QString openFileName(QWidget *parent, const FileRequest &request) override;
    QString saveFileName(QWidget *parent, const FileRequest &request) override;
    std::optional<QString> askText(QWidget *parent, const TextRequest &request) override;

    QList<Message> messages;          // every message box shown, in order
    QList<Message> notes;             // every note shown, in order
    QList<FileRequest> openRequests;  // every open dialog shown
    QList<FileRequest> saveRequests;  // every save dialog shown
    QList<TextRequest> textRequests;  // every text asked for
    int unexpected = 0;               // questions asked with no answer queued
    bool allAnswersUsed() const { return m_answers.isEmpty() && m_fileNames.isEmpty() && m_texts.isEmpty(); }

private:
    QString nextFileName();

    QList<QMessageBox::StandardButton> m_answers;
    QList<QString> m_fileNames;
    QList<std::optional<QString>> m_texts;
};

} // namespace quillet
