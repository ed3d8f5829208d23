#pragma once

// What several suites need to make files and to meet faults as an ordinary user would:
// tables written as rows of (name, value) as the user reads them, whole-file reads and
// writes, and the two ways a forked child takes on a fault that must not touch the test
// process itself.
//
//   testfiles::written({{"A1", "Hi"}, {"B", ""}})                  a flat table's bytes
//   testfiles::written({"hashed", 8, {{"MAIN", {{"YES", "Oui"}}}}})  a file of tables
//   testfiles::readBack(bytes).tables[0].rows                       rows in record order
#include "characternumbering.h"
#include "entryrules.h"
#include "gxtformat.h"
#include "keynames.h"
#include "rawgxt.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>
#include <QTest>

#include <csignal>
#include <vector>

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testfiles {

// One entry as the user reads it: its key (a name, or a hash's text "#1CBF88DC") and its
// value through a character numbering, escapes included.
struct Row {
    QString name;
    QString value;
    friend bool operator==(const Row &, const Row &) = default;
};
using Rows = QList<Row>;

inline char *toString(const Row &row)
{
    return QTest::toString(QStringLiteral("[%1] = \"%2\"").arg(row.name, row.value));
}

struct RowTable {
    QString name;
    Rows rows;
    friend bool operator==(const RowTable &, const RowTable &) = default;
};

// A document as rows: the format's id ("flat", "tabled", "hashed"), its text width, and its
// tables in file order.
struct RowDocument {
    QString format = QStringLiteral("flat");
    int bits = 16;
    std::vector<RowTable> tables;
    friend bool operator==(const RowDocument &, const RowDocument &) = default;
};

// A format by its id; an unknown one is a fault in the test itself.
inline const quillet::GxtFormat &format(const QString &id)
{
    const quillet::GxtFormat *found = quillet::GxtFormat::byId(id);
    if (!found)
        qFatal("no format is called %s", qPrintable(id));
    return *found;
}

// The rows as the file's keys and units, through `numbering`; a refusal names the entry
// (or the table) as the editor's messages do.
inline quillet::Result encode(const RowDocument &document, const quillet::CharacterNumbering &numbering,
                              quillet::RawDocument &out, const quillet::KeyNames *names = nullptr)
{
    const quillet::GxtFormat &f = format(document.format);
    out = quillet::RawDocument();
    out.format = &f;
    out.bits = document.bits;
    out.hash = f.traits().hash;
    const quillet::EntryRules rules(f, document.bits, numbering, nullptr, names);
    for (const RowTable &table : document.tables) {
        quillet::RawTable raw;
        quillet::Result named = rules.encodeTableName(table.name, raw.name);
        if (!named)
            return named.within(QStringLiteral("table %1").arg(table.name));
        for (qsizetype i = 0; i < table.rows.size(); ++i) {
            quillet::StringEntry entry;
            const quillet::Result fits = rules.encode(table.rows[i].name, table.rows[i].value, entry);
            if (!fits)
                return fits.within(quillet::describeEntry(f, table.name, int(i + 1), table.rows[i].name));
            raw.entries.push_back(entry);
        }
        out.tables.push_back(std::move(raw));
    }
    return {};
}

// The numbering the test rows are written in: the flat rows are Windows-1252 text (tabs, line
// breaks and the euro included), every other layout's rows its own numbering.
inline std::shared_ptr<const quillet::CharacterNumbering> rowNumberingFor(const quillet::GxtFormat &format,
                                                                         const quillet::KeyHash *hash = nullptr)
{
    if (format.id() == QLatin1String("flat"))
        return quillet::CharacterNumbering::windows1252();
    return quillet::CharacterNumbering::defaultFor(format, hash);
}
inline const quillet::CharacterNumbering &rowNumbering(const quillet::GxtFormat &format)
{
    return *rowNumberingFor(format);
}

// The same where a refusal is a fault in the test itself.
inline quillet::RawDocument raw(const RowDocument &document, const quillet::CharacterNumbering &numbering)
{
    quillet::RawDocument out;
    const quillet::Result result = encode(document, numbering, out);
    if (!result)
        qFatal("a test table does not encode: %s", qPrintable(result.errorString()));
    return out;
}
inline quillet::RawDocument raw(const RowDocument &document)
{
    return raw(document, rowNumbering(format(document.format)));
}

// The bytes of a document as a save writes them, in `numbering` (the format's own when not
// given: the rows' own); a refusal is a fault in the test itself.
inline QByteArray written(const RowDocument &document, const quillet::CharacterNumbering &numbering)
{
    QByteArray out;
    const quillet::Result result = quillet::writeGxt(raw(document, numbering), out);
    if (!result)
        qFatal("the writer refused a test table: %s", qPrintable(result.errorString()));
    return out;
}
inline QByteArray written(const RowDocument &document)
{
    return written(document, rowNumbering(format(document.format)));
}
// A flat table of these rows, in Windows-1252.
inline QByteArray written(const Rows &rows)
{
    return written(RowDocument{QStringLiteral("flat"), 16, {{quillet::mainTableName(), rows}}});
}

// A document's tables as a user reads them, in file order.
inline RowDocument rowsOf(const quillet::RawDocument &document, const quillet::CharacterNumbering &numbering,
                          const quillet::KeyNames *names = nullptr)
{
    RowDocument out{document.format->id(), document.bits, {}};
    const quillet::EntryRules rules = quillet::EntryRules::of(document, numbering, names);
    for (const quillet::RawTable &table : document.tables) {
        RowTable shown{rules.tableText(table.name), {}};
        for (const quillet::StringEntry &entry : table.entries)
            shown.rows.append({rules.keyText(entry), rules.valueText(entry)});
        out.tables.push_back(std::move(shown));
    }
    return out;
}

// A file's tables as a user reads them, in record order, in the rows' numbering; an
// empty document when the reader refuses (`error` says why).
inline RowDocument readBack(QByteArrayView bytes, QString *error = nullptr)
{
    quillet::RawDocument raw;
    const quillet::Result read = quillet::readGxt(bytes, raw);
    if (error)
        *error = read.errorString();
    if (!read)
        return {QString(), 16, {}};
    return rowsOf(raw, rowNumbering(*raw.format));
}

// The rows of a file's first table, in record order.
inline Rows readRows(QByteArrayView bytes, QString *error = nullptr)
{
    RowDocument document = readBack(bytes, error);
    return document.tables.empty() ? Rows() : document.tables.front().rows;
}

inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes a file of our own making with the permission bits a case needs.
inline bool writeFile(const QString &path, const QByteArray &bytes, int mode = 0644)
{
    QFile file(path);
    const bool ok = file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
    file.close();
    return ok && chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0;
}

// The unprivileged user that a child running as root turns into.
inline constexpr uid_t Nobody = 65534;

// As root, permission bits stop nothing; a child that gives up root meets them as a user
// does. Supplementary groups go first, while the child still may drop them.
inline bool becomeAnOrdinaryUser()
{
    if (geteuid() != 0)
        return true;
    return setgroups(0, nullptr) == 0 && setresgid(Nobody, Nobody, Nobody) == 0
        && setresuid(Nobody, Nobody, Nobody) == 0 && geteuid() == Nobody;
}

// A write that passes `bytes` in a file fails with EFBIG instead of killing the process, as
// a full disk makes it fail part of the way.
inline bool limitFileSize(qint64 bytes)
{
    const rlimit limit{rlim_t(bytes), rlim_t(bytes)};
    return signal(SIGXFSZ, SIG_IGN) != SIG_ERR && setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

} // namespace testfiles
