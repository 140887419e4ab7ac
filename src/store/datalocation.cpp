#include "store/datalocation.h"

#include "store/drawdatabase.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <unistd.h>

namespace DataLocation {

namespace {

// share/loto6kermon relative to the program's bin folder.
QString installedResources(const QString &programFolder)
{
    return QDir::cleanPath(programFolder + QStringLiteral("/../share/") + FolderName);
}

bool isInstalledLayout(const QString &programFolder)
{
    return QFileInfo::exists(installedResources(programFolder) + QLatin1Char('/') + DrawDatabase::FileName)
        && !QFileInfo::exists(programFolder + QLatin1Char('/') + DrawDatabase::FileName);
}

// The user's folder of that kind for this program. Not the application's own
// location: the program and the command-line tool have different
// application names but share the user's data.
QString userFolder(QStandardPaths::StandardLocation kind)
{
    return QStandardPaths::writableLocation(kind) + QLatin1Char('/') + FolderName;
}

QString copyBundled(const QString &bundled, const QString &target)
{
    const QString failed = QStringLiteral("当選データファイル「%1」を作成できません: %2");
    QFile source(bundled);
    if (!source.open(QIODevice::ReadOnly))
        return failed.arg(target, QStringLiteral("同梱の「%1」を読めません。%2").arg(bundled, source.errorString()));
    QTemporaryFile copy(target + QStringLiteral(".XXXXXX"));
    if (!copy.open())
        return failed.arg(target, copy.errorString());
    const QByteArray bytes = source.readAll();
    // On disk before it gets its name, so that a crash leaves no empty database.
    if (source.error() != QFileDevice::NoError || copy.write(bytes) != bytes.size() || !copy.flush()
        || ::fsync(copy.handle()) != 0)
        return failed.arg(target, copy.errorString());
    copy.close();
    // A rollback journal left beside a database that is gone belongs to no
    // file any more; kept, the next writer would roll its pages into the copy.
    QFile::remove(target + QStringLiteral("-journal"));
    // Renaming does not replace: a copy made meanwhile by another start wins.
    if (!QFile::rename(copy.fileName(), target) && !QFileInfo::exists(target))
        return failed.arg(target, QStringLiteral("名前を変更できません。"));
    return {};
}

} // namespace

bool isPortable(const QString &programFolder)
{
    return QFileInfo(programFolder).isWritable() && !isInstalledLayout(programFolder);
}

QString databaseFolder(const QString &programFolder)
{
    if (isPortable(programFolder))
        return programFolder;
    return userFolder(QStandardPaths::GenericDataLocation);
}

QString databaseFile(const QString &programFolder)
{
    return databaseFolder(programFolder) + QLatin1Char('/') + DrawDatabase::FileName;
}

QString settingsFolder(const QString &programFolder)
{
    if (isPortable(programFolder))
        return QDir::currentPath();
    return userFolder(QStandardPaths::GenericConfigLocation);
}

QString settingsFile(const QString &programFolder, const QString &name)
{
    if (isPortable(programFolder))
        return name;
    return settingsFolder(programFolder) + QLatin1Char('/') + name;
}

QString resourceFolder(const QString &programFolder)
{
    // A read-only copy that is not installed brings its files along itself.
    const QString installed = installedResources(programFolder);
    if (!isPortable(programFolder) && QFileInfo::exists(installed + QLatin1Char('/') + DrawDatabase::FileName))
        return installed;
    return programFolder;
}

QString prepare(const QString &programFolder)
{
    if (isPortable(programFolder))
        return {};
    const QString data = databaseFolder(programFolder);
    const QString settings = settingsFolder(programFolder);
    for (const QString &folder : {data, settings}) {
        if (!QDir().mkpath(folder))
            return QStringLiteral("フォルダー「%1」を作成できません。").arg(folder);
    }
    const QString target = databaseFile(programFolder);
    if (QFileInfo::exists(target))
        return {};
    return copyBundled(resourceFolder(programFolder) + QLatin1Char('/') + DrawDatabase::FileName, target);
}

} // namespace DataLocation
