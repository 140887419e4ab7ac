#include "store/datalocation.h"

#include "datalocationlayout.h"
#include "store/database.h"
#include "store/drawdatabase.h"
#include "store/runtimeerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cstdio>
#include <optional>

#include <unistd.h>

namespace DataLocation {

namespace {

QString inFolder(const QString &folder, const QString &name)
{
    return folder + QLatin1Char('/') + name;
}

// Whether the program folder holds its own database, as it did the first
// time this process asked: a database removed while the program runs must
// not send the program to the data of another folder (an installed copy's).
bool holdsOwnDatabase(const QString &programFolder)
{
    static QMutex mutex;
    static QHash<QString, bool> answers;
    const QMutexLocker lock(&mutex);
    if (const auto known = answers.constFind(programFolder); known != answers.cend())
        return *known;
    return *answers.insert(programFolder, QFileInfo::exists(inFolder(programFolder, DrawDatabase::FileName)));
}

// The prefix of the installation a program in programFolder belongs to: the
// folder is the programs' or the helpers' folder of the layout, the bundled
// database is where the layout puts it, and the folder has none of its own.
std::optional<QString> installationPrefix(const QString &programFolder)
{
    if (holdsOwnDatabase(programFolder))
        return std::nullopt;
    const QString folder = QDir::cleanPath(programFolder);
    for (const char *part : {Layout::Programs, Layout::Helpers}) {
        const QString suffix = QLatin1Char('/') + QString::fromUtf8(part);
        if (!folder.endsWith(suffix))
            continue;
        const QString prefix = folder.chopped(suffix.size());
        if (QFileInfo::exists(inFolder(prefix + QLatin1Char('/') + QString::fromUtf8(Layout::Resources), DrawDatabase::FileName)))
            return prefix;
    }
    return std::nullopt;
}

// The user's folder of that kind for this program. Not the application's own
// location: the program and the command-line tool have different
// application names but share the user's data.
QString userFolder(QStandardPaths::StandardLocation kind)
{
    return inFolder(QStandardPaths::writableLocation(kind), FolderName);
}

// Folders made for a start, removed again (when still empty) unless the
// start succeeded: a failed first run leaves nothing behind.
class MadeFolders
{
public:
    MadeFolders() = default;
    MadeFolders(const MadeFolders &) = delete;
    MadeFolders &operator=(const MadeFolders &) = delete;
    ~MadeFolders()
    {
        for (const QString &folder : m_made)
            QDir().rmdir(folder);
    }

    bool make(const QString &path)
    {
        // The deepest first; also those made before mkpath gave up.
        for (QString folder = QDir::cleanPath(path); !QFileInfo::exists(folder); folder = QFileInfo(folder).path())
            m_made << folder;
        return QDir().mkpath(path);
    }
    void keep() { m_made.clear(); }

private:
    QStringList m_made;
};

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
    QFile::remove(Database::journalPath(target));
    // Renaming does not replace: a copy made meanwhile by another start wins.
    if (!QFile::rename(copy.fileName(), target) && !QFileInfo::exists(target))
        return failed.arg(target, QStringLiteral("名前を変更できません。"));
    return {};
}

// Gives the database at from the name to, holding its write lock while the
// name changes hands: a writer that gets the lock afterwards finds its file
// renamed away (Database::begin) instead of writing a journal under the old
// name. Opening it read-write first rolls back what a killed writer left.
bool moveDatabase(const QString &from, const QString &to)
{
    if (!QDir().mkpath(QFileInfo(to).path()))
        return false;
    try {
        const Database held = Database::open(from, QString(), Database::Mode::ReadWrite);
        held.begin();
        const bool moved = std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0;
        held.rollback();
        return moved;
    } catch (const DatabaseError &) {
        return false;
    }
}

} // namespace

bool isPortable(const QString &programFolder)
{
    return holdsOwnDatabase(programFolder) && QFileInfo(programFolder).isWritable();
}

QString databaseFolder(const QString &programFolder)
{
    if (isPortable(programFolder))
        return programFolder;
    return userFolder(QStandardPaths::GenericDataLocation);
}

QString databaseFile(const QString &programFolder)
{
    return inFolder(databaseFolder(programFolder), DrawDatabase::FileName);
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
    return inFolder(settingsFolder(programFolder), name);
}

QString dataFile(const QString &programFolder, const QString &name)
{
    if (isPortable(programFolder))
        return name;
    const QString target = inFolder(userFolder(QStandardPaths::GenericDataLocation), name);
    const QString earlier = inFolder(userFolder(QStandardPaths::GenericConfigLocation), name);
    if (QFileInfo::exists(target) || !QFileInfo::exists(earlier))
        return target;
    return moveDatabase(earlier, target) ? target : earlier;
}

QString resourceFolder(const QString &programFolder)
{
    if (const std::optional<QString> prefix = installationPrefix(programFolder))
        return *prefix + QLatin1Char('/') + QString::fromUtf8(Layout::Resources);
    return programFolder;
}

QString helperFolder(const QString &programFolder)
{
    if (const std::optional<QString> prefix = installationPrefix(programFolder))
        return *prefix + QLatin1Char('/') + QString::fromUtf8(Layout::Helpers);
    return programFolder;
}

QString prepare(const QString &programFolder)
{
    if (isPortable(programFolder))
        return {};
    const QString target = databaseFile(programFolder);
    const QString bundled = inFolder(resourceFolder(programFolder), DrawDatabase::FileName);
    const bool firstStart = !QFileInfo::exists(target);
    if (firstStart && !QFileInfo::exists(bundled))
        return QStringLiteral("同梱の当選データファイル「%1」が見つかりません。").arg(bundled);
    MadeFolders made;
    for (const QString &folder : {databaseFolder(programFolder), settingsFolder(programFolder)}) {
        if (!made.make(folder))
            return QStringLiteral("フォルダー「%1」を作成できません。").arg(folder);
    }
    if (firstStart) {
        if (const QString problem = copyBundled(bundled, target); !problem.isEmpty())
            return problem;
    }
    made.keep();
    return {};
}

} // namespace DataLocation
