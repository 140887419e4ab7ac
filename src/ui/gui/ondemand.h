#pragma once

#include "maintenance/drawdataupdate.h"
#include "prediction/optionsfile.h"
#include "ui/gui/sheetprinter.h"

#include <QString>

class DrawHistoryStore;
class QWidget;

// The parts that need Qt Charts, Qt Print Support or Qt Network: printing,
// the PDF writer, the two windows with charts and the download of the draw
// data. The program loads them from a module of their own when they are
// first used, so that its start maps none of those libraries (nor OpenGL,
// Svg and Kerberos behind them). Tests and tools link them in instead; each
// executable links one of the two ways.
namespace OnDemand {

struct Parts
{
    void (*preview)(QWidget *parent, const SheetPrinter::Document &document);
    int (*writePdf)(const QString &path, const SheetPrinter::Document &document, bool fitWidth, QString *error);
    QWidget *(*backtestWindow)(const DrawHistoryStore &store, const ReflectFlags &flags);
    QWidget *(*randomnessWindow)(const DrawHistoryStore &store);
    // UpdateProgressDialog::run.
    DrawDataUpdate::Result (*update)(QWidget *parent, const QUrl &url, const QString &target,
                                     DrawDataUpdate::TransferOptions options);
};

// The parts, or nullptr with a Japanese message in problem when the module
// cannot be loaded.
const Parts *parts(QString *problem);

} // namespace OnDemand
