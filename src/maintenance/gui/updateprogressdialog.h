#pragma once

#include "maintenance/drawdataupdate.h"

class QWidget;

// The draw data update as the menu runs it: a modal progress dialog shows
// the bytes received, and its キャンセル button stops the download with the
// database left as it was.
namespace UpdateProgressDialog {

inline const QString ObjectName = QStringLiteral("updateProgressDialog");

DrawDataUpdate::Result run(QWidget *parent, const QUrl &url, const QString &target,
                           DrawDataUpdate::TransferOptions options = {});

} // namespace UpdateProgressDialog
