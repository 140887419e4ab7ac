#pragma once

#include "ui/sheet.h"

#include <QString>

// The grid both last-digit windows share: the draw-number column, ten digit
// columns 0 … 9, and a caption pair (title row and digit row) at the top and,
// mirrored, at the bottom.
namespace LastDigitGrid {

inline constexpr int Columns = 11;
inline constexpr int FirstDataRow = 3;

// 96 characters, written left-aligned into column 2 so that the words stand
// in the middle of the ten digit columns.
QString title();

// Grid set-up for a history whose last draw is lastDrawNo; the table has
// lastDrawNo + 4 rows. With numberRows, row k + 2 is labelled with k.
void setUp(Sheet &sheet, int lastDrawNo, bool numberRows);

// Which cell of column 1 gets an outline in a caption pair.
enum class Column1Outline { TitleRow, FirstRow };

// The caption pair whose first row is firstRow: the top pair is title row
// then digit row, the bottom pair digit row then title row.
void captionPair(Sheet &sheet, int firstRow, bool top, Column1Outline outline);

} // namespace LastDigitGrid
