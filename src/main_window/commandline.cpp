#include "commandline.h"

#include "appidentity.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>

#include <vector>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <sys/stat.h>
#endif

namespace quillet {

namespace {

// An argument as the warning line shows it: one line, and where one ends and the next
// begins still visible.
QString shown(const QString &argument)
{
    QString text = argument;
    bool quote = text.isEmpty();
    for (QChar &c : text) {
        if (c.isSpace())
            quote = true;
        if (!c.isPrint() && c != QLatin1Char(' '))
            c = QLatin1Char('?');
    }
    return quote ? QLatin1Char('"') + text + QLatin1Char('"') : text;
}

// The options the editor knows. "-h", "--help", "-help": one dash or two alike for word
// options. Not addHelpOption(): its --help-all would list Qt's options, which this program,
// run before the window system starts, cannot print.
struct Options {
    QCommandLineOption help{{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Displays this help.")};
    QCommandLineOption version{{QStringLiteral("v"), QStringLiteral("version")},
                               QStringLiteral("Displays version information.")};

    void addTo(QCommandLineParser &parser) const
    {
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(QStringLiteral("Edits GXT files, the text tables from which a game "
                                                        "draws its lines of text."));
        parser.addOption(help);
        parser.addOption(version);
        parser.addPositionalArgument(QStringLiteral("file"),
                                     QStringLiteral("The GXT file to open. Any further argument, and any "
                                                    "unknown option, is ignored."),
                                     QStringLiteral("[file]"));
    }
};

QString helpText()
{
    QCommandLineParser parser;
    const Options options;
    options.addTo(parser);
    // Qt names the program by the path it was started from, or not at all before the
    // application object exists; the usage line names it as users type it.
    const QString text = parser.helpText();
    return QStringLiteral("Usage: %1 [options] [file]").arg(QString::fromLatin1(AppIdentity::ExecutableName))
           + text.mid(text.indexOf(QLatin1Char('\n')));
}

// The name an option argument gives: without its dashes, and without "=value".
QString optionName(const QString &argument)
{
    QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
    return name.section(QLatin1Char('='), 0, 0);
}

} // namespace

CommandLine parseCommandLine(const QStringList &arguments)
{
    // Which arguments are options is decided first: a file whose name starts with '-', as
    // "-name.gxt", is what the user meant, and every argument after "--" is a file. The
    // parser then reads the options, and passes the files through behind a "--" of its own.
    struct Argument {
        QString text;
        bool option;
    };
    std::vector<Argument> classified;
    QStringList forParser{arguments.value(0)};
    QStringList files;
    bool optionsEnded = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!optionsEnded && argument == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const bool option = !optionsEnded && argument.size() > 1 && argument.startsWith(QLatin1Char('-'))
                            && !QFileInfo::exists(argument);
        classified.push_back({argument, option});
        if (option)
            forParser.append(argument);
        else
            files.append(argument);
    }
    forParser.append(QStringLiteral("--"));
    forParser.append(files);

    QCommandLineParser parser;
    const Options options;
    options.addTo(parser);
    // A failed parse names unknown options and stray values; the editor starts all the same.
    (void)parser.parse(forParser);
    const QStringList unknown = parser.unknownOptionNames();

    CommandLine result;
    bool haveFile = false;
    for (const Argument &argument : classified) {
        if (argument.option) {
            if (unknown.contains(optionName(argument.text)))
                result.ignored.append(argument.text);
            continue;
        }
        if (haveFile) {
            result.ignored.append(argument.text);
        } else {
            result.argument = argument.text;
            haveFile = true;
        }
    }

    const QString program = QString::fromLatin1(AppIdentity::ExecutableName);
    if (parser.isSet(options.version)) {
        result.action = CommandLine::ShowVersion;
        result.text = program + QLatin1Char(' ') + QString::fromLatin1(AppIdentity::Version) + QLatin1Char('\n');
    } else if (parser.isSet(options.help)) {
        result.action = CommandLine::ShowHelp;
        result.text = helpText();
    } else if (!result.ignored.isEmpty()) {
        QStringList names;
        for (const QString &argument : std::as_const(result.ignored))
            names.append(shown(argument));
        result.text = QStringLiteral("%1: ignoring %2\n").arg(program, names.join(QLatin1Char(' ')));
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
    if (!info.exists()) {
        // QFileInfo says the same of a file that is not there and of one the system would
        // not look up: a path too long, a folder the user may not enter, a loop of links.
        // The file may well be there in those cases, so the user gets the system's reason.
        QString reason = QStringLiteral("no such file");
#ifdef Q_OS_UNIX
        struct stat status {};
        if (::stat(QFile::encodeName(path).constData(), &status) != 0 && errno != ENOENT && errno != ENOTDIR)
            reason = qt_error_string(errno);
#endif
        return {{}, QStringLiteral("%1: %2: %3; starting with an untitled table").arg(program, path, reason)};
    }
    if (!info.isFile())
        return {{}, QStringLiteral("%1: %2: not a file; starting with an untitled table").arg(program, path)};
    // Absolute, so that the remembered folder and later saves do not depend on the folder
    // the editor was started from.
    return {info.absoluteFilePath(), {}};
}

} // namespace quillet
