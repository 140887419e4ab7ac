#include "maintenance/drawimportfields.h"

#include "maintenance/ticket.h"
#include "store/drawrecord.h"

#include <algorithm>

namespace DrawImport {

namespace Fields {

namespace {

constexpr int Lowest = 1;
constexpr int Highest = 43;
constexpr qint64 MaxWinners = 1'000'000'000;

// Label markers left in pasted text where a label stood.
constexpr QChar MainMark(0x01);
constexpr QChar BonusMark(0x02);

// ---- prize amounts -----------------------------------------------------

// "200,000,000", "2億円", "1億2,345万6,700円": yen, or nothing for text that
// is no amount. Too large is an amount still (the caller refuses it).
std::optional<qint64> amountOf(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^(?:(\\d[\\d,]*)\\s*億)?(?:(\\d[\\d,]*)\\s*万)?(\\d[\\d,]*)?\\s*円?$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch() || (m.capturedLength(1) + m.capturedLength(2) + m.capturedLength(3)) == 0)
        return std::nullopt;
    qint64 yen = 0;
    for (const auto &[group, unit] : {std::pair{1, qint64(100'000'000)}, std::pair{2, qint64(10'000)}, std::pair{3, qint64(1)}}) {
        QString digits = m.captured(group);
        digits.remove(QLatin1Char(','));
        if (digits.isEmpty())
            continue;
        if (digits.size() > 12)
            return TicketRules::HighestPrize + 1;
        yen += digits.toLongLong() * unit;
    }
    return yen;
}

std::optional<qint64> winnersOf(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^(\\d[\\d,]*)\\s*口?$"));
    const QRegularExpressionMatch m = form.match(text.trimmed());
    if (!m.hasMatch())
        return std::nullopt;
    QString digits = m.captured(1);
    digits.remove(QLatin1Char(','));
    return digits.size() > 12 ? MaxWinners + 1 : digits.toLongLong();
}

bool isNoWinner(const QString &text)
{
    static const QRegularExpression none(QStringLiteral("^該当(?:者)?なし$"));
    return none.match(text.trimmed()).hasMatch();
}

// What is wrong with a tier's prize as read, or nothing.
std::optional<QString> prizeProblem(int tier, const TierPrize &prize)
{
    if (prize.amount && *prize.amount > TicketRules::HighestPrize) {
        return QStringLiteral("%1等の当選金額 %2円 が大きすぎます（1口 %3円 まで）。")
            .arg(tier)
            .arg(*prize.amount)
            .arg(TicketRules::HighestPrize);
    }
    if (prize.winners && *prize.winners > MaxWinners)
        return QStringLiteral("%1等の口数 %2 が大きすぎます。").arg(tier).arg(*prize.winners);
    return std::nullopt;
}

// The values of one tier's line of pasted text ("2等 6口 10,234,500円",
// "1等 該当なし 該当なし", "3等 250 312,300"): winners come before the
// amount; a value without 口 or 円 is taken only where both slots leave no
// doubt.
std::optional<QString> readPrizeLine(const QString &text, int tier, TierPrize &prize)
{
    static const QRegularExpression value(QStringLiteral(
        "(該当(?:者)?なし)|((?:\\d[\\d,]*\\s*億)?(?:\\d[\\d,]*\\s*万)?(?:\\d[\\d,]*)?)\\s*円|(\\d[\\d,]*)\\s*口|(\\d[\\d,]*)"));
    std::array<bool, 2> filled{};
    std::vector<QString> bare;
    for (auto it = value.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.capturedLength(1) > 0) {
            prize.noWinner = true;
            filled[filled[0] ? 1 : 0] = true;
        } else if (m.capturedLength(2) > 0) {
            prize.amount = amountOf(m.captured(2));
            filled[1] = true;
        } else if (m.capturedLength(3) > 0) {
            prize.winners = winnersOf(m.captured(3));
            filled[0] = true;
        } else if (m.capturedLength(4) > 0) {
            bare.push_back(m.captured(4));
        }
    }
    const int open = (filled[0] ? 0 : 1) + (filled[1] ? 0 : 1);
    if (!bare.empty() && int(bare.size()) == open) {
        size_t next = 0;
        if (!filled[0])
            prize.winners = winnersOf(bare[next++]);
        if (!filled[1])
            prize.amount = amountOf(bare[next]);
    }
    if (prize.winners && *prize.winners == 0)
        prize.noWinner = true;
    return prizeProblem(tier, prize);
}

// ---- numbers -----------------------------------------------------------

// A number as written where the layout puts one, and whether it stood in
// brackets: "(08)".
struct Token
{
    QString digits;
    bool bracketed = false;
};

// The numbers of a block or cell by the label that opened their section.
struct Sections
{
    std::vector<Token> unlabelled; // before any label
    std::vector<Token> main;
    std::vector<Token> bonus;
    bool hasMain = false;
    bool hasBonus = false;
    QString unreadable; // digits run together with other text, e.g. "12時"

    bool empty() const { return unlabelled.empty() && main.empty() && bonus.empty() && unreadable.isEmpty(); }
};

bool separates(QChar c)
{
    static const QString marks = QStringLiteral(",、・:;|()[]【】「」『』\"'") + MainMark + BonusMark;
    return c.isSpace() || marks.contains(c);
}

// Splits what is left of a block (or a cell) into its number sections.
Sections sectionsOf(const QString &text)
{
    Sections sections;
    std::vector<Token> *current = &sections.unlabelled;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c == MainMark) {
            current = &sections.main;
            sections.hasMain = true;
        } else if (c == BonusMark) {
            current = &sections.bonus;
            sections.hasBonus = true;
        } else if (c.isDigit()) {
            qsizetype end = i;
            while (end < size && text[end].isDigit())
                ++end;
            const bool freeBefore = i == 0 || separates(text[i - 1]);
            const bool freeAfter = end == size || separates(text[end]);
            if (!freeBefore || !freeAfter) {
                qsizetype from = i;
                while (from > 0 && !separates(text[from - 1]))
                    --from;
                qsizetype to = end;
                while (to < size && !separates(text[to]))
                    ++to;
                sections.unreadable = text.mid(from, to - from);
                return sections;
            }
            qsizetype before = i - 1;
            while (before >= 0 && text[before].isSpace())
                --before;
            qsizetype after = end;
            while (after < size && text[after].isSpace())
                ++after;
            const bool bracketed = before >= 0 && text[before] == QLatin1Char('(') && after < size && text[after] == QLatin1Char(')');
            current->push_back({text.mid(i, end - i), bracketed});
            i = end - 1;
        }
    }
    return sections;
}

// The six main numbers and the bonus out of the sections, or why not.
std::variant<std::array<QString, 7>, QString> assign(const Sections &s, bool bonusElsewhere)
{
    if (!s.unreadable.isEmpty())
        return QStringLiteral("「%1」は当選数字として読めません。").arg(s.unreadable);
    if (s.hasMain && !s.unlabelled.empty())
        return QStringLiteral("本数字の前に数字「%1」があります。").arg(s.unlabelled.front().digits);
    const std::vector<Token> &main = s.hasMain ? s.main : s.unlabelled;
    std::array<QString, 7> numbers;
    const auto takeMain = [&numbers, &main]() -> std::optional<QString> {
        for (size_t p = 0; p < 6; ++p) {
            if (main[p].bracketed)
                return QStringLiteral("本数字「(%1)」が括弧に入っています。").arg(main[p].digits);
            numbers[p] = main[p].digits;
        }
        return std::nullopt;
    };
    if (s.hasBonus || bonusElsewhere) {
        if (main.size() != 6)
            return QStringLiteral("本数字が6個ではありません（%1個）。").arg(main.size());
        if (s.hasBonus && s.bonus.size() != 1)
            return s.bonus.empty() ? QStringLiteral("ボーナス数字がありません。")
                                   : QStringLiteral("ボーナス数字が1個ではありません（%1個）。").arg(s.bonus.size());
        if (const std::optional<QString> problem = takeMain())
            return *problem;
        if (s.hasBonus)
            numbers[6] = s.bonus.front().digits;
        return numbers;
    }
    // No label for the bonus: it is the seventh number, in brackets or
    // plainly last.
    if (main.size() == 6)
        return QStringLiteral("ボーナス数字がありません。");
    if (main.size() != 7)
        return QStringLiteral("本数字とボーナス数字が合わせて7個ではありません（%1個）。").arg(main.size());
    if (const std::optional<QString> problem = takeMain())
        return *problem;
    numbers[6] = main[6].digits;
    return numbers;
}

} // namespace

QString plain(QStringView text)
{
    return text.toString().normalized(QString::NormalizationForm_KC);
}

bool isMissing(const QString &text)
{
    const QString t = text.trimmed();
    return t.isEmpty() || t == QLatin1String("NULL");
}

std::optional<QString> readPrizeCell(const QString &text, int tier, bool amount, TierPrize &prize)
{
    const QString value = text.trimmed();
    if (isMissing(value) || value == QLatin1String("-") || value == QStringLiteral("－") || value == QStringLiteral("—"))
        return std::nullopt;
    if (isNoWinner(value)) {
        prize.noWinner = true;
        return std::nullopt;
    }
    const std::optional<qint64> number = amount ? amountOf(value) : winnersOf(value);
    if (!number)
        return QStringLiteral("%1等の%2「%3」が読めません。").arg(tier).arg(amount ? QStringLiteral("当選金額") : QStringLiteral("口数"), value);
    (amount ? prize.amount : prize.winners) = number;
    if (!amount && *number == 0)
        prize.noWinner = true;
    return prizeProblem(tier, prize);
}

Numbers numbersIn(const QString &text, bool bonusElsewhere)
{
    const Sections sections = sectionsOf(text);
    if (sections.empty())
        return {true, {}, {}};
    std::variant<std::array<QString, 7>, QString> found = assign(sections, bonusElsewhere);
    if (const QString *problem = std::get_if<QString>(&found))
        return {false, {}, *problem};
    return {false, std::get<std::array<QString, 7>>(found), {}};
}

std::optional<int> wholeNumber(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^\\d{1,9}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    return text.toInt();
}

std::optional<int> drawNoOf(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^(?:第\\s*)?(\\d{1,9})(?:\\s*回)?$"));
    const QRegularExpressionMatch m = form.match(plain(text).trimmed());
    return m.hasMatch() ? std::optional<int>(m.captured(1).toInt()) : std::nullopt;
}

std::variant<ImportedDraw, RowError> check(const RawDraw &raw)
{
    RowError error{raw.line, 0, {}};
    const auto refuse = [&error](const QString &reason) {
        error.reason = reason;
        return error;
    };
    ImportedDraw draw;
    draw.line = raw.line;
    draw.prizes = raw.prizes;

    const QString drawNoText = raw.drawNo.trimmed();
    const std::optional<int> drawNo = drawNoOf(drawNoText);
    if (isMissing(drawNoText))
        return refuse(QStringLiteral("回がありません。"));
    if (!drawNo || *drawNo < 1)
        return refuse(QStringLiteral("回「%1」が正の整数ではありません。").arg(drawNoText));
    if (*drawNo > DrawRecord::MaxDrawNumber) {
        return refuse(QStringLiteral("回「%1」が大きすぎます（ウィンドウが表示できる第%2回まで）。")
                          .arg(drawNoText)
                          .arg(DrawRecord::MaxDrawNumber));
    }
    draw.drawNo = *drawNo;
    error.drawNo = *drawNo;

    if (!isMissing(raw.date)) {
        const ParsedDate date = parseDate(raw.date);
        if (!date.ok)
            return refuse(QStringLiteral("日付「%1」が正しい日付ではありません。").arg(raw.date.trimmed()));
        draw.date = date.date;
        draw.month = date.month;
        draw.day = date.day;
    }
    if (!raw.problem.isEmpty())
        return refuse(raw.problem);

    std::array<bool, Highest + 1> seen{};
    for (int p = 1; p <= 7; ++p) {
        const QString name = FieldName::numberField(p);
        const QString original = raw.numbers[size_t(p - 1)].trimmed();
        QString text = plain(original).trimmed();
        // A bonus written "(08)" in its cell, as results pages print it.
        if (p == 7 && text.startsWith(QLatin1Char('(')) && text.endsWith(QLatin1Char(')')))
            text = text.mid(1, text.size() - 2).trimmed();
        if (isMissing(text))
            return refuse(QStringLiteral("%1がありません。").arg(name));
        const std::optional<int> value = wholeNumber(text);
        if (!value)
            return refuse(QStringLiteral("%1「%2」が整数ではありません。").arg(name, original));
        if (*value < Lowest || *value > Highest)
            return refuse(QStringLiteral("%1 %2 が 1～43 の範囲にありません。").arg(name).arg(*value));
        if (seen[size_t(*value)]) {
            return refuse(p == 7 ? QStringLiteral("ボーナス数字 %1 が本数字と同じです。").arg(*value)
                                 : QStringLiteral("本数字 %1 が2回あります。").arg(*value));
        }
        seen[size_t(*value)] = true;
        draw.numbers[size_t(p - 1)] = *value;
    }
    // Every stored draw keeps its main numbers ascending, and the windows
    // that count by position rely on it.
    draw.reordered = !std::is_sorted(draw.numbers.begin(), draw.numbers.begin() + 6);
    std::sort(draw.numbers.begin(), draw.numbers.begin() + 6);
    return draw;
}

std::optional<RawDraw> blockDraw(int line, const QString &drawNo, QString text)
{
    RawDraw raw;
    raw.line = line;
    raw.drawNo = drawNo;

    static const QRegularExpression tierLabel(QStringLiteral("(?<![\\d第])([1-5])\\s*等(?!\\d)"));
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &row : lines) {
        const QRegularExpressionMatch first = tierLabel.match(row);
        if (!first.hasMatch())
            continue;
        // Each tier's values run to the next tier or the end of the line.
        std::vector<QRegularExpressionMatch> tiers;
        for (auto it = tierLabel.globalMatch(row); it.hasNext();)
            tiers.push_back(it.next());
        for (size_t t = 0; t < tiers.size(); ++t) {
            const qsizetype end = t + 1 < tiers.size() ? tiers[t + 1].capturedStart() : row.size();
            const int tier = tiers[t].captured(1).toInt();
            const QString values = row.mid(tiers[t].capturedEnd(), end - tiers[t].capturedEnd());
            if (const std::optional<QString> problem = readPrizeLine(values, tier, raw.prizes[size_t(tier - 1)]);
                problem && raw.problem.isEmpty())
                raw.problem = *problem;
        }
        row.truncate(first.capturedStart());
    }
    text = lines.join(QLatin1Char('\n'));

    static const QRegularExpression fields(QStringLiteral(
        "ロト\\s*[67]|LOTO\\s*[67]|ミニロト"      // product names
        "|第\\s*\\d+\\s*回"                        // other draws
        "|セット球\\s*:?\\s*[A-Z]?(?![A-Z])"),      // the set of balls used
        QRegularExpression::CaseInsensitiveOption);
    text.replace(fields, QStringLiteral(" "));
    for (auto it = datePattern().globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (raw.date.isEmpty())
            raw.date = m.captured(0);
    }
    text.replace(datePattern(), QStringLiteral(" "));
    // A unit belongs to the number on its own line only.
    static const QRegularExpression amounts(QStringLiteral(
        "(?:\\d[\\d,]*[ \\t]*億)?(?:\\d[\\d,]*[ \\t]*万)?\\d[\\d,]*[ \\t]*円"   // yen
        "|\\d[\\d,]*[ \\t]*[億万][ \\t]*円?"
        "|\\d[\\d,]*[ \\t]*口"                                                // lines sold or won
        "|(?<![\\d,])\\d{1,3}(?:,\\d{3})+(?![\\d,])"));                     // 1,234,567
    text.replace(amounts, QStringLiteral(" "));
    static const QRegularExpression labels(
        QStringLiteral("(ボーナス数字|ボーナス|BONUS数字|BONUS|B数字|(?<![A-Z])B(?![A-Z]))"
                       "|(本数字|当せん番号|当選番号|当せん数字|当選数字|第[1-6]数字|数字[1-6])"),
        QRegularExpression::CaseInsensitiveOption);
    QString marked;
    qsizetype from = 0;
    for (auto it = labels.globalMatch(text); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        marked += text.mid(from, m.capturedStart() - from);
        marked += m.capturedLength(1) > 0 ? BonusMark : MainMark;
        from = m.capturedEnd();
    }
    marked += text.mid(from);

    const Numbers numbers = numbersIn(marked);
    if (numbers.none && raw.problem.isEmpty())
        return std::nullopt;
    if (raw.problem.isEmpty())
        raw.problem = numbers.problem;
    if (numbers.problem.isEmpty())
        raw.numbers = numbers.numbers;
    return raw;
}

} // namespace Fields

} // namespace DrawImport
