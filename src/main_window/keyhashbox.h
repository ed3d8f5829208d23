#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;

namespace quillet {

class DocumentController;

// Key Names, "Key Hash...": what a typed name's key is under the hash the document reads its
// keys by, so that a user can find a key the name list does not know, or check a name.
// Non-modal, and it follows the document's hash as the user changes it.
class KeyHashBox : public QDialog
{
    Q_OBJECT

public:
    KeyHashBox(DocumentController &controller, QWidget *parent);

    QLineEdit *txtName() const { return m_name; }
    QLabel *lblHash() const { return m_hash; }

private:
    void showHash();

    DocumentController &m_controller;
    QLineEdit *m_name;
    QLabel *m_hash;
    QLabel *m_under;
};

} // namespace quillet
