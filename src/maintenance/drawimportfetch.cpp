#include "maintenance/drawimportfetch.h"

#include "store/boundedinput.h"

#include <QBuffer>

#include <algorithm>

namespace DrawImport {

Fetched fetch(const QUrl &url, DrawDataUpdate::TransferOptions options)
{
    Fetched fetched;
    fetched.url = url;
    if (!isWebScheme(url.scheme().toLower())) {
        fetched.message = QStringLiteral("取得できるのは http:// と https:// のアドレスだけです（%1）。").arg(url.toString());
        return fetched;
    }
    options.maxRedirects = MaxRedirects;
    // A page is held in memory and read as a file is: the import's limit.
    options.maxBytes = std::min(options.maxBytes, BoundedInput::MaxBytes);
    QByteArray body;
    QBuffer sink(&body);
    sink.open(QIODevice::WriteOnly);
    const DrawDataUpdate::Download download = DrawDataUpdate::download(url, sink, options);
    if (download.url.isValid())
        fetched.url = download.url;
    const QString headline = QStringLiteral("「%1」を取得できませんでした。\n").arg(url.toString());
    using Outcome = DrawDataUpdate::Download::Outcome;
    switch (download.outcome) {
    case Outcome::Ok:
        break;
    case Outcome::Cancelled:
        fetched.status = Fetched::Status::Cancelled;
        fetched.message = QStringLiteral("取得を中止しました。");
        return fetched;
    case Outcome::TooLarge:
        fetched.status = Fetched::Status::Refused;
        fetched.message = headline + download.reason;
        return fetched;
    case Outcome::Failed:
    case Outcome::SinkFailed:
        fetched.message = headline + download.reason;
        return fetched;
    }
    fetched.web = readWebBody(body, download.contentType);
    if (!fetched.web.problem.isEmpty()) {
        fetched.status = Fetched::Status::Refused;
        fetched.message = QStringLiteral("「%1」は当選データとして読めません。\n").arg(url.toString()) + fetched.web.problem;
        return fetched;
    }
    fetched.status = Fetched::Status::Read;
    return fetched;
}

} // namespace DrawImport
