#include "popularity/prizefiles.h"

#include "store/drawcsv.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include <map>

namespace PrizeFiles {

Error::Error(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}

QString prizesFileName(const GameRules &rules)
{
    return rules.key + QStringLiteral("-prizes.csv");
}

namespace {

// Which groups of columns a file holds, after 回数 and 抽選日.
struct Layout
{
    bool numbers = false;
    bool prizes = false;
    bool carryOver = false;
};

QStringList numberColumns(const GameRules &rules)
{
    QStringList names;
    for (int p = 1; p <= rules.mainCount; ++p)
        names << QStringLiteral("第%1数字").arg(p);
    for (int b = 1; b <= rules.bonusCount; ++b)
        names << (rules.bonusCount == 1 ? QStringLiteral("ボーナス数字") : QStringLiteral("ボーナス数字%1").arg(b));
    return names;
}

QStringList prizeColumns(const GameRules &rules)
{
    QStringList names;
    for (const TierRule &tier : rules.tiers)
        names << tier.name + QStringLiteral("口数");
    for (const TierRule &tier : rules.tiers)
        names << tier.name + QStringLiteral("当せん金");
    return names;
}

QStringList header(const GameRules &rules, const Layout &layout)
{
    QStringList names{QStringLiteral("回数"), QStringLiteral("抽選日")};
    if (layout.numbers)
        names << numberColumns(rules);
    if (layout.prizes)
        names << prizeColumns(rules);
    if (layout.carryOver)
        names << QStringLiteral("キャリーオーバー");
    return names;
}

struct Row
{
    int line = 0;
    PrizeDraw draw;
};

// One file read row by row; every message names the file and the line.
class Reader
{
public:
    Reader(const GameRules &rules, const Source &source) : m_rules(rules), m_source(source) {}

    // The rows of a file of one of the layouts allowed.
    std::vector<Row> read(const std::vector<Layout> &allowed)
    {
        QStringList lines = DrawCsv::textLines(m_source.text);
        while (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        if (lines.isEmpty())
            throw Error(QStringLiteral("「%1」が空です。").arg(m_source.name));
        const QStringList head = DrawCsv::splitLine(lines.first());
        bool found = false;
        for (const Layout &layout : allowed) {
            if (head == header(m_rules, layout)) {
                m_layout = layout;
                found = true;
            }
        }
        if (!found) {
            throw Error(QStringLiteral("「%1」の 1 行目: 見出しが%2の当せん金の履歴のものではありません（%3）。")
                            .arg(m_source.name, m_rules.name, header(m_rules, allowed.front()).join(QLatin1Char(','))));
        }
        const int width = int(header(m_rules, m_layout).size());
        std::vector<Row> rows;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            m_line = int(i + 1);
            m_fields = DrawCsv::splitLine(lines[i]);
            m_column = 0;
            if (m_fields.size() != width)
                fail(QStringLiteral("項目の数が %1 ではありません（%2 個）。").arg(width).arg(m_fields.size()));
            Row row{m_line, readDraw()};
            if (!rows.empty() && row.draw.drawNo <= rows.back().draw.drawNo)
                fail(QStringLiteral("回数 %1 が前の行（%2）より大きくありません。").arg(row.draw.drawNo).arg(rows.back().draw.drawNo));
            rows.push_back(std::move(row));
        }
        return rows;
    }

    const Layout &layout() const { return m_layout; }

    [[noreturn]] void fail(const QString &reason, int line = 0) const
    {
        throw Error(QStringLiteral("「%1」の %2 行目: %3").arg(m_source.name).arg(line > 0 ? line : m_line).arg(reason));
    }

private:
    PrizeDraw readDraw()
    {
        PrizeDraw draw;
        draw.drawNo = int(integer(QStringLiteral("回数"), 1, 99999));
        static const QRegularExpression isoDate(QStringLiteral("^[0-9]{4}-[0-9]{2}-[0-9]{2}$"));
        const QString dateText = next();
        draw.date = QDate::fromString(dateText, Qt::ISODate);
        if (!draw.date.isValid() || !isoDate.match(dateText).hasMatch())
            fail(QStringLiteral("抽選日「%1」が日付（2000-10-05 の形）ではありません。").arg(dateText));
        if (m_layout.numbers)
            readNumbers(draw);
        if (m_layout.prizes)
            readPrizes(draw);
        if (m_layout.carryOver) {
            const QString text = m_fields[m_column];
            if (text.isEmpty())
                ++m_column;
            else
                draw.carryOver = integer(QStringLiteral("キャリーオーバー"), 0, std::numeric_limits<std::int64_t>::max());
        }
        return draw;
    }

    void readNumbers(PrizeDraw &draw)
    {
        const QStringList names = numberColumns(m_rules);
        LineMask seen = 0;
        for (int p = 0; p < m_rules.positions(); ++p) {
            const int n = int(integer(names[p], 1, m_rules.highest));
            if (seen & (LineMask(1) << n))
                fail(QStringLiteral("%1の %2 がほかの数字と重なっています。").arg(names[p]).arg(n));
            seen |= LineMask(1) << n;
            (p < m_rules.mainCount ? draw.main : draw.bonus).push_back(n);
        }
        std::sort(draw.main.begin(), draw.main.end());
    }

    void readPrizes(PrizeDraw &draw)
    {
        const int count = m_rules.tierCount();
        draw.tiers.resize(size_t(count));
        const QStringList names = prizeColumns(m_rules);
        for (int t = 0; t < count; ++t)
            draw.tiers[size_t(t)].winners = integer(names[t], 0, MaxWinners);
        for (int t = 0; t < count; ++t) {
            const TierRule &rule = m_rules.tiers[size_t(t)];
            TierOutcome &tier = draw.tiers[size_t(t)];
            tier.prize = integer(names[count + t], 0, MaxPrize);
            // Winners and prize go together; a prize without winners (or the
            // reverse) means the columns are not what the header says.
            if ((tier.winners == 0) != (tier.prize == 0))
                fail(QStringLiteral("%1の口数 %2 と当せん金 %3 が合いません（当せんなしはどちらも 0）。")
                         .arg(rule.name).arg(tier.winners).arg(tier.prize));
            if (!rule.isPariMutuel() && tier.winners > 0 && tier.prize != rule.fixedPrize)
                fail(QStringLiteral("%1の当せん金 %2 が決まった額 %3 円ではありません。").arg(rule.name).arg(tier.prize).arg(rule.fixedPrize));
        }
    }

    QString next() { return m_fields[m_column++]; }

    std::int64_t integer(const QString &name, std::int64_t low, std::int64_t high)
    {
        static const QRegularExpression digits(QStringLiteral("^[0-9]{1,18}$"));
        const QString text = next();
        if (!digits.match(text).hasMatch())
            fail(QStringLiteral("%1「%2」が整数ではありません。").arg(name, text));
        const std::int64_t value = text.toLongLong();
        if (value < low || value > high)
            fail(QStringLiteral("%1 %2 が %3 から %4 の範囲にありません。").arg(name).arg(value).arg(low).arg(high));
        return value;
    }

    // Far above any draw's (some 500,000 lines, a few 億円), low enough that
    // a draw's fund stays exact in a double.
    static constexpr std::int64_t MaxWinners = 1'000'000'000;
    static constexpr std::int64_t MaxPrize = 100'000'000'000;

    const GameRules &m_rules;
    const Source &m_source;
    Layout m_layout;
    QStringList m_fields;
    int m_column = 0;
    int m_line = 0;
};

} // namespace

PrizeHistory parse(Game game, const Source &history, const std::optional<Source> &prizes)
{
    const GameRules &rules = rulesOf(game);
    PrizeHistory result;
    result.game = game;

    Reader historyReader(rules, history);
    std::vector<Row> draws = historyReader.read(prizes ? std::vector<Layout>{{true, false, false}}
                                                       : std::vector<Layout>{{true, true, true}, {true, true, false}});
    if (!prizes) {
        result.carriesOver = historyReader.layout().carryOver;
        for (Row &row : draws)
            result.draws.push_back(std::move(row.draw));
        return result;
    }

    Reader prizeReader(rules, *prizes);
    const std::vector<Row> prizeRows = prizeReader.read({{false, true, true}, {false, true, false}});
    result.carriesOver = prizeReader.layout().carryOver;
    std::map<int, const Row *> byNumber;
    for (const Row &row : draws)
        byNumber[row.draw.drawNo] = &row;
    for (const Row &row : prizeRows) {
        const auto found = byNumber.find(row.draw.drawNo);
        if (found == byNumber.end())
            prizeReader.fail(QStringLiteral("第%1回が「%2」にありません。").arg(row.draw.drawNo).arg(history.name), row.line);
        const PrizeDraw &numbers = found->second->draw;
        if (numbers.date != row.draw.date) {
            prizeReader.fail(QStringLiteral("第%1回の抽選日 %2 が「%3」の %4 行目（%5）と違います。")
                                 .arg(row.draw.drawNo)
                                 .arg(row.draw.date.toString(Qt::ISODate), history.name)
                                 .arg(found->second->line)
                                 .arg(numbers.date.toString(Qt::ISODate)),
                             row.line);
        }
        PrizeDraw draw = row.draw;
        draw.main = numbers.main;
        draw.bonus = numbers.bonus;
        result.draws.push_back(std::move(draw));
    }
    return result;
}

PrizeHistory readBundled(Game game, const QString &dir)
{
    const GameRules &rules = rulesOf(game);
    auto load = [&dir](const QString &name) -> std::optional<Source> {
        QFile file(QDir(dir).filePath(name));
        if (!file.exists())
            return std::nullopt;
        if (!file.open(QIODevice::ReadOnly))
            throw Error(QStringLiteral("「%1」を読めません（%2）。").arg(file.fileName(), file.errorString()));
        return Source{QString::fromUtf8(file.readAll()), file.fileName()};
    };
    const std::optional<Source> history = load(rules.historyFile);
    if (!history)
        throw Error(QStringLiteral("「%1」がありません。").arg(QDir(dir).filePath(rules.historyFile)));
    return parse(game, *history, load(prizesFileName(rules)));
}

} // namespace PrizeFiles
