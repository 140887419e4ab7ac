#pragma once

#include <QHash>
#include <QString>
#include <QtGlobal>

#include <unordered_map>
#include <vector>

// Colours are 0xRRGGBB.
using Colour = quint32;
constexpr Colour rgb(int r, int g, int b)
{
    return (Colour(r & 0xff) << 16) | (Colour(g & 0xff) << 8) | Colour(b & 0xff);
}
constexpr int red(Colour c) { return int((c >> 16) & 0xff); }
constexpr int green(Colour c) { return int((c >> 8) & 0xff); }
constexpr int blue(Colour c) { return int(c & 0xff); }

namespace Colours {
inline constexpr Colour Black = rgb(0, 0, 0);
inline constexpr Colour White = rgb(255, 255, 255);
inline constexpr Colour Red = rgb(255, 0, 0);
inline constexpr Colour Blue = rgb(0, 0, 255);
inline constexpr Colour LightYellow = rgb(255, 255, 200);
inline constexpr Colour LightPink = rgb(255, 200, 200);
inline constexpr Colour LightCyan = rgb(200, 255, 255);
inline constexpr Colour PaleCyan = rgb(222, 254, 253);
inline constexpr Colour LightGreen = rgb(200, 255, 200);
inline constexpr Colour LightBlue = rgb(136, 196, 255);
inline constexpr Colour MainDot = rgb(62, 158, 255);
inline constexpr Colour BonusDot = rgb(255, 128, 192);
} // namespace Colours

enum class HAlign { Left, Center, Right };
enum class VAlign { Top, Center, Bottom };
enum class ScrollBars { None, Horizontal, Vertical, Both };

// Border types as bit masks: sides combine (15 = all four); Outline draws the
// outer edges of a block; None (0) removes every side of every cell.
namespace Border {
enum : int { None = 0, Left = 1, Right = 2, Top = 4, Bottom = 8, All = 15, Outline = 16 };
}

struct BorderLine
{
    bool on = false;
    Colour colour = 0;
    bool operator==(const BorderLine &) const = default;
};

// Everything about a cell but its text. A sheet keeps each distinct style
// once and gives every cell a small index into them.
struct CellStyle
{
    Colour fore = Colours::Black;
    Colour back = Colours::White;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Bottom;
    bool isStatic = false;
    BorderLine left, right, top, bottom;
    bool operator==(const CellStyle &) const = default;
};

// A cell as the windows read it: a copy made from the sheet's shared records.
struct Cell : CellStyle
{
    QString text;
};

// A rectangle of cells by first column, first row, last column, last row,
// all counted from 1; −1 as a column or row means all columns or all rows.
struct Block
{
    int col1 = -1;
    int row1 = -1;
    int col2 = -1;
    int row2 = -1;

    static Block all() { return {-1, -1, -1, -1}; }
    static Block cell(int col, int row) { return {col, row, col, row}; }
    static Block cells(int col1, int row1, int col2, int row2) { return {col1, row1, col2, row2}; }
    static Block column(int col) { return {col, -1, col, -1}; }
    static Block row(int row) { return {-1, row, -1, row}; }
};

// The spreadsheet-like grid model every window fills. It carries exactly the
// operations the windows use; each operation changes the cells as it is
// called, so later settings win. Cells outside 1 … maxCols × 1 … maxRows are
// not kept: writes there are ignored, as a grid shows nothing beyond its size.
class Sheet
{
public:
    static constexpr double DefaultRowHeight = 10.0;
    static constexpr double DefaultColWidth = 8.0;
    static constexpr Colour DefaultBorderColour = rgb(128, 128, 128);

    Sheet() = default;

    // Dimensions. Growing keeps existing cells; new cells take the defaults.
    void setMaxCols(int cols);
    void setMaxRows(int rows);
    int maxCols() const { return m_cols; }
    int maxRows() const { return m_rows; }

    // Column and row counts, then how many of each show at once: the first
    // step of every window's grid set-up.
    void setDimensions(int cols, int rows, int visibleCols, int visibleRows);

    int visibleCols() const { return m_visibleCols; }
    int visibleRows() const { return m_visibleRows; }

    void setFrozenRows(int n) { m_frozenRows = n; }
    void setFrozenCols(int n) { m_frozenCols = n; }
    int frozenRows() const { return m_frozenRows; }
    int frozenCols() const { return m_frozenCols; }

    void setScrollBars(ScrollBars bars) { m_scrollBars = bars; }
    ScrollBars scrollBars() const { return m_scrollBars; }

    // Heights in the grid's height unit, widths in characters; row or column
    // −1 sets the default for all (and clears per-row or per-column values).
    void setRowHeight(int row, double height);
    void setColWidth(int col, double width);
    double rowHeight(int row) const;
    double colWidth(int col) const;

    // Block formatting.
    void setStatic(Block block, bool isStatic = true);
    // Static text, centred horizontally and vertically: how every window
    // starts its cells.
    void setStaticCentred(Block block);
    void setAlignment(Block block, HAlign h, VAlign v);
    void setHAlign(Block block, HAlign h);
    void setVAlign(Block block, VAlign v);
    void setForeColour(Block block, Colour colour);
    void setBackColour(Block block, Colour colour);
    void setColours(Block block, Colour fore, Colour back);

    // Borders: the colour given (or, without one, the current border colour)
    // stays the current border colour for later border operations.
    void setBorderColour(Colour colour) { m_borderColour = colour; }
    Colour borderColour() const { return m_borderColour; }
    void setBorder(Block block, int type);
    void setBorder(Block block, int type, Colour colour);

    // Text overflow of a cell over empty cells to its right.
    void setOverflow(bool allowed) { m_overflow = allowed; }
    bool overflow() const { return m_overflow; }

    void setText(int col, int row, const QString &text);
    void setText(int col, int row, long long number);
    QString text(int col, int row) const;

    // The active cell; (0, 0), the grid's own corner, shows no selection.
    void setActiveCell(int col, int row);
    int activeCol() const { return m_activeCol; }
    int activeRow() const { return m_activeRow; }

    bool contains(int col, int row) const { return col >= 1 && row >= 1 && col <= m_cols && row <= m_rows; }
    Cell cell(int col, int row) const;

    // Read access without copies, for writers that walk every cell: the
    // cell's style, and its text either as a number (a cell set from an
    // integer ≥ 0, whose text is that number's digits) or as a string.
    const CellStyle &style(int col, int row) const;
    struct TextRef
    {
        const QString *string; // nullptr when the text is a number
        long long number;
        quint32 index; // of the string among the sheet's distinct texts (0: empty)
    };
    TextRef textRef(int col, int row) const;
    // The same for writers that make each distinct style's or text's output
    // once: a cell's index into the sheet's distinct styles, which
    // styleAt() gives, and how many distinct styles and texts there are.
    quint32 styleIndex(int col, int row) const { return contains(col, row) ? at(col, row).style : 0; }
    const CellStyle &styleAt(quint32 index) const { return m_styles[index]; }
    size_t styleCount() const { return m_styles.size(); }
    size_t stringCount() const { return m_strings.size(); }

private:
    struct Range
    {
        int c1, r1, c2, r2;
        bool empty() const { return c1 > c2 || r1 > r2; }
    };
    // Per cell: the text (0 empty, NumberFlag | n the digits of n, otherwise
    // an index into m_strings) and an index into m_styles.
    struct Slot
    {
        quint32 text = 0;
        quint32 style = 0;
    };
    static constexpr quint32 NumberFlag = 0x80000000u;
    struct StyleHash
    {
        size_t operator()(const CellStyle &style) const noexcept;
    };

    Range clip(Block block) const;
    Slot &at(int col, int row) { return m_cells[size_t(row - 1) * size_t(m_cols) + size_t(col - 1)]; }
    const Slot &at(int col, int row) const { return m_cells[size_t(row - 1) * size_t(m_cols) + size_t(col - 1)]; }
    // Applies change(style, edges) to every cell of the block; edges holds the
    // Border side bits of the block's outer edges the cell lies on.
    template <typename F>
    void restyle(Block block, bool needsEdges, F &&change);
    quint32 internStyle(const CellStyle &style);
    quint32 internString(const QString &text);
    void reshape(int cols, int rows);

    int m_cols = 0;
    int m_rows = 0;
    std::vector<Slot> m_cells;
    std::vector<CellStyle> m_styles{CellStyle{}};
    std::unordered_map<CellStyle, quint32, StyleHash> m_styleIndex{{CellStyle{}, 0}};
    std::vector<QString> m_strings{QString()};
    QHash<QString, quint32> m_stringIndex;
    int m_visibleCols = 0;
    int m_visibleRows = 0;
    int m_frozenRows = 0;
    int m_frozenCols = 0;
    ScrollBars m_scrollBars = ScrollBars::Both;
    double m_defaultRowHeight = DefaultRowHeight;
    double m_defaultColWidth = DefaultColWidth;
    std::vector<double> m_rowHeights; // index 0 … rows; < 0 means default
    std::vector<double> m_colWidths;  // index 0 … cols; < 0 means default
    Colour m_borderColour = DefaultBorderColour;
    bool m_overflow = false;
    int m_activeCol = 1;
    int m_activeRow = 1;
};
