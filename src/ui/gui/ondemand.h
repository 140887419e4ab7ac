#pragma once

#include "prediction/optionsfile.h"
#include "ui/gui/sheetprinter.h"

#include <QString>

class DrawHistoryStore;
class QWidget;

// The parts that need Qt Charts and Qt Print Support: printing, the PDF
// writer and the two windows with charts. The program loads them from a
// module of their own when they are first used, so that its start maps
// neither library (nor OpenGL and Svg behind them). Tests and tools link
// them in instead; each executable links one of the two ways.
namespace OnDemand {

struct Parts
{
    void (*preview)(QWidget *parent, const SheetPrinter::Document &document);
    int (*writePdf)(const QString &path, const SheetPrinter::Document &document, bool fitWidth, QString *error);
    QWidget *(*backtestWindow)(const DrawHistoryStore &store, const ReflectFlags &flags);
    QWidget *(*randomnessWindow)(const DrawHistoryStore &store);
};

// The parts, or nullptr with a Japanese message in problem when the module
// cannot be loaded.
const Parts *parts(QString *problem);

} // namespace OnDemand
