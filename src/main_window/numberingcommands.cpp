// File, "Character Numbering" and "Key Names...": how the texts' glyph numbers and the
// hashed keys are shown. Neither changes a unit or a key of the document, so neither is a
// change to save.
#include "frmmain.h"

#include "appidentity.h"
#include "filelocation.h"
#include "userdialogs.h"

#include <QActionGroup>
#include <QDir>

namespace quillet {

namespace {
const QString MapFilter = QStringLiteral("Character Maps (*.txt *.map *.tsv);;All Files (*)");
const QString NameListFilter = QStringLiteral("Name Lists (*.txt *.ini);;All Files (*)");
} // namespace

LoadOptions frmMain::loadOptions()
{
    LoadOptions options;
    options.numberingFor = [this](GxtLayout layout) -> std::shared_ptr<const CharacterNumbering> {
        std::shared_ptr<const CharacterNumbering> numbering;
        const Result made = LayoutSettings::numberingFor(m_layoutSettings.numberingChoice(layout), layout, numbering);
        if (!made) {
            // A map that has gone away costs the user nothing but the letters it showed: the
            // layout's own numbering shows the same units.
            qWarning().noquote() << QStringLiteral("%1: the character map could not be read (%2); using %3")
                                        .arg(QString::fromLatin1(AppIdentity::ExecutableName), made.errorString(),
                                             CharacterNumbering::defaultFor(layout)->name());
            return nullptr;
        }
        return numbering;
    };
    if (!m_keyNames) {
        KeyNames names;
        const QString file = m_layoutSettings.keyNamesFile();
        if (!file.isEmpty() && !LayoutSettings::readKeyNames(file, names))
            names = KeyNames();
        m_keyNames = names;
    }
    options.keyNames = *m_keyNames;
    return options;
}

void frmMain::showNumberingChoice()
{
    const QString name = m_document.numbering()->name();
    QAction *shown = name == LayoutSettings::Windows1252 ? mnuFile_Numbering_Windows1252
                     : name == LayoutSettings::Western   ? mnuFile_Numbering_Western
                                                         : mnuFile_Numbering_FromFile;
    shown->setChecked(true);
}

void frmMain::applyNumbering(const QString &choice)
{
    const GxtLayout layout = m_document.layout();
    std::shared_ptr<const CharacterNumbering> numbering;
    const Result made = LayoutSettings::numberingFor(choice, layout, numbering);
    if (!made) {
        tellFailure(QStringLiteral("Could not read the character map %1").arg(QDir::toNativeSeparators(made.errorString())));
        showNumberingChoice();
        return;
    }
    m_layoutSettings.rememberNumbering(layout, choice);
    // The rows are shown anew; the one the user was on stays in sight.
    const int position = selectedPosition();
    const StringEntry was = position > 0 ? m_table->entry(position) : StringEntry();
    m_document.setNumbering(numbering);
    showNumberingChoice();
    if (position > 0) {
        for (int p = 1; p <= m_table->count(); ++p) {
            if (m_table->name(p) == was.name) {
                selectPosition(p);
                break;
            }
        }
    }
}

void frmMain::mnuFile_Numbering_Windows1252_Click()
{
    if (!FileOperation)
        applyNumbering(LayoutSettings::Windows1252);
}

void frmMain::mnuFile_Numbering_Western_Click()
{
    if (!FileOperation)
        applyNumbering(LayoutSettings::Western);
}

void frmMain::mnuFile_Numbering_FromFile_Click()
{
    if (FileOperation)
        return;
    UserDialogs::FileRequest request;
    request.title = QStringLiteral("Select Character Map");
    request.filter = MapFilter;
    request.initialFolder = GetFileLocation(*m_settings);
    request.mustExist = true;
    const QString path = m_dialogs->openFileName(this, request);
    if (path.isEmpty()) {
        showNumberingChoice();
        return;
    }
    applyNumbering(path);
}

void frmMain::mnuFile_KeyNames_Click()
{
    if (FileOperation)
        return;
    UserDialogs::FileRequest request;
    request.title = QStringLiteral("Select Key Name List");
    request.filter = NameListFilter;
    request.initialFolder = GetFileLocation(*m_settings);
    request.mustExist = true;
    const QString path = m_dialogs->openFileName(this, request);
    if (path.isEmpty())
        return;
    KeyNames names;
    const Result read = LayoutSettings::readKeyNames(path, names);
    if (!read) {
        tellFailure(QStringLiteral("Could not read the name list %1").arg(QDir::toNativeSeparators(read.errorString())));
        return;
    }
    m_keyNames = names;
    m_layoutSettings.rememberKeyNamesFile(path);
    m_document.setKeyNames(names);
}

} // namespace quillet
