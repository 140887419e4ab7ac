#include "maintenance/drawimportreader.h"

#include "store/drawcsv.h"
#include "store/drawrecord.h"
#include "store/textencoding.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <optional>
#include <variant>

namespace DrawImport {

namespace {

constexpr int Lowest = 1;
constexpr int Highest = 43;
// 回数 is a 16-bit draw number everywhere in the program.
constexpr int HighestDrawNo = 32767;

// Column roles of a table: the draw number, the date, positions 1 … 7.
constexpr int DrawNoRole = 0;
constexpr int DateRole = 8;

// Full-width digits, brackets, commas and blanks as their plain forms, so
// every rule below sees one spelling.
QString plain(const QString &text)
{
    return text.normalized(QString::NormalizationForm_KC);
}

// A date, in the three spellings results pages use, with an optional weekday
// in brackets after it.
const QRegularExpression &datePattern()
{
    static const QRegularExpression pattern(QStringLiteral(
        "(?:(?:(令和|平成)\\s*(元|\\d{1,2})\\s*年|(\\d{4})\\s*年)\\s*(\\d{1,2})\\s*月\\s*(\\d{1,2})\\s*日"
        "|(\\d{4})[-/.](\\d{1,2})[-/.](\\d{1,2}))"
        "(?:\\s*\\([^)\\d]{1,3}\\))?"));
    return pattern;
}

QDate dateFrom(const QRegularExpressionMatch &m)
{
    if (m.capturedLength(6) > 0)
        return QDate(m.captured(6).toInt(), m.captured(7).toInt(), m.captured(8).toInt());
    int year = 0;
    if (m.capturedLength(1) > 0) {
        const int eraYear = m.captured(2) == QStringLiteral("元") ? 1 : m.captured(2).toInt();
        if (eraYear < 1)
            return {};
        year = (m.captured(1) == QStringLiteral("令和") ? 2018 : 1988) + eraYear;
    } else {
        year = m.captured(3).toInt();
    }
    return QDate(year, m.captured(4).toInt(), m.captured(5).toInt());
}

// One draw as the source spells it, before any check.
struct RawDraw
{
    int line = 0;
    QString drawNo;
    QString date;
    std::array<QString, 7> numbers;
};

std::optional<int> wholeNumber(const QString &text)
{
    static const QRegularExpression digits(QStringLiteral("^\\d{1,9}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    return text.toInt();
}

std::variant<ImportedDraw, RowError> check(const RawDraw &raw)
{
    const auto refuse = [&raw](const QString &reason) { return RowError{raw.line, reason}; };
    ImportedDraw draw;
    draw.line = raw.line;

    static const QRegularExpression drawNoForm(QStringLiteral("^(?:第\\s*)?(\\d{1,9})(?:\\s*回)?$"));
    const QString drawNoText = plain(raw.drawNo).trimmed();
    const QRegularExpressionMatch drawNo = drawNoForm.match(drawNoText);
    if (drawNoText.isEmpty())
        return refuse(QStringLiteral("回がありません。"));
    if (!drawNo.hasMatch() || drawNo.captured(1).toInt() < 1)
        return refuse(QStringLiteral("回「%1」が正の整数ではありません。").arg(raw.drawNo.trimmed()));
    if (drawNo.captured(1).toInt() > HighestDrawNo)
        return refuse(QStringLiteral("回「%1」が大きすぎます（%2まで）。").arg(raw.drawNo.trimmed()).arg(HighestDrawNo));
    draw.drawNo = drawNo.captured(1).toInt();

    const QString dateText = raw.date.trimmed();
    if (!dateText.isEmpty()) {
        draw.date = parseDate(dateText);
        if (!draw.date.isValid())
            return refuse(QStringLiteral("日付「%1」が正しい日付ではありません。").arg(dateText));
    }

    std::array<bool, Highest + 1> seen{};
    for (int p = 1; p <= 7; ++p) {
        const QString name = FieldName::numberField(p);
        const QString text = plain(raw.numbers[size_t(p - 1)]).trimmed();
        if (text.isEmpty())
            return refuse(QStringLiteral("%1がありません。").arg(name));
        const std::optional<int> value = wholeNumber(text);
        if (!value)
            return refuse(QStringLiteral("%1「%2」が整数ではありません。").arg(name, raw.numbers[size_t(p - 1)].trimmed()));
        if (*value < Lowest || *value > Highest)
            return refuse(QStringLiteral("%1 %2 が 1～43 の範囲にありません。").arg(name).arg(*value));
        if (seen[size_t(*value)]) {
            return refuse(p == 7 ? QStringLiteral("ボーナス数字 %1 が本数字と同じです。").arg(*value)
                                 : QStringLiteral("本数字 %1 が2回あります。").arg(*value));
        }
        seen[size_t(*value)] = true;
        draw.numbers[size_t(p - 1)] = *value;
    }
    return draw;
}

void add(ReadResult &result, const RawDraw &raw)
{
    std::variant<ImportedDraw, RowError> checked = check(raw);
    if (auto *draw = std::get_if<ImportedDraw>(&checked))
        result.draws.push_back(*draw);
    else
        result.errors.push_back(std::get<RowError>(checked));
}

// The role of a header cell, or -1 for a column the import ignores.
int roleOf(const QString &header)
{
    QString name = plain(header).trimmed().toUpper();
    name.remove(QLatin1Char(' '));
    static const QRegularExpression drawNo(QStringLiteral("^(回|回数|回別|開催回|第N回)$"));
    static const QRegularExpression date(QStringLiteral("^(日付|抽選日|抽せん日)$"));
    static const QRegularExpression number(QStringLiteral("^(?:第([1-6])数字|本数字([1-6])|数字([1-6]))$"));
    static const QRegularExpression bonus(QStringLiteral("^(ボーナス数字|ボーナス|BONUS|B数字)$"));
    if (drawNo.match(name).hasMatch())
        return DrawNoRole;
    if (date.match(name).hasMatch())
        return DateRole;
    if (bonus.match(name).hasMatch())
        return 7;
    const QRegularExpressionMatch m = number.match(name);
    if (m.hasMatch())
        return (m.captured(1) + m.captured(2) + m.captured(3)).toInt();
    return -1;
}

// Column index per role, when the line is a header naming 回 and at least
// one number column.
std::optional<QHash<int, int>> headerColumns(const QStringList &cells)
{
    QHash<int, int> columns;
    for (int i = 0; i < cells.size(); ++i) {
        const int role = roleOf(cells[i]);
        if (role >= 0 && !columns.contains(role))
            columns.insert(role, i);
    }
    if (!columns.contains(DrawNoRole) || columns.size() < 2)
        return std::nullopt;
    return columns;
}

bool isBlank(const QStringList &cells)
{
    for (const QString &cell : cells) {
        if (!cell.trimmed().isEmpty())
            return false;
    }
    return true;
}

void readTable(ReadResult &result, const QStringList &lines, int first, QChar separator)
{
    const std::optional<QHash<int, int>> header = headerColumns(DrawCsv::splitLine(lines[first], separator));
    if (header) {
        QStringList missing;
        for (int p = 1; p <= 7; ++p) {
            if (!header->contains(p))
                missing << QStringLiteral("「%1」").arg(FieldName::numberField(p));
        }
        if (!missing.isEmpty()) {
            result.errors.push_back({first + 1, QStringLiteral("見出しに%1の列がありません。").arg(missing.join(QString()))});
            return;
        }
    }
    int needed = 0;
    if (header) {
        for (const int column : *header)
            needed = std::max(needed, column + 1);
    }
    for (int i = header ? first + 1 : first; i < lines.size(); ++i) {
        QStringList cells = DrawCsv::splitLine(lines[i], separator);
        if (isBlank(cells))
            continue;
        RawDraw raw;
        raw.line = i + 1;
        if (header) {
            if (cells.size() < needed) {
                result.errors.push_back({raw.line, QStringLiteral("項目が足りません（%1個）。").arg(cells.size())});
                continue;
            }
            raw.drawNo = cells[header->value(DrawNoRole)];
            if (header->contains(DateRole))
                raw.date = cells[header->value(DateRole)];
            for (int p = 1; p <= 7; ++p)
                raw.numbers[size_t(p - 1)] = cells[header->value(p)];
        } else {
            while (cells.size() > 8 && cells.last().trimmed().isEmpty())
                cells.removeLast();
            if (cells.size() != 8 && cells.size() != 9) {
                result.errors.push_back({raw.line, QStringLiteral("項目の数が8（日付があれば9）ではありません（%1個）。").arg(cells.size())});
                continue;
            }
            const int offset = cells.size() == 9 ? 1 : 0;
            raw.drawNo = cells[0];
            if (offset)
                raw.date = cells[1];
            for (int p = 1; p <= 7; ++p)
                raw.numbers[size_t(p - 1)] = cells[p + offset];
        }
        add(result, raw);
    }
}

// One 第N回 block of pasted text: where it starts, its draw number and the
// text up to the next block.
struct Block
{
    int line = 0;
    QString drawNo;
    QString text;
};

void readBlock(ReadResult &result, const Block &block)
{
    RawDraw raw;
    raw.line = block.line;
    raw.drawNo = block.drawNo;
    QString text = block.text;

    const QRegularExpressionMatch date = datePattern().match(text);
    if (date.hasMatch()) {
        raw.date = date.captured(0);
        text.replace(date.capturedStart(), date.capturedLength(), QLatin1Char(' '));
    }

    static const QRegularExpression bonusLabel(
        QStringLiteral("(?:ボーナス数字|ボーナス|BONUS|B数字|\\bB)\\s*:?\\s*\\(?\\s*(\\d+)\\s*\\)?"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression bracketed(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
    QRegularExpressionMatch bonus = bonusLabel.match(text);
    if (!bonus.hasMatch())
        bonus = bracketed.match(text);
    std::optional<QString> bonusText;
    if (bonus.hasMatch()) {
        bonusText = bonus.captured(1);
        text.replace(bonus.capturedStart(), bonus.capturedLength(), QLatin1Char(' '));
    }

    // Labels carry digits of their own ("第1数字", "本数字1"); prize lines
    // ("1等 2口 200,000,000円") are not numbers of the draw.
    static const QRegularExpression labels(QStringLiteral("(?:第\\d+|本)?数字\\d*"));
    text.replace(labels, QStringLiteral(" "));
    static const QRegularExpression number(QStringLiteral("(?<![\\d,.])(\\d+)(?![\\d,.]|\\s*[等口円名件])"));
    QStringList numbers;
    for (auto it = number.globalMatch(text); it.hasNext();)
        numbers << it.next().captured(1);
    if (!bonusText && numbers.size() >= 7)
        bonusText = numbers[6];
    if (numbers.size() < 6) {
        result.errors.push_back({block.line, QStringLiteral("本数字が6個ありません（%1個）。").arg(numbers.size())});
        return;
    }
    if (!bonusText) {
        result.errors.push_back({block.line, QStringLiteral("ボーナス数字がありません。")});
        return;
    }
    for (int p = 0; p < 6; ++p)
        raw.numbers[size_t(p)] = numbers[p];
    raw.numbers[6] = *bonusText;
    add(result, raw);
}

void readText(ReadResult &result, const QStringList &lines)
{
    static const QRegularExpression marker(QStringLiteral("第\\s*(\\d+)\\s*回"));
    std::vector<Block> blocks;
    for (int i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        qsizetype from = 0;
        for (auto it = marker.globalMatch(line); it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            if (!blocks.empty())
                blocks.back().text += line.mid(from, m.capturedStart() - from);
            blocks.push_back({i + 1, m.captured(1), {}});
            from = m.capturedEnd();
        }
        if (!blocks.empty())
            blocks.back().text += line.mid(from) + QLatin1Char('\n');
    }
    if (blocks.empty()) {
        for (int i = 0; i < lines.size(); ++i) {
            if (!lines[i].trimmed().isEmpty()) {
                result.errors.push_back({i + 1, QStringLiteral("当選データとして読めません（見出し行も「第N回」もありません）。")});
                break;
            }
        }
        return;
    }
    for (const Block &block : blocks)
        readBlock(result, block);
}

// A draw number met again is refused on its later row, whatever it holds:
// the import cannot tell which of the two is right.
void refuseRepeats(ReadResult &result)
{
    QHash<int, int> firstLine;
    std::vector<ImportedDraw> kept;
    for (const ImportedDraw &draw : result.draws) {
        const auto seen = firstLine.constFind(draw.drawNo);
        if (seen != firstLine.cend()) {
            result.errors.push_back({draw.line, QStringLiteral("第%1回は %2 行目にもあります。").arg(draw.drawNo).arg(*seen)});
            continue;
        }
        firstLine.insert(draw.drawNo, draw.line);
        kept.push_back(draw);
    }
    result.draws = std::move(kept);
    std::stable_sort(result.errors.begin(), result.errors.end(),
                     [](const RowError &a, const RowError &b) { return a.line < b.line; });
}

} // namespace

QString decode(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    // Spreadsheets save "Unicode text" as UTF-16 with its byte order mark.
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(QStringDecoder::Utf16, QStringDecoder::Flag::Stateless);
        return utf16(bytes);
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return TextEncoding::decodeCp932(bytes);
}

QDate parseDate(const QString &text)
{
    const QString value = plain(text).trimmed();
    const QRegularExpressionMatch m = datePattern().match(value);
    if (!m.hasMatch() || m.capturedStart() != 0 || m.capturedLength() != value.size())
        return {};
    return dateFrom(m);
}

ReadResult read(const QString &text)
{
    ReadResult result;
    QString body = text;
    if (body.startsWith(QChar(0xFEFF)))
        body.remove(0, 1);
    body.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = plain(body).split(QLatin1Char('\n'));

    int first = 0;
    while (first < lines.size() && lines[first].trimmed().isEmpty())
        ++first;
    if (first == lines.size())
        return result;

    // A saved results page may put a title or two above the header line.
    constexpr int TitleLines = 5;
    for (int i = first; i < std::min<int>(int(lines.size()), first + TitleLines); ++i) {
        const QChar separator = lines[i].contains(QLatin1Char('\t')) ? QLatin1Char('\t') : QLatin1Char(',');
        const QStringList cells = DrawCsv::splitLine(lines[i], separator);
        const bool headerless = i == first && cells.size() >= 8 && wholeNumber(cells.first().trimmed()).has_value();
        if (headerColumns(cells) || headerless) {
            result.layout = separator == QLatin1Char('\t') ? ReadResult::Layout::Tsv : ReadResult::Layout::Csv;
            readTable(result, lines, i, separator);
            refuseRepeats(result);
            return result;
        }
    }
    result.layout = ReadResult::Layout::Text;
    readText(result, lines);
    refuseRepeats(result);
    return result;
}

} // namespace DrawImport
