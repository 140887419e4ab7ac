#include "analysis/builders.h"

#include "store/checked.h"

#include <array>

// 分割5傾向分析: every complete draw in one row, its numbers coloured by decade
// group, followed by how many of its seven numbers fall into each group.
namespace {

constexpr int Columns = 13;
constexpr Colour CountCaptionBack = rgb(200, 200, 255);

// The decade groups 01–09, 10–19, 20–29, 30–39 and the rest; the tests run in
// this order, so anything below 1 or above 39 lands in the last group.
constexpr std::array<Colour, 5> GroupColours = {Colours::White, Colours::LightCyan, Colours::LightGreen,
                                                Colours::LightYellow, rgb(255, 200, 255)};

int groupOf(qint16 n)
{
    if (n >= 1 && n <= 9)
        return 1;
    if (n >= 10 && n <= 19)
        return 2;
    if (n >= 20 && n <= 29)
        return 3;
    if (n >= 30 && n <= 39)
        return 4;
    return 5;
}

void setUpGrid(Sheet &sheet, int rows)
{
    sheet.setDimensions(Columns, rows, Columns, 51);
    sheet.setScrollBars(ScrollBars::Vertical);
    sheet.setFrozenRows(1);
    sheet.setRowHeight(-1, 10.0);
    sheet.setRowHeight(1, 20.0);
    sheet.setColWidth(-1, 5.0);
    sheet.setColWidth(1, 6.0);
    sheet.setStaticCentred(Block::all());

    sheet.setColours(Block::cells(1, 2, 1, rows), Colours::Red, Colours::LightYellow);
    sheet.setBackColour(Block::cells(8, 2, 8, rows), Colours::LightYellow);
    for (int group = 2; group <= 5; ++group)
        sheet.setBackColour(Block::cells(8 + group, 2, 8 + group, rows), GroupColours[size_t(group - 1)]);

    sheet.setBorder(Block::cells(1, 1, Columns, rows), Border::All);
    // A red line parts the drawn numbers from the group counts.
    sheet.setBorder(Block::cells(9, 1, 9, rows), Border::Left, Colours::Red);
    sheet.setActiveCell(0, 0);
}

void captionRow(Sheet &sheet, int row)
{
    // The six main-number columns read as one header cell under one line.
    sheet.setBorderColour(Colours::Black);
    sheet.setBorder(Block::cells(2, row, 7, row), Border::None);
    sheet.setBorder(Block::cells(2, row, 7, row), Border::Bottom);
    sheet.setColours(Block::cells(1, row, 8, row), Colours::Black, Colours::LightPink);
    sheet.setColours(Block::cells(9, row, 13, row), Colours::Blue, CountCaptionBack);
    sheet.setOverflow(true);
    sheet.setVAlign(Block::cell(4, row), VAlign::Center);
    sheet.setHAlign(Block::cell(4, row), HAlign::Left);
    sheet.setText(4, row, QStringLiteral("    本 数 字"));
    sheet.setRowHeight(row, 20.0);

    sheet.setText(1, row, QStringLiteral("回数"));
    sheet.setText(8, row, QStringLiteral("ボ数"));
    sheet.setText(9, row, QStringLiteral("01～09"));
    sheet.setText(10, row, QStringLiteral("10～19"));
    sheet.setText(11, row, QStringLiteral("20～29"));
    sheet.setText(12, row, QStringLiteral("30～39"));
    sheet.setText(13, row, QStringLiteral("40～43"));
}

} // namespace

Sheet buildFiveDivision(const DrawHistoryStore &store)
{
    const qint16 captionRows = 1;
    const qint16 closingRow = checked::add(checked::add(store.LastDrawNo, captionRows), 1);

    Sheet sheet;
    setUpGrid(sheet, closingRow);
    captionRow(sheet, 1);
    captionRow(sheet, closingRow);

    std::array<qint16, 5> counts{};
    qint16 row = 2;
    for (const DrawRecord &record : store.DrawRecordset) {
        counts.fill(0);
        if (!record.isComplete())
            continue;
        // More complete draws than LastDrawNo (draw numbers below 1) would run
        // into the closing caption row; they are left out rather than written
        // over it.
        if (row >= closingRow)
            break;
        setFieldText(sheet, 1, row, record.drawNo);
        for (int p = 1; p <= 7; ++p) {
            const int col = p == 7 ? 8 : 1 + p;
            setFieldText(sheet, col, row, record.number(p));
            const int group = groupOf(record.number(p).toInt16());
            sheet.setBackColour(Block::cell(col, row), GroupColours[size_t(group - 1)]);
        }
        for (int p = 1; p <= 7; ++p) {
            qint16 &count = counts[size_t(groupOf(record.number(p).toInt16()) - 1)];
            count = checked::add(count, 1);
        }
        for (int i = 1; i <= 5; ++i)
            sheet.setText(8 + i, row, counts[size_t(i - 1)]);
        row = checked::add(row, 1);
    }
    return sheet;
}
