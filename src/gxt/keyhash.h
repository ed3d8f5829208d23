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

    // `game`: the game whose files hash their keys so, as messages name it; `gameMaxTables`:
    // how many tables that game keeps (0: no limit of its own); `numbering`: the numbering
    // that game's texts are in, where a format shared by games cannot say (empty: the
    // format's own).
    KeyHash(const char *id, const char *title, const char *game, int gameMaxTables, const char *numbering,
            Function function)
        : m_id(QString::fromLatin1(id))
        , m_title(QString::fromLatin1(title))
        , m_game(QString::fromLatin1(game))
        , m_gameMaxTables(gameMaxTables)
        , m_numbering(QString::fromLatin1(numbering))
        , m_function(function)
    {
    }

    // "crc32": the word of the text forms and of the tool.
    const QString &id() const { return m_id; }
    // How messages and menus name it.
    const QString &title() const { return m_title; }
    const QString &game() const { return m_game; }
    int gameMaxTables() const { return m_gameMaxTables; }
    const QString &numbering() const { return m_numbering; }
    quint32 operator()(QByteArrayView name) const { return m_function(name); }

    // CRC-32 (reflected polynomial 0xEDB88320, initial value 0xFFFFFFFF) without the final
    // inversion, over the name's bytes upper-cased (ASCII): the third game's.
    static const KeyHash &crc32();
    // Bob Jenkins' one-at-a-time hash over the name's bytes lower-cased (ASCII): the fourth
    // and fifth games'.
    static const KeyHash &oneAtATime();

    static const std::vector<const KeyHash *> &all();
    static const KeyHash *byId(const QString &id);

private:
    QString m_id;
    QString m_title;
    QString m_game;
    int m_gameMaxTables;
    QString m_numbering;
    Function m_function;
};

} // namespace quillet
