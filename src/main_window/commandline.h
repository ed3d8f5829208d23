#pragma once

#include <QString>
#include <QStringList>

namespace quillet {

// What the editor's command line asks for: `quillet [--help] [--version] [FILE]`.
struct CommandLine {
    enum Action { Run, ShowVersion, ShowHelp, Fail };
    Action action = Run;
    QString argument; // the FILE argument as given; empty when there is none
    QString text;     // what to print for ShowVersion, ShowHelp and Fail
};

// `arguments` starts with the program's name, as QCoreApplication::arguments() does.
CommandLine parseCommandLine(const QStringList &arguments);

// The file that start-up opens for the FILE argument.
struct StartupFile {
    QString path;    // absolute path of an existing file; empty: start an untitled table
    QString warning; // one line for standard error when the argument names no file
};

StartupFile resolveStartupArgument(const QString &argument);

} // namespace quillet
