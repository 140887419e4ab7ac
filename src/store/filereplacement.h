#pragma once

#include "store/database.h"
#include "store/pendingfile.h"

#include <QString>

#include <optional>

// Putting a finished database file in the place of another with one rename.
//
// A writer of the old file that is inside a transaction when the name
// changes hands would go on writing its journal under the old name: beside
// the new file, where the next reader takes it for a hot journal and rolls
// the old pages into the new database. So the old file's write lock is held
// while the name changes hands; a writer that gets the lock afterwards finds
// its file renamed away (Database::begin) and writes nothing.
class FileReplacement
{
public:
    // Takes the write lock of the database at target, opened read-write
    // (which also rolls back what a killed writer left). Throws DatabaseError
    // when another program keeps the lock beyond the busy time-out, or when a
    // journal beside the file cannot be rolled back. A file that does not
    // open as a database with this key has no writers of ours and is
    // replaced without the lock; a missing one is simply created. With a
    // backup path, keepBackup can keep the old file there.
    //
    // Another replacement may put a new file in place while this one waits
    // for the lock; the lock is then taken again on the file that now goes
    // by the name, so that what is kept and replaced is the file as it is
    // when this replacement writes.
    FileReplacement(const QString &target, const QString &key, const QString &backup = {});
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;
    // Releases the lock.
    ~FileReplacement();

    // The connection that holds the lock, inside its transaction; none for
    // a file that is not a database of ours (or no file).
    const Database *locked() const { return m_locked ? &*m_locked : nullptr; }

    // Keeps the file as it is now at the backup path (replacing an older
    // one only by a complete copy): a second name for the same file where
    // the file system allows it, a copy otherwise. Throws DatabaseError with
    // the reason.
    void keepBackup();

    // Renames replacement over the target. Throws DatabaseError with the reason.
    void replaceWith(PendingFile &replacement);

private:
    // Opens target, takes its lock; false when the file was replaced meanwhile.
    bool lockTarget();

    QString m_target;
    QString m_key;
    QString m_backup;
    std::optional<PendingFile> m_linked; // the backup's pending name: a second name of the target
    std::optional<Database> m_locked;
    std::optional<Database> m_reader; // the copy's source where no second name could be made
};
