#include "exchangerequests.h"

#include "filelocation.h"

#include <QFileInfo>

namespace quillet {

UserDialogs::FileRequest exportRequest(const QString &title, const QString &filter, const QString &suffix,
                                       const SettingsStore &settings, const QString &currentFile)
{
    UserDialogs::FileRequest request;
    request.title = title;
    request.filter = filter;
    request.defaultSuffix = suffix;
    request.initialFolder = GetFileLocation(settings);
    request.fileName = currentFile.isEmpty() ? QStringLiteral("Untitled") : QFileInfo(currentFile).completeBaseName();
    request.confirmOverwrite = true;
    return request;
}

UserDialogs::FileRequest importRequest(const QString &title, const QString &filter, const QString &suffix,
                                       const SettingsStore &settings)
{
    UserDialogs::FileRequest request;
    request.title = title;
    request.filter = filter;
    request.defaultSuffix = suffix;
    request.initialFolder = GetFileLocation(settings);
    request.mustExist = true;
    return request;
}

} // namespace quillet
