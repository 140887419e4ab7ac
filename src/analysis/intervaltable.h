#pragma once

#include "store/globalbas.h"
#include "ui/sheet.h"

#include <QString>

// The table shared by 出現間隔分析 and 数字間隔分析: one row per record from row 3,
// the seven numbers of a draw in columns 2, 4, … 14 with a result column to
// the right of each, and a pair of caption rows at the top repeated in mirror
// order at the foot. The two windows differ only in their caption texts and
// their fill.
namespace IntervalTable {

struct Captions
{
    QString band;      // over the six main numbers, written into column 7
    QString bonusBand; // over the bonus number, written into column 14
    QString result;    // title of every result column (3, 5, … 15)
};

// Grid set-up, top caption pair, foot caption pair, in that order; the fill
// comes after, so a record whose row falls on the foot rows overwrites them.
Sheet layout(qint16 lastDrawNo, const Captions &captions);

// Writes 回数 into column 1 and the seven numbers, as stored, into 2, 4, … 14.
void writeDraw(Sheet &sheet, int row, const DrawRecord &record);

} // namespace IntervalTable
