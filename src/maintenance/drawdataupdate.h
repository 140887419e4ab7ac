#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <chrono>

// Replacing the draw database by the provider's current copy. The routine
// never shows anything: it returns what happened, and the menu item and the
// command line each tell their user in their own way.
namespace DrawDataUpdate {

// Where the provider publishes the database, below the download host.
inline const QString DownloadPath = QStringLiteral("/download/Loto6Kermon/Loto6Kermon.mdb");

// A transfer that makes no progress for this long is given up.
constexpr std::chrono::milliseconds DefaultTimeout{30000};

// The download host chosen at build time plus DownloadPath.
QUrl defaultUrl();

enum class Status {
    Updated,        // the database was replaced; the previous one is kept beside it as .bak
    TargetMissing,  // there is no database to update; nothing was written
    DownloadFailed, // no connection, an HTTP error or a time-out; nothing was written
    Refused,        // the download is not a draw database; the database is as it was
    WriteFailed,    // the new file could not be put in place; the database is as it was
};

struct Result
{
    Status status;
    // The sentence the user is shown, in Japanese.
    QString message;
    bool succeeded() const { return status == Status::Updated; }
    // Whether the message reports a fault (rather than an outcome of the update).
    bool isFault() const { return status != Status::Updated && status != Status::TargetMissing; }
};

struct Download
{
    bool ok = false;
    QByteArray body;
    // Why the transfer failed, in Japanese; empty when ok.
    QString reason;
};

// Fetches url and waits for it in a local event loop (user input is held back
// meanwhile). Only a complete 2xx answer counts as ok.
Download download(const QUrl &url, std::chrono::milliseconds timeout = DefaultTimeout);

// Why the file at path cannot serve as the draw database (empty when it can):
// it must open with the program's password, hold 全データ選択クエリ with its
// fields, and have every page and record readable.
QString checkDatabaseFile(const QString &path);

// Puts body in place of the draw database at target: written beside it,
// checked, then renamed over it, the previous file kept as target + ".bak".
// Readers that hold the old file open keep reading the old contents.
Result install(const QByteArray &body, const QString &target);

// The whole update: download, then install over target.
Result update(const QUrl &url, const QString &target, std::chrono::milliseconds timeout = DefaultTimeout);

} // namespace DrawDataUpdate
