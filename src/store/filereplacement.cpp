#include "store/filereplacement.h"

#include "store/runtimeerror.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <unistd.h>

namespace {

QString systemReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

QString pendingBackup(const QString &backup)
{
    return backup + QStringLiteral(".new");
}

} // namespace

FileReplacement::FileReplacement(const QString &target, const QString &key, const QString &backup)
    : m_target(target)
    , m_key(key)
    , m_backup(backup)
{
    if (!QFileInfo::exists(target)) {
        // A journal beside a file that is gone belongs to no file any more;
        // kept, the next writer would roll its pages into the new one.
        QFile::remove(Database::journalPath(target));
        return;
    }
    if (!backup.isEmpty()) {
        // A second name needs no lock: it is the same file, whatever is
        // written to it until the rename.
        const QByteArray pending = QFile::encodeName(pendingBackup(backup));
        ::unlink(pending.constData());
        m_linked = ::link(QFile::encodeName(target).constData(), pending.constData()) == 0;
    }
    try {
        m_locked.emplace(Database::open(target, key, Database::Mode::ReadWrite));
        if (!backup.isEmpty() && !m_linked)
            m_reader.emplace(Database::open(target, key, Database::Mode::ReadOnly));
        m_locked->begin();
    } catch (const DatabaseError &error) {
        m_locked.reset();
        m_reader.reset();
        const QFileInfo journal(Database::journalPath(target));
        if (error.isBusy() || (journal.exists() && journal.size() > 0)) {
            if (m_linked)
                QFile::remove(pendingBackup(backup));
            throw;
        }
    }
}

FileReplacement::~FileReplacement()
{
    if (m_linked)
        QFile::remove(pendingBackup(m_backup));
    if (m_locked)
        m_locked->rollback();
}

void FileReplacement::keepBackup()
{
    const QString pending = pendingBackup(m_backup);
    if (m_linked) {
        if (std::rename(QFile::encodeName(pending).constData(), QFile::encodeName(m_backup).constData()) != 0)
            throw DatabaseError(systemReason());
        m_linked = false;
        return;
    }
    if (m_reader) {
        m_reader->saveCopy(m_backup, m_key);
        return;
    }
    // Not a database this process could hold a lock on: a plain copy.
    QFile::remove(pending);
    QFile source(m_target);
    if (!source.copy(pending)
        || std::rename(QFile::encodeName(pending).constData(), QFile::encodeName(m_backup).constData()) != 0) {
        const QString reason = source.error() != QFileDevice::NoError ? source.errorString() : systemReason();
        QFile::remove(pending);
        throw DatabaseError(reason);
    }
}

void FileReplacement::replaceWith(const QString &replacement)
{
    // rename(2) replaces the directory entry in one step: the name always
    // leads to a whole file. A connection still open on the old file goes on
    // reading the old contents.
    if (std::rename(QFile::encodeName(replacement).constData(), QFile::encodeName(m_target).constData()) != 0)
        throw DatabaseError(systemReason());
}
