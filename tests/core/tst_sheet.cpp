// The grid model: later settings win, −1 blocks, writes outside the grid,
// borders and the export format.
#include "ui/sheet.h"
#include "ui/sheetexport.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

Sheet grid(int cols, int rows)
{
    Sheet sheet;
    sheet.setMaxCols(cols);
    sheet.setMaxRows(rows);
    return sheet;
}

} // namespace

TEST(Sheet, LaterSettingsWinAndMinusOneMeansAll)
{
    Sheet sheet = grid(4, 3);
    sheet.setColours(Block::column(1), Colours::Red, Colours::LightYellow);
    sheet.setColours(Block::row(1), Colours::Black, Colours::LightPink);
    EXPECT_EQ(sheet.cell(1, 1).back, Colours::LightPink); // the row block came later
    EXPECT_EQ(sheet.cell(1, 2).back, Colours::LightYellow);
    EXPECT_EQ(sheet.cell(1, 3).fore, Colours::Red);
    EXPECT_EQ(sheet.cell(4, 1).back, Colours::LightPink);
    EXPECT_EQ(sheet.cell(4, 2).back, Colours::White);

    sheet.setAlignment(Block::all(), HAlign::Center, VAlign::Center);
    sheet.setStatic(Block::all());
    for (int r = 1; r <= 3; ++r) {
        for (int c = 1; c <= 4; ++c) {
            EXPECT_EQ(sheet.cell(c, r).hAlign, HAlign::Center);
            EXPECT_TRUE(sheet.cell(c, r).isStatic);
        }
    }
}

TEST(Sheet, WritesOutsideTheGridAreNotKept)
{
    Sheet sheet = grid(3, 2);
    sheet.setText(4, 1, QStringLiteral("beyond"));
    sheet.setText(1, 3, QStringLiteral("below"));
    sheet.setText(0, 0, QStringLiteral("corner"));
    sheet.setBackColour(Block::cells(3, 2, 9, 9), Colours::LightCyan); // clipped to (3, 2)
    EXPECT_TRUE(sheet.text(4, 1).isEmpty());
    EXPECT_TRUE(sheet.text(1, 3).isEmpty());
    EXPECT_EQ(sheet.cell(3, 2).back, Colours::LightCyan);
    // Growing the grid shows default cells, not what was written outside.
    sheet.setMaxCols(5);
    EXPECT_TRUE(sheet.text(4, 1).isEmpty());
    EXPECT_EQ(sheet.cell(3, 2).back, Colours::LightCyan);
    EXPECT_EQ(sheet.cell(5, 2).back, Colours::White);
}

TEST(Sheet, EmptyBlocksChangeNothing)
{
    Sheet sheet = grid(3, 2);
    sheet.setBackColour(Block::cells(1, 3, 3, 2), Colours::Red); // rows 3 … 2 of a 2-row grid
    for (int c = 1; c <= 3; ++c)
        EXPECT_EQ(sheet.cell(c, 2).back, Colours::White);
}

TEST(Sheet, BordersBySideOutlineAndNoneWithCurrentColour)
{
    Sheet sheet = grid(4, 3);
    sheet.setBorder(Block::all(), Border::All, Colours::LightBlue);
    EXPECT_TRUE(sheet.cell(2, 2).left.on && sheet.cell(2, 2).bottom.on);
    EXPECT_EQ(sheet.cell(2, 2).top.colour, Colours::LightBlue);

    sheet.setBorder(Block::cells(2, 1, 3, 1), Border::None);
    EXPECT_FALSE(sheet.cell(2, 1).left.on || sheet.cell(2, 1).right.on || sheet.cell(2, 1).top.on
                 || sheet.cell(2, 1).bottom.on);
    EXPECT_TRUE(sheet.cell(1, 1).right.on); // the neighbour keeps its own side

    // Without a colour, the last colour set stays in force.
    sheet.setBorder(Block::cells(2, 1, 3, 1), Border::Bottom);
    EXPECT_TRUE(sheet.cell(2, 1).bottom.on);
    EXPECT_FALSE(sheet.cell(2, 1).top.on);
    EXPECT_EQ(sheet.cell(3, 1).bottom.colour, Colours::LightBlue);

    sheet.setBorder(Block::cells(1, 2, 4, 3), Border::None);
    sheet.setBorder(Block::cells(1, 2, 4, 3), Border::Outline, Colours::Red);
    EXPECT_TRUE(sheet.cell(1, 2).left.on);
    EXPECT_TRUE(sheet.cell(1, 2).top.on);
    EXPECT_FALSE(sheet.cell(1, 2).right.on); // inner edge
    EXPECT_FALSE(sheet.cell(2, 3).top.on);
    EXPECT_TRUE(sheet.cell(4, 3).right.on && sheet.cell(4, 3).bottom.on);
    EXPECT_EQ(sheet.cell(4, 3).right.colour, Colours::Red);
    EXPECT_EQ(sheet.borderColour(), Colours::Red);
}

TEST(Sheet, HeightsAndWidthsDefaultThenParticular)
{
    Sheet sheet = grid(3, 3);
    sheet.setRowHeight(2, 20.0);
    sheet.setRowHeight(-1, 10.0); // all rows again
    sheet.setRowHeight(1, 15.0);
    EXPECT_DOUBLE_EQ(sheet.rowHeight(1), 15.0);
    EXPECT_DOUBLE_EQ(sheet.rowHeight(2), 10.0);
    sheet.setColWidth(-1, 2.0);
    sheet.setColWidth(3, 5.0);
    EXPECT_DOUBLE_EQ(sheet.colWidth(1), 2.0);
    EXPECT_DOUBLE_EQ(sheet.colWidth(3), 5.0);
}

TEST(SheetExport, ListsOnlyCellsThatDifferFromTheDefaults)
{
    Sheet sheet = grid(3, 2);
    sheet.setFrozenRows(1);
    sheet.setFrozenCols(1);
    sheet.setAlignment(Block::all(), HAlign::Center, VAlign::Center);
    sheet.setText(2, 1, QStringLiteral("数\"字"));
    sheet.setForeColour(Block::cell(1, 2), rgb(62, 158, 255));
    sheet.setBackColour(Block::cell(3, 2), rgb(255, 200, 200));
    sheet.setHAlign(Block::cell(3, 2), HAlign::Left);

    const QString json = SheetExport::windowJson(QStringLiteral("窓"), QStringLiteral("見出し"), sheet);
    EXPECT_EQ(json,
              QStringLiteral("{\"window\": \"窓\", \"caption\": \"見出し\", \"columns\": 3, \"rows\": 2, \"frozenRows\": 1, "
                             "\"frozenColumns\": 1, \"cells\": [\n"
                             "  {\"c\": 2, \"r\": 1, \"text\": \"数\\\"字\", \"fg\": \"#000000\", \"bg\": \"#FFFFFF\", \"align\": \"center\"},\n"
                             "  {\"c\": 1, \"r\": 2, \"text\": \"\", \"fg\": \"#3E9EFF\", \"bg\": \"#FFFFFF\", \"align\": \"center\"},\n"
                             "  {\"c\": 3, \"r\": 2, \"text\": \"\", \"fg\": \"#000000\", \"bg\": \"#FFC8C8\", \"align\": \"left\"}\n"
                             "]}"));
    EXPECT_EQ(SheetExport::errorJson(QStringLiteral("窓"), QStringLiteral("オーバーフローしました。")),
              QStringLiteral("{\"window\": \"窓\", \"error\": \"オーバーフローしました。\"}"));
}

TEST(SheetExport, CsvQuotesTextsWithCommas)
{
    Sheet sheet = grid(2, 2);
    sheet.setText(1, 1, QStringLiteral("0回"));
    sheet.setText(2, 1, QStringLiteral("8,17,40"));
    EXPECT_EQ(SheetExport::csv(sheet), QStringLiteral("0回,\"8,17,40\"\n,\n"));
}

TEST(Sheet, CellsSharingAStyleOrATextChangeOneAtATime)
{
    // Cells keep indices into shared records: changing one cell must not
    // reach the others that shared its record, and an outline over cells
    // of different styles keeps what each had.
    Sheet sheet = grid(4, 3);
    sheet.setColours(Block::all(), Colours::Blue, Colours::LightCyan);
    sheet.setBackColour(Block::cell(2, 2), Colours::Red);
    sheet.setBorder(Block::cells(2, 1, 3, 3), Border::Outline, Colours::LightBlue);
    EXPECT_EQ(sheet.cell(2, 2).back, Colours::Red);
    EXPECT_EQ(sheet.cell(3, 2).back, Colours::LightCyan);
    EXPECT_TRUE(sheet.cell(2, 2).left.on && !sheet.cell(2, 2).right.on && !sheet.cell(2, 2).top.on);
    EXPECT_TRUE(sheet.cell(3, 3).right.on && sheet.cell(3, 3).bottom.on && !sheet.cell(3, 3).left.on);
    EXPECT_FALSE(sheet.cell(1, 2).right.on || sheet.cell(4, 2).left.on);

    // Numbers and strings read alike, the same text in two cells is two
    // cells, and a narrower grid keeps its rows in place.
    sheet.setText(1, 1, 7);
    sheet.setText(2, 1, QStringLiteral("7"));
    sheet.setText(3, 1, -12);
    sheet.setText(4, 1, 4294967296LL);
    sheet.setText(1, 3, QStringLiteral("同じ"));
    sheet.setText(2, 3, QStringLiteral("同じ"));
    sheet.setText(2, 3, 0);
    EXPECT_EQ(sheet.text(1, 1), QStringLiteral("7"));
    EXPECT_EQ(sheet.text(3, 1), QStringLiteral("-12"));
    EXPECT_EQ(sheet.cell(4, 1).text, QStringLiteral("4294967296"));
    EXPECT_EQ(sheet.text(1, 3), QStringLiteral("同じ"));
    EXPECT_EQ(sheet.text(2, 3), QStringLiteral("0"));
    EXPECT_EQ(SheetExport::csv(sheet), QStringLiteral("7,7,-12,4294967296\n,,,\n同じ,0,,\n"));
    sheet.setMaxCols(2);
    EXPECT_EQ(SheetExport::csv(sheet), QStringLiteral("7,7\n,\n同じ,0\n"));
    EXPECT_EQ(sheet.cell(2, 2).back, Colours::Red);
    EXPECT_TRUE(sheet.cell(2, 2).left.on);
}

TEST(SheetExport, EscapesAndChunksGiveTheSameBytes)
{
    EXPECT_EQ(SheetExport::jsonString(QStringLiteral("a\"b\\c\n\r\t\x01\x1f 数😀")),
              QStringLiteral("\"a\\\"b\\\\c\\n\\r\\t\\u0001\\u001f 数😀\""));
    EXPECT_EQ(SheetExport::colourText(rgb(10, 171, 255)), QStringLiteral("#0AABFF"));

    // A table far larger than one chunk, written to a file as it is made,
    // is byte for byte what the in-memory export holds.
    Sheet sheet = grid(40, 3000);
    for (int r = 1; r <= 3000; ++r) {
        for (int c = 1; c <= 40; c += 3)
            sheet.setText(c, r, r * c);
        sheet.setText(2, r, QStringLiteral("第%1回,\"%2\"").arg(r).arg(r % 7));
    }
    sheet.setColours(Block::cells(5, 100, 9, 2000), rgb(1, 2, 3), rgb(250, 251, 252));
    std::FILE *file = std::tmpfile();
    ASSERT_TRUE(file);
    {
        ExportOutput out(file);
        SheetExport::writeWindowJson(out, QStringLiteral("窓"), QStringLiteral("見出し"), sheet);
        SheetExport::writeCsv(out, sheet);
    }
    std::rewind(file);
    QByteArray written;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
        written.append(buffer, qsizetype(n));
    std::fclose(file);
    const QByteArray expected = (SheetExport::windowJson(QStringLiteral("窓"), QStringLiteral("見出し"), sheet)
                                 + SheetExport::csv(sheet)).toUtf8();
    EXPECT_GT(expected.size(), 1 << 20);
    EXPECT_TRUE(written == expected);
}
