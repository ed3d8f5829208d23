// quillet-gxt: GXT files from the command line, for scripts and version control.
#include "characternumbering.h"
#include "entryrules.h"
#include "exchangeformats.h"
#include "fileio.h"
#include "gxtcheck.h"
#include "gxtdiff.h"
#include "gxtdocumentfile.h"
#include "gxtformat.h"
#include "hashevidence.h"
#include "hashtext.h"
#include "keyhash.h"
#include "keynames.h"
#include "layoutheader.h"
#include "numberingchoice.h"
#include "numberingfit.h"
#include "rawgxt.h"
#include "textcodecheck.h"
#include "translationexchange.h"
#include "translationstatus.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <cstdio>
#include <map>
#include <optional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace quillet;

namespace {

enum ExitCode { Success = 0, BadInput = 1, BadUsage = 2 };
// diff(1)'s convention: 0 the same, 1 different, 2 trouble.
enum DiffExit { Same = 0, Different = 1, Trouble = 2 };

const char *const ToolName = "quillet-gxt";

void printLine(FILE *stream, const QString &line)
{
    std::fputs((line + u'\n').toUtf8().constData(), stream);
}

void printError(const QString &file, const QString &reason)
{
    // A failure always says why, even where a lower layer gave no reason.
    const QString why = reason.isEmpty() ? QStringLiteral("the operation failed for an unknown reason") : reason;
    printLine(stderr, file.isEmpty() ? QStringLiteral("%1: %2").arg(QLatin1String(ToolName), why)
                                     : QStringLiteral("%1: %2: %3").arg(QLatin1String(ToolName), file, why));
}

int usageError(const QString &reason)
{
    printError(QString(), reason + QStringLiteral(" (see '%1 --help')").arg(QLatin1String(ToolName)));
    return BadUsage;
}

bool readFile(const QString &path, QByteArray &data)
{
    if (path == QLatin1String("-")) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly)) {
            printError(QStringLiteral("standard input"), in.errorString());
            return false;
        }
        data = in.readAll();
        return true;
    }
    const Result read = readFileBytes(path, data);
    if (!read) {
        printError(path, read.errorString());
        return false;
    }
    return true;
}

// Writes all or nothing: a failed write leaves an existing file as it was.
bool writeOutput(const QString &path, const QByteArray &data)
{
    if (path.isEmpty() || path == QLatin1String("-")) {
        QFile out;
        if (!out.open(stdout, QIODevice::WriteOnly) || out.write(data) != data.size() || !out.flush()) {
            printError(QStringLiteral("standard output"), out.errorString());
            return false;
        }
        return true;
    }
    const Result written = writeFileAtomically(path, data);
    if (!written) {
        printError(path, written.errorString());
        return false;
    }
    return true;
}

// Whether two names lead to one file, through symbolic and hard links alike.
bool sameFile(const QString &a, const QString &b)
{
    if (a == QLatin1String("-") || b == QLatin1String("-"))
        return false;
#ifdef Q_OS_UNIX
    struct stat sa {};
    struct stat sb {};
    if (stat(QFile::encodeName(a).constData(), &sa) == 0 && stat(QFile::encodeName(b).constData(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
#endif
    const QString ca = QFileInfo(a).canonicalFilePath();
    return !ca.isEmpty() && ca == QFileInfo(b).canonicalFilePath();
}

// --charmap and --names, read once and applied to whatever format the file at hand has.
class Reading
{
public:
    // False, having said why, when a file the options name cannot be read.
    bool load(const QCommandLineParser &parser)
    {
        m_charmap = parser.value(QStringLiteral("charmap"));
        if (NumberingChoice::isMapFile(m_charmap) && !readFile(m_charmap, m_mapText))
            return false;
        const QString namesPath = parser.value(QStringLiteral("names"));
        if (!namesPath.isEmpty()) {
            QByteArray text;
            if (!readFile(namesPath, text))
                return false;
            const Result parsed = KeyNames::fromText(text, m_names);
            if (!parsed) {
                printError(namesPath, parsed.errorString());
                return false;
            }
            m_hasNames = true;
            for (const QString &warning : parsed.warnings())
                printError(namesPath, QStringLiteral("warning: ") + warning);
        }
        if (parser.isSet(QStringLiteral("hash"))) {
            m_hash = KeyHash::byId(parser.value(QStringLiteral("hash")));
            if (!m_hash) {
                usageError(QStringLiteral("unknown hash '%1'; use crc32 or one-at-a-time").arg(parser.value(QStringLiteral("hash"))));
                m_badUsage = true;
                return false;
            }
        }
        m_salvage = parser.isSet(QStringLiteral("salvage"));
        return true;
    }
    bool badUsage() const { return m_badUsage; }
    bool salvage() const { return m_salvage; }
    const KeyHash *hash() const { return m_hash; }

    // The hash a file's keys are read by: the one asked for, else what the evidence says.
    void chooseHash(RawDocument &raw) const
    {
        if (!raw.format->storesHashes())
            return;
        raw.hash = m_hash ? m_hash : &chooseKeyHash(raw, m_hasNames ? &m_names : nullptr);
    }

    // The numbering of a file of this format; nothing, having said why, when the map is
    // malformed. A map lists what differs from the format's own numbering.
    std::shared_ptr<const CharacterNumbering> numbering(const GxtFormat &format, const KeyHash *hash)
    {
        const auto key = std::pair(&format, format.traits().gameByHash ? hash : nullptr);
        const auto cached = m_numberings.find(key);
        if (cached != m_numberings.end())
            return cached->second;
        std::shared_ptr<const CharacterNumbering> made;
        const Result resolved = NumberingChoice::isMapFile(m_charmap)
            ? NumberingChoice::resolveMap(m_charmap, m_mapText, format, made, hash)
            : NumberingChoice::resolve(m_charmap, format, made, hash);
        if (!resolved) {
            if (!m_mapFailed)
                printError(QString(), resolved.errorString());
            m_mapFailed = true;
            return nullptr;
        }
        m_numberings[key] = made;
        return made;
    }
    bool mapFailed() const { return m_mapFailed; }

    const KeyNames &names() const { return m_names; }

private:
    QString m_charmap;
    QByteArray m_mapText;
    std::map<std::pair<const GxtFormat *, const KeyHash *>, std::shared_ptr<const CharacterNumbering>> m_numberings;
    bool m_mapFailed = false;
    KeyNames m_names;
    bool m_hasNames = false;
    const KeyHash *m_hash = nullptr;
    bool m_badUsage = false;
    bool m_salvage = false;
};

// A file read a window at a time, or standard input ("-") read whole. Entries that point
// outside their table's texts are left out only when asked (--salvage), and said; otherwise
// the read fails as any damage does, and says that --salvage would open the file.
Result readWhole(const QString &path, RawDocument &raw, const Reading &reading, ReadOptions options = {})
{
    // Standard input is read once, however often its file is read.
    static std::optional<QByteArray> input;
    if (path == QLatin1String("-") && !input) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            return Result::failure(in.errorString());
        input = in.readAll();
    }
    auto read = [&](const ReadOptions &with) {
        return path == QLatin1String("-") ? readGxt(*input, raw, {}, with) : readGxtFile(path, raw, {}, with);
    };
    SalvageReport salvage;
    options.salvage = reading.salvage() ? &salvage : nullptr;
    Result result = read(options);
    if (result && salvage.total() > 0)
        result.addWarning(QStringLiteral("left out: ") + salvage.description());
    if (result || reading.salvage())
        return result;
    // Whether the damage is only entries outside their texts, which --salvage can leave out.
    // The inspector has seen the failed read's texts; the second read shows it none.
    options.salvage = &salvage;
    options.inspector = nullptr;
    const bool salvageable = read(options) && salvage.total() > 0;
    raw = RawDocument();
    if (!salvageable)
        return result;
    return Result::failure(result.errorString()
                           + QStringLiteral(" (with --salvage the file opens without the %1 that point outside their texts)")
                                 .arg(salvage.total() == 1 ? QStringLiteral("entry") : QStringLiteral("%1 entries").arg(salvage.total())));
}

bool readRaw(const QString &path, const Reading &reading, RawDocument &raw, QStringList *warnings = nullptr)
{
    const Result read = readWhole(path, raw, reading);
    if (!read) {
        printError(path, read.errorString());
        return false;
    }
    reading.chooseHash(raw);
    if (warnings)
        *warnings = read.warnings();
    return true;
}

// A GXT file and how the user reads it, through the options' numbering and names.
struct ReadDocument {
    RawDocument raw;
    std::shared_ptr<const CharacterNumbering> numbering;
    const KeyNames *names = nullptr;
    EntryRules rules() const { return EntryRules::of(raw, *numbering, names); }
};

bool readDocument(const QString &path, Reading &reading, ReadDocument &document, QStringList *warnings = nullptr)
{
    if (!readRaw(path, reading, document.raw, warnings))
        return false;
    document.numbering = reading.numbering(*document.raw.format, document.raw.hash);
    document.names = &reading.names();
    return document.numbering != nullptr;
}

QString countOf(qsizetype n, const char *one, const char *many)
{
    return QStringLiteral("%1 %2").arg(n).arg(QLatin1String(n == 1 ? one : many));
}

std::optional<ExchangeFormat> formatOption(const QCommandLineParser &parser, bool &bad)
{
    bad = false;
    if (!parser.isSet(QStringLiteral("format")))
        return std::nullopt;
    const auto format = exchangeFormatFromName(parser.value(QStringLiteral("format")));
    bad = !format;
    return format;
}

int unknownFormat(const QCommandLineParser &parser)
{
    return usageError(QStringLiteral("unknown format '%1'; use txt, csv or json").arg(parser.value(QStringLiteral("format"))));
}

// A GXT file and its reference, each read as the options say: lint and the exports for
// translators. False, having said why, when either cannot be read.
bool readWithReference(const QCommandLineParser &parser, Reading &reading, const QString &input,
                       ReadDocument &document, std::optional<ReadDocument> &reference)
{
    QStringList warnings;
    if (!readDocument(input, reading, document, &warnings))
        return false;
    for (const QString &warning : std::as_const(warnings))
        printError(input, QStringLiteral("warning: ") + warning);
    if (!parser.isSet(QStringLiteral("reference")))
        return true;
    reference.emplace();
    return readDocument(parser.value(QStringLiteral("reference")), reading, *reference);
}

TranslationStatus statusOf(ReadDocument &&reference, const RawDocument &document, const KeyNames *names)
{
    TranslationStatus status(std::move(reference.raw), reference.numbering, names);
    status.setDocument(*document.format, document.hash);
    return status;
}

int runTranslationExport(const QCommandLineParser &parser, const QString &input, const QString &output,
                         TranslationFormat format)
{
    if (parser.isSet(QStringLiteral("format")))
        return usageError(QStringLiteral("the output %1 names its form by its extension; leave out --format").arg(output));
    if (sameFile(input, output))
        return usageError(QStringLiteral("the output %1 is the input file itself").arg(output));
    Reading reading;
    if (!reading.load(parser))
        return reading.badUsage() ? BadUsage : BadInput;
    ReadDocument document;
    std::optional<ReadDocument> reference;
    if (!readWithReference(parser, reading, input, document, reference))
        return BadInput;
    std::optional<TranslationStatus> status;
    if (reference)
        status.emplace(statusOf(std::move(*reference), document.raw, &reading.names()));
    QByteArray bytes;
    const Result written = writeTranslation(format, document.raw, document.rules(), status ? &*status : nullptr, bytes);
    if (!written) {
        printError(input, written.errorString());
        return BadInput;
    }
    return writeOutput(output, bytes) ? Success : BadInput;
}

int runExport(const QCommandLineParser &parser, const QStringList &args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("export takes one GXT file"));
    const QString &input = args[0];
    const QString output = parser.value(QStringLiteral("output"));
    if (const std::optional<TranslationFormat> translation = translationFormatFromPath(output))
        return runTranslationExport(parser, input, output, *translation);
    if (parser.isSet(QStringLiteral("reference")))
        return usageError(QStringLiteral("--reference goes with an export to .po, .pot, .xlf or .xliff"));
    bool bad = false;
    std::optional<ExchangeFormat> format = formatOption(parser, bad);
    if (bad)
        return unknownFormat(parser);
    // The output's extension names its form: a name that would read as another kind of file
    // (table.gxt, say) is refused rather than filled with text.
    if (!output.isEmpty() && output != QLatin1String("-")) {
        const QString suffix = QFileInfo(output).suffix();
        const std::optional<ExchangeFormat> named = exchangeFormatFromName(suffix);
        if (!suffix.isEmpty() && !named) {
            return usageError(QStringLiteral("the output %1 has the extension .%2; export writes a .txt, .csv or .json "
                                             "file")
                                  .arg(output, suffix));
        }
        if (named && format && *named != *format) {
            return usageError(QStringLiteral("the output %1 has the extension .%2, which does not fit --format %3")
                                  .arg(output, suffix, exchangeFormatName(*format)));
        }
        if (named)
            format = named;
        if (sameFile(input, output))
            return usageError(QStringLiteral("the output %1 is the input file itself").arg(output));
    }

    Reading reading;
    if (!reading.load(parser))
        return reading.badUsage() ? BadUsage : BadInput;
    ReadDocument document;
    QStringList warnings;
    if (!readDocument(input, reading, document, &warnings))
        return BadInput;
    for (const QString &warning : std::as_const(warnings))
        printError(input, QStringLiteral("warning: ") + warning);
    QByteArray text;
    const Result written = writeExchange(document.raw, document.rules(), format.value_or(ExchangeFormat::Txt), text);
    if (!written) {
        printError(input, written.errorString());
        return BadInput;
    }
    return writeOutput(output, text) ? Success : BadInput;
}

// Translations written back into a copy of a GXT file: every entry the source does not
// mention stays as it was, and nothing is written unless every message can be stored.
int runTranslationImport(const QCommandLineParser &parser, const QString &source, const QString &output,
                         TranslationFormat format)
{
    const QString into = parser.value(QStringLiteral("into"));
    if (into.isEmpty())
        return usageError(QStringLiteral("an import of %1 needs the GXT file it translates, given with --into").arg(source));
    if (sameFile(source, output) || sameFile(into, output))
        return usageError(QStringLiteral("the output %1 is one of the files read; write to a new file").arg(output));
    Reading reading;
    if (!reading.load(parser))
        return reading.badUsage() ? BadUsage : BadInput;
    ReadDocument document;
    QStringList warnings;
    if (!readDocument(into, reading, document, &warnings))
        return BadInput;
    QByteArray text;
    if (!readFile(source, text))
        return BadInput;
    std::vector<TranslatedText> texts;
    std::vector<TranslationChange> changes;
    Result done = readTranslation(format, text, source, texts);
    if (done)
        done = placeTranslations(texts, source, document.raw, document.rules(), changes);
    if (!done) {
        printError(QString(), done.errorString());
        return BadInput;
    }
    applyTranslationChanges(document.raw, changes);
    QByteArray bytes;
    const Result built = writeGxt(document.raw, bytes);
    if (!built) {
        printError(into, built.errorString());
        return BadInput;
    }
    const RawDocument expected = inWriterOrder(document.raw);
    const Result written = writeFileAtomically(output, bytes, [&](const QByteArray &back) { return verifyGxt(back, expected); });
    if (!written) {
        printError(output, written.errorString());
        return BadInput;
    }
    return Success;
}

int runImport(const QCommandLineParser &parser, const QStringList &args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("import takes one source file"));
    const QString &source = args[0];
    const QString output = parser.value(QStringLiteral("output"));
    if (output.isEmpty() || output == QLatin1String("-"))
        return usageError(QStringLiteral("import needs the GXT file to write, given with -o"));
    if (const std::optional<TranslationFormat> translation = translationFormatFromPath(source))
        return runTranslationImport(parser, source, output, *translation);
    if (parser.isSet(QStringLiteral("into")))
        return usageError(QStringLiteral("--into goes with an import of .po, .pot, .xlf or .xliff"));
    bool bad = false;
    const std::optional<ExchangeFormat> chosen = formatOption(parser, bad);
    if (bad)
        return unknownFormat(parser);
    const ExchangeFormat format = chosen.value_or(exchangeFormatFromPath(source).value_or(ExchangeFormat::Txt));
    if (const auto named = exchangeFormatFromPath(output)) {
        return usageError(QStringLiteral("the output %1 has the extension of the %2 form; import writes a GXT file")
                              .arg(output, exchangeFormatName(*named)));
    }
    if (sameFile(source, output))
        return usageError(QStringLiteral("the output %1 is the source file itself").arg(output));

    Reading reading;
    if (!reading.load(parser))
        return reading.badUsage() ? BadUsage : BadInput;
    QByteArray text;
    if (!readFile(source, text))
        return BadInput;
    RawDocument raw;
    std::shared_ptr<const CharacterNumbering> numbering;
    const Result read = readExchange(text, format, raw, [&](const GxtFormat &f, const KeyHash *hash) { return reading.numbering(f, hash); }, &numbering);
    if (reading.mapFailed())
        return BadInput;
    if (!read) {
        printError(source, read.errorString());
        return BadInput;
    }
    QByteArray bytes;
    const Result built = writeGxt(raw, bytes);
    if (!built) {
        printError(source, built.errorString());
        return BadInput;
    }
    const CheckReport report = checkDocument(inWriterOrder(raw), EntryRules::of(raw, *numbering, &reading.names()));
    for (const QString &warning : report.warnings)
        printError(source, QStringLiteral("warning: ") + warning);
    return writeOutput(output, bytes) ? Success : BadInput;
}

int runCheck(const QCommandLineParser &parser, const QStringList &args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("check takes one GXT file"));
    if (parser.isSet(QStringLiteral("output")) || parser.isSet(QStringLiteral("format")))
        return usageError(QStringLiteral("check takes no -o or --format"));
    const QString &path = args[0];
    Reading reading;
    if (!reading.load(parser))
        return reading.badUsage() ? BadUsage : BadInput;
    // The check looks at every text once as the reader reads it, and keeps none: a file is
    // read a window at a time, and its texts never all stand in memory.
    ReadDocument document;
    document.names = &reading.names();
    std::optional<EscapeCounter> escapes;
    auto readInspected = [&](const KeyHash *hash) {
        escapes.emplace(document.raw, [&reading, hash](const GxtFormat &format, const KeyHash *own) {
            return reading.numbering(format, hash ? hash : own);
        });
        ReadOptions options;
        options.inspector = &*escapes;
        return readWhole(path, document.raw, reading, options);
    };
    Result read = readInspected(nullptr);
    if (!read) {
        printError(path, read.errorString());
        return BadInput;
    }
    // The hash is known only once every key is; where it changes the numbering the texts
    // are shown in, they are looked at again under that one.
    const KeyHash *readBy = document.raw.hash;
    reading.chooseHash(document.raw);
    const KeyHash *chosen = document.raw.hash;
    if (reading.numbering(*document.raw.format, chosen) != reading.numbering(*document.raw.format, readBy)) {
        read = readInspected(chosen);
        if (!read) {
            printError(path, read.errorString());
            return BadInput;
        }
        document.raw.hash = chosen;
    }
    document.numbering = reading.numbering(*document.raw.format, document.raw.hash);
    if (!document.numbering)
        return BadInput;
    QStringList warnings = read.warnings();
    const EntryRules rules = document.rules();
    std::vector<const RawTable *> tables;
    for (const RawTable &table : document.raw.tables)
        tables.push_back(&table);
    CheckReport report = checkDocument(*document.raw.format, tables, rules, false);
    escapes->reportInto(report, rules);
    warnings += report.warnings;

    const RawDocument &raw = document.raw;
    const GxtFormat &format = *raw.format;
    QStringList parts{format.game(raw.hash), QStringLiteral("%1 layout").arg(format.layoutWord()),
                      QStringLiteral("%1-bit texts").arg(raw.bits)};
    if (format.traits().single)
        parts[1] += QStringLiteral(" (one table)");
    if (format.traits().bigEndian)
        parts[1] += QStringLiteral(" (big-endian)");
    if (format.traits().encoding == TextEncoding::Utf8)
        parts[2] = QStringLiteral("UTF-8 texts");
    if (format.storesHashes() && raw.hash)
        parts.append(QStringLiteral("keys by the %1 hash").arg(raw.hash->id()));
    parts.append(QStringLiteral("numbering %1").arg(document.numbering->title()));
    parts.append(countOf(qsizetype(raw.tables.size()), "table", "tables"));
    parts.append(countOf(report.entries, "entry", "entries"));
    printLine(stdout, QStringLiteral("%1: %2").arg(path, parts.join(QStringLiteral(", "))));
    for (const QString &warning : std::as_const(warnings))
        printError(path, QStringLiteral("warning: ") + warning);
    const QString note = report.escapeNote(rules);
    if (!note.isEmpty())
        printError(path, QStringLiteral("note: ") + note);
    return Success;
}

int runDiff(const QCommandLineParser &parser, const QStringList &args)
{
    if (args.size() != 2) {
        usageError(QStringLiteral("diff takes two GXT files"));
        return Trouble;
    }
    if (parser.isSet(QStringLiteral("output")) || parser.isSet(QStringLiteral("format"))) {
        usageError(QStringLiteral("diff takes no -o or --format"));
        return Trouble;
    }
    Reading reading;
    if (!reading.load(parser))
        return Trouble;
    ReadDocument before;
    ReadDocument after;
    if (!readDocument(args[0], reading, before) || !readDocument(args[1], reading, after))
        return Trouble;
    const std::vector<GxtDifference> differences =
        diffDocuments(before.raw, before.rules(), after.raw, after.rules());
    const bool showTables = before.raw.format->hasTables() || after.raw.format->hasTables();
    QString text;
    for (const GxtDifference &difference : differences)
        text += formatDifference(difference, showTables) + u'\n';
    if (!writeOutput(QString(), text.toUtf8()))
        return Trouble;
    return differences.empty() ? Same : Different;
}

int runLint(const QCommandLineParser &parser, const QStringList &args)
{
    if (args.size() != 1) {
        usageError(QStringLiteral("lint takes one GXT file"));
        return Trouble;
    }
    if (parser.isSet(QStringLiteral("output")) || parser.isSet(QStringLiteral("format"))) {
        usageError(QStringLiteral("lint takes no -o or --format"));
        return Trouble;
    }
    Reading reading;
    if (!reading.load(parser))
        return Trouble;
    ReadDocument document;
    std::optional<ReadDocument> reference;
    if (!readWithReference(parser, reading, args[0], document, reference))
        return Trouble;
    std::optional<TranslationStatus> status;
    if (reference)
        status.emplace(statusOf(std::move(*reference), document.raw, &reading.names()));
    const EntryRules rules = document.rules();
    const TextCodeCheck check = TextCodeCheck::of(*document.raw.format, document.raw.hash);
    QString text;
    int problems = 0;
    for (const RawTable &table : document.raw.tables) {
        const RawTable *theirs = status ? status->referenceTable(table.name) : nullptr;
        QHash<QString, int> seen;
        for (int row = 0; row < int(table.entries.size()); ++row) {
            const StringEntry &entry = table.entries[size_t(row)];
            const int occurrence = ++seen[rules.keyText(entry)];
            const StringEntry *original = status ? status->referenceEntry(theirs, entry) : nullptr;
            std::optional<QStringView> against;
            if (original)
                against = QStringView(original->units);
            for (const TextProblem &problem : check.checkUnits(entry.units, against)) {
                text += translationContext(rules, table, row, occurrence) + QStringLiteral(": ") + problem.message + u'\n';
                ++problems;
            }
        }
    }
    if (!writeOutput(QString(), text.toUtf8()))
        return Trouble;
    return problems == 0 ? Same : Different;
}

int runHash(const QCommandLineParser &parser, const QStringList &args)
{
    if (args.isEmpty())
        return usageError(QStringLiteral("hash takes one or more key names"));
    const QString hashId = parser.isSet(QStringLiteral("hash")) ? parser.value(QStringLiteral("hash")) : QStringLiteral("crc32");
    const KeyHash *hash = KeyHash::byId(hashId);
    if (!hash)
        return usageError(QStringLiteral("unknown hash '%1'; use crc32 or one-at-a-time").arg(hashId));
    QString text;
    for (const QString &name : args) {
        const QString problem = NameRule::whyNotAHashedName(name);
        if (!problem.isEmpty()) {
            printError(QString(), QStringLiteral("\"%1\" is not a key name: %2").arg(name.left(40), problem));
            return BadInput;
        }
        text += QStringLiteral("%1 %2\n").arg(name.toUpper(), hashText((*hash)(name.toLatin1())));
    }
    return writeOutput(QString(), text.toUtf8()) ? Success : BadInput;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QLatin1String(ToolName));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION_TEXT));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads, checks, compares and builds the GXT text tables of every game of the series:\n"
        "flat, tabled, hashed (with CRC-32 or one-at-a-time keys, of tables or of one table) and\n"
        "GXT2, in either byte order.\n\n"
        "Commands:\n"
        "  export FILE [-o OUT] [--format txt|csv|json] [--salvage]\n"
        "      Write every table and entry, in record order, to OUT or standard output. The form\n"
        "      follows OUT's extension (.txt, .csv, .json; any other is refused), else --format,\n"
        "      else txt.\n"
        "  import SOURCE -o OUT.gxt [--format txt|csv|json]\n"
        "      Build a GXT file in the layout, width and hash the source names. The source's\n"
        "      form is --format, else its extension, else txt. OUT may not have a text form's\n"
        "      extension.\n"
        "  check FILE [--salvage]\n"
        "      Print 'FILE: GAME, LAYOUT layout, BITS-bit texts, keys by the HASH hash, numbering\n"
        "      NUMBERING, N tables, M entries', or why the file is damaged. Warnings about what\n"
        "      the game would trip on go to standard error.\n"
        "  diff A B\n"
        "      Print what differs, one line each: 'layout: ...', 'table added: T, N entries',\n"
        "      'table removed: ...', 'added: T/KEY = \"value\"', 'removed: ...',\n"
        "      'changed: T/KEY = \"old\" -> \"new\"'. Exit status 0 same, 1 different, 2 trouble.\n"
        "  lint FILE [--reference REF]\n"
        "      Print 'T/KEY: problem' ('KEY: ...' for a file of one table) for every text the game\n"
        "      may trip on: an unbalanced ~, a code the game does not know, whitespace at the ends,\n"
        "      a text longer than the game draws, and with --reference codes that differ from the\n"
        "      reference's text of the same table and key. Exit status 0 clean, 1 problems, 2\n"
        "      trouble.\n"
        "  export FILE [--reference REF] -o OUT.po|OUT.pot|OUT.xlf\n"
        "      Write the texts for translators: gettext PO or XLIFF 1.2, one message per entry,\n"
        "      its context 'T/KEY', its source REF's text (FILE's own without --reference or in\n"
        "      a .pot) and its translation FILE's text where it differs from REF's.\n"
        "  import IN.po|IN.xlf --into FILE -o OUT.gxt\n"
        "      Write FILE with the translations of IN put in by context; entries IN does not\n"
        "      mention stay as they are. Refused, writing nothing, at a message FILE cannot hold.\n"
        "  hash [--hash crc32|one-at-a-time] NAME...\n"
        "      Print 'NAME #XXXXXXXX' for each name: the key a hashed file stores for it\n"
        "      (CRC-32, the third game's, unless --hash says otherwise).\n\n"
        "A hashed file's keys are read by the hash --hash names, else by the one the evidence\n"
        "shows (the --names list, else keys named after the file's tables).\n\n"
        "Text forms (UTF-8). A flat file: txt '[NAME]' then the value line; csv 'name,value';\n"
        "json [{\"name\", \"value\"}...]. Any other file names its layout first: txt\n"
        "'{layout hashed 8 crc32}', csv 'layout,hashed,8,crc32', json {\"layout\", \"bits\",\n"
        "\"hash\", \"tables\": [{\"name\", \"entries\": [...]}...]}; 'single' (json \"single\": true)\n"
        "marks the fourth game's files of one table and 'big-endian' (json \"byte-order\": \"big\")\n"
        "the consoles' GXT2. Files of tables put '{table NAME}' (csv: a first column) before\n"
        "each table's entries.\n\n"
        "Exit status: 0 success, 1 damaged or invalid input, 2 wrong usage. No command writes\n"
        "over the file it reads."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    parser.addOption({{QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("Write to <file>."),
                      QStringLiteral("file")});
    parser.addOption({QStringLiteral("format"), QStringLiteral("txt, csv or json."), QStringLiteral("format")});
    parser.addOption({QStringLiteral("charmap"),
                      QStringLiteral("How text units read as characters: western (the game's Western European "
                                     "font), windows-1252, unicode (the fourth and fifth games), russian-mobile, or "
                                     "a map file (UUUU=GGGG lines or a 14x16 grid) over the layout's default. "
                                     "Default: unicode for GXT2, western for the others."),
                      QStringLiteral("map")});
    parser.addOption({QStringLiteral("names"),
                      QStringLiteral("A list of key names, one a line, to show hashed keys by name; other hashed "
                                     "keys show as #XXXXXXXX."),
                      QStringLiteral("file")});
    parser.addOption({QStringLiteral("hash"),
                      QStringLiteral("The hash hashed keys are read by: crc32 (the third game) or one-at-a-time "
                                     "(the fourth and fifth)."),
                      QStringLiteral("hash")});
    parser.addOption({QStringLiteral("salvage"),
                      QStringLiteral("Read a damaged file without the entries that point outside their texts, "
                                     "saying which were left out (export, check).")});
    parser.addOption({QStringLiteral("reference"),
                      QStringLiteral("The original-language GXT file a translation is checked and exported against "
                                     "(lint, export to .po or .xlf)."),
                      QStringLiteral("file")});
    parser.addOption({QStringLiteral("into"),
                      QStringLiteral("The GXT file an import of .po or .xlf puts its translations into."),
                      QStringLiteral("file")});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("export, import, check, diff, lint or hash."));
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The file(s) to read."));

    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        std::fputs(parser.helpText().toUtf8().constData(), stdout);
        return Success;
    }
    if (parser.isSet(versionOption)) {
        printLine(stdout, QStringLiteral("%1 %2").arg(QLatin1String(ToolName), QCoreApplication::applicationVersion()));
        return Success;
    }

    QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return usageError(QStringLiteral("no command given"));
    const QString command = args.takeFirst();
    if (command == QLatin1String("export"))
        return runExport(parser, args);
    if (command == QLatin1String("import"))
        return runImport(parser, args);
    if (command == QLatin1String("check"))
        return runCheck(parser, args);
    if (command == QLatin1String("diff"))
        return runDiff(parser, args);
    if (command == QLatin1String("hash"))
        return runHash(parser, args);
    if (command == QLatin1String("lint"))
        return runLint(parser, args);
    return usageError(QStringLiteral("unknown command '%1'").arg(command));
}
