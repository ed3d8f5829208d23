#include "appidentity.h"
#include "commandline.h"
#include "filelocation.h"
#include "frmmain.h"
#include "userdialogs.h"

#include <QApplication>

#include <cstdio>

using namespace quillet;

int main(int argc, char *argv[])
{
    // --help and --version only print, so they are answered before the window system
    // starts: they work without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandLine early = parseCommandLine(arguments);
    if (early.action == CommandLine::ShowVersion || early.action == CommandLine::ShowHelp) {
        std::fputs(early.text.toLocal8Bit().constData(), stdout);
        return 0;
    }

    QApplication app(argc, argv);
    // The application's name titles the message boxes that name no title of their own.
    QApplication::setApplicationName(QString::fromLatin1(AppIdentity::Title));
    QApplication::setApplicationVersion(QString::fromLatin1(AppIdentity::Version));
    QApplication::setWindowIcon(applicationIcon());
    QGuiApplication::setDesktopFileName(QString::fromLatin1(AppIdentity::ExecutableName));

    // Qt has taken its own options (-platform, -style ...) out of the arguments by now.
    const CommandLine commandLine = parseCommandLine(QCoreApplication::arguments());
    // The editor starts all the same; the user learns what it made nothing of.
    if (!commandLine.text.isEmpty())
        std::fputs(commandLine.text.toLocal8Bit().constData(), stderr);

    QtUserDialogs dialogs;
    const QString settingsName = QString::fromLatin1(FileLocationSetting::Application);
    QSettingsStore settings(settingsName, settingsName);
    frmMain window(&dialogs, &settings);
    window.Form_Load(commandLine.argument);
    return QApplication::exec();
}
