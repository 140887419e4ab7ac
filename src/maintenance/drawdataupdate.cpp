#include "maintenance/drawdataupdate.h"

#include "maintenance/htmltext.h"
#include "store/drawdatabase.h"
#include "store/filereplacement.h"
#include "store/globalbas.h"
#include "store/pendingfile.h"
#include "store/runtimeerror.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <cerrno>
#include <cstring>
#include <memory>
#include <optional>

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

const QString DownloadTag = QStringLiteral("download");

// The last complete draw of a draw database; nothing for one whose draws
// the start could not load (it has nothing the program could show).
std::optional<int> lastDrawNo(const Database &db)
{
    try {
        return buildDrawHistory(DrawDatabase::readAll(db)).LastDrawNo;
    } catch (const DatabaseError &) {
    } catch (const RuntimeError &) {
    }
    return std::nullopt;
}

std::optional<int> lastDrawNo(const QString &path)
{
    try {
        return lastDrawNo(DrawDatabase::open(path, Database::Mode::ReadOnly));
    } catch (const DatabaseError &) {
        return std::nullopt;
    }
}

Result older(const OlderDownload &download)
{
    return {Status::Older, QStringLiteral("ダウンロードした当選データ（第%1回まで）は、いまの当選データ（第%2回まで）より古いため、"
                                          "置き換えませんでした。\n")
                                   .arg(download.downloadedLastDrawNo)
                                   .arg(download.currentLastDrawNo)
                               + Unchanged};
}

// Why the file at path cannot serve as the draw database (empty when it
// can), and its last draw when it can.
struct Checked
{
    QString problem;
    int lastDrawNo = 0;
};

Checked check(const QString &path)
{
    if (QFileInfo(path).size() == 0)
        return {QStringLiteral("ダウンロードしたデータが空です（0 バイト）。")};
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
        db.emplace(DrawDatabase::open(path, Database::Mode::ReadOnly));
        DrawDatabase::verify(*db);
    } catch (const DatabaseError &) {
        if (HtmlText::looksLikeHtml(head))
            return {QStringLiteral("サーバーが返したのはデータベースではなくHTMLページです。")};
        if (db)
            return {QStringLiteral("当選データ（全データ選択クエリとその項目）を持たないデータベースです。")};
        return {QStringLiteral("パスワードが違うか、壊れているか、当選データファイルではありません。")};
    }
    // Opening reads only the first pages: a file cut short is found by
    // reading every page.
    try {
        Statement quickCheck = db->prepare(QStringLiteral("PRAGMA quick_check"));
        while (quickCheck.step()) {
            if (quickCheck.value(0).toText() != QLatin1String("ok"))
                return {QStringLiteral("ファイルが壊れているか、途中で切れています。")};
        }
    } catch (const DatabaseError &) {
        return {QStringLiteral("ファイルが壊れているか、途中で切れています。")};
    }
    db.reset();
    // Then the start-up's own load: a file it would refuse is refused now,
    // not at the next start.
    try {
        return {QString(), loadDrawHistoryFrom(path).LastDrawNo};
    } catch (const DatabaseError &error) {
        QString reason = error.message();
        reason.replace(path, QStringLiteral("ダウンロードしたファイル"));
        return {QStringLiteral("当選データとして読み込めません。\n") + reason};
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

QString OlderDownload::question() const
{
    return QStringLiteral("ダウンロードした当選データは第%1回までで、いまの当選データ（第%2回まで）より古いものです。"
                          "置き換えると第%3回から第%2回までのデータがなくなります（元のファイルは .bak として残します）。"
                          "古いデータで置き換えますか？")
        .arg(downloadedLastDrawNo)
        .arg(currentLastDrawNo)
        .arg(downloadedLastDrawNo + 1);
}

QString checkDatabaseFile(const QString &path)
{
    return check(path).problem;
}

void trimToDatabase(const QString &path)
{
    qint64 used = 0;
    try {
        const Database db = DrawDatabase::open(path, Database::Mode::ReadOnly);
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

Result installFile(const QString &downloaded, const QString &target, const ReplaceOlder &replaceOlder)
{
    PendingFile pending(downloaded);
    const QFileInfo targetInfo(target);
    const QString targetPath = targetInfo.absoluteFilePath();
    if (!targetInfo.exists())
        return {Status::TargetMissing, QStringLiteral("当選データファイル：'") + targetPath + QStringLiteral("'が存在しません")};

    const QString writeHeadline = QStringLiteral("新しい当選データファイルを書き込めませんでした。");
    trimToDatabase(pending.path());
    const Checked checked = check(pending.path());
    if (!checked.problem.isEmpty())
        return fault(Status::Refused, QStringLiteral("ダウンロードしたデータは当選データファイルとして使えません。"), checked.problem);

    // The question is asked before the lock is taken: a user who thinks it
    // over must not keep other writers out meanwhile.
    const std::optional<int> asked = lastDrawNo(targetPath);
    const bool replacingOlder = asked && *asked > checked.lastDrawNo;
    if (replacingOlder && !(replaceOlder && replaceOlder({checked.lastDrawNo, *asked})))
        return older({checked.lastDrawNo, *asked});

    QFile::setPermissions(pending.path(), QFile::permissions(targetPath));

    // The old file's write lock is held from here until the new file has its
    // name (see FileReplacement); opening it rolls back what a killed writer
    // left, into the old file, which becomes the .bak.
    const QString backup = targetPath + QStringLiteral(".bak");
    try {
        FileReplacement replacement(targetPath, DrawDatabase::password(), backup);
        // Another program may have added draws since the question (or since
        // the look above): the file replaced is the one compared.
        if (const Database *locked = replacement.locked()) {
            const std::optional<int> now = lastDrawNo(*locked);
            if (now && *now > checked.lastDrawNo && !(replacingOlder && now == asked))
                return older({checked.lastDrawNo, *now});
        }
        try {
            replacement.keepBackup();
        } catch (const DatabaseError &error) {
            return fault(Status::WriteFailed, QStringLiteral("以前の当選データファイルを %1 に残せませんでした。").arg(backup),
                         error.message());
        }
        replacement.replaceWith(pending);
    } catch (const DatabaseError &error) {
        return fault(Status::WriteFailed, writeHeadline, error.message());
    }
    return {Status::Updated, QStringLiteral("当選データを最新化しました。\n元のファイルは %1 に残しました。").arg(backup)};
}

Result update(const QUrl &url, const QString &target, const TransferOptions &options, const ReplaceOlder &replaceOlder)
{
    const QFileInfo targetInfo(target);
    const QString targetPath = targetInfo.absoluteFilePath();
    PendingFile::removeLeftovers(targetPath, DownloadTag);

    // The download goes to a file in the target's folder, so that the final
    // rename stays on one file system and replaces the database in one step.
    std::optional<PendingFile> pending;
    QFile temporary;
    try {
        pending.emplace(PendingFile::create(targetPath, DownloadTag));
        temporary.setFileName(pending->path());
    } catch (const DatabaseError &error) {
        if (!targetInfo.exists())
            return installFile({}, target);
        return fault(Status::WriteFailed, QStringLiteral("新しい当選データファイルを書き込めませんでした。"), error.message());
    }
    if (!temporary.open(QIODevice::WriteOnly))
        return fault(Status::WriteFailed, QStringLiteral("新しい当選データファイルを書き込めませんでした。"), temporary.errorString());

    const Download fetched = download(url, temporary, options);
    // On disk before it gets the database's name: a crash after the rename
    // must not leave an empty or partial database.
    QString unwritten;
    if (!temporary.flush())
        unwritten = temporary.errorString();
    else if (::fsync(temporary.handle()) != 0)
        unwritten = QString::fromLocal8Bit(std::strerror(errno));
    // Closed before the install opens connections on it: closing a
    // descriptor of a file drops every lock SQLite holds on it.
    temporary.close();
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
    const QString downloaded = pending->path();
    pending->release(); // installFile takes charge of it
    return installFile(downloaded, target, replaceOlder);
}

Result update(const QUrl &url, const QString &target, std::chrono::milliseconds timeout)
{
    TransferOptions options;
    options.stallTimeout = timeout;
    return update(url, target, options);
}

} // namespace DrawDataUpdate
