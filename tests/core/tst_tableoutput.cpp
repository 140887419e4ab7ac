// Tables leaving the program: the split over printed pages, CSV files in
// both encodings, copying with captions and finding a draw's row.
#include "analysis/catalog.h"
#include "support/history.h"
#include "ui/numbertext.h"
#include "ui/pagelayout.h"
#include "ui/sheetexport.h"
#include "ui/tableoutput.h"

#include <gtest/gtest.h>

using PageLayout::Band;

namespace {

PageLayout::Table table(int cols, double width, int rows, double height, int frozenCols, int frozenRows)
{
    PageLayout::Table t;
    t.colWidths.assign(size_t(cols), width);
    t.rowHeights.assign(size_t(rows), height);
    t.frozenCols = frozenCols;
    t.frozenRows = frozenRows;
    return t;
}

} // namespace

TEST(PageLayout, LongTableRepeatsCaptionRowsOnEveryPage)
{
    // 2 caption rows of 16 leave room for 10 more rows on a 200-high body.
    const auto result = PageLayout::split({table(5, 40, 100, 16, 1, 2)}, 400, 200, false);
    ASSERT_EQ(result.pages.size(), 10u);
    EXPECT_EQ(result.pages[0].pieces[0].rows, (Band{3, 12}));
    EXPECT_EQ(result.pages[1].pieces[0].rows, (Band{13, 22}));
    EXPECT_EQ(result.pages.back().pieces[0].rows, (Band{93, 100}));
    for (const PageLayout::Page &page : result.pages) {
        ASSERT_EQ(page.pieces.size(), 1u);
        EXPECT_EQ(page.pieces[0].frozenRows, 2);
        EXPECT_EQ(page.pieces[0].frozenCols, 1);
        EXPECT_EQ(page.pieces[0].cols, (Band{2, 5}));
    }
    // Taller than wide: portrait, unless only a landscape page takes its width.
    EXPECT_FALSE(PageLayout::prefersLandscape({table(5, 40, 100, 16, 1, 2)}, 400, 600));
    EXPECT_TRUE(PageLayout::prefersLandscape({table(5, 100, 100, 16, 1, 2)}, 400, 600));
    EXPECT_FALSE(PageLayout::prefersLandscape({table(5, 200, 100, 16, 1, 2)}, 400, 600));
}

TEST(PageLayout, WideTableGoesAcrossBeforeDownWithCaptionColumnsOnEveryPage)
{
    // 2 caption columns of 50 leave room for 6 more on a 400-wide body;
    // 14 rows of 20 take two pages down.
    const PageLayout::Table wide = table(20, 50, 14, 20, 2, 1);
    const auto result = PageLayout::split({wide}, 400, 200, false);
    ASSERT_EQ(result.pages.size(), 6u);
    const Band cols[] = {{3, 8}, {9, 14}, {15, 20}};
    for (size_t p = 0; p < 6; ++p) {
        const PageLayout::Piece &piece = result.pages[p].pieces[0];
        EXPECT_EQ(piece.cols, cols[p % 3]) << p;
        EXPECT_EQ(piece.rows, p < 3 ? (Band{2, 10}) : (Band{11, 14})) << p;
        EXPECT_EQ(piece.frozenCols, 2);
        EXPECT_EQ(piece.frozenRows, 1);
    }
    EXPECT_TRUE(PageLayout::prefersLandscape({wide}, 2000, 3000));

    // Fitted to the page width: one page across, more rows to a page.
    const auto fitted = PageLayout::split({wide}, 400, 200, true);
    EXPECT_DOUBLE_EQ(fitted.scale, 0.4);
    ASSERT_EQ(fitted.pages.size(), 1u);
    EXPECT_EQ(fitted.pages[0].pieces[0].cols, (Band{3, 20}));
    EXPECT_EQ(fitted.pages[0].pieces[0].rows, (Band{2, 14}));
}

TEST(PageLayout, SmallTablesShareAPageAndOversizedCaptionsAreNotRepeated)
{
    PageLayout::Table small = table(3, 40, 4, 20, 1, 1);
    small.titleHeight = 10;
    // Four tables of 90 with gaps of 10 on a 300-high body: three share page 1.
    const auto result = PageLayout::split({small, small, small, small}, 400, 300, false, 10);
    ASSERT_EQ(result.pages.size(), 2u);
    ASSERT_EQ(result.pages[0].pieces.size(), 3u);
    EXPECT_DOUBLE_EQ(result.pages[0].pieces[1].top, 100);
    EXPECT_DOUBLE_EQ(result.pages[0].pieces[2].top, 200);
    EXPECT_EQ(result.pages[1].pieces[0].table, 3);

    // Caption rows taller than the page print once, as ordinary rows.
    const auto tall = PageLayout::split({table(2, 40, 30, 20, 1, 12)}, 400, 200, false);
    ASSERT_EQ(tall.pages.size(), 3u);
    EXPECT_EQ(tall.pages[0].pieces[0].frozenRows, 0);
    EXPECT_EQ(tall.pages[0].pieces[0].rows, (Band{1, 10}));
    EXPECT_EQ(tall.pages[2].pieces[0].rows, (Band{21, 30}));
}

TEST(TableOutput, CsvRoundTripsInBothEncodings)
{
    // 5分割傾向分析 has full-width captions and "～" in its caption row.
    const DrawHistoryStore store = TestHistory::store(TestHistory::generated(40));
    const Sheet sheet = findAnalysisWindow(QStringLiteral("分割5傾向分析"))->build(store);
    for (const auto encoding : {TableOutput::Encoding::Utf8Bom, TableOutput::Encoding::ShiftJis}) {
        const std::optional<QByteArray> bytes = TableOutput::encode(SheetExport::csv(sheet), encoding);
        ASSERT_TRUE(bytes);
        EXPECT_EQ(bytes->startsWith("\xEF\xBB\xBF"), encoding == TableOutput::Encoding::Utf8Bom);
        const std::vector<QStringList> rows = TableOutput::parseCsv(TableOutput::decode(*bytes));
        ASSERT_EQ(int(rows.size()), sheet.maxRows());
        for (int r = 1; r <= sheet.maxRows(); ++r) {
            ASSERT_EQ(rows[size_t(r - 1)].size(), sheet.maxCols());
            for (int c = 1; c <= sheet.maxCols(); ++c)
                EXPECT_EQ(rows[size_t(r - 1)][c - 1], sheet.text(c, r)) << c << "," << r;
        }
    }
    // Quotes, commas and line breaks inside a field survive; a character
    // without a Shift_JIS form refuses that encoding instead of turning into "?".
    const QString tricky = QStringLiteral("\"a,b\",\"say \"\"hi\"\"\"\n\"two\nlines\",x\n");
    EXPECT_EQ(TableOutput::parseCsv(tricky),
              (std::vector<QStringList>{{QStringLiteral("a,b"), QStringLiteral("say \"hi\"")},
                                        {QStringLiteral("two\nlines"), QStringLiteral("x")}}));
    EXPECT_FALSE(TableOutput::encode(QStringLiteral("caf\u00e9"), TableOutput::Encoding::ShiftJis));
}

TEST(TableOutput, DrawRowsAndCopyWithCaptions)
{
    const DrawHistoryStore store = TestHistory::store(TestHistory::generated(30));
    const Sheet pull = findAnalysisWindow(QStringLiteral("引っ張り分析"))->build(store);
    const int row = TableOutput::rowOfDraw(pull, 1, 17);
    ASSERT_GT(row, pull.frozenRows());
    EXPECT_EQ(pull.text(1, row), QStringLiteral("17"));
    EXPECT_EQ(TableOutput::rowOfDraw(pull, 1, 31), 0);
    EXPECT_EQ(TableOutput::drawRange(store), QStringLiteral("第1回〜第30回"));

    Sheet sheet;
    sheet.setMaxCols(4);
    sheet.setMaxRows(5);
    sheet.setFrozenRows(1);
    sheet.setFrozenCols(1);
    for (int r = 1; r <= 5; ++r) {
        for (int c = 1; c <= 4; ++c)
            sheet.setText(c, r, QStringLiteral("%1%2").arg(QChar(u'A' + c - 1)).arg(r));
    }
    const TableOutput::Captions frozen = TableOutput::captions(sheet);
    EXPECT_EQ(TableOutput::textWithCaptions(sheet, Block::cells(3, 4, 4, 5), frozen),
              QStringLiteral("A1\tC1\tD1\nA4\tC4\tD4\nA5\tC5\tD5\n"));
    // A block reaching into the captions does not repeat them.
    EXPECT_EQ(TableOutput::textWithCaptions(sheet, Block::cells(1, 1, 2, 2), frozen), QStringLiteral("A1\tB1\nA2\tB2\n"));

    // Where the rows are draws, the rows above the first draw are captions
    // too, frozen or not (バラツキ分析 freezes none).
    const Sheet dispersion = findAnalysisWindow(QStringLiteral("バラツキ分析"))->build(store);
    ASSERT_EQ(dispersion.frozenRows(), 0);
    const TableOutput::Captions captions = TableOutput::captions(dispersion, 1);
    EXPECT_EQ(captions.rows, 2);
    EXPECT_EQ(captions.cols, 1);
    EXPECT_EQ(dispersion.text(1, captions.rows + 1), QStringLiteral("1"));
}

TEST(PageLayout, TableALittleTooBigIsScaledToFillItsPages)
{
    struct Case
    {
        const char *name;
        PageLayout::Table table;
        bool fitWidth;
        size_t pages;
        double scale;
    };
    // A 440 × 660 body; MinScale keeps tables far too big at full size.
    const Case cases[] = {
        {"45 rows of 16 on a 660-high page: one page", table(5, 40, 45, 16, 1, 2), false, 1, 660.0 / 720},
        {"fits as it is", table(5, 40, 40, 16, 1, 2), false, 1, 1.0},
        {"12 columns of 40 on a 440-wide page: one page", table(12, 40, 10, 16, 1, 1), false, 1, 440.0 / 480},
        {"200 rows: whole pages at full size", table(5, 40, 200, 16, 1, 2), false, 6, 1.0},
        {"100 columns: not shrunk below MinScale", table(100, 40, 10, 16, 1, 1), false, 10, 1.0},
        {"100 columns fitted to the width on request", table(100, 40, 10, 16, 1, 1), true, 1, 440.0 / 4000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const PageLayout::Result result = PageLayout::fit({c.table}, 440, 660, c.fitWidth);
        EXPECT_EQ(result.pages.size(), c.pages);
        EXPECT_NEAR(result.scale, c.scale, 1e-6);
        // Every row and column is printed.
        int lastRow = 0;
        int lastCol = 0;
        for (const PageLayout::Page &page : result.pages) {
            lastRow = std::max(lastRow, page.pieces[0].rows.last);
            lastCol = std::max(lastCol, page.pieces[0].cols.last);
        }
        EXPECT_EQ(lastRow, int(c.table.rowHeights.size()));
        EXPECT_EQ(lastCol, int(c.table.colWidths.size()));
    }
}

TEST(PageLayout, OrientationIsTheOneWithFewerPages)
{
    // A4 bodies as the printer lays them out: 718 × 997 upright, 1047 × 668 across.
    const PageLayout::Body portrait{718, 997};
    const PageLayout::Body landscape{1047, 668};
    // 出現頻度分析: 43 number rows under two caption rows, 365 columns of dots.
    PageLayout::Table frequency = table(366, 16, 45, 16, 1, 2);
    frequency.colWidths[0] = 40;
    frequency.rowHeights[0] = frequency.rowHeights[1] = 24;
    ASSERT_TRUE(PageLayout::fitsBetterLandscape({frequency}, portrait, landscape, false));
    const PageLayout::Result across = PageLayout::fit({frequency}, landscape.width, landscape.height, false);
    EXPECT_LE(across.pages.size(), 7u);
    for (const PageLayout::Page &page : across.pages)
        EXPECT_EQ(page.pieces[0].rows, (Band{3, 45})); // every number on every page
    // バラツキ分析: 45 columns a little wider than an upright page, 2133 rows.
    PageLayout::Table dispersion = table(45, 16, 2133, 16, 0, 2);
    dispersion.colWidths.front() = dispersion.colWidths.back() = 40;
    EXPECT_FALSE(PageLayout::fitsBetterLandscape({dispersion}, portrait, landscape, false));
    const PageLayout::Result upright = PageLayout::fit({dispersion}, portrait.width, portrait.height, false);
    const PageLayout::Result sideways = PageLayout::fit({dispersion}, landscape.width, landscape.height, false);
    EXPECT_LT(upright.pages.size(), sideways.pages.size());
    EXPECT_EQ(upright.pages.front().pieces[0].cols, (Band{1, 45}));
    // Of equal counts the larger print, then the shape decides.
    EXPECT_FALSE(PageLayout::fitsBetterLandscape({table(5, 40, 20, 16, 1, 1)}, portrait, landscape, false));
    EXPECT_TRUE(PageLayout::fitsBetterLandscape({table(20, 40, 10, 16, 1, 1)}, portrait, landscape, false));
}

TEST(TableOutput, TextOutputsWriteTheBonusDotWithItsOwnMark)
{
    Sheet sheet;
    sheet.setMaxCols(4);
    sheet.setMaxRows(2);
    sheet.setText(1, 1, QStringLiteral("回"));
    for (int c = 2; c <= 4; ++c)
        sheet.setText(c, 1, SheetExport::Dot);
    sheet.setForeColour(Block::cell(2, 1), Colours::MainDot);
    sheet.setForeColour(Block::cell(3, 1), Colours::BonusDot);
    sheet.setText(1, 2, QStringLiteral("B"));
    sheet.setForeColour(Block::cell(1, 2), Colours::BonusDot); // only a dot becomes the mark
    EXPECT_EQ(SheetExport::csv(sheet), QStringLiteral("回,●,○,●\nB,,,\n"));
    EXPECT_EQ(TableOutput::textWithCaptions(sheet, Block::cells(1, 1, 4, 2), {}), QStringLiteral("回\t●\t○\t●\nB\t\t\t\n"));
    // JSON keeps the dot and tells them apart by colour.
    const QString json = SheetExport::windowJson(QStringLiteral("w"), QStringLiteral("w"), sheet);
    EXPECT_FALSE(json.contains(SheetExport::BonusMark));
    EXPECT_TRUE(json.contains(QStringLiteral("\"text\": \"●\", \"fg\": \"#FF80C0\"")));
}

TEST(TableOutput, LargeFiguresAreGroupedInThrees)
{
    struct Case
    {
        double value;
        int decimals;
        const char *text;
    };
    const Case cases[] = {
        {271869.97, 2, "271,869.97"}, {17070.5 * 100, 1, "1,707,050.0"}, {999.96, 1, "1,000.0"}, {123, 0, "123"},
        {1234567, 0, "1,234,567"},    {-4628.4, 1, "-4,628.4"},          {0.0014, 4, "0.0014"},   {100000, 2, "100,000.00"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(groupedDecimal(c.value, c.decimals).toStdString(), c.text) << c.value;
    EXPECT_EQ(groupedDigits(-1234).toStdString(), "-1,234");
}
