#include "prediction/backtestexport.h"

#include "prediction/backtestwheel.h"
#include "ui/sheetexport.h"

#include <QStringList>

#include <cmath>

namespace BacktestExport {

using namespace Backtest;

QString plainDecimal(double value)
{
    if (!std::isfinite(value))
        return QStringLiteral("0");
    QString text = QString::number(value, 'f', 12);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

namespace {

QString list(const std::vector<int> &numbers)
{
    QStringList items;
    for (const int n : numbers)
        items << QString::number(n);
    return QLatin1Char('[') + items.join(QLatin1Char(',')) + QLatin1Char(']');
}

QString reflectList(const ReflectFlags &flags)
{
    std::vector<int> on;
    for (int k = 0; k < ReflectFlagCount; ++k) {
        if (flags[size_t(k)])
            on.push_back(k);
    }
    return list(on);
}

template <typename T>
QString numberArray(const std::array<T, TierCount> &values)
{
    QStringList items;
    for (const T v : values) {
        if constexpr (std::is_floating_point_v<T>)
            items << plainDecimal(v);
        else
            items << QString::number(v);
    }
    return QLatin1Char('[') + items.join(QLatin1Char(',')) + QLatin1Char(']');
}

QString methodJson(const QString &name, const MethodSummary &s)
{
    return QStringLiteral("{\"name\":%1,\"tested\":%2,\"hits\":%3,\"expectedHits\":%4,\"z\":%5,\"p\":%6,"
                          "\"adjustedP\":%7,\"tickets\":%8,\"cost\":%9,\"tiers\":%10,\"expectedTiers\":%11}")
        .arg(SheetExport::jsonString(name))
        .arg(s.tested)
        .arg(s.hits)
        .arg(plainDecimal(s.expectedHits), plainDecimal(s.z), plainDecimal(s.p), plainDecimal(s.adjustedP))
        .arg(s.tickets)
        .arg(s.cost)
        .arg(numberArray(s.tiers), numberArray(s.expectedTiers));
}

QString wheelJson(const LinesSummary &w)
{
    QStringList wheels;
    for (const auto &[candidates, lines] : w.wheelLines)
        wheels << QStringLiteral("{\"candidates\":%1,\"lines\":%2}").arg(candidates).arg(lines);
    return QStringLiteral("{\"name\":%1,\"if\":%2,\"match\":%3,\"tested\":%4,\"tickets\":%5,\"cost\":%6,\"tiers\":%7,"
                          "\"expectedTiers\":%8,\"prizeLines\":%9,\"expectedPrizeLines\":%10,\"z\":%11,\"p\":%12,"
                          "\"holm\":false,\"guaranteeDraws\":%13,\"guaranteeKept\":%14,\"wheels\":[%15]}")
        .arg(SheetExport::jsonString(w.name))
        .arg(StrategyCondition.ifDrawn)
        .arg(StrategyCondition.match)
        .arg(w.tested)
        .arg(w.tickets)
        .arg(w.cost)
        .arg(numberArray(w.tiers), numberArray(w.expectedTiers))
        .arg(w.prizeLines)
        .arg(plainDecimal(w.expectedPrizeLines), plainDecimal(w.z), plainDecimal(w.p))
        .arg(w.guaranteeDraws)
        .arg(w.guaranteeKept)
        .arg(wheels.join(QLatin1Char(',')));
}

QString drawJson(const DrawResult &d, bool withWheel)
{
    if (!d.error.isEmpty())
        return QStringLiteral("{\"draw\":%1,\"error\":%2}").arg(d.draw).arg(SheetExport::jsonString(d.error));
    QStringList sets;
    for (int m = 0; m < MethodCount; ++m) {
        const SetScore &s = d.sets[size_t(m)];
        sets << QStringLiteral("%1:{\"numbers\":%2,\"hits\":%3,\"bonus\":%4}")
                    .arg(SheetExport::jsonString(methodName(m)), list(s.numbers))
                    .arg(s.hits)
                    .arg(s.bonus ? QStringLiteral("true") : QStringLiteral("false"));
    }
    QString wheel;
    if (withWheel && d.wheel.lines > 0)
        wheel = QStringLiteral(",\"wheel\":{\"lines\":%1,\"tiers\":%2}").arg(d.wheel.lines).arg(numberArray(d.wheel.tiers));
    return QStringLiteral("{\"draw\":%1,\"sets\":{%2}%3}").arg(d.draw).arg(sets.join(QLatin1Char(',')), wheel);
}

QString searchJson(const SearchResult &r)
{
    const auto range = [](const Range &x) { return QStringLiteral("{\"from\":%1,\"to\":%2}").arg(x.from).arg(x.to); };
    return QStringLiteral("{\"sets\":%1,\"shifts\":%11,\"firstHalf\":%2,\"secondHalf\":%3,\"best\":{\"reflect\":%4,\"shift\":%5},"
                          "\"firstHalfOneShot\":%6,\"secondHalfOneShot\":%7,"
                          "\"randomBest\":{\"pickers\":%12,\"expectedHits\":%8,\"z\":%9}}")
        .arg(r.setsTried)
        .arg(range(r.firstHalf), range(r.secondHalf), reflectList(r.best))
        .arg(r.bestShift)
        .arg(methodJson(methodName(OneShot), r.firstHalfOneShot), methodJson(methodName(OneShot), r.secondHalfOneShot()),
             plainDecimal(r.randomBestHits), plainDecimal(r.randomBestZ))
        .arg(r.distinctShifts)
        .arg(r.distinctPredictions);
}

} // namespace

QString json(const Result &result, const SearchResult *search)
{
    QStringList methods;
    for (int m = 0; m < MethodCount; ++m)
        methods << methodJson(methodName(m), result.methods[size_t(m)]);
    QStringList draws;
    for (const DrawResult &d : result.draws)
        draws << drawJson(d, result.wheel.has_value());
    const QString wheel = result.wheel ? QStringLiteral(",\"wheel\":") + wheelJson(*result.wheel) : QString();
    QString out = QStringLiteral("{\"from\":%1,\"to\":%2,\"reflect\":%3,\"targets\":%4,\"methods\":[%5]%6,\"draws\":[%7]")
                      .arg(result.range.from)
                      .arg(result.range.to)
                      .arg(reflectList(result.flags))
                      .arg(result.draws.size())
                      .arg(methods.join(QLatin1Char(',')), wheel, draws.join(QLatin1Char(',')));
    if (search)
        out += QStringLiteral(",\"search\":") + searchJson(*search);
    return out + QLatin1Char('}');
}

QString csv(const Result &result)
{
    QString out = QStringLiteral("予想方法,検証回数,的中数,期待値,z,p,調整後p,口数,購入額,1等,2等,3等,4等,5等,"
                                 "1等期待値,2等期待値,3等期待値,4等期待値,5等期待値,判定\n");
    for (int m = 0; m < MethodCount; ++m) {
        const MethodSummary &s = result.methods[size_t(m)];
        QStringList row{methodName(m), QString::number(s.tested), QString::number(s.hits), plainDecimal(s.expectedHits),
                        plainDecimal(s.z), plainDecimal(s.p), plainDecimal(s.adjustedP), QString::number(s.tickets),
                        QString::number(s.cost)};
        for (const long long t : s.tiers)
            row << QString::number(t);
        for (const double e : s.expectedTiers)
            row << plainDecimal(e);
        row << verdictText(s);
        out += row.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    out += QLatin1Char('\n');
    QStringList header{QStringLiteral("回数")};
    for (int m = 0; m < MethodCount; ++m)
        header << methodName(m) << methodName(m) + QStringLiteral("的中") << methodName(m) + QStringLiteral("ボーナス");
    header << QStringLiteral("エラー");
    if (result.wheel)
        header << QStringLiteral("縮小ホイール口数") << QStringLiteral("縮小ホイール当せん");
    out += header.join(QLatin1Char(',')) + QLatin1Char('\n');
    for (const DrawResult &d : result.draws) {
        QStringList row{QString::number(d.draw)};
        for (const SetScore &s : d.sets) {
            QStringList numbers;
            for (const int n : s.numbers)
                numbers << QString::number(n);
            row << numbers.join(QLatin1Char(' '));
            row << (d.error.isEmpty() ? QString::number(s.hits) : QString());
            row << (d.error.isEmpty() ? (s.bonus ? QStringLiteral("1") : QStringLiteral("0")) : QString());
        }
        row << d.error;
        if (result.wheel)
            row << (d.wheel.lines > 0 ? QString::number(d.wheel.lines) : QString()) << tiersText(d.wheel);
        out += row.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    if (const std::optional<LinesSummary> &w = result.wheel) {
        // Judged by its own p: it is not one of the seven adjusted together.
        out += QStringLiteral("\n買い方,検証回数,口数,購入額,1等,2等,3等,4等,5等,1等期待値,2等期待値,3等期待値,4等期待値,5等期待値,"
                              "当せん口数,当せん口数期待値,z,p,保証が働いた回,保証どおりの回,判定\n");
        QStringList row{w->name, QString::number(w->tested), QString::number(w->tickets), QString::number(w->cost)};
        for (const long long t : w->tiers)
            row << QString::number(t);
        for (const double e : w->expectedTiers)
            row << plainDecimal(e);
        row << QString::number(w->prizeLines) << plainDecimal(w->expectedPrizeLines) << plainDecimal(w->z) << plainDecimal(w->p)
            << QString::number(w->guaranteeDraws) << QString::number(w->guaranteeKept) << verdictText(verdict(*w));
        out += row.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return out;
}

} // namespace BacktestExport
