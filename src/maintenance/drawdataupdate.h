#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <chrono>
#include <functional>

class QIODevice;

// Replacing the draw database by the provider's current copy. The routine
// never shows anything: it returns what happened, and the menu item and the
// command line each tell their user in their own way.
namespace DrawDataUpdate {

// Where the provider publishes the database, below the download host.
inline const QString DownloadPath = QStringLiteral("/download/Loto6Kermon/Loto6Kermon.mdb");

// A transfer that makes no progress for this long is given up.
constexpr std::chrono::milliseconds DefaultTimeout{30000};
// A transfer that is still going after this long is given up as well: a
// server dripping a byte now and then never trips the stall time-out.
constexpr std::chrono::milliseconds DefaultDeadline{180000};
// The largest body taken; the real database is far below a megabyte.
constexpr qint64 MaxDownloadBytes = 256LL * 1024 * 1024;

struct TransferOptions
{
    std::chrono::milliseconds stallTimeout = DefaultTimeout;
    std::chrono::milliseconds deadline = DefaultDeadline;
    qint64 maxBytes = MaxDownloadBytes;
    // Redirects followed at most (-1: Qt's own limit). Whatever the limit,
    // only http and https are followed, and never from https to http.
    int maxRedirects = -1;
    // Told the bytes received so far and the announced total (-1 when
    // unknown) ten times a second; returning false
    // cancels. While it is set, the wait lets user input through: the caller
    // shows a modal dialog that keeps the rest of the program out of reach.
    std::function<bool(qint64 received, qint64 total)> progress;
};

// The download host chosen at build time plus DownloadPath. Inline: the
// program needs it at start, the download code (and Qt Network) only when
// the update runs.
inline QUrl defaultUrl()
{
    QString host = QStringLiteral(LOTO6_DOWNLOAD_HOST);
    while (host.endsWith(QLatin1Char('/')))
        host.chop(1);
    return QUrl(host + DownloadPath);
}

enum class Status {
    Updated,        // the database was replaced; the previous one is kept beside it as .bak
    TargetMissing,  // there is no database to update; nothing was written
    DownloadFailed, // no connection, an HTTP error or a time-out; nothing was written
    Refused,        // the download is not a draw database; the database is as it was
    Older,          // the download ends before the database does; the database is as it was
    WriteFailed,    // the new file could not be put in place; the database is as it was
    Cancelled,      // the user stopped the download; nothing was written
};

struct Result
{
    Status status;
    // The sentence the user is shown, in Japanese.
    QString message;
    // The server could not be reached at all (as opposed to answering
    // with an error or with something that is no database).
    bool unreachable = false;
    bool succeeded() const { return status == Status::Updated; }
    // Whether the message reports a fault (rather than an outcome of the update).
    bool isFault() const
    {
        return status != Status::Updated && status != Status::TargetMissing && status != Status::Cancelled
            && status != Status::Older;
    }
};

// A download whose last draw comes before the last draw of the database it
// would replace: replacing would lose the draws in between (those imported
// or typed in since the provider's copy was made).
struct OlderDownload
{
    int downloadedLastDrawNo = 0;
    int currentLastDrawNo = 0;
    // The question the window asks before replacing all the same.
    QString question() const;
};
// Asked about an older download: true replaces the database all the same.
// Without one, an older download is refused.
using ReplaceOlder = std::function<bool(const OlderDownload &)>;

struct Download
{
    enum class Outcome { Ok, Failed, TooLarge, SinkFailed, Cancelled };
    Outcome outcome = Outcome::Failed;
    // Why the transfer failed, in Japanese; empty when ok.
    QString reason;
    qint64 bytes = 0;
    // The server never answered: refused, not found, or silent until the
    // time-out.
    bool unreachable = false;
    QString contentType; // the answer's Content-Type header
    QUrl url;            // where the answer came from, after redirects
    bool ok() const { return outcome == Outcome::Ok; }
};

// Fetches url into sink as the bytes arrive and waits for it in a local
// event loop. Only a complete 2xx answer counts as ok.
Download download(const QUrl &url, QIODevice &sink, const TransferOptions &options = {});

// Why the file at path cannot serve as the draw database (empty when it can):
// it must open with the program's password, have every page readable, and
// load as the start-up loads it.
QString checkDatabaseFile(const QString &path);

// Cuts bytes past the end of the database (as its header gives it) off the
// file at path, so that nothing but the database is installed.
void trimToDatabase(const QString &path);

// Puts the downloaded file in place of the draw database at target: checked,
// then renamed over it, the previous file kept as target + ".bak". The
// downloaded file is removed unless it was installed. Readers that hold the
// old file open keep reading the old contents. A download older than the
// database is installed only when replaceOlder says so; the comparison is
// made again under the database's write lock, against the file replaced.
Result installFile(const QString &downloaded, const QString &target, const ReplaceOlder &replaceOlder = {});

// The whole update: download into a file beside target, then install it.
// Files left beside target by an update that was killed are removed first.
Result update(const QUrl &url, const QString &target, const TransferOptions &options, const ReplaceOlder &replaceOlder = {});
Result update(const QUrl &url, const QString &target, std::chrono::milliseconds timeout = DefaultTimeout);

} // namespace DrawDataUpdate
