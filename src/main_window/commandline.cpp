#include "commandline.h"

#include "appidentity.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace quillet {

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    // "-reverse" and the like are Qt's own options, not bundles of one-letter ones.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(QStringLiteral("Edits GXT files, the text tables from which a game "
                                                    "draws its lines of text."));
    // Not addHelpOption(): its --help-all would list Qt's options, which this parser, run
    // before the window system starts, cannot print.
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Displays this help."));
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("The GXT file to open."),
                                 QStringLiteral("[file]"));
    const bool parsed = parser.parse(arguments);

    const QString program = QString::fromLatin1(AppIdentity::ExecutableName);
    CommandLine result;
    if (parser.isSet(version)) {
        result.action = CommandLine::ShowVersion;
        result.text = program + QLatin1Char(' ') + QString::fromLatin1(AppIdentity::Version) + QLatin1Char('\n');
    } else if (parser.isSet(help)) {
        result.action = CommandLine::ShowHelp;
        // Qt names the program by the path it was started from, or not at all before the
        // application object exists; the usage line names it as users type it.
        const QString text = parser.helpText();
        result.text = QStringLiteral("Usage: %1 [options] [file]").arg(program) + text.mid(text.indexOf(QLatin1Char('\n')));
    } else if (!parsed) {
        result.action = CommandLine::Fail;
        result.text = program + QStringLiteral(": ") + parser.errorText() + QLatin1Char('\n');
    } else if (parser.positionalArguments().size() > 1) {
        result.action = CommandLine::Fail;
        result.text = program + QStringLiteral(": expected at most one file, got %1\n")
                                    .arg(parser.positionalArguments().size());
    } else {
        result.argument = parser.positionalArguments().value(0);
    }
    return result;
}

StartupFile resolveStartupArgument(const QString &argument)
{
    // The shell has already taken away the quotes round a path; quotes still there were
    // passed on purpose, as a program that quotes paths for another platform does.
    QString path = argument;
    if (path.size() >= 2 && path.startsWith(QLatin1Char('"')) && path.endsWith(QLatin1Char('"')))
        path = path.mid(1, path.size() - 2);
    if (path.isEmpty())
        return {};

    const QFileInfo info(path);
    const QString program = QString::fromLatin1(AppIdentity::ExecutableName);
    if (!info.exists())
        return {{}, QStringLiteral("%1: %2: no such file; starting with an untitled table").arg(program, path)};
    if (!info.isFile())
        return {{}, QStringLiteral("%1: %2: not a file; starting with an untitled table").arg(program, path)};
    // Absolute, so that the remembered folder and later saves do not depend on the folder
    // the editor was started from.
    return {info.absoluteFilePath(), {}};
}

} // namespace quillet
