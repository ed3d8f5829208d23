#pragma once

// What several suites need to make files and to meet faults as an ordinary user would:
// the bytes of a table as the writer writes them, whole-file reads and writes, and the two
// ways a forked child takes on a fault that must not touch the test process itself.
#include "gxtdocument.h"
#include "rawgxt.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <csignal>
#include <vector>

#include <grp.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace testfiles {

// The unprivileged user that a child running as root turns into.
inline constexpr uid_t Nobody = 65534;

// The bytes of a document as a save writes them; a refusal is a fault in the test itself.
inline QByteArray written(const quillet::GxtDocumentData &data,
                          const quillet::CharacterNumbering &numbering = *quillet::CharacterNumbering::windows1252())
{
    quillet::RawDocument raw;
    quillet::Result result = quillet::encodeDocumentData(data, numbering, raw);
    QByteArray out;
    if (result)
        result = quillet::writeGxt(raw, out);
    if (!result)
        qFatal("the writer refused a test table: %s", qPrintable(result.errorString()));
    return out;
}

// A flat table of these rows.
inline QByteArray written(const std::vector<quillet::StringEntry> &rows)
{
    quillet::GxtDocumentData data;
    data.tables.push_back({quillet::mainTableName(), rows});
    return written(data);
}

// A file's tables as a user reads them, in record order, each table's numbering the
// layout's default; an empty document when the reader refuses (`error` says why).
inline quillet::GxtDocumentData readBack(QByteArrayView bytes, QString *error = nullptr)
{
    quillet::RawDocument raw;
    const quillet::Result read = quillet::readGxt(bytes, raw);
    if (error)
        *error = read.errorString();
    if (!read)
        return {};
    const quillet::GxtLayout layout = raw.layout;
    return quillet::decodeRawDocument(std::move(raw), *quillet::CharacterNumbering::defaultFor(layout), {});
}

// The rows of a flat file, in record order.
inline std::vector<quillet::StringEntry> readRows(QByteArrayView bytes, QString *error = nullptr)
{
    quillet::GxtDocumentData data = readBack(bytes, error);
    return data.tables.empty() ? std::vector<quillet::StringEntry>() : std::move(data.tables.front().rows);
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
