#include "store/datalocation.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace DataLocation {

bool isPortable(const QString &programFolder)
{
    return QFileInfo(programFolder).isWritable();
}

QString databaseFolder(const QString &programFolder)
{
    if (isPortable(programFolder))
        return programFolder;
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString settingsFolder(const QString &programFolder)
{
    if (isPortable(programFolder))
        return QDir::currentPath();
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
}

} // namespace DataLocation
