#pragma once

// Rows of expected cells for data-driven checks of a built table.

#include "ui/sheet.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

struct CellExpectation
{
    int col;
    int row;
    std::optional<QString> text = std::nullopt;
    std::optional<Colour> fore = std::nullopt;
    std::optional<Colour> back = std::nullopt;
};

inline std::ostream &operator<<(std::ostream &out, const CellExpectation &e)
{
    return out << "cell (" << e.col << ", " << e.row << ")";
}

inline void expectCells(const Sheet &sheet, const std::vector<CellExpectation> &expectations)
{
    for (const CellExpectation &e : expectations) {
        SCOPED_TRACE(::testing::Message() << e);
        ASSERT_TRUE(sheet.contains(e.col, e.row));
        const Cell &cell = sheet.cell(e.col, e.row);
        if (e.text) {
            EXPECT_EQ(cell.text.toStdString(), e.text->toStdString());
        }
        if (e.fore) {
            EXPECT_EQ(cell.fore, *e.fore);
        }
        if (e.back) {
            EXPECT_EQ(cell.back, *e.back);
        }
    }
}

// The texts of one row, columns first … last.
inline std::vector<std::string> rowTexts(const Sheet &sheet, int row, int first, int last)
{
    std::vector<std::string> texts;
    for (int c = first; c <= last; ++c)
        texts.push_back(sheet.text(c, row).toStdString());
    return texts;
}

inline QString txt(const char *utf8)
{
    return QString::fromUtf8(utf8);
}
