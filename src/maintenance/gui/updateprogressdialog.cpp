#include "maintenance/gui/updateprogressdialog.h"

#include "ui/gui/messages.h"

#include <QLocale>
#include <QProgressDialog>

#include <algorithm>
#include <limits>
#include <optional>

namespace UpdateProgressDialog {

namespace {

QString receivedText(const QString &heading, qint64 received, qint64 total)
{
    const QLocale locale(QLocale::Japanese, QLocale::Japan);
    QString text = heading + QStringLiteral("\n%1 バイト受信").arg(locale.toString(received));
    if (total > 0)
        text += QStringLiteral("（全 %1 バイト）").arg(locale.toString(total));
    return text;
}

} // namespace

void withProgress(QWidget *parent, const QString &heading, DrawDataUpdate::TransferOptions options,
                  const std::function<void(const DrawDataUpdate::TransferOptions &)> &work)
{
    QProgressDialog dialog(parent);
    dialog.setObjectName(ObjectName);
    dialog.setWindowTitle(Messages::ProgramTitle);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setCancelButtonText(QStringLiteral("キャンセル"));
    dialog.setLabelText(receivedText(heading, 0, -1));
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);
    dialog.setRange(0, 0);
    dialog.setMinimumDuration(0);
    dialog.show();

    options.progress = [&dialog, &heading](qint64 received, qint64 total) {
        if (total > 0 && total <= std::numeric_limits<int>::max()) {
            dialog.setRange(0, int(total));
            dialog.setValue(int(std::min(received, total)));
        }
        dialog.setLabelText(receivedText(heading, received, total));
        return !dialog.wasCanceled();
    };
    work(options);
    dialog.hide();
}

DrawDataUpdate::Result run(QWidget *parent, const QUrl &url, const QString &target,
                           DrawDataUpdate::TransferOptions options, const DrawDataUpdate::ReplaceOlder &replaceOlder)
{
    std::optional<DrawDataUpdate::Result> result;
    DrawDataUpdate::ReplaceOlder asking;
    if (replaceOlder) {
        // The download is over: the question does not sit on top of its progress.
        asking = [parent, &replaceOlder](const DrawDataUpdate::OlderDownload &download) {
            if (auto *dialog = parent ? parent->findChild<QProgressDialog *>(ObjectName) : nullptr)
                dialog->hide();
            return replaceOlder(download);
        };
    }
    withProgress(parent, QStringLiteral("当選データをダウンロードしています。"), std::move(options),
                 [&](const DrawDataUpdate::TransferOptions &reporting) {
                     result = DrawDataUpdate::update(url, target, reporting, asking);
                 });
    return *result;
}

} // namespace UpdateProgressDialog
