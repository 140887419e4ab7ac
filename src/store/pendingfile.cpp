#include "store/pendingfile.h"

#include "store/runtimeerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <limits>
#include <utility>

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace {

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// "<target>.<tag>-": what every pending name of this target and tag starts with.
QString prefixOf(const QString &target, const QString &tag)
{
    return target + QLatin1Char('.') + tag + QLatin1Char('-');
}

// The process number in the name tells a later writer whether the file's
// maker still runs; the random part keeps two names of one process apart.
QString newName(const QString &target, const QString &tag)
{
    static const char Letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString name = prefixOf(target, tag) + QString::number(::getpid()) + QLatin1Char('-');
    for (int i = 0; i < 8; ++i)
        name += QLatin1Char(Letters[QRandomGenerator::global()->bounded(int(sizeof Letters - 1))]);
    return name;
}

// Tries fresh names until one is free; make returns 0 or errno.
template<typename Make>
QString firstFreeName(const QString &target, const QString &tag, Make make, int &error)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QString name = newName(target, tag);
        error = make(QFile::encodeName(name));
        if (error == 0)
            return name;
        if (error != EEXIST)
            return {};
    }
    return {};
}

bool isRunning(qint64 pid)
{
    return pid > 0 && pid <= std::numeric_limits<pid_t>::max() && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

} // namespace

PendingFile::PendingFile(QString path)
    : m_path(std::move(path))
{
}

PendingFile::PendingFile(PendingFile &&other) noexcept
    : m_path(std::exchange(other.m_path, QString()))
{
}

PendingFile &PendingFile::operator=(PendingFile &&other) noexcept
{
    if (this != &other) {
        remove();
        m_path = std::exchange(other.m_path, QString());
    }
    return *this;
}

PendingFile::~PendingFile()
{
    remove();
}

void PendingFile::remove() noexcept
{
    if (m_path.isEmpty())
        return;
    QFile::remove(m_path);
    QFile::remove(m_path + QStringLiteral("-journal")); // SQLite's, of a copy left unfinished
    m_path.clear();
}

PendingFile PendingFile::create(const QString &target, const QString &tag)
{
    int error = 0;
    const QString name = firstFreeName(target, tag, [](const QByteArray &path) {
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0)
            return errno;
        ::close(fd);
        return 0;
    }, error);
    if (name.isEmpty()) {
        throw DatabaseError(QStringLiteral("フォルダー「%1」に一時ファイルを作れません（%2）。")
                                .arg(QDir::toNativeSeparators(QFileInfo(target).absolutePath()), systemReason(error)));
    }
    return PendingFile(name);
}

std::optional<PendingFile> PendingFile::link(const QString &existing, const QString &target, const QString &tag)
{
    const QByteArray source = QFile::encodeName(existing);
    int error = 0;
    const QString name = firstFreeName(target, tag, [&source](const QByteArray &path) {
        return ::link(source.constData(), path.constData()) == 0 ? 0 : errno;
    }, error);
    if (name.isEmpty())
        return std::nullopt;
    return PendingFile(name);
}

void PendingFile::removeLeftovers(const QString &target, const QString &tag)
{
    const QFileInfo info(prefixOf(target, tag));
    const QString prefix = info.fileName();
    const QDir folder = info.absoluteDir();
    for (const QString &name : folder.entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden | QDir::System)) {
        // A name without a process number was made by an earlier version
        // of the program, for a write that is long over.
        bool numbered = false;
        const qint64 pid = name.mid(prefix.size()).section(QLatin1Char('-'), 0, 0).toLongLong(&numbered);
        if (!numbered || !isRunning(pid))
            QFile::remove(folder.filePath(name));
    }
    // The one fixed name earlier versions used for every write, and its journal.
    const QString fixed = target + QLatin1Char('.') + tag;
    QFile::remove(fixed);
    QFile::remove(fixed + QStringLiteral("-journal"));
}

void PendingFile::renameTo(const QString &path)
{
    if (std::rename(QFile::encodeName(m_path).constData(), QFile::encodeName(path).constData()) != 0)
        throw DatabaseError(systemReason(errno));
    m_path.clear();
}
