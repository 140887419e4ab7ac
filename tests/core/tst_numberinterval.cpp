// 数字間隔分析: differences position by position against the previous complete
// draw, on the caption layout it shares with 出現間隔分析.
#include "analysis/builders.h"
#include "analysistest.h"

using namespace AnalysisTest;

TEST(NumberInterval, OwnCaptionsOnTheSharedLayout)
{
    const Sheet sheet = buildNumberInterval(TestHistory::store({}));
    ASSERT_EQ(sheet.maxRows(), 4);
    for (int band : {1, 4}) {
        EXPECT_EQ(sheet.text(7, band), QStringLiteral("    本 数 字     "));
        EXPECT_EQ(sheet.text(14, band), QStringLiteral("     ボ数字   　   "));
        EXPECT_EQ(sides(sheet.cell(15, band)), "-RTB");
    }
    const std::string titles = "回数|第1数字|差分|第2数字|差分|第3数字|差分|第4数字|差分|第5数字|差分|第6数字|差分|ボ数字|差分";
    EXPECT_EQ(rowText(sheet, 2, 1, 15), titles);
    EXPECT_EQ(rowText(sheet, 3, 1, 15), titles);
    EXPECT_EQ(sheet.cell(4, 3).back, Colours::LightPink);
}

TEST(NumberInterval, DifferencesPerPosition)
{
    struct Case
    {
        const char *name;
        std::vector<DrawRecord> records;
        int row;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {"the first record has no differences", {draw(1, {10, 2, 3, 4, 5, 6, 7})}, 3,
         "1|10||2||3||4||5||6||7|"},
        {"falls, rises and equal numbers, bonus against bonus",
         {draw(1, {10, 2, 3, 4, 5, 6, 7}), draw(2, {3, 9, 3, 4, 5, 6, 2})}, 4,
         "2|3|-7|9|+7|3|0|4|0|5|0|6|0|2|-5"},
        {"an incomplete record is skipped; the next compares with the last complete one",
         {draw(1, {10, 2, 3, 4, 5, 6, 7}), withoutBonus(2, false), draw(3, {11, 2, 3, 4, 5, 6, 7})}, 5,
         "3|11|+1|2|0|3|0|4|0|5|0|6|0|7|0"},
        {"a first record that is incomplete leaves previous numbers of 0",
         {withoutBonus(1, true), draw(2, {10, 2, 3, 4, 5, 6, 7})}, 4,
         "2|10|+10|2|+2|3|+3|4|+4|5|+5|6|+6|7|+7"},
        {"a gap in draw numbers does not matter",
         {draw(1, {10, 2, 3, 4, 5, 6, 7}), draw(9, {3, 2, 3, 4, 5, 6, 7})}, 4,
         "9|3|-7|2|0|3|0|4|0|5|0|6|0|7|0"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const Sheet sheet = buildNumberInterval(TestHistory::store(c.records));
        EXPECT_EQ(rowText(sheet, c.row, 1, 15), c.expected);
    }
    const Sheet sheet = buildNumberInterval(TestHistory::store(cases[1].records));
    EXPECT_EQ(sheet.cell(3, 4).back, rgb(255, 200, 255)); // -7
    EXPECT_EQ(sheet.cell(5, 4).back, Colours::White);     // +7
    EXPECT_EQ(sheet.cell(7, 4).back, Colours::White);     // 0
    EXPECT_EQ(sheet.cell(15, 4).back, rgb(255, 200, 255));
    const Sheet skipped = buildNumberInterval(TestHistory::store(cases[2].records));
    EXPECT_TRUE(rowsEmpty(skipped, 4, 4));
}

TEST(NumberInterval, ValuesTheTablesCannotHoldStopTheBuild)
{
    expectFailure(&buildNumberInterval,
                  rawStore({draw(1, {1, 2, 3, 4, 5, 6, 7}), draw(2, {-30000, 2, 3, 4, 5, 6, 7}),
                            draw(3, {30000, 2, 3, 4, 5, 6, 7})}, 3),
                  RuntimeErrorKind::Overflow);
    expectFailure(&buildNumberInterval, rawStore({draw(1, {QStringLiteral("x"), 2, 3, 4, 5, 6, 7})}, 1),
                  RuntimeErrorKind::TypeMismatch);
    expectFailure(&buildNumberInterval, rawStore({draw(1, {1, 2, 3, 4, 5, 6, 7})}, 32764),
                  RuntimeErrorKind::Overflow);
}
