// 買い目作成 without a window: the three ways of making lines against plain
// enumeration, the past played with them against checking every ticket one
// by one, what is refused, cancelling, new draws, and candidates by how
// often the numbers were drawn.
#include "prediction/buyingplan.h"
#include "prediction/buyingsheets.h"
#include "prediction/candidates.h"
#include "prediction/ticketsources.h"
#include "support/history.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QRandomGenerator>

#include <numeric>

using namespace BuyingPlan;

namespace {

std::vector<int> range(int from, int to)
{
    std::vector<int> numbers(size_t(to - from + 1));
    std::iota(numbers.begin(), numbers.end(), from);
    return numbers;
}

// The past the straightforward way: every line as a ticket of every draw,
// checked as the ticket window checks it.
WhatIf countByTickets(const std::vector<Line> &lines, const DrawResults &results)
{
    WhatIf out;
    out.lines = (long long)lines.size();
    for (const auto &[drawNo, numbers] : results.all()) {
        std::array<bool, 5> won{};
        for (const Line &line : lines) {
            Ticket ticket;
            ticket.drawNo = drawNo;
            ticket.numbers = line;
            const int tier = tierNumber(checkTicket(ticket, results).tier);
            if (tier == 0)
                continue;
            ++out.linesWon[size_t(tier - 1)];
            ++out.prizeLines;
            won[size_t(tier - 1)] = true;
        }
        for (size_t t = 0; t < won.size(); ++t)
            out.drawsWon[t] += won[t] ? 1 : 0;
        out.drawsWithPrize += std::find(won.begin(), won.end(), true) != won.end() ? 1 : 0;
        if (out.draws++ == 0)
            out.firstDraw = drawNo;
        out.lastDraw = drawNo;
    }
    return out;
}

void expectSame(const WhatIf &a, const WhatIf &b)
{
    EXPECT_EQ(a.draws, b.draws);
    EXPECT_EQ(a.firstDraw, b.firstDraw);
    EXPECT_EQ(a.lastDraw, b.lastDraw);
    EXPECT_EQ(a.lines, b.lines);
    EXPECT_EQ(a.drawsWon, b.drawsWon);
    EXPECT_EQ(a.linesWon, b.linesWon);
    EXPECT_EQ(a.drawsWithPrize, b.drawsWithPrize);
    EXPECT_EQ(a.prizeLines, b.prizeLines);
}

} // namespace

TEST(BuyingPlan, WhatIfEqualsCheckingEveryTicket)
{
    // The bundled history with an incomplete newest record, which no line
    // can be checked against.
    std::vector<DrawRecord> records = TestHistory::bundled();
    records.push_back(TestHistory::draw(2131, {Field(1), Field(2), Field(3), Field(4), Field(5), Field(6), TestHistory::empty()}));
    const DrawResults results(Recordset(std::move(records)));

    QRandomGenerator pick(11);
    std::vector<Line> randomLines;
    for (int i = 0; i < 60; ++i)
        randomLines.push_back(TicketRules::quickPick(pick));
    const std::vector<std::vector<Line>> cases{
        TicketSources::combinations(range(1, 12)), // 924 lines: every tier shows up
        randomLines,
        {{12, 18, 35, 40, 41, 43}}, // draw 2130's numbers: a 1等 once
        {},
    };
    for (const std::vector<Line> &lines : cases) {
        SCOPED_TRACE(lines.size());
        const WhatIf fast = whatIf(lines, results);
        expectSame(fast, countByTickets(lines, results));
        EXPECT_EQ(fast.draws, 2130);
        EXPECT_EQ(fast.lastDraw, 2130);
    }
    EXPECT_EQ(whatIf({{12, 18, 35, 40, 41, 43}}, results).drawsWon[0], 1);

    // Any fixed lines expect what random lines of the same count expect.
    const WhatIf all = whatIf(TicketSources::combinations(range(1, 12)), results);
    EXPECT_DOUBLE_EQ(all.expectedLines(5), 2130.0 * 924 * 155400 / 6096454);

    // The grid shows the same counts.
    const Sheet sheet = BuyingSheets::whatIf(all);
    for (int t = 1; t <= 5; ++t) {
        EXPECT_EQ(sheet.text(2, t + 1), QStringLiteral("%1回").arg(QLocale(QLocale::English).toString(all.drawsWon[size_t(t - 1)])));
        EXPECT_EQ(sheet.text(3, t + 1), QStringLiteral("%1口").arg(QLocale(QLocale::English).toString(all.linesWon[size_t(t - 1)])));
    }
}

TEST(BuyingPlan, ThreeWaysAgainstPlainEnumeration)
{
    const DrawHistoryStore store = TestHistory::store(TestHistory::generated(200));
    const std::vector<ComboFilter::Line> history = ComboFilter::pastDraws(store);
    const DrawResults results(store.DrawRecordset);
    const auto plan = [&](const Request &request) {
        EXPECT_FALSE(problem(request, history));
        const std::optional<Plan> made = make(request, history, results);
        EXPECT_TRUE(made);
        return *made;
    };

    // 全組合せ: every six of the candidates, priced at 200 円 a line.
    Request all{Mode::AllLines, {9, 3, 27, 14, 40, 33, 21, 8}};
    const Plan everyLine = plan(all);
    EXPECT_EQ(everyLine.lines, TicketSources::combinations(all.numbers));
    EXPECT_EQ(everyLine.count, 28);
    EXPECT_EQ(everyLine.cost(), 5600);
    expectSame(everyLine.whatIf, countByTickets(everyLine.lines, results));

    // Too many to list: counted and priced, neither listed nor played.
    const Plan tooMany = plan({Mode::AllLines, range(1, 23)});
    EXPECT_EQ(tooMany.count, 100947);
    EXPECT_FALSE(tooMany.listed());
    EXPECT_TRUE(tooMany.lines.empty());
    EXPECT_EQ(tooMany.whatIf.draws, 0);
    EXPECT_TRUE(BuyingSheets::summary(tooMany).contains(QStringLiteral("100,000口まで")));
    EXPECT_EQ(BuyingSheets::lines(tooMany).maxRows(), 1);

    // 縮小ホイール: C(8, 6, 5) = 12 lines whose promise holds for every five.
    Request wheel{Mode::Wheel, range(30, 37), {5, 5}, 5};
    const Plan wheelPlan = plan(wheel);
    EXPECT_EQ(wheelPlan.count, 12);
    ASSERT_TRUE(wheelPlan.wheel);
    EXPECT_TRUE(wheelPlan.wheel->verified);
    EXPECT_FALSE(Wheel::firstUnmatched(wheel.numbers, wheel.condition, wheelPlan.lines));
    const QString words = BuyingSheets::summary(wheelPlan);
    EXPECT_TRUE(words.contains(Wheel::guaranteeText({5, 5}))) << words.toStdString();
    EXPECT_TRUE(words.contains(QStringLiteral("2,400円"))) << words.toStdString();
    EXPECT_TRUE(words.contains(QStringLiteral("12口より少なくはなりません"))) << words.toStdString();
    EXPECT_EQ(memo(wheelPlan), Wheel::memoText({5, 5}));

    // 絞り込み over candidates: the lines whose sum and odd count fit.
    Request filter{Mode::Filter, range(5, 20)};
    filter.filters = {{ComboFilter::Measure::Sum, 60, 70}, {ComboFilter::Measure::Odd, 2, 3}};
    std::vector<Line> expected;
    for (const Line &line : TicketSources::combinations(filter.numbers)) {
        const int sum = std::accumulate(line.begin(), line.end(), 0);
        const auto odd = std::count_if(line.begin(), line.end(), [](int n) { return n % 2 == 1; });
        if (sum >= 60 && sum <= 70 && odd >= 2 && odd <= 3)
            expected.push_back(line);
    }
    const Plan filtered = plan(filter);
    EXPECT_EQ(filtered.lines, expected);
    EXPECT_EQ(filtered.count, (long long)expected.size());
    ASSERT_TRUE(filtered.filter);
    EXPECT_EQ(filtered.filter->considered, 8008);
    EXPECT_EQ(BuyingSheets::filters(*filtered.filter).maxRows(), 3);
    EXPECT_EQ(BuyingSheets::lines(filtered).maxRows(), 1 + int(expected.size()));
    EXPECT_EQ(BuyingSheets::lines(filtered).text(2, 2), QString::number(expected[0][0]));

    // Over all 43 numbers with a loose filter: millions of lines, counted only.
    const Plan loose = plan({Mode::Filter, {}, {}, 10, {{ComboFilter::Measure::Odd, 0, 6}}});
    EXPECT_EQ(loose.count, ComboFilter::AllLines);
    EXPECT_FALSE(loose.listed());
    EXPECT_EQ((long long)loose.lines.size(), MaxLines);
}

TEST(BuyingPlan, RefusalsSayWhy)
{
    const std::vector<ComboFilter::Line> history = ComboFilter::pastDraws(TestHistory::store(TestHistory::generated(20)));
    struct Case
    {
        Request request;
        const char *says;
    };
    const Case cases[] = {
        {{Mode::AllLines, range(1, 5)}, "6 個から"},
        {{Mode::Wheel, range(1, 10), {6, 7}}, "一致する数は 3 から 6"},
        {{Mode::Wheel, range(1, 10), {2, 3}}, "出る数は"},
        {{Mode::Wheel, {1, 2, 3, 4, 5, 5}, {4, 3}}, "同じ数字"},
        {{Mode::Filter, {}}, "条件を一つ以上"},
        {{Mode::Filter, {}, {}, 10, {{ComboFilter::Measure::Sum, 160, 100}}}, "小さい方から"},
    };
    for (const Case &c : cases) {
        const std::optional<QString> why = problem(c.request, history);
        ASSERT_TRUE(why) << c.says;
        EXPECT_TRUE(why->contains(QString::fromUtf8(c.says))) << why->toStdString();
    }
    EXPECT_FALSE(problem({Mode::Filter, {}, {}, 10, {{ComboFilter::Measure::Sum, 100, 160}}}, history));
}

TEST(BuyingPlan, CancellingGivesNothing)
{
    const DrawHistoryStore store = TestHistory::store(TestHistory::generated(300));
    const std::vector<ComboFilter::Line> history = ComboFilter::pastDraws(store);
    const DrawResults results(store.DrawRecordset);
    // While the wheel is searched, and while the past is played.
    int calls = 0;
    EXPECT_FALSE(make({Mode::Wheel, range(1, 18), {4, 3}, 30}, history, results, [&](const WheelProgress &) { return ++calls < 3; }));
    EXPECT_EQ(calls, 3);
    bool searching = false;
    EXPECT_FALSE(make({Mode::AllLines, range(1, 20)}, history, results, [&](const WheelProgress &p) {
        searching = searching || p.budget > 0;
        return false;
    }));
    EXPECT_FALSE(searching);
}

TEST(BuyingPlan, NewDrawsArePlayedAndMoveTheFilters)
{
    std::vector<DrawRecord> records = TestHistory::generated(50);
    const DrawHistoryStore before = TestHistory::store(records);
    Request request{Mode::Filter, range(1, 12)};
    request.filters = {{ComboFilter::Measure::Previous, 2, 2}};
    Plan plan = *make(request, ComboFilter::pastDraws(before), DrawResults(before.DrawRecordset));

    // Draw 51 shares 1, 2, 3 with the candidates: more lines share two.
    records.push_back(TestHistory::draw(51, {Field(1), Field(2), Field(3), Field(30), Field(31), Field(32), Field(33)}));
    const DrawHistoryStore after = TestHistory::store(records);
    replay(plan, ComboFilter::pastDraws(after), DrawResults(after.DrawRecordset));
    EXPECT_EQ(plan.whatIf.draws, 51);
    // Two of 1, 2, 3 and four of the other nine candidates.
    EXPECT_EQ(plan.count, 3 * 126);
    expectSame(plan.whatIf, countByTickets(plan.lines, DrawResults(after.DrawRecordset)));
}

TEST(BuyingPlan, CandidatesByHowOftenTheyWereDrawn)
{
    // Totals count the bonus as 出現頻度分析 does; ties go to the smaller number.
    const DrawHistoryStore store = TestHistory::store({
        TestHistory::draw(1, {Field(1), Field(2), Field(3), Field(4), Field(5), Field(6), Field(43)}),
        TestHistory::draw(2, {Field(1), Field(2), Field(3), Field(7), Field(8), Field(9), Field(43)}),
        TestHistory::draw(3, {Field(1), Field(10), Field(11), Field(12), Field(13), Field(14), Field(43)}),
    });
    EXPECT_EQ(Candidates::byFrequency(store, Candidates::Frequency::MostDrawn, 6), (std::vector<int>{1, 2, 3, 4, 5, 43}));
    EXPECT_EQ(Candidates::byFrequency(store, Candidates::Frequency::LeastDrawn, 6), (std::vector<int>{15, 16, 17, 18, 19, 20}));
    EXPECT_EQ(Candidates::byFrequency(store, Candidates::Frequency::MostDrawn, 43), range(1, 43));

    // Against the totals themselves on the real history.
    const DrawHistoryStore bundled = TestHistory::store(TestHistory::bundled());
    const std::vector<int> most = Candidates::byFrequency(bundled, Candidates::Frequency::MostDrawn, 10);
    const std::vector<int> least = Candidates::byFrequency(bundled, Candidates::Frequency::LeastDrawn, 33);
    for (int in : most) {
        for (int out : least)
            EXPECT_GE(bundled.NumberTotal[in], bundled.NumberTotal[out]) << in << " " << out;
    }
}
