#pragma once

#include <QString>

#include <optional>

// A file being made beside the file it will become, under a name no other
// writer can be using: "<target>.<tag>-<pid>-<random>", created exclusively.
// Two writers of the same file (an import and an update, two copies of the
// program) never share a half-made file, so neither can remove, reuse or
// rename the other's. Being in the target's folder, the final rename stays on
// one file system and replaces the target in one step.
//
// The file is removed (with a journal SQLite may have left beside it) unless
// it was renamed into place or released. A writer that is killed cannot
// remove its own: the next writer of the same target removes those whose
// process has ended.
class PendingFile
{
public:
    // Creates an empty file that only its owner may read (SQLite takes an
    // empty file for a new database). Throws DatabaseError with the reason.
    static PendingFile create(const QString &target, const QString &tag);
    // A second name for the file at existing, beside target. Nothing where
    // the file system has no hard links.
    static std::optional<PendingFile> link(const QString &existing, const QString &target, const QString &tag);
    // Removes the pending files of tag beside target left by writers that
    // are no longer running.
    static void removeLeftovers(const QString &target, const QString &tag);

    // Takes charge of a file made elsewhere (a download, a test's file).
    explicit PendingFile(QString path);
    PendingFile(PendingFile &&other) noexcept;
    PendingFile &operator=(PendingFile &&other) noexcept;
    PendingFile(const PendingFile &) = delete;
    PendingFile &operator=(const PendingFile &) = delete;
    ~PendingFile();

    const QString &path() const { return m_path; }
    // Renames the file to path in one step; from then on it is not pending.
    // Throws DatabaseError with the system's reason (the file stays pending).
    void renameTo(const QString &path);
    // Leaves the file where it is, for good.
    void release() { m_path.clear(); }

private:
    void remove() noexcept;

    QString m_path;
};
