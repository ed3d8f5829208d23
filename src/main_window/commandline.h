#pragma once

#include <QString>
#include <QStringList>

namespace quillet {

// What the editor's command line asks for: `quillet [--help] [--version] [FILE]`. The editor
// starts whatever else it is given: a user who double-clicks a file, or a file manager that
// passes more than one, gets a window rather than an exit status.
struct CommandLine {
    enum Action { Run, ShowVersion, ShowHelp };
    Action action = Run;
    QString argument;    // the FILE argument as given; empty when there is none
    QStringList ignored; // every other argument, in order: further files, unknown options
    // ShowVersion, ShowHelp: what to print on standard output. Run: the one line for
    // standard error that names the ignored arguments; empty when none were.
    QString text;
};

// `arguments` starts with the program's name, as QCoreApplication::arguments() does.
// An argument that starts with '-' is an option unless it names an existing file, and
// every argument after "--" is a file; --help and --version win over a file of that name.
CommandLine parseCommandLine(const QStringList &arguments);

// The file that start-up opens for the FILE argument.
struct StartupFile {
    QString path;    // absolute path of an existing file; empty: start an untitled table
    QString warning; // one line for standard error when the argument names no file
};

StartupFile resolveStartupArgument(const QString &argument);

} // namespace quillet
