#pragma once

#include <QByteArrayView>
#include <QString>

#include <vector>

namespace quillet {

// A hash under which a hashed file stores its keys: the file keeps only the hash of each
// key's name, and a name shows for a key when it hashes to the key's value. A format names
// the hash its files use by default; a document carries the one it reads its keys by.
class KeyHash
{
public:
    using Function = quint32 (*)(QByteArrayView name);

    KeyHash(const char *id, const char *title, Function function)
        : m_id(QString::fromLatin1(id))
        , m_title(QString::fromLatin1(title))
        , m_function(function)
    {
    }

    // "crc32": the word of the text forms and of the tool.
    const QString &id() const { return m_id; }
    // How messages and menus name it.
    const QString &title() const { return m_title; }
    quint32 operator()(QByteArrayView name) const { return m_function(name); }

    // CRC-32 (reflected polynomial 0xEDB88320, initial value 0xFFFFFFFF) without the final
    // inversion, over the name's bytes upper-cased (ASCII): the third game's.
    static const KeyHash &crc32();

    static const std::vector<const KeyHash *> &all();
    static const KeyHash *byId(const QString &id);

private:
    QString m_id;
    QString m_title;
    Function m_function;
};

} // namespace quillet
