#pragma once

// The promise the reader and writer make about any bytes at all, checked in one place for
// the fuzzer and the test suite's sweeps: the reader either refuses with a reason, or gives
// rows that the writer either saves so that they read back the same, or refuses with a
// reason that a broken limit explains.
//
// What the reader may alter, and so what "the same" means:
// - a unit's high byte is dropped (counted by alteredUnitCount);
// - a unit 00 xx becomes a character of code 0, which the writer can only write as a
//   terminator, so such a value comes back cut short at that character (also counted);
// - names lose zero bytes and surrounding spaces on the first read, so they are clean
//   already and must come back exactly;
// - the writer puts the records in ascending character-code order of name, equal names
//   in table order.
#include "gxtfile.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <vector>

namespace gxtroundtrip {

using quillet::FileOperationHooks;
using quillet::GxtLimits::MaxEntries;
using quillet::GxtLimits::MaxNameLength;
using quillet::GxtLimits::MaxValueLength;
using quillet::StringEntry;

// Hooks that check the progress contract: the value never passes the maximum.
struct ProgressCheck {
    double maximum = -1;
    double value = 0;
    bool broken = false;
    FileOperationHooks hooks()
    {
        FileOperationHooks h;
        h.setProgressMaximum = [this](double m) {
            maximum = m;
            value = 0;
        };
        h.advance = [this](double by) {
            value += by;
            broken = broken || by < 0 || maximum < 0 || value > maximum;
        };
        h.resetProgress = [this] { value = 0; };
        return h;
    }
};

inline bool breaksALimit(const std::vector<StringEntry> &rows)
{
    return rows.size() > size_t(MaxEntries) || std::any_of(rows.begin(), rows.end(), [](const StringEntry &row) {
               return row.name.size() > MaxNameLength || row.value.size() > MaxValueLength;
           });
}

inline void sortAsTheWriterDoes(std::vector<StringEntry> &rows)
{
    std::stable_sort(rows.begin(), rows.end(), [](const StringEntry &a, const StringEntry &b) {
        return QString::compare(a.name, b.name, Qt::CaseSensitive) < 0;
    });
}

struct Outcome {
    bool loaded = false;   // the reader accepted the bytes
    bool saved = false;    // and the writer built a file of them
    QString readError;     // the reader's reason, when it refused
    QString broken;        // empty, or which promise was broken
};

inline Outcome check(QByteArrayView input)
{
    Outcome outcome;
    auto fail = [&](const QString &what) {
        outcome.broken = what;
        return outcome;
    };

    quillet::GxtReader reader;
    std::vector<StringEntry> rows;
    ProgressCheck readProgress;
    if (!reader.read(input, rows, readProgress.hooks())) {
        outcome.readError = reader.errorString();
        if (outcome.readError.isEmpty())
            return fail(QStringLiteral("the reader refused without a reason"));
        return outcome;
    }
    outcome.loaded = true;
    if (!reader.errorString().isEmpty())
        return fail(QStringLiteral("the reader accepted but left an error: ") + reader.errorString());
    if (readProgress.broken)
        return fail(QStringLiteral("the load's progress passed its maximum"));

    bool holdsCodeZero = false;
    for (const StringEntry &row : rows) {
        if (row.name.contains(QChar(0)) || row.name.startsWith(QLatin1Char(' ')) || row.name.endsWith(QLatin1Char(' ')))
            return fail(QStringLiteral("a name kept a zero or a surrounding space: ") + row.name);
        if (row.name.size() > MaxNameLength)
            return fail(QStringLiteral("a name longer than its field: ") + row.name);
        holdsCodeZero = holdsCodeZero || row.value.contains(QChar(0));
    }
    // A character of code 0 comes only from a unit 00 xx, which is always counted.
    if (holdsCodeZero && reader.alteredUnitCount() == 0)
        return fail(QStringLiteral("a value holds code 0 but no unit was reported as altered"));
    if ((reader.alteredUnitCount() == 0) != reader.alteredEntries().isEmpty())
        return fail(QStringLiteral("altered units and altered entries disagree"));

    quillet::GxtWriter writer;
    QByteArray written;
    ProgressCheck writeProgress;
    if (!writer.build(rows, written, writeProgress.hooks())) {
        if (writer.errorString().isEmpty())
            return fail(QStringLiteral("the writer refused without a reason"));
        if (!breaksALimit(rows))
            return fail(QStringLiteral("the writer refused rows the reader gave it: ") + writer.errorString());
        if (!written.isEmpty())
            return fail(QStringLiteral("the writer refused but left bytes"));
        return outcome;
    }
    outcome.saved = true;
    if (writeProgress.broken)
        return fail(QStringLiteral("the save's progress passed its maximum"));

    quillet::GxtReader again;
    std::vector<StringEntry> reread;
    if (!again.read(written, reread))
        return fail(QStringLiteral("the writer's own file does not read back: ") + again.errorString());
    if (again.alteredUnitCount() != 0)
        return fail(QStringLiteral("the writer's own file has altered units"));

    // When nothing was altered, this is exactly the rows read, only in writer order.
    std::vector<StringEntry> expected = rows;
    for (StringEntry &row : expected) {
        const qsizetype cut = row.value.indexOf(QChar(0));
        if (cut >= 0)
            row.value.truncate(cut);
    }
    sortAsTheWriterDoes(expected);
    if (reread != expected)
        return fail(QStringLiteral("the entries changed in a save and read"));

    // The writer's file is a fixed point: writing what it reads back gives the same bytes.
    // Not so for a value that holds code 0: its first write keeps the characters behind
    // that early terminator as dead bytes, which the second read no longer sees.
    if (holdsCodeZero)
        return outcome;
    QByteArray rewritten;
    if (!writer.build(reread, rewritten))
        return fail(QStringLiteral("the writer refused its own file's entries: ") + writer.errorString());
    if (rewritten != written)
        return fail(QStringLiteral("a second save of the same entries wrote other bytes"));
    return outcome;
}

} // namespace gxtroundtrip
