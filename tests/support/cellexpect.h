#pragma once

// Expected cells of a built table, checked in one loop: a table of these per
// case keeps a window's tests data-driven.

#include "ui/sheet.h"

#include <gtest/gtest.h>

#include <QString>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

struct CellExpect
{
    int col;
    int row;
    std::optional<QString> text = std::nullopt;
    std::optional<Colour> back = std::nullopt;
    std::optional<Colour> fore = std::nullopt;
};

inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void expectCells(const Sheet &sheet, const std::vector<CellExpect> &cells)
{
    for (const CellExpect &e : cells) {
        SCOPED_TRACE(testing::Message() << "cell (" << e.col << ", " << e.row << ")");
        ASSERT_TRUE(sheet.contains(e.col, e.row));
        const Cell &cell = sheet.cell(e.col, e.row);
        if (e.text) {
            EXPECT_EQ(cell.text, *e.text);
        }
        if (e.back) {
            EXPECT_EQ(cell.back, *e.back) << std::hex << "got 0x" << cell.back << " want 0x" << *e.back;
        }
        if (e.fore) {
            EXPECT_EQ(cell.fore, *e.fore) << std::hex << "got 0x" << cell.fore << " want 0x" << *e.fore;
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
