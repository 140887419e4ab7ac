#include "analysis/randomness.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
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

double lowerGammaSeries(double a, double x)
{
    double sum = 1.0 / a, term = sum;
    for (int n = 1; n < 10000; ++n) {
        term *= x / (a + n);
        sum += term;
        if (std::abs(term) < std::abs(sum) * 1e-16)
            break;
    }
    return sum * std::exp(-x + a * std::log(x) - std::lgamma(a));
}

// Lentz's continued fraction for Q(a, x), good for x ≥ a + 1.
double upperGammaFraction(double a, double x)
{
    const double tiny = std::numeric_limits<double>::min() / std::numeric_limits<double>::epsilon();
    double b = x + 1 - a, c = 1 / tiny, d = 1 / b, h = d;
    for (int i = 1; i < 10000; ++i) {
        const double an = -i * (i - a);
        b += 2;
        d = an * d + b;
        if (std::abs(d) < tiny)
            d = tiny;
        c = b + an / c;
        if (std::abs(c) < tiny)
            c = tiny;
        d = 1 / d;
        const double delta = d * c;
        h *= delta;
        if (std::abs(delta - 1) < 1e-16)
            break;
    }
    return std::exp(-x + a * std::log(x) - std::lgamma(a)) * h;
}

// The tested form of observed counts against chance probabilities: bins
// merged, the Pearson statistic, its p-value. sigmaFactor scales the binomial
// variance of a bin: 1 where each observation falls in exactly one bin, and
// the finite-population factor where a draw's six distinct numbers are
// spread over the bins.
Test makeTest(const QString &id, const QString &name, const QStringList &labels,
              const std::vector<double> &observed, const std::vector<double> &probability, double sigmaFactor)
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
        test.bins.sigma.push_back(std::sqrt(std::max(0.0, expectedTotal * q * (1 - q) * sigmaFactor)));
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
    test.df = bins - 1;
    test.p = chiSquareSurvival(test.statistic, test.df);
    return test;
}

QStringList countLabels(int from, int to)
{
    QStringList labels;
    for (int i = from; i <= to; ++i)
        labels << QString::number(i);
    return labels;
}

std::vector<Draw> selectDraws(const std::vector<Draw> &all, const Range &range)
{
    if (range.last && *range.last < 1)
        throw std::invalid_argument("直近の回数には1以上を指定してください。");
    if (range.from && range.to && *range.from > *range.to) {
        throw std::invalid_argument(QStringLiteral("開始回（%1）が終了回（%2）より後です。")
                                        .arg(*range.from)
                                        .arg(*range.to)
                                        .toStdString());
    }
    std::vector<Draw> chosen;
    for (const Draw &d : all) {
        if ((!range.from || d.drawNo >= *range.from) && (!range.to || d.drawNo <= *range.to))
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

double upperRegularizedGamma(double a, double x)
{
    if (x <= 0)
        return 1;
    if (x < a + 1)
        return std::max(0.0, 1 - lowerGammaSeries(a, x));
    return upperGammaFraction(a, x);
}

double chiSquareSurvival(double x, int df)
{
    return upperRegularizedGamma(df / 2.0, x / 2.0);
}

std::vector<double> holmAdjust(const std::vector<double> &p)
{
    std::vector<size_t> order(p.size());
    std::iota(order.begin(), order.end(), size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return p[a] < p[b]; });
    std::vector<double> adjusted(p.size());
    double running = 0;
    const size_t m = p.size();
    for (size_t rank = 0; rank < m; ++rank) {
        running = std::max(running, std::min(1.0, double(m - rank) * p[order[rank]]));
        adjusted[order[rank]] = running;
    }
    return adjusted;
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
    const std::vector<Draw> draws = selectDraws(all, range);
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

    // The gap between two appearances of a number, in draws of the range.
    std::vector<int> lastSeen(Numbers, -1);
    std::vector<double> gapCounts;
    for (int i = 0; i < int(draws.size()); ++i) {
        for (int x : draws[size_t(i)].main) {
            int &seen = lastSeen[size_t(x - 1)];
            if (seen >= 0) {
                const size_t gap = size_t(i - seen);
                if (gapCounts.size() < gap)
                    gapCounts.resize(gap, 0);
                gapCounts[gap - 1] += 1;
            }
            seen = i;
        }
    }
    if (gapCounts.empty())
        gapCounts.push_back(0);
    const double hit = double(MainCount) / Numbers;
    std::vector<double> gapP;
    QStringList gapLabels = countLabels(1, int(gapCounts.size()));
    for (size_t g = 1; g <= gapCounts.size(); ++g)
        gapP.push_back(hit * std::pow(1 - hit, double(g - 1)));
    // Longer gaps than any seen keep their share of the chance in a tail bin.
    gapP.push_back(std::pow(1 - hit, double(gapCounts.size())));
    gapCounts.push_back(0);
    gapLabels << QStringLiteral("%1以上").arg(gapP.size());
    report.tests.push_back(makeTest(QStringLiteral("gap"), QStringLiteral("同じ数字の出現間隔（回）"), gapLabels,
                                    gapCounts, gapP, 1));

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
    const std::vector<double> adjusted = holmAdjust(p);
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
