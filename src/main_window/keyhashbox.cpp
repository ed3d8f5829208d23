#include "keyhashbox.h"

#include "documentcontroller.h"
#include "gxtformat.h"
#include "hashtext.h"
#include "keyhash.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace quillet {

KeyHashBox::KeyHashBox(DocumentController &controller, QWidget *parent)
    : QDialog(parent)
    , m_controller(controller)
    , m_name(new QLineEdit(this))
    , m_hash(new QLabel(this))
    , m_under(new QLabel(this))
{
    setWindowTitle(QStringLiteral("Key Hash"));
    setObjectName(QStringLiteral("frmKeyHash"));
    m_name->setObjectName(QStringLiteral("txtName"));
    m_hash->setObjectName(QStringLiteral("lblHash"));
    m_hash->setTextFormat(Qt::PlainText);
    m_hash->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_hash->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    m_under->setTextFormat(Qt::PlainText);
    m_under->setWordWrap(true);

    auto *form = new QFormLayout;
    auto *nameLabel = new QLabel(QStringLiteral("&Name:"), this);
    nameLabel->setBuddy(m_name);
    form->addRow(nameLabel, m_name);
    form->addRow(QStringLiteral("Key:"), m_hash);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_under);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(m_name, &QLineEdit::textChanged, this, &KeyHashBox::showHash);
    connect(&m_controller, &DocumentController::rulesChanged, this, &KeyHashBox::showHash);
    connect(&m_controller, &DocumentController::documentReset, this, &KeyHashBox::showHash);
    showHash();
}

void KeyHashBox::showHash()
{
    // A document whose keys are names has no hash of its own; the one its game's successors
    // use is still worth knowing.
    const KeyHash *hash = m_controller.document().keyHash();
    if (!hash)
        hash = &KeyHash::crc32();
    m_under->setText(QStringLiteral("Keys hashed by %1").arg(hash->title()));
    const QString name = m_name->text().trimmed();
    if (name.isEmpty()) {
        m_hash->clear();
        return;
    }
    const QString problem = NameRule::whyNotAHashedName(name);
    m_hash->setText(problem.isEmpty() ? hashText((*hash)(name.toLatin1())) : problem);
}

} // namespace quillet
