// quillet-gxt: GXT files from the command line, for scripts and version control.
#include "characternumbering.h"
#include "entryrules.h"
#include "exchangeformats.h"
#include "fileio.h"
#include "gxtcheck.h"
#include "gxtdiff.h"
#include "gxtformat.h"
#include "keynames.h"
#include "numberingchoice.h"
#include "rawgxt.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

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
        }
        return true;
    }

    // The numbering of a file of this format; nothing, having said why, when the map is
    // malformed. A map lists what differs from the format's own numbering.
    std::shared_ptr<const CharacterNumbering> numbering(const GxtFormat &format)
    {
        const auto cached = m_numberings.find(&format);
        if (cached != m_numberings.end())
            return cached->second;
        std::shared_ptr<const CharacterNumbering> made;
        const Result resolved = NumberingChoice::isMapFile(m_charmap)
            ? NumberingChoice::resolveMap(m_charmap, m_mapText, format, made)
            : NumberingChoice::resolve(m_charmap, format, made);
        if (!resolved) {
            if (!m_mapFailed)
                printError(QString(), resolved.errorString());
            m_mapFailed = true;
            return nullptr;
        }
        m_numberings[&format] = made;
        return made;
    }
    bool mapFailed() const { return m_mapFailed; }

    const KeyNames &names() const { return m_names; }

private:
    QString m_charmap;
    QByteArray m_mapText;
    std::map<const GxtFormat *, std::shared_ptr<const CharacterNumbering>> m_numberings;
    bool m_mapFailed = false;
    KeyNames m_names;
};

bool readRaw(const QString &path, RawDocument &raw, QStringList *warnings = nullptr)
{
    QByteArray data;
    if (!readFile(path, data))
        return false;
    const Result read = readGxt(data, raw);
    if (!read) {
        printError(path, read.errorString());
        return false;
    }
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
    if (!readRaw(path, document.raw, warnings))
        return false;
    document.numbering = reading.numbering(*document.raw.format);
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

int runExport(const QCommandLineParser &parser, const QStringList &args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("export takes one GXT file"));
    const QString &input = args[0];
    const QString output = parser.value(QStringLiteral("output"));
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
        return BadInput;
    ReadDocument document;
    if (!readDocument(input, reading, document))
        return BadInput;
    QByteArray text;
    const Result written = writeExchange(document.raw, document.rules(), format.value_or(ExchangeFormat::Txt), text);
    if (!written) {
        printError(input, written.errorString());
        return BadInput;
    }
    return writeOutput(output, text) ? Success : BadInput;
}

int runImport(const QCommandLineParser &parser, const QStringList &args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("import takes one source file"));
    const QString &source = args[0];
    const QString output = parser.value(QStringLiteral("output"));
    if (output.isEmpty() || output == QLatin1String("-"))
        return usageError(QStringLiteral("import needs the GXT file to write, given with -o"));
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
        return BadInput;
    QByteArray text;
    if (!readFile(source, text))
        return BadInput;
    RawDocument raw;
    std::shared_ptr<const CharacterNumbering> numbering;
    const Result read = readExchange(text, format, raw, [&](const GxtFormat &f) { return reading.numbering(f); }, &numbering);
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
        return BadInput;
    // The check looks at every text once as the reader reads it, and keeps none: a file is
    // read a window at a time, and its texts never all stand in memory.
    ReadDocument document;
    document.names = &reading.names();
    EscapeCounter escapes(document.raw, [&reading](const GxtFormat &format) { return reading.numbering(format); });
    Result read;
    if (path == QLatin1String("-")) {
        QByteArray data;
        if (!readFile(path, data))
            return BadInput;
        read = readGxt(data, document.raw, {}, &escapes);
    } else {
        read = readGxtFile(path, document.raw, {}, &escapes);
    }
    if (!read) {
        printError(path, read.errorString());
        return BadInput;
    }
    document.numbering = reading.numbering(*document.raw.format);
    if (!document.numbering)
        return BadInput;
    QStringList warnings = read.warnings();
    const EntryRules rules = document.rules();
    std::vector<const RawTable *> tables;
    for (const RawTable &table : document.raw.tables)
        tables.push_back(&table);
    CheckReport report = checkDocument(*document.raw.format, tables, rules, false);
    escapes.reportInto(report, rules);
    warnings += report.warnings;

    const RawDocument &raw = document.raw;
    printLine(stdout, QStringLiteral("%1: %2 layout, %3-bit texts, %4, %5")
                          .arg(path, raw.format->id(), QString::number(raw.bits),
                               countOf(qsizetype(raw.tables.size()), "table", "tables"),
                               countOf(report.entries, "entry", "entries")));
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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QLatin1String(ToolName));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION_TEXT));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads, checks, compares and builds GXT text tables of every layout (flat, tabled, hashed).\n\n"
        "Commands:\n"
        "  export FILE.gxt [-o OUT] [--format txt|csv|json]\n"
        "      Write every table and entry, in record order, to OUT or standard output. The form\n"
        "      follows OUT's extension (.txt, .csv, .json; any other is refused), else --format,\n"
        "      else txt.\n"
        "  import SOURCE -o OUT.gxt [--format txt|csv|json]\n"
        "      Build a GXT file in the layout and width the source names. The source's form is\n"
        "      --format, else its extension, else txt. OUT may not have a text form's extension.\n"
        "  check FILE.gxt\n"
        "      Print 'FILE: LAYOUT layout, BITS-bit texts, N tables, M entries', or why the file\n"
        "      is damaged. Warnings about what the game would trip on go to standard error.\n"
        "  diff A.gxt B.gxt\n"
        "      Print what differs, one line each: 'layout: ...', 'table added: T, N entries',\n"
        "      'table removed: ...', 'added: T/KEY = \"value\"', 'removed: ...',\n"
        "      'changed: T/KEY = \"old\" -> \"new\"'. Exit status 0 same, 1 different, 2 trouble.\n\n"
        "Text forms (UTF-8). A flat file: txt '[NAME]' then the value line; csv 'name,value';\n"
        "json [{\"name\", \"value\"}...]. A file of tables: txt starts '{layout hashed 8}' and\n"
        "puts '{table NAME}' before each table; csv starts 'layout,hashed,8' then\n"
        "'table,name,value', a table without entries as its name alone; json\n"
        "{\"layout\", \"bits\", \"tables\": [{\"name\", \"entries\": [...]}...]}.\n\n"
        "Exit status: 0 success, 1 damaged or invalid input, 2 wrong usage. No command writes\n"
        "over the file it reads."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    parser.addOption({{QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("Write to <file>."),
                      QStringLiteral("file")});
    parser.addOption({QStringLiteral("format"), QStringLiteral("txt, csv or json."), QStringLiteral("format")});
    parser.addOption({QStringLiteral("charmap"),
                      QStringLiteral("How text units read as characters: windows-1252, western, or a map file "
                                     "(UUUU=GGGG lines or a 14x16 grid) over the layout's default. Default: "
                                     "windows-1252 for flat files, western for the others."),
                      QStringLiteral("map")});
    parser.addOption({QStringLiteral("names"),
                      QStringLiteral("A list of key names, one a line, to show hashed keys by name; other hashed "
                                     "keys show as #XXXXXXXX."),
                      QStringLiteral("file")});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("export, import, check or diff."));
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
    return usageError(QStringLiteral("unknown command '%1'").arg(command));
}
