#pragma once

#include "ui/pagelayout.h"
#include "ui/sheet.h"

#include <QString>

#include <vector>

class QPrinter;
class QWidget;

// A window's tables as printed pages: the whole of every table, split by
// PageLayout, each page with a header (the window's caption and the draw
// range) and a footer ("n / N" and the print date). The cells are drawn by
// SheetPainter, as on screen.
namespace SheetPrinter {

struct Section
{
    QString title; // printed above the table, or empty
    Sheet sheet;
    // Rows and columns repeated on every page (TableOutput::captions);
    // −1: the sheet's frozen ones.
    int captionRows = -1;
    int captionCols = -1;
};

struct Document
{
    QString caption;   // the window's caption
    QString drawRange; // "第1回〜第N回", or empty
    std::vector<Section> sections;
};

// The tables in the unit the pages are laid out in (the screen's pixels at 100 %).
std::vector<PageLayout::Table> tables(const Document &document);

// Paper, orientation and margins for the document: A4, in the orientation
// that takes fewer pages (PageLayout::fitsBetterLandscape).
void setUpPrinter(QPrinter &printer, const Document &document, bool fitWidth = false);
bool prefersLandscape(const Document &document, bool fitWidth = false);

// The pages as they would print on this printer, at the scale that takes
// the fewest (PageLayout::fit).
PageLayout::Result layout(QPrinter &printer, const Document &document, bool fitWidth);

// Prints every page; returns the page count (0 when the printer could not
// start).
int print(QPrinter &printer, const Document &document, bool fitWidth);

// Writes the pages to a PDF file and returns their count; 0 with a Japanese
// message on failure.
int writePdf(const QString &path, const Document &document, bool fitWidth, QString *error);

// Qt's print preview of the whole document, with "ページ幅に合わせる".
void preview(QWidget *parent, const Document &document);

} // namespace SheetPrinter
