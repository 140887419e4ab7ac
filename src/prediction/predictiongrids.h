#pragma once

#include "ui/sheet.h"

#include <QString>

// The four grids of the prediction window: their captions, their set-up and
// their header band. Grid k: 0 cycle, 1 elimination, 2 multi-shot, 3 one-shot.
namespace PredictionGrids {

// The caption shown above grid k.
QString caption(int k);
// Rows of grid k: 5, 4, 3, 2 (one header row, then the result rows).
int rowCount(int k);

// Dimensions, sizes, static centred cells, borders, the column-1 captions and
// no active cell.
void setUpGrid(Sheet &sheet, int k);
// The header band: row 1 without inner borders, the 本 数 字 caption running
// over the number columns, blue on pink.
void setUpHeader(Sheet &sheet, int k);

} // namespace PredictionGrids
