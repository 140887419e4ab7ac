#include "prediction/backtest.h"

#include "analysis/significance.h"
#include "prediction/predictionengine.h"
#include "store/checked.h"
#include "store/runtimeerror.h"
#include "ui/numbertext.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace Backtest {

QString methodName(int method)
{
    static const std::array<QString, MethodCount> names{
        QStringLiteral("7回周期法"), QStringLiteral("9回周期法"), QStringLiteral("11回周期法"),
        QStringLiteral("12回周期法"), QStringLiteral("消去法"), QStringLiteral("連発予想"),
        QStringLiteral("１発予想")};
    return names[size_t(method)];
}

QString reflectName(int k)
{
    QString key = OptionsFile::keys().at(k);
    key.chop(3); // "Opt"
    return key;
}

long long choose(int n, int r)
{
    if (n < 0 || r < 0 || r > n)
        return 0;
    long long c = 1;
    for (int i = 1; i <= r; ++i)
        c = c * (n - r + i) / i;
    return c;
}

Tiers winningTickets(int k, int m, bool bonus)
{
    const int b = bonus ? 1 : 0;
    // The other numbers of the set: not among the six main numbers.
    const int rest = k - m;
    return {choose(m, 6), choose(m, 5) * b, choose(m, 5) * (rest - b), choose(m, 4) * choose(rest, 2),
            choose(m, 3) * choose(rest, 3)};
}

double ticketChance(int tier)
{
    return double(WinningTickets[size_t(tier - 1)]) / double(AllTickets);
}

Baseline baseline(int k)
{
    Baseline out;
    if (k <= 0)
        return out;
    const double all = double(choose(43, k));
    for (int m = 0; m <= 6; ++m)
        out.hitProbability[size_t(m)] = double(choose(6, m)) * double(choose(37, k - m)) / all;
    out.expectedHits = 6.0 * k / 43.0;
    out.variance = k * (6.0 / 43.0) * (37.0 / 43.0) * (43.0 - k) / 42.0;
    out.tickets = choose(k, 6);
    for (int t = 0; t < TierCount; ++t)
        out.expectedTiers[size_t(t)] = double(out.tickets) * double(WinningTickets[size_t(t)]) / double(AllTickets);
    return out;
}

double twoSidedP(double z)
{
    return std::erfc(std::fabs(z) / std::sqrt(2.0));
}

namespace {

Verdict verdictOf(int tested, double variance, double p, double z)
{
    if (tested == 0 || variance <= 0)
        return Verdict::NotTested;
    if (p >= 0.05)
        return Verdict::NotDistinguishable;
    return z > 0 ? Verdict::Better : Verdict::Worse;
}

} // namespace

Verdict verdict(const MethodSummary &summary)
{
    return verdictOf(summary.tested, summary.variance, summary.adjustedP, summary.z);
}

Verdict verdict(const LinesSummary &summary)
{
    return verdictOf(summary.tested, summary.variance, summary.p, summary.z);
}

QString verdictText(const MethodSummary &summary)
{
    return verdictText(verdict(summary));
}

QString verdictText(Verdict verdict)
{
    switch (verdict) {
    case Verdict::Better:
        return QStringLiteral("でたらめに選ぶより当たりました（5%水準で有意）。");
    case Verdict::Worse:
        return QStringLiteral("でたらめに選ぶより当たりませんでした（5%水準で有意）。");
    case Verdict::NotDistinguishable:
        return QStringLiteral("でたらめに選んだ場合と区別できません。");
    case Verdict::NotTested:
        break;
    }
    return QStringLiteral("検証できる回がありません。");
}

Range defaultRange(const DrawHistoryStore &store)
{
    return {store.LastDrawNo >= 101 ? 101 : 1, store.LastDrawNo};
}

QString checkRange(const DrawHistoryStore &store, const Range &range)
{
    if (store.LastDrawNo <= 0)
        return QStringLiteral("当選データがありません。");
    // Records come in 回数 order: the last one is the newest, complete or not.
    int last = store.LastDrawNo;
    if (const std::optional<double> newest = store.DrawRecordset.records().back().drawNo.toNumber())
        last = int(std::clamp(*newest, double(last), 32767.0));
    if (range.from > range.to)
        return QStringLiteral("開始回（%1）が終了回（%2）より後です。").arg(range.from).arg(range.to);
    if (range.from < 1 || range.to > last)
        return QStringLiteral("検証範囲は第1回から第%1回までの間で指定してください（指定: %2〜%3）。")
            .arg(last)
            .arg(range.from)
            .arg(range.to);
    return {};
}

namespace {

// A whole number in 1 … 43, as a target's numbers and a set's members must be.
std::optional<int> lotteryNumber(const Field &field)
{
    const std::optional<double> value = field.toNumber();
    if (!value || *value != std::floor(*value) || *value < 1 || *value > 43)
        return std::nullopt;
    return int(*value);
}

struct Target
{
    int index = 0; // in the recordset
    int draw = 0;
    std::array<bool, 44> main{};
    std::array<int, 6> winning{};
    int bonus = 0;

    DrawResult result() const
    {
        DrawResult d;
        d.draw = draw;
        d.winning = winning;
        d.bonusNumber = bonus;
        return d;
    }
};

std::vector<Target> targets(const DrawHistoryStore &store, const Range &range)
{
    std::vector<Target> out;
    const Recordset &records = store.DrawRecordset;
    for (int i = 0; i < records.RecordCount(); ++i) {
        const DrawRecord &record = records[i];
        const std::optional<double> drawNo = record.drawNo.toNumber();
        if (!drawNo || *drawNo < range.from || *drawNo > range.to || !record.isComplete())
            continue;
        Target t;
        t.index = i;
        t.draw = int(*drawNo);
        bool whole = true;
        for (int p = 1; p <= 7 && whole; ++p) {
            const std::optional<int> n = lotteryNumber(record.number(p));
            whole = n.has_value();
            if (!whole)
                break;
            if (p <= 6) {
                t.main[size_t(*n)] = true;
                t.winning[size_t(p - 1)] = *n;
            }
            else
                t.bonus = *n;
        }
        if (whole)
            out.push_back(t);
    }
    return out;
}

// A set as the window shows it: its members in 1 … 43, each once, ascending.
class NumberSet
{
public:
    void add(int n)
    {
        if (n >= 1 && n <= 43)
            m_in[size_t(n)] = true;
    }
    void add(const QString &text)
    {
        if (const std::optional<int> n = lotteryNumber(Field(text)))
            add(*n);
    }
    SetScore score(const Target &t) const
    {
        SetScore s;
        for (int n = 1; n <= 43; ++n) {
            if (!m_in[size_t(n)])
                continue;
            s.numbers.push_back(n);
            s.hits += t.main[size_t(n)] ? 1 : 0;
        }
        s.bonus = m_in[size_t(t.bonus)];
        return s;
    }

private:
    std::array<bool, 44> m_in{};
};

// The three shifted predictions for one look-back shift, read off the
// prediction's tables as the grids would show them.
struct ShiftedSets
{
    NumberSet elimination;
    NumberSet multiShot;
    NumberSet oneShot;
};

// The prediction's tables grown record by record along the history.
class Walker
{
public:
    explicit Walker(const DrawHistoryStore &store) : m_records(store.DrawRecordset) {}

    // Takes in every record before the record at index.
    void advanceTo(int index)
    {
        for (; m_next < index; ++m_next) {
            if (!m_error.isEmpty())
                continue;
            const DrawRecord &record = m_records[m_next];
            try {
                m_engine.appendDraw(record);
                if (record.isComplete())
                    m_last = record.drawNo.toInt16();
            } catch (const RuntimeError &error) {
                // Every later history holds this record and fails alike.
                m_error = error.message();
            }
        }
    }
    const QString &error() const { return m_error; }

    std::array<NumberSet, 4> cycleSets() const
    {
        std::array<NumberSet, 4> sets;
        for (int method = 0; method < 4; ++method) {
            // Position 7 lies beyond the grid and is never shown.
            for (int p = 1; p <= 6; ++p)
                sets[size_t(method)].add(m_engine.cycleEntry(p, method));
        }
        return sets;
    }

    // Throws RuntimeError where the window's computation would.
    ShiftedSets shifted(qint16 shift) const
    {
        ShiftedSets out;
        // Elimination: the first eighteen distinct wrapped candidates.
        std::array<qint16, 21> candidates{};
        int shown = 0;
        for (int i = 0; i <= 20; ++i) {
            static constexpr qint16 addend[7] = {22, 16, 17, 24, 32, 1, 12};
            static constexpr int firstOffset[7] = {4, 5, 5, 9, 12, 19, 20};
            const int a = i % 7;
            const qint16 d = checked::sub(checked::sub(m_last, firstOffset[a] + i / 7), shift);
            qint16 x = checked::add(m_engine.drawNumber(a + 1, d), addend[a]);
            if (x > 43)
                x = qint16(x - 43);
            else if (x <= 0)
                x = qint16(x + 43);
            candidates[size_t(i)] = x;
            if (std::find(candidates.begin(), candidates.begin() + i, x) != candidates.begin() + i)
                continue;
            if (shown++ < 18)
                out.elimination.add(x);
        }
        // The window of four draws: numbers that stand in one cell only, in
        // window order; twelve make the multi-shot lines, six the one-shot.
        std::array<std::array<qint16, 8>, 4> window{};
        for (int k = 0; k <= 3; ++k) {
            const qint16 d = checked::sub(checked::sub(checked::sub(m_last, k), shift), 1);
            for (int j = 1; j <= 7; ++j)
                window[size_t(k)][size_t(j)] = m_engine.drawNumber(j, d);
        }
        int found = 0;
        for (int k = 0; k <= 3 && found < 12; ++k) {
            for (int j = 1; j <= 7 && found < 12; ++j) {
                const qint16 x = window[size_t(k)][size_t(j)];
                if (x == 0)
                    break;
                bool single = true;
                for (int k2 = 0; k2 <= 3 && single; ++k2) {
                    for (int j2 = 1; j2 <= 7 && single; ++j2)
                        single = (k2 == k && j2 == j) || window[size_t(k2)][size_t(j2)] != x;
                }
                if (!single)
                    continue;
                out.multiShot.add(x);
                if (found < 6)
                    out.oneShot.add(x);
                ++found;
            }
        }
        return out;
    }

private:
    const Recordset &m_records;
    PredictionEngine m_engine;
    int m_next = 0;
    qint16 m_last = 0;
    QString m_error;
};

void addScore(MethodSummary &s, const SetScore &score)
{
    const int k = int(score.numbers.size());
    const Baseline b = baseline(k);
    s.tested += 1;
    s.hits += score.hits;
    s.expectedHits += b.expectedHits;
    s.variance += b.variance;
    s.tickets += b.tickets;
    const Tiers won = winningTickets(k, score.hits, score.bonus);
    for (int t = 0; t < TierCount; ++t) {
        s.tiers[size_t(t)] += won[size_t(t)];
        s.expectedTiers[size_t(t)] += b.expectedTiers[size_t(t)];
    }
}

void finish(MethodSummary &s)
{
    s.cost = s.tickets * TicketPrice;
    s.z = s.variance > 0 ? (double(s.hits) - s.expectedHits) / std::sqrt(s.variance) : 0.0;
    s.p = s.variance > 0 ? twoSidedP(s.z) : 1.0;
    s.adjustedP = s.p;
}

// A set as one bit per number, to tell predictions apart.
quint64 bits(const SetScore &score)
{
    quint64 out = 0;
    for (const int n : score.numbers)
        out |= quint64(1) << n;
    return out;
}

} // namespace

int targetCount(const DrawHistoryStore &store, const Range &range)
{
    return int(targets(store, range).size());
}

std::array<MethodSummary, MethodCount> summarize(const std::vector<DrawResult> &draws)
{
    std::array<MethodSummary, MethodCount> out;
    for (const DrawResult &d : draws) {
        if (!d.error.isEmpty())
            continue;
        for (int m = 0; m < MethodCount; ++m)
            addScore(out[size_t(m)], d.sets[size_t(m)]);
    }
    for (MethodSummary &s : out)
        finish(s);
    // Seven methods tested at once: were they independent, chance alone
    // would put one of them under 5 % in three fair runs of ten. Holm keeps
    // that below 5 % for the seven together; methods that could not be
    // tested take no part.
    std::vector<double> p;
    for (const MethodSummary &s : out) {
        if (verdict(s) != Verdict::NotTested)
            p.push_back(s.p);
    }
    const std::vector<double> adjusted = Significance::holmAdjust(p);
    size_t next = 0;
    for (MethodSummary &s : out) {
        if (verdict(s) != Verdict::NotTested)
            s.adjustedP = adjusted[next++];
    }
    return out;
}

std::optional<Result> run(const DrawHistoryStore &store, const Range &range, const ReflectFlags &flags,
                          const Progress &progress)
{
    Result result;
    result.range = range;
    result.flags = flags;
    const qint16 shift = PredictionEngine::lookBackShift(flags);
    const std::vector<Target> all = targets(store, range);
    Walker walker(store);
    for (size_t i = 0; i < all.size(); ++i) {
        const Target &t = all[i];
        walker.advanceTo(t.index);
        DrawResult d = t.result();
        d.error = walker.error();
        if (d.error.isEmpty()) {
            try {
                const ShiftedSets shifted = walker.shifted(shift);
                const std::array<NumberSet, 4> cycles = walker.cycleSets();
                for (int m = 0; m < 4; ++m)
                    d.sets[size_t(m)] = cycles[size_t(m)].score(t);
                d.sets[Elimination] = shifted.elimination.score(t);
                d.sets[MultiShot] = shifted.multiShot.score(t);
                d.sets[OneShot] = shifted.oneShot.score(t);
            } catch (const RuntimeError &error) {
                d.error = error.message();
            }
        }
        result.draws.push_back(std::move(d));
        if (progress && !progress(int(i + 1), int(all.size())))
            return std::nullopt;
    }
    result.methods = summarize(result.draws);
    return result;
}

Result runReference(const DrawHistoryStore &store, const Range &range, const ReflectFlags &flags)
{
    Result result;
    result.range = range;
    result.flags = flags;
    const std::vector<DrawRecord> &records = store.DrawRecordset.records();
    for (const Target &t : targets(store, range)) {
        DrawResult d = t.result();
        try {
            const DrawHistoryStore before = buildDrawHistory(
                Recordset(std::vector<DrawRecord>(records.begin(), records.begin() + t.index)));
            PredictionEngine engine;
            engine.setFlags(flags);
            engine.SetUpPredictionGrids(before);
            // Each set is what its grid rows show.
            const auto rows = [&](int grid, int first, int last) {
                NumberSet set;
                for (int r = first; r <= last; ++r) {
                    for (int c = 2; c <= 7; ++c)
                        set.add(engine.grid(grid).text(c, r));
                }
                return set.score(t);
            };
            for (int m = 0; m < 4; ++m)
                d.sets[size_t(m)] = rows(PredictionEngine::CycleGrid, m + 2, m + 2);
            d.sets[Elimination] = rows(PredictionEngine::EliminationGrid, 2, 4);
            d.sets[MultiShot] = rows(PredictionEngine::MultiShotGrid, 2, 3);
            d.sets[OneShot] = rows(PredictionEngine::OneShotGrid, 2, 2);
        } catch (const RuntimeError &error) {
            d = t.result();
            d.error = error.message();
        }
        result.draws.push_back(std::move(d));
    }
    result.methods = summarize(result.draws);
    return result;
}

namespace {

// The exact distribution of the total hits of random pickers taking ks[i]
// numbers on draw i, one draw at a time.
std::vector<double> totalHits(const std::vector<int> &ks)
{
    std::vector<double> pmf{1.0};
    for (const int k : ks) {
        const Baseline b = baseline(k);
        std::vector<double> next(pmf.size() + 6, 0.0);
        for (size_t x = 0; x < pmf.size(); ++x) {
            if (pmf[x] == 0)
                continue;
            for (int m = 0; m <= 6; ++m)
                next[x + size_t(m)] += pmf[x] * b.hitProbability[size_t(m)];
        }
        pmf = std::move(next);
    }
    return pmf;
}

// P(total ≥ x) for every x, and 0 past the end.
std::vector<double> tailsOf(const std::vector<double> &pmf)
{
    std::vector<double> tails(pmf.size() + 1, 0.0);
    double tail = 0;
    for (size_t x = pmf.size(); x-- > 0;) {
        tail += pmf[x];
        tails[x] = std::min(1.0, tail);
    }
    return tails;
}

// P(the best of n ≥ x) = 1 − (1 − P(total ≥ x))ⁿ.
double bestReaches(double tail, int n)
{
    return tail >= 1.0 ? 1.0 : -std::expm1(double(n) * std::log1p(-tail));
}

} // namespace

double expectedBestOf(const std::vector<int> &ks, int n)
{
    // E[max] = Σ_{x ≥ 1} P(max ≥ x).
    const std::vector<double> tails = tailsOf(totalHits(ks));
    double expected = 0;
    for (size_t x = 1; x + 1 < tails.size(); ++x)
        expected += bestReaches(tails[x], n);
    return expected;
}

double chanceBestReaches(const std::vector<int> &ks, int n, long long hits)
{
    if (hits <= 0)
        return 1.0;
    const std::vector<double> tails = tailsOf(totalHits(ks));
    return size_t(hits) < tails.size() ? bestReaches(tails[size_t(hits)], n) : 0.0;
}

std::optional<SearchResult> search(const DrawHistoryStore &store, const Range &range, const Progress &progress)
{
    const std::vector<Target> all = targets(store, range);
    if (all.size() < 2)
        return std::nullopt;
    const size_t half = all.size() / 2;

    // The 4 096 sets differ only by their look-back shift: each shift is
    // computed once per draw and every set reads its own.
    constexpr int SetCount = 1 << ReflectFlagCount;
    std::vector<qint16> shiftOfSet(SetCount);
    std::map<qint16, int> shiftSlot;
    for (int set = 0; set < SetCount; ++set) {
        ReflectFlags flags{};
        for (int k = 0; k < ReflectFlagCount; ++k)
            flags[size_t(k)] = (set >> k) & 1;
        shiftOfSet[size_t(set)] = PredictionEngine::lookBackShift(flags);
        shiftSlot.emplace(shiftOfSet[size_t(set)], 0);
    }
    std::vector<qint16> shifts;
    for (auto &[shift, slot] : shiftSlot) {
        slot = int(shifts.size());
        shifts.push_back(shift);
    }
    std::vector<MethodSummary> byShift(shifts.size());
    // The one-shot set's size per first-half draw and shift (−1: not tested).
    std::vector<std::vector<int>> sizes(shifts.size(), std::vector<int>(half, -1));
    // Its numbers (bit n for number n; 1 for a draw not tested), to count
    // how many different predictions the shifts make.
    std::vector<std::vector<quint64>> predicted(shifts.size(), std::vector<quint64>(half, 1));

    Walker walker(store);
    for (size_t i = 0; i < half; ++i) {
        walker.advanceTo(all[i].index);
        if (walker.error().isEmpty()) {
            for (size_t s = 0; s < shifts.size(); ++s) {
                try {
                    const SetScore score = walker.shifted(shifts[s]).oneShot.score(all[i]);
                    addScore(byShift[s], score);
                    sizes[s][i] = int(score.numbers.size());
                    predicted[s][i] = bits(score);
                } catch (const RuntimeError &) {
                    // That history fails for this shift: the draw is not tested.
                }
            }
        }
        if (progress && !progress(int(i + 1), int(all.size())))
            return std::nullopt;
    }
    for (MethodSummary &s : byShift)
        finish(s);

    int bestSet = 0;
    for (int set = 1; set < SetCount; ++set) {
        if (byShift[size_t(shiftSlot[shiftOfSet[size_t(set)]])].hits
            > byShift[size_t(shiftSlot[shiftOfSet[size_t(bestSet)]])].hits)
            bestSet = set;
    }

    SearchResult out;
    out.setsTried = SetCount;
    out.distinctShifts = int(shifts.size());
    out.distinctPredictions = int(std::set<std::vector<quint64>>(predicted.begin(), predicted.end()).size());
    for (int k = 0; k < ReflectFlagCount; ++k)
        out.best[size_t(k)] = (bestSet >> k) & 1;
    out.bestShift = shiftOfSet[size_t(bestSet)];
    const int slot = shiftSlot[qint16(out.bestShift)];
    out.firstHalfOneShot = byShift[size_t(slot)];
    out.firstHalf = {all.front().draw, all[half - 1].draw};
    out.secondHalf = {all[half].draw, range.to};

    std::vector<int> ks;
    for (const int k : sizes[size_t(slot)]) {
        if (k >= 0)
            ks.push_back(k);
    }
    // The best of the settings is the best of as many different players as
    // there are different predictions among them; settings that predict
    // alike are one player, and counting them apart would flatter chance.
    out.randomBestHits = expectedBestOf(ks, out.distinctPredictions);
    MethodSummary &first = out.firstHalfOneShot;
    out.randomBestZ = first.variance > 0 ? (out.randomBestHits - first.expectedHits) / std::sqrt(first.variance) : 0;
    // Chosen as the best, the winner is judged against the best of as many
    // random players: its own p would ignore the choice.
    if (first.variance > 0)
        first.adjustedP = chanceBestReaches(ks, out.distinctPredictions, first.hits);

    const std::optional<Result> second = run(store, out.secondHalf, out.best, [&](int done, int) {
        return !progress || progress(int(half) + done, int(all.size()));
    });
    if (!second)
        return std::nullopt;
    out.secondHalfResult = *second;
    // Out of sample one method of one setting, chosen before these draws
    // were seen, is tested: there is nothing to correct for.
    MethodSummary &oneShot = out.secondHalfResult.methods[OneShot];
    oneShot.adjustedP = oneShot.p;
    return out;
}

QString searchText(const SearchResult &r)
{
    QStringList reflected;
    for (int k = 0; k < ReflectFlagCount; ++k) {
        if (r.best[size_t(k)])
            reflected << reflectName(k);
    }
    const MethodSummary &first = r.firstHalfOneShot;
    const MethodSummary &second = r.secondHalfOneShot();
    const auto f = [](double x, int decimals) { return QString::number(x, 'f', decimals); };
    QString text;
    text += QStringLiteral("前半（第%1回〜第%2回）で１発予想の的中が最も多かった設定: 反映 %3（ずらし %4 回）\n")
                .arg(r.firstHalf.from)
                .arg(r.firstHalf.to)
                .arg(reflected.isEmpty() ? QStringLiteral("なし") : reflected.join(QStringLiteral("・")))
                .arg(r.bestShift);
    text += QStringLiteral("前半: 的中 %1（でたらめなら %2）z = %3\n")
                .arg(groupedDigits(first.hits), groupedDecimal(first.expectedHits, 2), f(first.z, 2));
    text += QStringLiteral("%1 通りの設定は %2 通りの異なる予想になりました（さかのぼる回のずらしは %3 通り）。\n")
                .arg(groupedDigits(r.setsTried), groupedDigits(r.distinctPredictions), groupedDigits(r.distinctShifts));
    text += QStringLiteral("でたらめに選ぶ %1 人のうち最も当たった人の前半の的中（期待値）: %2（z = %3）\n")
                .arg(groupedDigits(r.distinctPredictions), groupedDecimal(r.randomBestHits, 2), f(r.randomBestZ, 2));
    // The first half is judged by the chance that the best of as many random
    // players does as well, since the setting was chosen as the best.
    const bool firstBeatsLuck = verdict(first) == Verdict::Better;
    text += QStringLiteral("前半の判定は、でたらめに選ぶ %1 人の最良の人がこの設定以上に当たる確率 p = %2 によります: %3\n")
                .arg(groupedDigits(r.distinctPredictions), f(first.adjustedP, 3))
                .arg(firstBeatsLuck ? QStringLiteral("最良の人に期待される成績を上回りました（5%水準で有意）。")
                                    : QStringLiteral("運で最良に見えたものと区別できません。"));
    text += QStringLiteral("後半（第%1回〜第%2回）: 的中 %3（でたらめなら %4）z = %5、p = %6 … %7\n")
                .arg(r.secondHalf.from)
                .arg(r.secondHalf.to)
                .arg(groupedDigits(second.hits), groupedDecimal(second.expectedHits, 2), f(second.z, 2), f(second.p, 3),
                     verdictText(second));
    // The verdict last: the second half, seen only after the setting was
    // chosen, is the honest test of it.
    QString verdictLine;
    switch (verdict(second)) {
    case Verdict::Better:
        verdictLine = QStringLiteral("まとめ: 前半で選んだ設定は、選んだあとの後半でも、でたらめに選ぶより当たりました（5%水準で有意）。");
        break;
    case Verdict::Worse:
        verdictLine = QStringLiteral("まとめ: 前半で選んだ設定は、選んだあとの後半では、でたらめに選ぶより当たりませんでした。"
                                     "この設定が当たりやすいとは言えません。");
        break;
    case Verdict::NotDistinguishable:
    case Verdict::NotTested:
        verdictLine = firstBeatsLuck
            ? QStringLiteral("まとめ: 前半の成績は良かったものの、選んだあとの後半では、でたらめに選んだ場合と区別できませんでした。"
                             "この設定が当たりやすいとは言えません。")
            : QStringLiteral("まとめ: 前半の「最良の設定」は運で最良に見えたものと区別できず、後半でも、でたらめに選んだ場合と"
                             "区別できませんでした。この設定が当たりやすいとは言えません。");
        break;
    }
    return text + verdictLine;
}

} // namespace Backtest
