// The prediction engine: look-back shift, cycle table, elimination, the
// multi-shot and one-shot window, and the grids they are written to.
#include "prediction/predictionengine.h"
#include "prediction/predictionexport.h"
#include "prediction/predictiongrids.h"
#include "store/drawcsv.h"
#include "support/history.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <map>

using TestHistory::draw;

namespace {

using Numbers = std::array<int, 7>;
const Numbers Filler{1, 2, 3, 4, 5, 6, 7};

// Draws 1 … last, each {1 … 7} unless given otherwise; a draw mapped to an
// empty array is left out.
std::vector<DrawRecord> history(int last, const std::map<int, Numbers> &special = {}, int first = 1)
{
    std::vector<DrawRecord> records;
    for (int n = first; n <= last; ++n) {
        const auto it = special.find(n);
        const Numbers numbers = it == special.end() ? Filler : it->second;
        if (numbers[0] == 0)
            continue;
        std::array<Field, 7> fields;
        for (size_t p = 0; p < 7; ++p)
            fields[p] = Field(numbers[p]);
        records.push_back(draw(n, fields));
    }
    return records;
}

ReflectFlags only(std::initializer_list<int> set)
{
    ReflectFlags flags{};
    for (int k : set)
        flags[size_t(k)] = true;
    return flags;
}

// Result row r of grid k, columns 2 … 7, without trailing empty cells.
QStringList row(const PredictionEngine &engine, int k, int r)
{
    QStringList cells;
    for (int c = 2; c <= 7; ++c)
        cells << engine.grid(k).text(c, r);
    while (!cells.isEmpty() && cells.last().isEmpty())
        cells.removeLast();
    return cells;
}

QStringList numbers(std::initializer_list<int> list)
{
    QStringList out;
    for (int n : list)
        out << QString::number(n);
    return out;
}

PredictionEngine run(const DrawHistoryStore &store, const ReflectFlags &flags = {})
{
    PredictionEngine engine;
    engine.setFlags(flags);
    engine.SetUpPredictionGrids(store);
    return engine;
}

// The four window draws below the latest one, shifted by s: rows 10 … 16,
// 17 … 23, 24 … 30, 31 … 37, everything else filler.
std::map<int, Numbers> windowMarks(int last, int s)
{
    return {{last - s - 1, {10, 11, 12, 13, 14, 15, 16}},
            {last - s - 2, {17, 18, 19, 20, 21, 22, 23}},
            {last - s - 3, {24, 25, 26, 27, 28, 29, 30}},
            {last - s - 4, {31, 32, 33, 34, 35, 36, 37}}};
}

} // namespace

TEST(PredictionEngine, LookBackShiftIsTheSumOfTheReflectedWeights)
{
    const std::pair<ReflectFlags, int> cases[] = {
        {only({}), 0},      {only({1}), 15},       {only({0, 1}), 16},          {only({10}), 16},
        {only({7, 11}), 5}, {only({2, 3, 4}), 25}, {only({5, 6, 8, 9}), 30},
        {only({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}), 92},
    };
    for (const auto &[flags, shift] : cases) {
        PredictionEngine engine;
        engine.setFlags(flags);
        EXPECT_EQ(engine.ComputeLookBackShift(), shift);
    }
}

TEST(PredictionEngine, EveryLookBackMovesByTheShift)
{
    // The marked window draws sit where shift s puts the window; the
    // elimination's first step reads position 1 of draw last − 4 − s (31 + 22
    // = 53, shown as 10), the other steps read filler draws.
    const std::pair<ReflectFlags, int> cases[] = {
        {only({}), 0}, {only({1}), 15}, {only({0, 1}), 16}, {only({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}), 92}};
    for (const auto &[flags, s] : cases) {
        const int last = 130;
        const PredictionEngine engine = run(TestHistory::store(history(last, windowMarks(last, s))), flags);
        EXPECT_EQ(row(engine, 2, 2), numbers({10, 11, 12, 13, 14, 15})) << "shift " << s;
        EXPECT_EQ(row(engine, 2, 3), numbers({16, 17, 18, 19, 20, 21})) << "shift " << s;
        EXPECT_EQ(row(engine, 3, 2), row(engine, 2, 2)) << "shift " << s;
        EXPECT_EQ(row(engine, 1, 2), numbers({10, 18, 20, 28, 37, 7})) << "shift " << s;
        EXPECT_EQ(row(engine, 1, 3), numbers({19, 23})) << "shift " << s;
        EXPECT_EQ(row(engine, 1, 4), QStringList()) << "shift " << s;
    }
}

TEST(PredictionEngine, ShiftedResultEqualsTheHistoryCutShort)
{
    // Reflecting analyses worth s draws shows what the unshifted prediction
    // showed s draws ago: the same for every look-back of the three methods.
    const std::vector<DrawRecord> full = TestHistory::generated(300);
    for (const auto &[flags, s] : {std::pair{only({1}), 15}, {only({0, 1}), 16}, {only({3, 10}), 25}}) {
        const PredictionEngine shifted = run(TestHistory::store(full), flags);
        const PredictionEngine earlier =
            run(TestHistory::store(std::vector<DrawRecord>(full.begin(), full.end() - s)));
        for (int k = 1; k <= 3; ++k) {
            for (int r = 2; r <= PredictionGrids::rowCount(k); ++r)
                EXPECT_EQ(row(shifted, k, r), row(earlier, k, r)) << "shift " << s << " grid " << k << " row " << r;
        }
        EXPECT_FALSE(row(shifted, 2, 2).isEmpty());
    }
}

TEST(PredictionEngine, NumbersSeenTwiceInTheWindowAreLeftOut)
{
    // 10 is a main number of two window draws, 11 a main number of one and
    // the bonus of another.
    const int last = 40;
    std::map<int, Numbers> marks = windowMarks(last, 0);
    marks[last - 2] = {10, 17, 18, 19, 20, 21, 22};
    marks[last - 3] = {24, 25, 26, 27, 28, 29, 11};
    const PredictionEngine engine = run(TestHistory::store(history(last, marks)));
    EXPECT_EQ(row(engine, 2, 2), numbers({12, 13, 14, 15, 16, 17}));
    EXPECT_EQ(row(engine, 2, 3), numbers({18, 19, 20, 21, 22, 24}));
    EXPECT_EQ(row(engine, 3, 2), numbers({12, 13, 14, 15, 16, 17}));
    EXPECT_TRUE(engine.IsSingleInWindow(12, 0, 3, 0));
    EXPECT_FALSE(engine.IsSingleInWindow(10, 0, 1, 0));
    EXPECT_FALSE(engine.IsSingleInWindow(11, 2, 7, 0));
}

TEST(PredictionEngine, MissingOrIncompleteWindowDrawContributesNothing)
{
    const int last = 40;
    std::map<int, Numbers> missing = windowMarks(last, 0);
    missing[last - 2] = {0, 0, 0, 0, 0, 0, 0};
    std::vector<DrawRecord> incomplete = history(last, windowMarks(last, 0));
    incomplete[size_t(last - 3)].numbers[6] = TestHistory::empty();
    for (const std::vector<DrawRecord> &records : {history(last, missing), incomplete}) {
        const PredictionEngine engine = run(TestHistory::store(records));
        EXPECT_EQ(engine.drawNumber(1, last - 2), 0);
        EXPECT_EQ(row(engine, 2, 2), numbers({10, 11, 12, 13, 14, 15}));
        EXPECT_EQ(row(engine, 2, 3), numbers({16, 24, 25, 26, 27, 28}));
    }
}

TEST(PredictionEngine, EliminationCandidatesWrapIntoOneToFortyThree)
{
    const std::pair<const char *, const char *> wraps[] = {
        {"52", "9"}, {"1", "1"}, {"75", "32"}, {"43", "43"}, {"44", "1"}, {"0", "43"}, {"-5", "38"}, {"12", "12"}};
    for (const auto &[in, out] : wraps)
        EXPECT_EQ(PredictionEngine::WrapNumber(QString::fromLatin1(in)), QString::fromLatin1(out)) << in;

    // Step 0 reads position 1 of draw last − 4 (30 + 22), step 4 position 5
    // of draw last − 12 (43 + 32), step 5 position 6 of draw last − 19, which
    // is missing (0 + 1).
    const int last = 40;
    const std::map<int, Numbers> marks{
        {last - 4, {30, 2, 3, 4, 5, 6, 7}}, {last - 12, {1, 2, 3, 4, 43, 6, 7}}, {last - 19, {0}}};
    const PredictionEngine engine = run(TestHistory::store(history(last, marks)));
    EXPECT_EQ(engine.eliminationEntry(0), QStringLiteral("9"));
    EXPECT_EQ(engine.eliminationEntry(4), QStringLiteral("32"));
    EXPECT_EQ(engine.eliminationEntry(5), QStringLiteral("1"));
    EXPECT_EQ(row(engine, 1, 2), numbers({9, 18, 20, 28, 32, 1}));
}

TEST(PredictionEngine, RepeatedCandidatesCloseUp)
{
    // Draw last − 5 has 7 in position 2: step 1 gives 7 + 16 = 23, the same
    // as step 0, and is neither shown nor counted.
    const int last = 40;
    const PredictionEngine engine = run(TestHistory::store(history(last, {{last - 5, {1, 7, 3, 4, 5, 6, 2}}})));
    EXPECT_EQ(engine.eliminationEntry(1), QStringLiteral("23"));
    EXPECT_EQ(row(engine, 1, 2), numbers({23, 20, 28, 37, 7, 19}));
    EXPECT_EQ(row(engine, 1, 3), numbers({18}));
}

TEST(PredictionEngine, CycleStoreKeepsOneTextPerMethod)
{
    PredictionEngine engine;
    for (int interval : {1, 6, 8, 10, 13, 0})
        engine.CycleStore(interval, 1, QStringLiteral("5"));
    for (int method = 0; method <= 4; ++method)
        EXPECT_TRUE(engine.cycleEntry(1, method).isEmpty());

    const std::pair<int, int> methods[] = {{7, 0}, {9, 1}, {11, 2}, {12, 3}};
    for (const auto &[interval, method] : methods) {
        engine.CycleStore(interval, 1, QStringLiteral("5"));
        EXPECT_EQ(engine.cycleEntry(1, method), QStringLiteral("5"));
    }
    engine.CycleStore(7, 3, QStringLiteral("9"));
    engine.CycleStore(7, 1, QStringLiteral("9")); // already in position 3
    EXPECT_EQ(engine.cycleEntry(1, 0), QStringLiteral("5"));
    engine.CycleStore(7, 7, QStringLiteral("5")); // already in position 1
    EXPECT_TRUE(engine.cycleEntry(7, 0).isEmpty());
    engine.CycleStore(9, 1, QStringLiteral("9")); // another method
    EXPECT_EQ(engine.cycleEntry(1, 1), QStringLiteral("9"));
    engine.CycleStore(7, 3, QStringLiteral("9")); // its own position
    EXPECT_EQ(engine.cycleEntry(3, 0), QStringLiteral("9"));
}

TEST(PredictionEngine, CycleTableHoldsNumbersBackAfterTheirInterval)
{
    // 1 is back after 7 draws in position 1, 40 after 9 in position 2, 41
    // after 11 in position 3 and 42 after 12 in the bonus (not shown), with
    // filler draws {20 … 26} in between.
    std::map<int, Numbers> marks;
    for (int n = 1; n <= 20; ++n)
        marks[n] = {20, 21, 22, 23, 24, 25, 26};
    marks[1] = {42, 21, 22, 23, 24, 25, 26};
    marks[2] = {41, 21, 22, 23, 24, 25, 26};
    marks[4] = {40, 21, 22, 23, 24, 25, 26};
    marks[6] = {1, 21, 22, 23, 24, 25, 26};
    marks[13] = {1, 40, 41, 30, 31, 32, 42};
    const PredictionEngine engine = run(TestHistory::store(history(20, marks)));
    EXPECT_EQ(engine.cycleEntry(1, 0), QStringLiteral("1"));
    EXPECT_EQ(engine.cycleEntry(2, 1), QStringLiteral("40"));
    EXPECT_EQ(engine.cycleEntry(3, 2), QStringLiteral("41"));
    EXPECT_EQ(engine.cycleEntry(7, 3), QStringLiteral("42"));
    const Sheet &cycle = engine.grid(PredictionEngine::CycleGrid);
    EXPECT_EQ(cycle.text(2, 2), QStringLiteral("1"));
    EXPECT_EQ(cycle.text(3, 3), QStringLiteral("40"));
    EXPECT_EQ(cycle.text(4, 4), QStringLiteral("41"));
    for (int r = 2; r <= 5; ++r) {
        for (int c = 2; c <= 7; ++c) {
            if (!(c == 2 && r == 2) && !(c == 3 && r == 3) && !(c == 4 && r == 4)) {
                EXPECT_TRUE(cycle.text(c, r).isEmpty()) << c << "," << r;
            }
        }
    }
}

TEST(PredictionEngine, EmptyHistoryKeepsTheTablesOfTheLastBuild)
{
    const int last = 40;
    PredictionEngine engine = run(TestHistory::store(TestHistory::generated(last)));
    const Sheet cycleBefore = engine.grid(0);
    const qint16 entry = engine.drawNumber(3, last);
    ASSERT_NE(entry, 0);

    engine.SetUpPredictionGrids(TestHistory::store({}));
    EXPECT_EQ(engine.drawNumber(3, last), entry);
    for (int r = 2; r <= 5; ++r) {
        for (int c = 2; c <= 7; ++c)
            EXPECT_EQ(engine.grid(0).text(c, r), cycleBefore.text(c, r));
    }
    // The latest draw is now 0: every look-back is before the first draw.
    EXPECT_EQ(row(engine, 1, 2), numbers({22, 16, 17, 24, 32, 1}));
    EXPECT_EQ(row(engine, 1, 3), numbers({12}));
    EXPECT_EQ(row(engine, 2, 2), QStringList());
    EXPECT_EQ(row(engine, 3, 2), QStringList());
}

TEST(PredictionEngine, ShortHistoryReadsDrawsBeforeTheFirstAsMissing)
{
    // With everything reflected the window starts 93 draws back: draw −73.
    const PredictionEngine engine =
        run(TestHistory::store(history(20)), only({0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(row(engine, 1, 2), numbers({22, 16, 17, 24, 32, 1}));
    EXPECT_EQ(row(engine, 2, 2), QStringList());
    // Window rows partly before draw 1: draws 3, 2, 1, 0 with shift 16.
    const int last = 20;
    const PredictionEngine partly = run(TestHistory::store(history(last, {{3, {10, 11, 12, 13, 14, 15, 16}}})), only({0, 1}));
    EXPECT_EQ(row(partly, 2, 2), numbers({10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(row(partly, 2, 3), numbers({16}));
}

TEST(PredictionEngine, DrawsBeyondFiveThousandFitTheTable)
{
    const int last = 5130;
    const PredictionEngine engine = run(TestHistory::store(history(last, windowMarks(last, 15), 4990)), only({1}));
    EXPECT_EQ(engine.drawNumber(1, last), 1);
    EXPECT_EQ(row(engine, 2, 2), numbers({10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(row(engine, 1, 2), numbers({10, 18, 20, 28, 37, 7}));
}

TEST(PredictionEngine, NegativeDrawNumberStopsTheBuild)
{
    PredictionEngine engine;
    EXPECT_THROW(engine.SetUpPredictionGrids(TestHistory::store(history(3, {}, -1))), RuntimeError);
}

TEST(PredictionEngine, OneShotShowsTheFirstSixSingles)
{
    const int last = 40;
    const PredictionEngine engine = run(TestHistory::store(history(last, windowMarks(last, 0))));
    EXPECT_EQ(row(engine, 3, 2), numbers({10, 11, 12, 13, 14, 15}));
    EXPECT_EQ(engine.grid(3).maxCols(), 7); // the seventh single has no column
}

TEST(PredictionEngine, GridsAreSetUpWithTheirCaptionsAndHeader)
{
    const PredictionEngine engine = run(TestHistory::store(history(40)));
    const QString header = QStringLiteral("                         本 数 字                          ");
    const std::map<std::pair<int, int>, QString> captions{
        {{0, 2}, QStringLiteral(" 7回周期法")}, {{0, 3}, QStringLiteral(" 9回周期法")},
        {{0, 4}, QStringLiteral("11回周期法")}, {{0, 5}, QStringLiteral("12回周期法")},
        {{1, 3}, QStringLiteral("消去法")},     {{2, 2}, QStringLiteral("連発予想")},
        {{3, 2}, QStringLiteral("１発予想")}};
    for (int k = 0; k < 4; ++k) {
        const Sheet &sheet = engine.grid(k);
        EXPECT_EQ(sheet.maxCols(), 7);
        EXPECT_EQ(sheet.maxRows(), 5 - k);
        EXPECT_EQ(sheet.visibleRows(), 5 - k);
        EXPECT_EQ(sheet.activeCol(), 0);
        EXPECT_EQ(sheet.activeRow(), 0);
        EXPECT_DOUBLE_EQ(sheet.colWidth(1), 8.0);
        EXPECT_DOUBLE_EQ(sheet.colWidth(2), 5.0);
        EXPECT_TRUE(sheet.overflow());
        EXPECT_EQ(sheet.text(2, 1), header);
        EXPECT_EQ(sheet.cell(2, 1).hAlign, HAlign::Left);
        for (int c = 1; c <= 7; ++c) {
            EXPECT_EQ(sheet.cell(c, 1).fore, Colours::Blue);
            EXPECT_EQ(sheet.cell(c, 1).back, Colours::LightPink);
            EXPECT_TRUE(sheet.cell(c, 2).isStatic);
        }
        EXPECT_FALSE(sheet.cell(3, 1).top.on); // the header reads as one band
        EXPECT_TRUE(sheet.cell(1, 1).top.on);
        for (int r = 2; r <= sheet.maxRows(); ++r) {
            const auto it = captions.find({k, r});
            EXPECT_EQ(sheet.text(1, r), it == captions.end() ? QString() : it->second) << k << "," << r;
            EXPECT_EQ(sheet.cell(4, r).left.on, k != 0) << k << "," << r;
            EXPECT_TRUE(sheet.cell(4, r).bottom.on) << k << "," << r;
            EXPECT_EQ(sheet.cell(1, r).right.on, k == 0 || k == 3) << k << "," << r;
        }
        EXPECT_EQ(PredictionGrids::caption(k).front(), QChar(0x25CF));
    }
}

TEST(PredictionEngine, ClearingEmptiesTheResultCellsOnly)
{
    const int last = 40;
    PredictionEngine engine = run(TestHistory::store(history(last, windowMarks(last, 0))));
    ASSERT_FALSE(row(engine, 1, 2).isEmpty());
    ASSERT_FALSE(row(engine, 2, 3).isEmpty());
    const Sheet cycle = engine.grid(0);
    engine.ClearEliminationCells();
    for (int r = 2; r <= 4; ++r)
        EXPECT_EQ(row(engine, 1, r), QStringList());
    EXPECT_EQ(row(engine, 2, 2).size(), 6);
    engine.ClearShotCells();
    for (int k = 2; k <= 3; ++k) {
        for (int r = 2; r <= PredictionGrids::rowCount(k); ++r)
            EXPECT_EQ(row(engine, k, r), QStringList());
    }
    EXPECT_EQ(engine.grid(1).text(1, 3), QStringLiteral("消去法"));
    EXPECT_EQ(engine.grid(2).text(1, 2), QStringLiteral("連発予想"));
    EXPECT_EQ(engine.grid(3).text(2, 1), cycle.text(2, 1));
    EXPECT_EQ(engine.grid(0).text(2, 5), cycle.text(2, 5));
}

TEST(PredictionEngine, ExportHasTheShiftAndFourCaptionedGrids)
{
    const PredictionEngine engine = run(TestHistory::store(history(40)), only({1}));
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(PredictionExport::json(engine).toUtf8(), &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonObject object = document.object();
    EXPECT_EQ(object.value(QStringLiteral("window")).toString(), QStringLiteral("一発ケルモン予想"));
    EXPECT_EQ(object.value(QStringLiteral("shift")).toInt(), 15);
    const QJsonArray grids = object.value(QStringLiteral("grids")).toArray();
    ASSERT_EQ(grids.size(), 4);
    for (int k = 0; k < 4; ++k) {
        const QJsonObject grid = grids[k].toObject();
        EXPECT_EQ(grid.value(QStringLiteral("caption")).toString(), PredictionGrids::caption(k));
        EXPECT_EQ(grid.value(QStringLiteral("rows")).toInt(), 5 - k);
    }
    EXPECT_EQ(PredictionExport::parseReflectList(QStringLiteral("0,1,5")), only({0, 1, 5}));
    EXPECT_EQ(PredictionExport::parseReflectList(QString()), only({}));
    EXPECT_FALSE(PredictionExport::parseReflectList(QStringLiteral("12")));
    EXPECT_FALSE(PredictionExport::parseReflectList(QStringLiteral("1,x")));
}

TEST(PredictionEngine, BundledHistoryMovesEveryLookBackFifteenDraws)
{
    std::vector<DrawRecord> records = TestHistory::bundled();
    const PredictionEngine shifted = run(TestHistory::store(records), only({1}));
    records.resize(records.size() - 15);
    const PredictionEngine earlier = run(TestHistory::store(records));
    for (int k = 1; k <= 3; ++k) {
        for (int r = 2; r <= PredictionGrids::rowCount(k); ++r)
            EXPECT_EQ(row(shifted, k, r), row(earlier, k, r)) << k << "," << r;
    }
    EXPECT_EQ(row(shifted, 1, 2).size(), 6);
}
