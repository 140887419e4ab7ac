// The draw history store and its derived tables.
#include "store/globalbas.h"
#include "support/history.h"

#include <gtest/gtest.h>

using TestHistory::draw;
using TestHistory::empty;

TEST(DrawHistoryStore, EmptyHistoryLeavesEverythingZero)
{
    const DrawHistoryStore store = TestHistory::store({});
    EXPECT_EQ(store.LastDrawNo, 0);
    EXPECT_EQ(store.MaxTotal, 0);
    EXPECT_EQ(store.TotalGroupRows, 0);
    EXPECT_TRUE(store.TotalGroups.isEmpty());
    for (int n = 0; n <= 99; ++n)
        EXPECT_EQ(store.NumberTotal[n], 0);
}

TEST(DrawHistoryStore, OneDrawCountsTheBonusAndGroupsTheTotals)
{
    const DrawHistoryStore store = TestHistory::store({draw(1, {1, 2, 3, 4, 5, 6, 7})});
    for (int n = 1; n <= 7; ++n)
        EXPECT_EQ(store.NumberTotal[n], 1) << n;
    EXPECT_EQ(store.NumberTotal[8], 0);
    EXPECT_EQ(store.MaxTotal, 1);
    EXPECT_EQ(store.LastDrawNo, 1);
    ASSERT_EQ(store.TotalGroups.size(), 2);
    QStringList never;
    for (int n = 8; n <= 43; ++n)
        never << QString::number(n);
    EXPECT_EQ(store.TotalGroups[0], never.join(QLatin1Char(',')));
    EXPECT_EQ(store.TotalGroups[1], QStringLiteral("1,2,3,4,5,6,7"));
    EXPECT_EQ(store.TotalGroupRows, 3);
}

TEST(DrawHistoryStore, IncompleteRecordsAreSkippedByEveryTable)
{
    struct Case
    {
        const char *name;
        std::vector<DrawRecord> records;
        qint16 lastDrawNo;
        qint16 totalOf10;
    };
    const std::vector<Case> cases = {
        {"null bonus in the last record",
         {draw(1, {1, 2, 3, 4, 5, 6, 7}), draw(2, {10, 11, 12, 13, 14, 15, Field::null()})}, 1, 0},
        {"empty string in a main number",
         {draw(1, {10, 2, 3, 4, 5, 6, 7}), draw(2, {10, empty(), 12, 13, 14, 15, 16})}, 1, 1},
        {"gap in the draw numbers",
         {draw(1, {10, 2, 3, 4, 5, 6, 7}), draw(5, {10, 11, 12, 13, 14, 15, 16})}, 5, 2},
        {"incomplete record in the middle",
         {draw(1, {1, 2, 3, 4, 5, 6, 7}), draw(2, {Field::null(), 2, 3, 4, 5, 6, 7}),
          draw(3, {10, 11, 12, 13, 14, 15, 16})},
         3, 1},
    };
    for (const Case &c : cases) {
        const DrawHistoryStore store = TestHistory::store(c.records);
        EXPECT_EQ(store.LastDrawNo, c.lastDrawNo) << c.name;
        EXPECT_EQ(store.NumberTotal[10], c.totalOf10) << c.name;
        EXPECT_EQ(store.DrawRecordset.RecordCount(), int(c.records.size())) << c.name; // still walked
    }
}

TEST(DrawHistoryStore, EveryListIsAscendingAndTheTotalsAddUp)
{
    const DrawHistoryStore store = TestHistory::store(TestHistory::generated(500));
    int sum = 0;
    for (int n = 1; n <= 43; ++n)
        sum += store.NumberTotal[n];
    EXPECT_EQ(sum, 7 * 500);
    EXPECT_EQ(store.TotalGroups.size(), store.MaxTotal + 1);
    int rows = 1;
    for (qsizetype k = 0; k < store.TotalGroups.size(); ++k) {
        if (store.TotalGroups[k].isEmpty())
            continue;
        ++rows;
        int previous = 0;
        for (const QString &item : store.TotalGroups[k].split(QLatin1Char(','))) {
            const int n = item.toInt();
            EXPECT_GT(n, previous);
            EXPECT_EQ(store.NumberTotal[n], k);
            previous = n;
        }
    }
    EXPECT_EQ(store.TotalGroupRows, rows);
}

TEST(DrawHistoryStore, BadValuesFailTheLoadWithTheirRuntimeError)
{
    struct Case
    {
        const char *name;
        DrawRecord record;
        RuntimeErrorKind kind;
    };
    const std::vector<Case> cases = {
        {"text that is no number", draw(1, {QStringLiteral("x"), 2, 3, 4, 5, 6, 7}), RuntimeErrorKind::TypeMismatch},
        {"a value beyond 16 bits", draw(1, {40000, 2, 3, 4, 5, 6, 7}), RuntimeErrorKind::Overflow},
        {"a number outside the totals table", draw(1, {-1, 2, 3, 4, 5, 6, 7}), RuntimeErrorKind::IndexOutOfRange},
        {"a draw number beyond 16 bits", draw(40000, {1, 2, 3, 4, 5, 6, 7}), RuntimeErrorKind::Overflow},
    };
    for (const Case &c : cases) {
        try {
            TestHistory::store({c.record});
            ADD_FAILURE() << c.name << ": no error";
        } catch (const RuntimeError &error) {
            EXPECT_EQ(error.kind(), c.kind) << c.name;
            EXPECT_FALSE(error.detail().isEmpty()) << c.name;
        }
    }
}

TEST(Field, ConversionsFollowTheVariant)
{
    EXPECT_TRUE(Field::null().isEmpty());
    EXPECT_TRUE(empty().isEmpty());
    EXPECT_FALSE(Field(0).isEmpty());
    EXPECT_EQ(Field(QStringLiteral(" 12 ")).toInt16(), 12);
    EXPECT_EQ(Field(QStringLiteral("2.5")).toInt16(), 2); // half to even
    EXPECT_EQ(Field(QStringLiteral("3.5")).toInt16(), 4);
    EXPECT_THROW(Field::null().toInt16(), RuntimeError);
    EXPECT_THROW(empty().toInt16(), RuntimeError);
    EXPECT_EQ(Field(7).toText(), QStringLiteral("7"));
    EXPECT_EQ(Field::null().toText(), QString());
}
