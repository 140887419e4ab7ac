#pragma once

#include "maintenance/drawdataupdate.h"

#include <functional>

class QWidget;

// A download as the windows run it: a modal progress dialog shows the bytes
// received, and its キャンセル button stops the download with nothing
// written.
namespace UpdateProgressDialog {

inline const QString ObjectName = QStringLiteral("updateProgressDialog");

// Runs work under the dialog; the options it is handed report to the
// dialog. heading: the first line of the dialog's text.
void withProgress(QWidget *parent, const QString &heading, DrawDataUpdate::TransferOptions options,
                  const std::function<void(const DrawDataUpdate::TransferOptions &)> &work);

// The draw data update under the dialog. A download older than the
// database is put to replaceOlder (none: refused) once the dialog is gone.
DrawDataUpdate::Result run(QWidget *parent, const QUrl &url, const QString &target,
                           DrawDataUpdate::TransferOptions options = {},
                           const DrawDataUpdate::ReplaceOlder &replaceOlder = {});

} // namespace UpdateProgressDialog
