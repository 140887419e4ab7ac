#include "store/filereplacement.h"

#include "store/runtimeerror.h"

#include <QFile>
#include <QFileInfo>

namespace {

// The pending name of a backup, the same as Database::saveCopy's: a killed
// writer's leftovers are found by either.
const QString BackupTag = QStringLiteral("new");

// How often the lock is taken again on a file that was replaced while this
// replacement waited for it. Each replacement that came first holds the lock
// for a moment only, so a few rounds reach the file that stays.
constexpr int MostLockRounds = 5;

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
    if (!backup.isEmpty())
        PendingFile::removeLeftovers(backup, BackupTag);
    bool locked = false;
    try {
        for (int round = 0; round < MostLockRounds && !locked; ++round)
            locked = lockTarget();
    } catch (const DatabaseError &error) {
        m_locked.reset();
        m_reader.reset();
        const QFileInfo journal(Database::journalPath(target));
        if (error.isBusy() || (journal.exists() && journal.size() > 0))
            throw;
        locked = true; // not a database of ours: no writer of ours to keep out
    }
    if (!locked) {
        throw DatabaseError(QStringLiteral("データベースファイル「%1」がほかのプログラムによって続けて置き換えられています。"
                                           "しばらくしてからもう一度行ってください。")
                                .arg(target));
    }
    // The second name is made under the lock: it is then the file that the
    // rename below replaces, not one replaced while the lock was awaited.
    if (!backup.isEmpty()) {
        m_linked = PendingFile::link(target, backup, BackupTag);
        if (m_linked)
            m_reader.reset();
    }
}

bool FileReplacement::lockTarget()
{
    m_locked.emplace(Database::open(m_target, m_key, Database::Mode::ReadWrite));
    // SQLite copies from no connection inside a write transaction: the
    // reader for a copy is opened before the lock is taken.
    if (!m_backup.isEmpty())
        m_reader.emplace(Database::open(m_target, m_key, Database::Mode::ReadOnly));
    m_locked->exec(QStringLiteral("BEGIN IMMEDIATE"));
    if (!m_locked->wasReplaced())
        return true;
    m_locked->rollback();
    m_locked.reset();
    m_reader.reset();
    return false;
}

FileReplacement::~FileReplacement()
{
    m_linked.reset();
    if (m_locked)
        m_locked->rollback();
}

void FileReplacement::keepBackup()
{
    if (m_linked) {
        m_linked->renameTo(m_backup);
        m_linked.reset();
        return;
    }
    if (m_reader) {
        m_reader->saveCopy(m_backup, m_key);
        return;
    }
    // Not a database this process could hold a lock on: a plain copy.
    PendingFile pending = PendingFile::create(m_backup, BackupTag);
    QFile::remove(pending.path()); // the copy makes the file itself
    QFile source(m_target);
    if (!source.copy(pending.path()))
        throw DatabaseError(source.errorString());
    pending.renameTo(m_backup);
}

void FileReplacement::replaceWith(PendingFile &replacement)
{
    // rename(2) replaces the directory entry in one step: the name always
    // leads to a whole file. A connection still open on the old file goes on
    // reading the old contents.
    replacement.renameTo(m_target);
}
