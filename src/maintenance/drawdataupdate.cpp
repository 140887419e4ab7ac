#include "maintenance/drawdataupdate.h"

#include "store/drawdatabase.h"
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

#include <filesystem>
#include <memory>
#include <optional>
#include <system_error>

namespace DrawDataUpdate {

namespace {

const QString Unchanged = QStringLiteral("当選データファイルは変更していません。");

std::filesystem::path nativePath(const QString &path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

QString systemReason(const std::error_code &error)
{
    return QString::fromLocal8Bit(error.message().c_str());
}

Result fault(Status status, const QString &headline, const QString &reason)
{
    return {status, headline + QLatin1Char('\n') + reason + QLatin1Char('\n') + Unchanged};
}

QString transferReason(const QNetworkReply &reply, bool timedOut, std::chrono::milliseconds timeout)
{
    if (timedOut) {
        return QStringLiteral("サーバーが %1 秒間応答しませんでした（タイムアウト）。")
            .arg(double(timeout.count()) / 1000.0);
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

bool looksLikeHtml(const QByteArray &body)
{
    const QByteArray head = body.left(512).trimmed().toLower();
    return head.startsWith("<!doctype") || head.startsWith("<html") || head.contains("<html");
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

} // namespace

QUrl defaultUrl()
{
    QString host = QStringLiteral(LOTO6_DOWNLOAD_HOST);
    while (host.endsWith(QLatin1Char('/')))
        host.chop(1);
    return QUrl(host + DownloadPath);
}

Download download(const QUrl &url, std::chrono::milliseconds timeout)
{
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    std::unique_ptr<QNetworkReply> reply(manager.get(request));

    QEventLoop loop;
    QTimer stall;
    stall.setSingleShot(true);
    stall.setInterval(timeout);
    bool timedOut = false;
    QObject::connect(&stall, &QTimer::timeout, &loop, [&] {
        timedOut = true;
        reply->abort();
    });
    // The time-out counts from the last sign of progress, so a slow but
    // moving transfer is not cut off.
    QObject::connect(reply.get(), &QNetworkReply::downloadProgress, &stall, [&stall] { stall.start(); });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    stall.start();
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    stall.stop();

    Download result;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const bool httpOk = !status.isValid() || (status.toInt() >= 200 && status.toInt() < 300);
    if (timedOut || reply->error() != QNetworkReply::NoError || !httpOk) {
        result.reason = transferReason(*reply, timedOut, timeout);
        return result;
    }
    result.ok = true;
    result.body = reply->readAll();
    return result;
}

QString checkDatabaseFile(const QString &path)
{
    if (QFileInfo(path).size() == 0)
        return QStringLiteral("ダウンロードしたデータが空です（0 バイト）。");
    std::optional<Database> db;
    try {
        db.emplace(Database::open(path, DrawDatabase::password(), Database::Mode::ReadOnly));
        DrawDatabase::verify(*db);
    } catch (const DatabaseError &) {
        QFile file(path);
        const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(512) : QByteArray();
        if (looksLikeHtml(head))
            return QStringLiteral("サーバーが返したのはデータベースではなくHTMLページです。");
        if (db)
            return QStringLiteral("当選データ（全データ選択クエリとその項目）を持たないデータベースです。");
        return QStringLiteral("パスワードが違うか、壊れているか、当選データファイルではありません。");
    }
    // Opening reads only the first pages: a file cut short is found by
    // reading every page and every record.
    try {
        Statement check = db->prepare(QStringLiteral("PRAGMA quick_check"));
        while (check.step()) {
            if (check.value(0).toText() != QLatin1String("ok"))
                return QStringLiteral("ファイルが壊れているか、途中で切れています。");
        }
        DrawDatabase::readAll(*db);
    } catch (const DatabaseError &) {
        return QStringLiteral("ファイルが壊れているか、途中で切れています。");
    }
    return {};
}

Result install(const QByteArray &body, const QString &target)
{
    const QFileInfo targetInfo(target);
    const QString targetPath = targetInfo.absoluteFilePath();
    if (!targetInfo.exists())
        return {Status::TargetMissing, QStringLiteral("当選データファイル：'") + targetPath + QStringLiteral("'が存在しません")};

    const QString writeHeadline = QStringLiteral("新しい当選データファイルを書き込めませんでした。");
    // The new file is written in the same folder, so that the final rename
    // stays on one file system and replaces the database in one step.
    QTemporaryFile temporary(targetInfo.dir().filePath(targetInfo.fileName() + QStringLiteral(".download-XXXXXX")));
    temporary.setAutoRemove(false);
    if (!temporary.open())
        return fault(Status::WriteFailed, writeHeadline, temporary.errorString());
    PendingFile pending(temporary.fileName());
    if (temporary.write(body) != body.size() || !temporary.flush()) {
        const QString reason = temporary.errorString();
        temporary.close();
        return fault(Status::WriteFailed, writeHeadline, reason);
    }
    temporary.close();

    const QString problem = checkDatabaseFile(pending.path());
    if (!problem.isEmpty())
        return fault(Status::Refused, QStringLiteral("ダウンロードしたデータは当選データファイルとして使えません。"), problem);

    QFile::setPermissions(pending.path(), QFile::permissions(targetPath));

    // Keep the previous database as .bak: a second name for the same file
    // where the file system allows it, a copy otherwise; put in place by a
    // rename so an older .bak is only replaced by a complete one.
    const QString backup = targetPath + QStringLiteral(".bak");
    PendingFile pendingBackup(backup + QStringLiteral(".new"));
    std::error_code error;
    std::filesystem::remove(nativePath(pendingBackup.path()), error);
    error.clear();
    std::filesystem::create_hard_link(nativePath(targetPath), nativePath(pendingBackup.path()), error);
    if (error) {
        error.clear();
        std::filesystem::copy_file(nativePath(targetPath), nativePath(pendingBackup.path()), error);
    }
    if (!error)
        std::filesystem::rename(nativePath(pendingBackup.path()), nativePath(backup), error);
    if (error) {
        return fault(Status::WriteFailed, QStringLiteral("以前の当選データファイルを %1 に残せませんでした。").arg(backup),
                     systemReason(error));
    }
    pendingBackup.release();

    // The rename replaces the directory entry only: a connection still open on
    // the old file keeps reading the old contents.
    std::filesystem::rename(nativePath(pending.path()), nativePath(targetPath), error);
    if (error)
        return fault(Status::WriteFailed, writeHeadline, systemReason(error));
    pending.release();
    return {Status::Updated, QStringLiteral("当選データを最新化しました。")};
}

Result update(const QUrl &url, const QString &target, std::chrono::milliseconds timeout)
{
    const Download fetched = download(url, timeout);
    if (!fetched.ok)
        return fault(Status::DownloadFailed, QStringLiteral("当選データをダウンロードできませんでした。"), fetched.reason);
    return install(fetched.body, target);
}

} // namespace DrawDataUpdate
