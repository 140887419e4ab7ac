#pragma once

#include "ui/sheet.h"

#include <QFont>
#include <QHash>
#include <QStaticText>

#include <vector>

class QPainter;

// The one routine that draws a Sheet's cells, for the screen and for the
// printed page alike: widths, heights, frozen leading rows and columns,
// colours, alignment, borders by side and text overflow.
namespace SheetPainter {

// One column or row as drawn: its number and its place in the painter's
// coordinates.
struct Span
{
    int index;  // column or row number
    int start;  // position
    int length; // size
};

// Texts laid out once in one font and drawn many times ("●", numbers,
// captions).
class TextCache
{
public:
    explicit TextCache(const QFont &font = {});
    void setFont(const QFont &font);
    const QFont &font() const { return m_font; }
    int lineHeight() const { return m_lineHeight; }
    const QStaticText &text(const QString &text);

private:
    QFont m_font;
    int m_lineHeight = 0;
    QHash<QString, QStaticText> m_cache;
};

// A selection to shade; all zero for none.
struct Selection
{
    int col1 = 0, row1 = 0, col2 = 0, row2 = 0;
};

// Paints the cells at the crossings of cols and rows (frozen ones first, in
// order, each list ascending within its frozen and scrolled parts).
// colPixels gives every column's size (index 0 … maxCols), so that text of a
// column left of the scrolled ones can still run on into view. In the first
// captionRows rows a caption spanning the empty cells of its row is carried
// into view when its own cell is out of view to the left (a printed page
// that continues the table), at the same distance from the scrolled columns'
// start as it has from the table's.
void paint(QPainter &painter, const Sheet &sheet, const std::vector<Span> &cols, const std::vector<Span> &rows,
           const std::vector<int> &colPixels, TextCache &texts, const Selection &selection = {}, int captionRows = 0);

} // namespace SheetPainter
