// quillet-gxt: GXT tables from the command line, for scripts and version control.
#include "exchangeformats.h"
#include "fileio.h"
#include "gxtdocument.h"
#include "rawgxt.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTextStream>

#include <cstdio>
#include <optional>

using namespace quillet;

namespace {

enum ExitCode { Success = 0, BadInput = 1, BadUsage = 2 };

const char *const ToolName = "quillet-gxt";

void printError(const QString &file, const QString &reason)
{
    const QString line = file.isEmpty() ? QStringLiteral("%1: %2\n").arg(QLatin1String(ToolName), reason)
                                        : QStringLiteral("%1: %2: %3\n").arg(QLatin1String(ToolName), file, reason);
    std::fputs(line.toUtf8().constData(), stderr);
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
            printError(QStringLiteral("-"), in.errorString());
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

bool readRaw(const QString &path, RawDocument &raw)
{
    QByteArray data;
    if (!readFile(path, data))
        return false;
    const Result read = readGxt(data, raw);
    if (!read) {
        printError(path, read.errorString());
        return false;
    }
    return true;
}

bool readGxt(const QString &path, std::vector<StringEntry> &rows)
{
    RawDocument raw;
    if (!readRaw(path, raw))
        return false;
    const GxtLayout layout = raw.layout;
    GxtDocumentData data = decodeRawDocument(std::move(raw), *CharacterNumbering::defaultFor(layout), KeyNames());
    rows = std::move(data.tables.front().rows);
    return true;
}

std::optional<ExchangeFormat> chosenFormat(const QCommandLineParser &parser, const QString &pathForDefault, bool &bad)
{
    bad = false;
    if (parser.isSet(QStringLiteral("format"))) {
        const auto format = exchangeFormatFromName(parser.value(QStringLiteral("format")));
        bad = !format;
        return format;
    }
    return exchangeFormatFromPath(pathForDefault).value_or(ExchangeFormat::Txt);
}

int runExport(const QCommandLineParser &parser, const QStringList &args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("export takes one GXT file"));
    const QString output = parser.value(QStringLiteral("output"));
    bool bad = false;
    const auto format = chosenFormat(parser, output, bad);
    if (bad)
        return usageError(QStringLiteral("unknown format '%1'; use txt, csv or json").arg(parser.value(QStringLiteral("format"))));

    std::vector<StringEntry> rows;
    if (!readGxt(args[0], rows))
        return BadInput;
    ExchangeWriter writer;
    QByteArray text;
    if (!writer.write(rows, *format, text)) {
        printError(args[0], writer.errorString());
        return BadInput;
    }
    return writeOutput(output, text) ? Success : BadInput;
}

int runImport(const QCommandLineParser &parser, const QStringList &args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("import takes one source file"));
    const QString output = parser.value(QStringLiteral("output"));
    if (output.isEmpty() || output == QLatin1String("-"))
        return usageError(QStringLiteral("import needs the GXT file to write, given with -o"));
    bool bad = false;
    const auto format = chosenFormat(parser, args[0], bad);
    if (bad)
        return usageError(QStringLiteral("unknown format '%1'; use txt, csv or json").arg(parser.value(QStringLiteral("format"))));

    QByteArray source;
    if (!readFile(args[0], source))
        return BadInput;
    ExchangeReader reader;
    std::vector<StringEntry> rows;
    if (!reader.read(source, *format, rows)) {
        printError(args[0], reader.errorString());
        return BadInput;
    }
    GxtDocumentData data;
    data.tables.push_back({mainTableName(), std::move(rows)});
    RawDocument raw;
    Result built = encodeDocumentData(data, *CharacterNumbering::windows1252(), raw);
    QByteArray bytes;
    if (built)
        built = writeGxt(raw, bytes);
    if (!built) {
        printError(args[0], built.errorString());
        return BadInput;
    }
    return writeOutput(output, bytes) ? Success : BadInput;
}

int runCheck(const QStringList &args)
{
    if (args.size() != 1)
        return usageError(QStringLiteral("check takes one GXT file"));
    RawDocument raw;
    if (!readRaw(args[0], raw))
        return BadInput;
    qsizetype entries = 0;
    for (const RawTable &table : raw.tables)
        entries += qsizetype(table.entries.size());
    const QString summary = QStringLiteral("%1: %2 layout, %3 tables, %4 entries\n")
                                .arg(args[0], layoutName(raw.layout))
                                .arg(raw.tables.size())
                                .arg(entries);
    std::fputs(summary.toUtf8().constData(), stdout);
    return Success;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QLatin1String(ToolName));
    QCoreApplication::setApplicationVersion(QStringLiteral(QUILLET_VERSION_TEXT));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Reads, checks and builds GXT text tables.\n\n"
        "Commands:\n"
        "  export FILE.gxt [-o OUT] [--format txt|csv|json]\n"
        "      Write every entry, in record order. The format defaults to the extension of OUT, else txt.\n"
        "  import SOURCE -o OUT.gxt [--format txt|csv|json]\n"
        "      Build a GXT file from a txt, csv or json source (format from its extension, else txt).\n"
        "  check FILE.gxt\n"
        "      Print a one-line summary, or the reason the file is damaged.\n\n"
        "Exit status: 0 success, 1 damaged or invalid input, 2 wrong usage."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    parser.addOption({{QStringLiteral("o"), QStringLiteral("output")}, QStringLiteral("Write to <file>."),
                      QStringLiteral("file")});
    parser.addOption({QStringLiteral("format"), QStringLiteral("txt, csv or json."), QStringLiteral("format")});
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("export, import or check."));
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The file to read."));

    if (!parser.parse(QCoreApplication::arguments()))
        return usageError(parser.errorText());
    if (parser.isSet(helpOption)) {
        std::fputs(parser.helpText().toUtf8().constData(), stdout);
        return Success;
    }
    if (parser.isSet(versionOption)) {
        std::fputs(QStringLiteral("%1 %2\n").arg(QLatin1String(ToolName), QCoreApplication::applicationVersion()).toUtf8().constData(),
                   stdout);
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
    if (command == QLatin1String("check")) {
        if (parser.isSet(QStringLiteral("output")) || parser.isSet(QStringLiteral("format")))
            return usageError(QStringLiteral("check takes no -o or --format"));
        return runCheck(args);
    }
    return usageError(QStringLiteral("unknown command '%1'").arg(command));
}
