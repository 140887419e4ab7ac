#include "analysis/randomness.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>
#include <stdexcept>

namespace Randomness {

namespace {

constexpr int Numbers = 43;   // 1 … 43
constexpr int MainCount = 6;  // main numbers a draw
constexpr int LowLimit = 21;  // 1 … 21 are low numbers
constexpr int EvenNumbers = 21; // 2, 4, … 42
constexpr double MinExpected = 5.0;
constexpr double Level = 0.05;

struct Draw
{
    int drawNo;
    std::array<int, 6> main;
    int bonus;
};

// A record that is a fair draw's outcome: 回数 and seven distinct whole
// numbers 1 … 43. Anything else (missing, text, repeated) is left out.
std::optional<Draw> validDraw(const DrawRecord &record)
{
    const std::optional<double> no = record.drawNo.toNumber();
    if (!no || *no != std::floor(*no) || std::abs(*no) > 1e9)
        return std::nullopt;
    std::array<int, 7> values{};
    for (int p = 1; p <= 7; ++p) {
        const std::optional<double> v = record.number(p).toNumber();
        if (!v || *v != std::floor(*v) || *v < 1 || *v > Numbers)
            return std::nullopt;
        values[size_t(p - 1)] = int(*v);
    }
    std::array<int, 7> sorted = values;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end())
        return std::nullopt;
    Draw draw{int(*no), {}, values[6]};
    std::copy_n(values.begin(), 6, draw.main.begin());
    return draw;
}

double binomial(int n, int k)
{
    if (k < 0 || k > n || n < 0)
        return 0;
    k = std::min(k, n - k);
    double r = 1;
    for (int i = 1; i <= k; ++i)
        r = r * (n - k + i) / i;
    return std::round(r);
}

// The tested form of observed counts against chance probabilities: bins
// merged, the Pearson statistic, its p-value. spread scales the multinomial
// covariance of the counts: 1 where each observation falls in exactly one
// bin independently of the others, and the finite-population factor
// (n − k)/(n − 1) where each draw spreads k distinct numbers of n over the
// bins.
//
// Why dividing by that factor is exact: in one draw the count of a class of
// m of the n numbers is hypergeometric, with variance k (m/n)(1 − m/n) and
// covariance −k (mᵢ/n)(mⱼ/n) between two classes, each times (n − k)/(n − 1).
// That is the covariance of a multinomial count of k throws, scaled by the
// factor, for any grouping of the numbers (single numbers, merged bins,
// last digits). Summed over N independent draws the counts are asymptotically
// normal with that covariance, so Pearson's statistic, their quadratic form,
// tends to spread × χ²(bins − 1), and its mean is spread × (bins − 1) rather
// than bins − 1 (37 instead of 42 for the 43 main numbers). Divided by
// spread it is chi-square with bins − 1 degrees of freedom, as stated.
Test makeTest(const QString &id, const QString &name, const QStringList &labels,
              const std::vector<double> &observed, const std::vector<double> &probability, double spread)
{
    Test test;
    test.id = id;
    test.name = name;
    const double total = std::accumulate(observed.begin(), observed.end(), 0.0);
    Binned raw;
    raw.labels = labels;
    raw.observed = observed;
    for (double p : probability)
        raw.expected.push_back(total * p);
    test.bins = mergeBins(raw, MinExpected);
    const double expectedTotal
        = std::accumulate(test.bins.expected.begin(), test.bins.expected.end(), 0.0);
    for (double e : test.bins.expected) {
        const double q = expectedTotal > 0 ? e / expectedTotal : 0;
        test.bins.sigma.push_back(std::sqrt(std::max(0.0, expectedTotal * q * (1 - q) * spread)));
    }
    const int bins = int(test.bins.expected.size());
    if (bins < 2 || test.bins.expected.front() < MinExpected) {
        test.problem = QStringLiteral("当選データが足りないため検定できません。");
        return test;
    }
    for (int i = 0; i < bins; ++i) {
        const double d = test.bins.observed[size_t(i)] - test.bins.expected[size_t(i)];
        test.statistic += d * d / test.bins.expected[size_t(i)];
    }
    test.statistic /= spread;
    test.df = bins - 1;
    test.p = Significance::chiSquareSurvival(test.statistic, test.df);
    return test;
}

// The gaps seen in the range, by length 1 … (last 回数 − first 回数): from
// each complete draw holding a number to the next one holding it, in 回数.
std::vector<double> gapCounts(const std::vector<Draw> &draws)
{
    std::vector<double> counts(size_t(std::max(1, draws.back().drawNo - draws.front().drawNo)), 0);
    std::array<std::optional<int>, Numbers> lastSeen{};
    for (const Draw &d : draws) {
        for (int x : d.main) {
            std::optional<int> &seen = lastSeen[size_t(x - 1)];
            if (seen)
                counts[size_t(d.drawNo - *seen - 1)] += 1;
            seen = d.drawNo;
        }
    }
    return counts;
}

QStringList countLabels(int from, int to)
{
    QStringList labels;
    for (int i = from; i <= to; ++i)
        labels << QString::number(i);
    return labels;
}

// The draws of the range. A range reaching outside the history is refused,
// as the walk-forward test refuses it, rather than cut to what exists: a
// report on fewer draws than asked for would read as what was asked.
std::vector<Draw> selectDraws(const std::vector<Draw> &all, int lastDrawNo, const Range &range)
{
    const auto refuse = [](const QString &message) { throw std::invalid_argument(message.toStdString()); };
    if (all.empty() && (range.last || range.from || range.to))
        refuse(QStringLiteral("検定できる当選データがありません。"));
    if (range.last && (*range.last < 1 || *range.last > int(all.size())))
        refuse(QStringLiteral("直近の回数は1から%1までで指定してください（指定: %2）。").arg(all.size()).arg(*range.last));
    const int from = range.from.value_or(1);
    const int to = range.to.value_or(lastDrawNo);
    if (from > to)
        refuse(QStringLiteral("開始回（%1）が終了回（%2）より後です。").arg(from).arg(to));
    if (from < 1 || to > lastDrawNo)
        refuse(QStringLiteral("検定する範囲は第1回から第%1回までの間で指定してください（指定: %2〜%3）。")
                   .arg(lastDrawNo)
                   .arg(from)
                   .arg(to));
    std::vector<Draw> chosen;
    for (const Draw &d : all) {
        if (d.drawNo >= from && d.drawNo <= to)
            chosen.push_back(d);
    }
    if (range.last && int(chosen.size()) > *range.last)
        chosen.erase(chosen.begin(), chosen.end() - *range.last);
    return chosen;
}

} // namespace

QString Test::verdict() const
{
    if (!tested())
        return problem;
    if (adjustedP < Level)
        return QStringLiteral("偶然とは考えにくい偏りがあります (p = %1)").arg(QString::number(adjustedP, 'g', 3));
    return QStringLiteral("偶然の範囲内です");
}

Binned mergeBins(const Binned &bins, double minExpected)
{
    Binned merged;
    const auto label = [&](size_t first, size_t last) {
        const QString &end = bins.labels[qsizetype(last)];
        if (first == last)
            return end;
        // A tail bin ("61以上") swallows everything merged into it.
        if (end.endsWith(QStringLiteral("以上")))
            return bins.labels[qsizetype(first)] + QStringLiteral("以上");
        return bins.labels[qsizetype(first)] + QStringLiteral("〜") + end;
    };
    std::vector<std::pair<size_t, size_t>> spans;
    size_t start = 0;
    double o = 0, e = 0;
    for (size_t i = 0; i < bins.expected.size(); ++i) {
        o += bins.observed[i];
        e += bins.expected[i];
        if (e >= minExpected) {
            spans.emplace_back(start, i);
            merged.observed.push_back(o);
            merged.expected.push_back(e);
            start = i + 1;
            o = e = 0;
        }
    }
    if (start < bins.expected.size()) {
        if (spans.empty()) {
            spans.emplace_back(start, bins.expected.size() - 1);
            merged.observed.push_back(o);
            merged.expected.push_back(e);
        } else {
            spans.back().second = bins.expected.size() - 1;
            merged.observed.back() += o;
            merged.expected.back() += e;
        }
    }
    for (const auto &[first, last] : spans)
        merged.labels << label(first, last);
    return merged;
}

std::vector<double> hypergeometric(int n, int marked, int k)
{
    std::vector<double> p(size_t(k + 1));
    const double all = binomial(n, k);
    for (int m = 0; m <= k; ++m)
        p[size_t(m)] = binomial(marked, m) * binomial(n - marked, k - m) / all;
    return p;
}

std::vector<double> sumDistribution(int n, int k)
{
    const int maxSum = k * (2 * n - k + 1) / 2;
    // ways[j][s]: j of the numbers seen so far, summing to s.
    std::vector<std::vector<double>> ways(size_t(k + 1), std::vector<double>(size_t(maxSum + 1), 0));
    ways[0][0] = 1;
    for (int x = 1; x <= n; ++x) {
        for (int j = std::min(k, x); j >= 1; --j) {
            for (int s = maxSum; s >= x; --s)
                ways[size_t(j)][size_t(s)] += ways[size_t(j - 1)][size_t(s - x)];
        }
    }
    const double all = binomial(n, k);
    std::vector<double> p = ways[size_t(k)];
    for (double &v : p)
        v /= all;
    return p;
}

std::vector<double> gapDistribution(const std::vector<int> &drawNumbers)
{
    // Under fair draws a number is in each draw independently with
    // p = 6/43. A gap of length g from draw a is seen when the number is in
    // a and in a + g, both complete draws of the range, and in none of the
    // k complete draws between them: probability p² q^k with q = 1 − p.
    // The expected number of gaps of length g is therefore 43 p² Σ q^k over
    // every place (a, a + g) where such a gap can occur. With no draw left
    // out that is 43 p² (n − g) q^(g − 1) in a range of n draws: it holds
    // only n − g places for a gap of g, and none for a gap of n or more,
    // which a geometric distribution would still expect. Draws left out
    // lengthen a gap without a chance to end it. The test takes the seen
    // gaps' total as given, so each length's chance is its weight Σ q^k
    // over the sum of all weights (43 p² cancels).
    const double q = 1 - double(MainCount) / Numbers;
    if (drawNumbers.size() < 2)
        return {1.0};
    std::vector<double> weight(size_t(drawNumbers.back() - drawNumbers.front()), 0);
    double total = 0;
    for (size_t a = 0; a < drawNumbers.size(); ++a) {
        double none = 1; // q^k
        for (size_t b = a + 1; b < drawNumbers.size() && none > 0; ++b) {
            weight[size_t(drawNumbers[b] - drawNumbers[a] - 1)] += none;
            total += none;
            none *= q;
        }
    }
    for (double &w : weight)
        w /= total;
    return weight;
}

std::vector<double> consecutivePairsDistribution(int n, int k)
{
    // A k-subset with j adjacent pairs is k - j runs: the run lengths are a
    // composition of k into k - j parts, and the runs sit in the n - k + 1
    // gaps between the numbers not drawn.
    std::vector<double> p(size_t(std::max(k, 1)));
    const double all = binomial(n, k);
    for (int j = 0; j < k; ++j)
        p[size_t(j)] = binomial(k - 1, j) * binomial(n - k + 1, k - j) / all;
    return p;
}

Report analyse(const DrawHistoryStore &store, const Range &range)
{
    std::vector<Draw> all;
    for (const DrawRecord &record : store.DrawRecordset) {
        if (std::optional<Draw> d = validDraw(record))
            all.push_back(*d);
    }
    const std::vector<Draw> draws = selectDraws(all, store.LastDrawNo, range);
    Report report;
    report.draws = int(draws.size());
    if (!draws.empty()) {
        report.firstDraw = draws.front().drawNo;
        report.lastDraw = draws.back().drawNo;
    }
    if (draws.size() < 2) {
        report.problem = QStringLiteral("検定するには2回以上の当選データが必要です（この範囲は%1回です）。").arg(draws.size());
        return report;
    }
    const double spread = double(Numbers - MainCount) / (Numbers - 1);

    // Each number's appearances.
    std::vector<double> mainCount(Numbers, 0), withBonus(Numbers, 0);
    for (const Draw &d : draws) {
        for (int x : d.main) {
            mainCount[size_t(x - 1)] += 1;
            withBonus[size_t(x - 1)] += 1;
        }
        withBonus[size_t(d.bonus - 1)] += 1;
    }
    const QStringList numberLabels = countLabels(1, Numbers);
    report.tests.push_back(makeTest(QStringLiteral("frequency"), QStringLiteral("数字ごとの出現回数（本数字）"), numberLabels,
                                    mainCount, std::vector<double>(Numbers, 1.0 / Numbers), spread));
    report.tests.push_back(makeTest(QStringLiteral("frequencyWithBonus"),
                                    QStringLiteral("数字ごとの出現回数（本数字＋ボーナス数字）"), numberLabels, withBonus,
                                    std::vector<double>(Numbers, 1.0 / Numbers),
                                    double(Numbers - MainCount - 1) / (Numbers - 1)));

    // The sum of the six main numbers.
    const std::vector<double> sumP = sumDistribution(Numbers, MainCount);
    const int minSum = MainCount * (MainCount + 1) / 2;
    std::vector<double> sums(sumP.size() - size_t(minSum), 0);
    for (const Draw &d : draws)
        sums[size_t(std::accumulate(d.main.begin(), d.main.end(), 0) - minSum)] += 1;
    report.tests.push_back(makeTest(QStringLiteral("sum"), QStringLiteral("本数字の合計"),
                                    countLabels(minSum, int(sumP.size()) - 1), sums,
                                    std::vector<double>(sumP.begin() + minSum, sumP.end()), 1));

    // How many of the six are low, even, consecutive, or repeated from the last draw.
    std::vector<double> low(MainCount + 1, 0), even(MainCount + 1, 0), pairs(MainCount, 0), repeats(MainCount + 1, 0);
    for (const Draw &d : draws) {
        std::array<int, 6> sorted = d.main;
        std::sort(sorted.begin(), sorted.end());
        int lows = 0, evens = 0, adjacent = 0;
        for (size_t i = 0; i < sorted.size(); ++i) {
            lows += sorted[i] <= LowLimit;
            evens += sorted[i] % 2 == 0;
            adjacent += i > 0 && sorted[i] == sorted[i - 1] + 1;
        }
        low[size_t(lows)] += 1;
        even[size_t(evens)] += 1;
        pairs[size_t(adjacent)] += 1;
    }
    const QStringList zeroToSix = countLabels(0, MainCount);
    report.tests.push_back(makeTest(QStringLiteral("lowHigh"), QStringLiteral("低数字（1〜21）の個数"), zeroToSix, low,
                                    hypergeometric(Numbers, LowLimit, MainCount), 1));
    report.tests.push_back(makeTest(QStringLiteral("evenOdd"), QStringLiteral("偶数の個数"), zeroToSix, even,
                                    hypergeometric(Numbers, EvenNumbers, MainCount), 1));
    report.tests.push_back(makeTest(QStringLiteral("consecutive"), QStringLiteral("連番（隣り合う数字の組）の数"),
                                    countLabels(0, MainCount - 1), pairs,
                                    consecutivePairsDistribution(Numbers, MainCount), 1));

    // The gap between two appearances of a number, measured in 回数 so that
    // draws left out of the range lengthen it, in the observed and the
    // expected counts alike.
    std::vector<int> drawNumbers;
    for (const Draw &d : draws)
        drawNumbers.push_back(d.drawNo);
    const std::vector<double> gapP = gapDistribution(drawNumbers);
    QStringList gapLabels = countLabels(1, int(gapP.size()));
    // No longer gap fits in the range: the last length is also the tail, and
    // the bin that merging makes of the last lengths holds all the longer.
    gapLabels.last() += QStringLiteral("以上");
    report.tests.push_back(makeTest(QStringLiteral("gap"), QStringLiteral("同じ数字の出現間隔（回）"), gapLabels,
                                    gapCounts(draws), gapP, 1));

    // Main numbers among the previous draw's seven: the previous complete draw
    // of the whole history, so that the range's first draw counts too.
    std::vector<double> shared(MainCount + 1, 0);
    for (size_t i = 0, j = 0; i < all.size(); ++i) {
        if (j < draws.size() && all[i].drawNo == draws[j].drawNo) {
            if (i > 0) {
                const Draw &prev = all[i - 1];
                int common = 0;
                for (int x : draws[j].main)
                    common += std::count(prev.main.begin(), prev.main.end(), x) + (prev.bonus == x);
                shared[size_t(common)] += 1;
            }
            ++j;
        }
    }
    report.tests.push_back(makeTest(QStringLiteral("repeat"), QStringLiteral("前回の7数字と共通する本数字の数"), zeroToSix,
                                    shared, hypergeometric(Numbers, MainCount + 1, MainCount), 1));

    // Last digits 0 … 9 of the main numbers.
    std::vector<double> digits(10, 0), digitP(10, 0);
    for (int x = 1; x <= Numbers; ++x)
        digitP[size_t(x % 10)] += 1.0 / Numbers;
    for (const Draw &d : draws) {
        for (int x : d.main)
            digits[size_t(x % 10)] += 1;
    }
    report.tests.push_back(makeTest(QStringLiteral("lastDigit"), QStringLiteral("本数字の下一桁"), countLabels(0, 9), digits,
                                    digitP, spread));

    std::vector<double> p;
    for (const Test &t : report.tests) {
        if (t.tested())
            p.push_back(t.p);
    }
    const std::vector<double> adjusted = Significance::holmAdjust(p);
    size_t k = 0;
    for (Test &t : report.tests) {
        if (t.tested())
            t.adjustedP = adjusted[k++];
    }
    return report;
}

} // namespace Randomness

namespace Randomness {

namespace {

QJsonArray numbers(const std::vector<double> &values)
{
    QJsonArray array;
    for (double v : values)
        array.append(v);
    return array;
}

} // namespace

QByteArray reportJson(const Report &report)
{
    QJsonObject root;
    root.insert(QStringLiteral("from"), report.firstDraw);
    root.insert(QStringLiteral("to"), report.lastDraw);
    root.insert(QStringLiteral("draws"), report.draws);
    if (!report.problem.isEmpty())
        root.insert(QStringLiteral("error"), report.problem);
    QJsonArray tests;
    for (const Test &t : report.tests) {
        QJsonObject o;
        o.insert(QStringLiteral("id"), t.id);
        o.insert(QStringLiteral("name"), t.name);
        o.insert(QStringLiteral("bins"), QJsonArray::fromStringList(t.bins.labels));
        o.insert(QStringLiteral("observed"), numbers(t.bins.observed));
        o.insert(QStringLiteral("expected"), numbers(t.bins.expected));
        o.insert(QStringLiteral("sigma"), numbers(t.bins.sigma));
        if (t.tested()) {
            o.insert(QStringLiteral("statistic"), t.statistic);
            o.insert(QStringLiteral("df"), t.df);
            o.insert(QStringLiteral("p"), t.p);
            o.insert(QStringLiteral("adjustedP"), t.adjustedP);
        } else {
            o.insert(QStringLiteral("statistic"), QJsonValue());
            o.insert(QStringLiteral("df"), QJsonValue());
            o.insert(QStringLiteral("p"), QJsonValue());
            o.insert(QStringLiteral("adjustedP"), QJsonValue());
        }
        o.insert(QStringLiteral("verdict"), t.verdict());
        tests.append(o);
    }
    root.insert(QStringLiteral("tests"), tests);
    return QJsonDocument(root).toJson(QJsonDocument::Compact);
}

QString reportCsv(const Report &report)
{
    QString csv = QStringLiteral("id,name,bin,observed,expected,statistic,df,p,adjustedP\n");
    const auto num = [](double v) { return QString::number(v, 'g', 17); };
    for (const Test &t : report.tests) {
        for (qsizetype i = 0; i < t.bins.labels.size(); ++i) {
            csv += QStringList{t.id, t.name, t.bins.labels[i], num(t.bins.observed[size_t(i)]),
                               num(t.bins.expected[size_t(i)]), t.tested() ? num(t.statistic) : QString(),
                               t.tested() ? QString::number(t.df) : QString(), t.tested() ? num(t.p) : QString(),
                               t.tested() ? num(t.adjustedP) : QString()}
                       .join(QLatin1Char(','))
                + QStringLiteral("\n");
        }
    }
    return csv;
}

} // namespace Randomness
