// Feeds arbitrary bytes to the GXT reader. Whatever it accepts must survive a save: the
// writer either builds a file that reads back as the same entries, or refuses with a
// reason. Any other outcome aborts, which libFuzzer reports as a finding.
//
// What the reader may alter, and so what "the same entries" means here:
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
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace quillet;

namespace {

[[noreturn]] void finding(const char *what, const QString &detail = {})
{
    std::fprintf(stderr, "finding: %s %s\n", what, qPrintable(detail));
    std::abort();
}

// Hooks that check the progress contract: the value never passes the maximum.
struct ProgressCheck {
    double maximum = -1;
    double value = 0;
    FileOperationHooks hooks()
    {
        FileOperationHooks h;
        h.setProgressMaximum = [this](double m) {
            maximum = m;
            value = 0;
        };
        h.advance = [this](double by) {
            value += by;
            if (by < 0 || maximum < 0 || value > maximum)
                finding("progress passed its maximum");
        };
        h.resetProgress = [this] { value = 0; };
        return h;
    }
};

bool breaksALimit(const std::vector<StringEntry> &rows)
{
    if (rows.size() > size_t(GxtLimits::MaxEntries))
        return true;
    return std::any_of(rows.begin(), rows.end(), [](const StringEntry &row) {
        return row.name.size() > GxtLimits::MaxNameLength || row.value.size() > GxtLimits::MaxValueLength;
    });
}

// What a save and a second read must give back for rows the reader produced.
std::vector<StringEntry> expectedAfterRoundTrip(std::vector<StringEntry> rows)
{
    for (StringEntry &row : rows) {
        const qsizetype cut = row.value.indexOf(QChar(0));
        if (cut >= 0)
            row.value.truncate(cut);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const StringEntry &a, const StringEntry &b) {
        return QString::compare(a.name, b.name, Qt::CaseSensitive) < 0;
    });
    return rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView input(reinterpret_cast<const char *>(data), qsizetype(size));

    GxtReader reader;
    std::vector<StringEntry> rows;
    ProgressCheck readProgress;
    if (!reader.read(input, rows, readProgress.hooks())) {
        if (reader.errorString().isEmpty())
            finding("the reader refused without a reason");
        return 0;
    }
    if (!reader.errorString().isEmpty())
        finding("the reader accepted but left an error", reader.errorString());

    bool holdsCodeZero = false;
    for (const StringEntry &row : rows) {
        if (row.name.contains(QChar(0)) || row.name.startsWith(QLatin1Char(' ')) || row.name.endsWith(QLatin1Char(' ')))
            finding("a name kept a zero or a surrounding space", row.name);
        if (row.name.size() > GxtLimits::MaxNameLength)
            finding("a name longer than its field", row.name);
        holdsCodeZero = holdsCodeZero || row.value.contains(QChar(0));
    }
    // A character of code 0 comes only from a unit 00 xx, which is always counted.
    if (holdsCodeZero && reader.alteredUnitCount() == 0)
        finding("a value holds code 0 but no unit was reported as altered");
    if ((reader.alteredUnitCount() == 0) != reader.alteredEntries().isEmpty())
        finding("altered units and altered entries disagree");

    GxtWriter writer;
    QByteArray written;
    ProgressCheck writeProgress;
    if (!writer.build(rows, written, writeProgress.hooks())) {
        if (writer.errorString().isEmpty())
            finding("the writer refused without a reason");
        if (!breaksALimit(rows))
            finding("the writer refused rows the reader gave it", writer.errorString());
        if (!written.isEmpty())
            finding("the writer refused but left bytes");
        return 0;
    }

    GxtReader again;
    std::vector<StringEntry> reread;
    if (!again.read(written, reread))
        finding("the writer's own file does not read back", again.errorString());
    if (again.alteredUnitCount() != 0)
        finding("the writer's own file has altered units");

    // When nothing was altered, this is exactly the rows read, only in writer order.
    if (reread != expectedAfterRoundTrip(rows))
        finding("the entries changed in a save and read");

    // The writer's file is a fixed point: writing what it reads back gives the same bytes.
    // Not so for a value that holds code 0: its first write keeps the characters behind
    // that early terminator as dead bytes, which the second read no longer sees.
    if (holdsCodeZero)
        return 0;
    QByteArray rewritten;
    if (!writer.build(reread, rewritten))
        finding("the writer refused its own file's entries", writer.errorString());
    if (rewritten != written)
        finding("a second save of the same entries wrote other bytes");
    return 0;
}
