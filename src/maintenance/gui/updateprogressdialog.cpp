#include "maintenance/gui/updateprogressdialog.h"

#include "ui/gui/messages.h"

#include <QLocale>
#include <QProgressDialog>

#include <algorithm>
#include <limits>

namespace UpdateProgressDialog {

namespace {

QString receivedText(qint64 received, qint64 total)
{
    const QLocale locale(QLocale::Japanese, QLocale::Japan);
    QString text = QStringLiteral("当選データをダウンロードしています。\n%1 バイト受信").arg(locale.toString(received));
    if (total > 0)
        text += QStringLiteral("（全 %1 バイト）").arg(locale.toString(total));
    return text;
}

} // namespace

DrawDataUpdate::Result run(QWidget *parent, const QUrl &url, const QString &target,
                           DrawDataUpdate::TransferOptions options)
{
    QProgressDialog dialog(parent);
    dialog.setObjectName(ObjectName);
    dialog.setWindowTitle(Messages::ProgramTitle);
    dialog.setWindowModality(Qt::WindowModal);
    dialog.setCancelButtonText(QStringLiteral("キャンセル"));
    dialog.setLabelText(receivedText(0, -1));
    dialog.setAutoReset(false);
    dialog.setAutoClose(false);
    dialog.setRange(0, 0);
    dialog.setMinimumDuration(0);
    dialog.show();

    options.progress = [&dialog](qint64 received, qint64 total) {
        if (total > 0 && total <= std::numeric_limits<int>::max()) {
            dialog.setRange(0, int(total));
            dialog.setValue(int(std::min(received, total)));
        }
        dialog.setLabelText(receivedText(received, total));
        return !dialog.wasCanceled();
    };
    const DrawDataUpdate::Result result = DrawDataUpdate::update(url, target, options);
    dialog.hide();
    return result;
}

} // namespace UpdateProgressDialog
