#include "maintenance/drawdataupdate.h"

#include "maintenance/htmltext.h"
#include "store/drawdatabase.h"
#include "store/filereplacement.h"
#include "store/globalbas.h"
#include "store/runtimeerror.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTemporaryFile>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace DrawDataUpdate {

namespace {

const QString Unchanged = QStringLiteral("当選データファイルは変更していません。");

Result fault(Status status, const QString &headline, const QString &reason)
{
    return {status, headline + QLatin1Char('\n') + reason + QLatin1Char('\n') + Unchanged};
}

QString transferReason(const QNetworkReply &reply)
{
    // A redirect refused still carries the redirect's own status.
    switch (reply.error()) {
    case QNetworkReply::TooManyRedirectsError:
        return QStringLiteral("転送（リダイレクト）が多すぎるため、やめました。");
    case QNetworkReply::InsecureRedirectError:
        return QStringLiteral("https のページから http のページへの転送には従いません。");
    case QNetworkReply::ProtocolUnknownError:
        return QStringLiteral("http と https 以外のアドレスへの転送には従いません。");
    default:
        break;
    }
    const QVariant status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (status.isValid() && (status.toInt() < 200 || status.toInt() >= 300)) {
        const QString phrase = reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        return QStringLiteral("サーバーがエラーを返しました（HTTP %1%2）。")
            .arg(status.toInt())
            .arg(phrase.isEmpty() ? QString() : QLatin1Char(' ') + phrase);
    }
    switch (reply.error()) {
    case QNetworkReply::ConnectionRefusedError:
        return QStringLiteral("サーバー「%1」に接続できません。").arg(reply.url().host());
    case QNetworkReply::HostNotFoundError:
        return QStringLiteral("サーバー「%1」が見つかりません。").arg(reply.url().host());
    case QNetworkReply::RemoteHostClosedError:
        return QStringLiteral("ダウンロードの途中で接続が切れました。");
    case QNetworkReply::TimeoutError:
        return QStringLiteral("サーバーとの接続がタイムアウトしました。");

    default:
        return QStringLiteral("通信エラー: %1").arg(reply.errorString());
    }
}

// Errors that mean the server was never reached.
bool isUnreachable(QNetworkReply::NetworkError error)
{
    switch (error) {
    case QNetworkReply::ConnectionRefusedError:
    case QNetworkReply::HostNotFoundError:
    case QNetworkReply::TimeoutError:
    case QNetworkReply::TemporaryNetworkFailureError:
    case QNetworkReply::NetworkSessionFailedError:
    case QNetworkReply::UnknownNetworkError:
    case QNetworkReply::ProxyConnectionRefusedError:
    case QNetworkReply::ProxyNotFoundError:
    case QNetworkReply::ProxyTimeoutError:
        return true;
    default:
        return false;
    }
}

// A file that removes itself unless it was renamed into place.
class PendingFile
{
public:
    explicit PendingFile(QString path)
        : m_path(std::move(path))
    {
    }
    ~PendingFile()
    {
        if (!m_path.isEmpty())
            QFile::remove(m_path);
    }
    PendingFile(const PendingFile &) = delete;
    PendingFile &operator=(const PendingFile &) = delete;
    const QString &path() const { return m_path; }
    void release() { m_path.clear(); }

private:
    QString m_path;
};

const QString DownloadSuffix = QStringLiteral(".download-");

// Removes the download files an update that was killed left in folder: those
// nobody holds the lock of.
void removeLeftovers(const QString &folder, const QString &prefix)
{
    const QDir dir(folder);
    for (const QString &name : dir.entryList({prefix + QLatin1Char('*')}, QDir::Files | QDir::Hidden)) {
        const QByteArray path = QFile::encodeName(dir.filePath(name));
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            ::unlink(path.constData());
        ::close(fd);
    }
}

} // namespace


Download download(const QUrl &url, QIODevice &sink, const TransferOptions &options)
{
    // Qt would also read file: and other URLs, answering without an HTTP
    // status; the draw data is published over HTTP only.
    if (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https")) {
        return {Download::Outcome::Failed,
                QStringLiteral("「%1」からはダウンロードできません。http:// か https:// で始まる URL を指定してください。")
                    .arg(url.toDisplayString()),
                0};
    }
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    if (options.maxRedirects >= 0)
        request.setMaximumRedirectsAllowed(options.maxRedirects);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    // A compressed answer is unpacked as it comes and counted against
    // maxBytes below, so a bomb is refused as too large. Qt's own check of
    // the unpacked size would stop the transfer without ever finishing it,
    // and the user would be told of a time-out instead.
    request.setDecompressedSafetyCheckThreshold(-1);
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    // Bytes are moved to the sink as they come; Qt's buffer stays small.
    reply->setReadBufferSize(256 * 1024);

    Download result;
    result.outcome = Download::Outcome::Ok;
    QEventLoop loop;
    const auto stop = [&](Download::Outcome outcome, const QString &reason) {
        if (result.outcome != Download::Outcome::Ok)
            return;
        result.outcome = outcome;
        result.reason = reason;
        reply->abort();
    };
    const QString tooLarge = QStringLiteral("ダウンロードするデータが大きすぎます（%1 MB を超えています）。")
                                 .arg(options.maxBytes / (1024 * 1024));

    QTimer stall;
    stall.setSingleShot(true);
    stall.setInterval(options.stallTimeout);
    bool answered = false;
    QObject::connect(&stall, &QTimer::timeout, &loop, [&] {
        result.unreachable = result.outcome == Download::Outcome::Ok && !answered;
        stop(Download::Outcome::Failed, QStringLiteral("サーバーが %1 秒間応答しませんでした（タイムアウト）。")
                                            .arg(double(options.stallTimeout.count()) / 1000.0));
    });
    QTimer deadline;
    deadline.setSingleShot(true);
    deadline.setInterval(options.deadline);
    QObject::connect(&deadline, &QTimer::timeout, &loop, [&] {
        result.unreachable = result.outcome == Download::Outcome::Ok && !answered;
        stop(Download::Outcome::Failed, QStringLiteral("ダウンロードが %1 秒以内に終わりませんでした（タイムアウト）。")
                                            .arg(double(options.deadline.count()) / 1000.0));
    });
    qint64 total = -1;
    const auto report = [&] {
        if (options.progress && result.outcome == Download::Outcome::Ok && !options.progress(result.bytes, total))
            stop(Download::Outcome::Cancelled, QStringLiteral("ダウンロードを中止しました。"));
    };
    // Told from a timer only: a modal dialog's update may run the event loop,
    // which must not happen inside the handler that writes the bytes.
    QTimer tick;
    tick.setInterval(100);
    QObject::connect(&tick, &QTimer::timeout, &loop, report);

    QObject::connect(reply.get(), &QNetworkReply::metaDataChanged, &loop, [&] {
        answered = true;
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid())
            total = length.toLongLong();
        if (total > options.maxBytes)
            stop(Download::Outcome::TooLarge, tooLarge);
    });
    QObject::connect(reply.get(), &QNetworkReply::readyRead, &loop, [&] {
        // The time-out counts from the last sign of progress, so a slow but
        // moving transfer is not cut off (the deadline still is).
        stall.start();
        const QByteArray chunk = reply->readAll();
        if (result.outcome != Download::Outcome::Ok)
            return;
        if (result.bytes + chunk.size() > options.maxBytes) {
            stop(Download::Outcome::TooLarge, tooLarge);
            return;
        }
        if (sink.write(chunk) != chunk.size()) {
            stop(Download::Outcome::SinkFailed, sink.errorString());
            return;
        }
        result.bytes += chunk.size();
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    stall.start();
    deadline.start();
    if (options.progress)
        tick.start();
    if (!reply->isFinished())
        loop.exec(options.progress ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
    stall.stop();
    deadline.stop();
    tick.stop();
    result.contentType = reply->header(QNetworkRequest::ContentTypeHeader).toString();
    result.url = reply->url();

    if (result.outcome != Download::Outcome::Ok)
        return result;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const bool httpOk = !status.isValid() || (status.toInt() >= 200 && status.toInt() < 300);
    if (reply->error() != QNetworkReply::NoError || !httpOk) {
        result.outcome = Download::Outcome::Failed;
        result.reason = transferReason(*reply);
        result.unreachable = !status.isValid() && isUnreachable(reply->error());
    }
    return result;
}

QString checkDatabaseFile(const QString &path)
{
    if (QFileInfo(path).size() == 0)
        return QStringLiteral("ダウンロードしたデータが空です（0 バイト）。");
    // The start, read before any connection is open on the file: a second
    // descriptor closed while SQLite holds a lock would drop that lock.
    QByteArray head;
    {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            head = file.read(512);
    }
    std::optional<Database> db;
    try {
        db.emplace(Database::open(path, DrawDatabase::password(), Database::Mode::ReadOnly));
        DrawDatabase::verify(*db);
    } catch (const DatabaseError &) {
        if (HtmlText::looksLikeHtml(head))
            return QStringLiteral("サーバーが返したのはデータベースではなくHTMLページです。");
        if (db)
            return QStringLiteral("当選データ（全データ選択クエリとその項目）を持たないデータベースです。");
        return QStringLiteral("パスワードが違うか、壊れているか、当選データファイルではありません。");
    }
    // Opening reads only the first pages: a file cut short is found by
    // reading every page.
    try {
        Statement check = db->prepare(QStringLiteral("PRAGMA quick_check"));
        while (check.step()) {
            if (check.value(0).toText() != QLatin1String("ok"))
                return QStringLiteral("ファイルが壊れているか、途中で切れています。");
        }
    } catch (const DatabaseError &) {
        return QStringLiteral("ファイルが壊れているか、途中で切れています。");
    }
    db.reset();
    // Then the start-up's own load: a file it would refuse is refused now,
    // not at the next start.
    try {
        loadDrawHistoryFrom(path);
    } catch (const DatabaseError &error) {
        QString reason = error.message();
        reason.replace(path, QStringLiteral("ダウンロードしたファイル"));
        return QStringLiteral("当選データとして読み込めません。\n") + reason;
    }
    return {};
}

void trimToDatabase(const QString &path)
{
    qint64 used = 0;
    try {
        const Database db = Database::open(path, DrawDatabase::password(), Database::Mode::ReadOnly);
        Statement pageSize = db.prepare(QStringLiteral("PRAGMA page_size"));
        Statement pageCount = db.prepare(QStringLiteral("PRAGMA page_count"));
        if (pageSize.step() && pageCount.step())
            used = pageSize.value(0).integer() * pageCount.value(0).integer();
    } catch (const DatabaseError &) {
        return; // not a database: the check says so
    }
    if (used > 0 && QFileInfo(path).size() > used)
        QFile::resize(path, used);
}

Result installFile(const QString &downloaded, const QString &target)
{
    PendingFile pending(downloaded);
    const QFileInfo targetInfo(target);
    const QString targetPath = targetInfo.absoluteFilePath();
    if (!targetInfo.exists())
        return {Status::TargetMissing, QStringLiteral("当選データファイル：'") + targetPath + QStringLiteral("'が存在しません")};

    const QString writeHeadline = QStringLiteral("新しい当選データファイルを書き込めませんでした。");
    trimToDatabase(pending.path());
    const QString problem = checkDatabaseFile(pending.path());
    if (!problem.isEmpty())
        return fault(Status::Refused, QStringLiteral("ダウンロードしたデータは当選データファイルとして使えません。"), problem);

    QFile::setPermissions(pending.path(), QFile::permissions(targetPath));

    // The old file's write lock is held from here until the new file has its
    // name (see FileReplacement); opening it rolls back what a killed writer
    // left, into the old file, which becomes the .bak.
    const QString backup = targetPath + QStringLiteral(".bak");
    try {
        FileReplacement replacement(targetPath, DrawDatabase::password(), backup);
        try {
            replacement.keepBackup();
        } catch (const DatabaseError &error) {
            return fault(Status::WriteFailed, QStringLiteral("以前の当選データファイルを %1 に残せませんでした。").arg(backup),
                         error.message());
        }
        replacement.replaceWith(pending.path());
    } catch (const DatabaseError &error) {
        return fault(Status::WriteFailed, writeHeadline, error.message());
    }
    pending.release();
    return {Status::Updated, QStringLiteral("当選データを最新化しました。\n元のファイルは %1 に残しました。").arg(backup)};
}

Result update(const QUrl &url, const QString &target, const TransferOptions &options)
{
    const QFileInfo targetInfo(target);
    const QString prefix = targetInfo.fileName() + DownloadSuffix;
    removeLeftovers(targetInfo.absolutePath(), prefix);

    // The download goes to a file in the target's folder, so that the final
    // rename stays on one file system and replaces the database in one step.
    // The lock on it tells a later update that it is not a leftover.
    QTemporaryFile temporary(targetInfo.absoluteDir().filePath(prefix + QStringLiteral("XXXXXX")));
    temporary.setAutoRemove(false);
    if (!temporary.open()) {
        if (!targetInfo.exists())
            return installFile({}, target);
        return fault(Status::WriteFailed, QStringLiteral("新しい当選データファイルを書き込めませんでした。"),
                     temporary.errorString());
    }
    PendingFile pending(temporary.fileName());
    ::flock(temporary.handle(), LOCK_EX | LOCK_NB);

    const Download fetched = download(url, temporary, options);
    // On disk before it gets the database's name: a crash after the rename
    // must not leave an empty or partial database.
    QString unwritten;
    if (!temporary.flush())
        unwritten = temporary.errorString();
    else if (::fsync(temporary.handle()) != 0)
        unwritten = QString::fromLocal8Bit(std::strerror(errno));
    switch (fetched.outcome) {
    case Download::Outcome::Ok:
        break;
    case Download::Outcome::Failed: {
        Result failed = fault(Status::DownloadFailed, QStringLiteral("当選データをダウンロードできませんでした。"), fetched.reason);
        failed.unreachable = fetched.unreachable;
        return failed;
    }
    case Download::Outcome::TooLarge:
        return fault(Status::Refused, QStringLiteral("ダウンロードしたデータは当選データファイルとして使えません。"),
                     fetched.reason);
    case Download::Outcome::SinkFailed:
        return fault(Status::WriteFailed, QStringLiteral("新しい当選データファイルを書き込めませんでした。"), fetched.reason);
    case Download::Outcome::Cancelled:
        return {Status::Cancelled, QStringLiteral("当選データの最新化を中止しました。\n") + Unchanged};
    }
    if (!unwritten.isEmpty())
        return fault(Status::WriteFailed, QStringLiteral("新しい当選データファイルを書き込めませんでした。"), unwritten);
    pending.release();
    // Stays open (and locked) until installed or removed. Every connection
    // the install opens on it is closed again before this descriptor is, so
    // its closing drops no lock of SQLite's.
    return installFile(temporary.fileName(), target);
}

Result update(const QUrl &url, const QString &target, std::chrono::milliseconds timeout)
{
    TransferOptions options;
    options.stallTimeout = timeout;
    return update(url, target, options);
}

} // namespace DrawDataUpdate
