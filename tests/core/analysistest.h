#pragma once

// Shared helpers of the analysis window tests: draw histories built in
// memory, and rows of a Sheet read back as one string for compact tables.

#include "support/history.h"
#include "ui/sheet.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace AnalysisTest {

using TestHistory::draw;

// A store whose recordset is taken as is, without the checks of the load:
// the windows must stop on values the load would already refuse.
inline DrawHistoryStore rawStore(std::vector<DrawRecord> records, qint16 lastDrawNo)
{
    DrawHistoryStore store;
    store.DrawRecordset = Recordset(std::move(records));
    store.LastDrawNo = lastDrawNo;
    return store;
}

// Draw drawNo with the bonus field missing (Null) or the empty string.
inline DrawRecord withoutBonus(long long drawNo, bool emptyString)
{
    return draw(drawNo, {1, 2, 3, 4, 5, 6, emptyString ? TestHistory::empty() : Field::null()});
}

// Texts of columns c1 … c2 of a row joined by "|".
inline std::string rowText(const Sheet &sheet, int row, int c1, int c2)
{
    std::string joined;
    for (int c = c1; c <= c2; ++c) {
        if (c > c1)
            joined += '|';
        joined += sheet.text(c, row).toStdString();
    }
    return joined;
}

// Every text of the rows r1 … r2 is empty.
inline bool rowsEmpty(const Sheet &sheet, int r1, int r2)
{
    for (int r = r1; r <= r2; ++r) {
        for (int c = 1; c <= sheet.maxCols(); ++c) {
            if (!sheet.text(c, r).isEmpty())
                return false;
        }
    }
    return true;
}

inline std::string sides(const Cell &cell)
{
    std::string s;
    s += cell.left.on ? 'L' : '-';
    s += cell.right.on ? 'R' : '-';
    s += cell.top.on ? 'T' : '-';
    s += cell.bottom.on ? 'B' : '-';
    return s;
}

// The build fails with that run-time error kind.
inline void expectFailure(Sheet (*build)(const DrawHistoryStore &), const DrawHistoryStore &store,
                          RuntimeErrorKind kind)
{
    try {
        build(store);
        ADD_FAILURE() << "the build did not fail";
    } catch (const RuntimeError &error) {
        EXPECT_EQ(int(error.kind()), int(kind));
    }
}

} // namespace AnalysisTest
