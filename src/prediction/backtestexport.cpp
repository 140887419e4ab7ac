#include "prediction/backtestexport.h"

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

QString drawJson(const DrawResult &d)
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
    return QStringLiteral("{\"draw\":%1,\"sets\":{%2}}").arg(d.draw).arg(sets.join(QLatin1Char(',')));
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
        draws << drawJson(d);
    QString out = QStringLiteral("{\"from\":%1,\"to\":%2,\"reflect\":%3,\"targets\":%4,\"methods\":[%5],\"draws\":[%6]")
                      .arg(result.range.from)
                      .arg(result.range.to)
                      .arg(reflectList(result.flags))
                      .arg(result.draws.size())
                      .arg(methods.join(QLatin1Char(',')), draws.join(QLatin1Char(',')));
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
    out += header.join(QLatin1Char(',')) + QStringLiteral(",エラー\n");
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
        out += row.join(QLatin1Char(',')) + QLatin1Char('\n');
    }
    return out;
}

} // namespace BacktestExport
