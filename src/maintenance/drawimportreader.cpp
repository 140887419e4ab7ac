#include "maintenance/drawimportreader.h"

#include "maintenance/drawimportfields.h"
#include "store/boundedinput.h"
#include "store/drawcsv.h"
#include "store/drawrecord.h"
#include "store/textencoding.h"

#include <QHash>
#include <QStringDecoder>

#include <algorithm>
#include <functional>

namespace DrawImport {

using namespace Fields;

namespace {

// A saved results page may put a title or two above the header line.
constexpr int TitleLines = 5;
// A draw's block of pasted text, prize table and all, is well under two
// thousand characters; a longer one is not a results page.
constexpr qsizetype MaxBlockChars = BoundedInput::MaxLineBytes;
// Draws at most this far apart fall within one year of each other, even at
// one draw a week: close enough to give a date its year.
constexpr int MaxYearGap = 40;

// Column roles of a table: the draw number, the date, positions 1 … 7, the
// six main numbers together, and per tier its winners and its amount.
constexpr int DrawNoRole = 0;
constexpr int DateRole = 8;
constexpr int MainRole = 9;
constexpr int PrizeRole = 10; // + 2 × (tier - 1) for winners, + 1 for the amount

// ---- tables --------------------------------------------------------------

// The role of a header cell, or -1 for a column the import ignores.
int roleOf(const QString &header)
{
    QString name = plain(header).trimmed().toUpper();
    name.remove(QLatin1Char(' '));
    static const QRegularExpression drawNo(QStringLiteral("^(回|回数|回別|回号|開催回|第N回)$"));
    static const QRegularExpression date(QStringLiteral("^(日付|抽選日|抽せん日)$"));
    static const QRegularExpression number(QStringLiteral("^(?:第([1-6])数字|本数字([1-6])|数字([1-6]))$"));
    static const QRegularExpression bonus(QStringLiteral("^(ボーナス数字|ボーナス|BONUS|BONUS数字|B数字)$"));
    static const QRegularExpression main(QStringLiteral("^(本数字|当選番号|当せん番号|当選数字|当せん数字)$"));
    static const QRegularExpression prize(QStringLiteral("^([1-5])等(?:(当せん口数|当選口数|口数)|(当せん金額|当選金額|当せん金|当選金|賞金|金額))$"));
    if (drawNo.match(name).hasMatch())
        return DrawNoRole;
    if (date.match(name).hasMatch())
        return DateRole;
    if (bonus.match(name).hasMatch())
        return 7;
    if (main.match(name).hasMatch())
        return MainRole;
    if (const QRegularExpressionMatch m = number.match(name); m.hasMatch())
        return (m.captured(1) + m.captured(2) + m.captured(3)).toInt();
    if (const QRegularExpressionMatch m = prize.match(name); m.hasMatch())
        return PrizeRole + 2 * (m.captured(1).toInt() - 1) + (m.capturedLength(3) > 0 ? 1 : 0);
    return -1;
}

// Where a table keeps each role.
struct Columns
{
    QHash<int, int> column; // role → column
    int mainWidth = 1;      // columns under a merged 本数字 cell

    bool has(int role) const { return column.contains(role); }
    int at(int role) const { return column.value(role); }
    // Columns a row needs for the draw itself; prize columns may be cut off.
    int needed() const
    {
        int last = at(DrawNoRole);
        for (const int role : {DateRole, MainRole, 1, 2, 3, 4, 5, 6, 7}) {
            if (has(role))
                last = std::max(last, at(role) + (role == MainRole ? mainWidth - 1 : 0));
        }
        return last + 1;
    }
};

// Roles of a header line; with a second header line under it, the names of
// both (the upper one carried over the empty cells a merged cell leaves),
// so "本数字" over "1" … "6" and "1等" over "口数", "当せん金額" are known.
Columns columnsOf(const QStringList &cells, const QStringList &below = {})
{
    Columns columns;
    QString carried;
    for (int i = 0; i < cells.size(); ++i) {
        const QString top = cells[i].trimmed();
        if (!top.isEmpty())
            carried = top;
        int role = roleOf(top);
        if (!below.isEmpty()) {
            const QString under = below.value(i).trimmed();
            const int ownRole = roleOf(under);
            role = ownRole >= 0 ? ownRole : !under.isEmpty() ? roleOf(carried + under) : role;
        }
        if (role >= 0 && !columns.has(role))
            columns.column.insert(role, i);
    }
    // A 本数字 cell merged over the next five empty ones holds the six.
    if (below.isEmpty() && columns.has(MainRole)) {
        int width = 1;
        while (width < 6 && columns.at(MainRole) + width < cells.size() && cells[columns.at(MainRole) + width].trimmed().isEmpty())
            ++width;
        columns.mainWidth = width;
    }
    return columns;
}

bool namesDraws(const Columns &columns)
{
    return columns.has(DrawNoRole) && columns.column.size() >= 2;
}

bool hasAllNumbers(const Columns &columns)
{
    if (!columns.has(7))
        return columns.has(MainRole);
    if (columns.has(MainRole))
        return true;
    for (int p = 1; p <= 6; ++p) {
        if (!columns.has(p))
            return false;
    }
    return true;
}

bool isBlank(const QStringList &cells)
{
    return std::all_of(cells.begin(), cells.end(), [](const QString &cell) { return cell.trimmed().isEmpty(); });
}

// ---- the reader ----------------------------------------------------------

class Reader
{
public:
    // Takes the next line of the source, already in its plain form.
    void take(const QString &line);
    ReadResult finish();

private:
    // Done: nothing more is read (a header without the numbers, too many errors).
    enum class Mode { Detecting, Header, Table, Text, Done };

    void decide();
    void tableLine(const QString &line);
    void headerLine(const QStringList *next);
    void tableRow(const QStringList &cells);
    void textLine(const QString &line);
    void endBlock();
    void add(const RawDraw &raw);
    void refuse(int line, int drawNo, const QString &reason);
    void note(int line, const QString &text);
    // Counts one more error or note; false, and reading stops, past the limit.
    bool admit(int line);

    ReadResult m_result;
    Mode m_mode = Mode::Detecting;
    int m_lineNo = 0;
    int m_first = 0;                 // the first line that is not blank
    std::vector<QString> m_pending;  // lines kept while the layout is not known
    QChar m_separator = QLatin1Char(',');
    std::optional<Columns> m_columns; // none for a table without header
    QStringList m_headerCells;
    int m_headerLine = 0;
    QHash<int, int> m_firstLine; // 回 → the line that gave it first
    // The pasted-text block being read.
    bool m_inBlock = false;
    int m_blockLine = 0;
    QString m_blockDrawNo;
    QString m_blockText;
    bool m_blockTooLong = false;
    bool m_sawBlock = false;
};

void Reader::take(const QString &line)
{
    ++m_lineNo;
    switch (m_mode) {
    case Mode::Detecting:
        if (m_pending.empty() && line.trimmed().isEmpty())
            return;
        if (m_pending.empty())
            m_first = m_lineNo;
        m_pending.push_back(line);
        if (int(m_pending.size()) > TitleLines)
            decide();
        return;
    case Mode::Header:
    case Mode::Table:
        tableLine(line);
        return;
    case Mode::Text:
        textLine(line);
        return;
    case Mode::Done:
        return;
    }
}

// The layout from the first lines: a table when one of them is a header
// line naming 回 and a number column, or when the first is a row of eight or
// nine cells starting with a whole number; pasted text otherwise.
void Reader::decide()
{
    const std::vector<QString> pending = std::exchange(m_pending, {});
    const int first = m_first;
    for (size_t i = 0; i < pending.size() && i < size_t(TitleLines); ++i) {
        const QChar separator = pending[i].contains(QLatin1Char('\t')) ? QLatin1Char('\t') : QLatin1Char(',');
        const QStringList cells = DrawCsv::splitLine(pending[i], separator);
        const Columns columns = columnsOf(cells);
        const bool headerless = i == 0 && cells.size() >= 8 && wholeNumber(cells.first().trimmed()).has_value();
        if (namesDraws(columns) || headerless) {
            m_separator = separator;
            m_result.layout = separator == QLatin1Char('\t') ? ReadResult::Layout::Tsv : ReadResult::Layout::Csv;
            m_mode = Mode::Table;
            m_lineNo = first + int(i) - 1;
            if (!headerless) {
                m_mode = Mode::Header;
                m_headerCells = cells;
                m_columns = columns;
                m_headerLine = ++m_lineNo;
            }
            for (size_t j = headerless ? i : i + 1; j < pending.size(); ++j)
                take(pending[j]);
            return;
        }
    }
    m_result.layout = ReadResult::Layout::Text;
    m_mode = Mode::Text;
    m_lineNo = first - 1;
    for (const QString &line : pending)
        take(line);
}

void Reader::tableLine(const QString &line)
{
    const QStringList cells = DrawCsv::splitLine(line, m_separator);
    if (isBlank(cells))
        return;
    if (m_mode == Mode::Header)
        headerLine(&cells);
    else
        tableRow(cells);
}

// The line after the header (none at the end of the text): a second header
// line when its 回 cell is empty and every other cell names a column with
// the cell above; a row otherwise. Once both are known the header must name
// every number.
void Reader::headerLine(const QStringList *next)
{
    bool secondHeader = next && next->value(m_columns->at(DrawNoRole)).trimmed().isEmpty();
    if (secondHeader) {
        QString carried;
        for (int i = 0; i < next->size() && secondHeader; ++i) {
            if (!m_headerCells.value(i).trimmed().isEmpty())
                carried = m_headerCells.value(i).trimmed();
            const QString under = (*next)[i].trimmed();
            secondHeader = under.isEmpty() || roleOf(under) >= 0 || roleOf(carried + under) >= 0;
        }
    }
    if (secondHeader)
        m_columns = columnsOf(m_headerCells, *next);
    if (!hasAllNumbers(*m_columns)) {
        QStringList missing;
        for (int p = 1; p <= 7; ++p) {
            if (!m_columns->has(p) && (p == 7 || !m_columns->has(MainRole)))
                missing << QStringLiteral("「%1」").arg(FieldName::numberField(p));
        }
        refuse(m_headerLine, 0, QStringLiteral("見出しに%1の列がありません。").arg(missing.join(QString())));
        m_mode = Mode::Done;
        return;
    }
    m_mode = Mode::Table;
    if (next && !secondHeader)
        tableRow(*next);
}

void Reader::tableRow(const QStringList &given)
{
    QStringList cells = given;
    RawDraw raw;
    raw.line = m_lineNo;
    if (!m_columns) {
        while (cells.size() > 8 && cells.last().trimmed().isEmpty())
            cells.removeLast();
        if (cells.size() != 8 && cells.size() != 9) {
            refuse(raw.line, drawNoOf(cells.value(0)).value_or(0),
                   QStringLiteral("項目の数が8（日付があれば9）ではありません（%1個）。").arg(cells.size()));
            return;
        }
        const int offset = cells.size() == 9 ? 1 : 0;
        raw.drawNo = cells[0];
        if (offset)
            raw.date = cells[1];
        for (int p = 1; p <= 7; ++p)
            raw.numbers[size_t(p - 1)] = cells[p + offset];
        add(raw);
        return;
    }
    const Columns &columns = *m_columns;
    if (cells.size() < columns.needed()) {
        refuse(raw.line, drawNoOf(cells.value(columns.at(DrawNoRole))).value_or(0),
               QStringLiteral("項目が足りません（%1個）。").arg(cells.size()));
        return;
    }
    raw.drawNo = cells[columns.at(DrawNoRole)];
    if (columns.has(DateRole))
        raw.date = cells[columns.at(DateRole)];
    const bool bonusColumn = columns.has(7);
    if (bonusColumn)
        raw.numbers[6] = cells[columns.at(7)];
    if (columns.has(MainRole)) {
        const QStringList group = cells.mid(columns.at(MainRole), columns.mainWidth);
        const Numbers numbers = numbersIn(plain(group.join(QLatin1Char(' '))), bonusColumn);
        if (numbers.none && isMissing(raw.numbers[6])) {
            raw.numbers = {};
        } else if (!numbers.problem.isEmpty()) {
            raw.problem = numbers.problem;
        } else {
            std::copy(numbers.numbers.begin(), numbers.numbers.begin() + 6, raw.numbers.begin());
            if (!bonusColumn)
                raw.numbers[6] = numbers.numbers[6];
        }
    } else {
        for (int p = 1; p <= 6; ++p)
            raw.numbers[size_t(p - 1)] = cells[columns.at(p)];
    }
    for (int tier = 1; tier <= 5 && raw.problem.isEmpty(); ++tier) {
        for (const bool amount : {false, true}) {
            const int role = PrizeRole + 2 * (tier - 1) + (amount ? 1 : 0);
            if (!columns.has(role) || !raw.problem.isEmpty())
                continue;
            if (const std::optional<QString> problem = readPrizeCell(cells.value(columns.at(role)), tier, amount, raw.prizes[size_t(tier - 1)]))
                raw.problem = *problem;
        }
    }
    add(raw);
}

// A draw starts at a line whose first 第N回 has only words before it (a
// label such as 回別 or 次回, a product name, a date): "第N回" further on in
// a sentence ("（第2130回からのキャリーオーバー）") only refers to a draw.
std::optional<QRegularExpressionMatch> blockMarker(const QString &line)
{
    static const QRegularExpression marker(QStringLiteral("第\\s*(\\d+)\\s*回"));
    static const QRegularExpression product(QStringLiteral("ロト\\s*[67]|LOTO\\s*[67]|ミニロト"), QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = marker.match(line);
    if (!m.hasMatch())
        return std::nullopt;
    QString before = line.left(m.capturedStart());
    before.remove(product);
    before.remove(datePattern());
    for (const QChar c : before) {
        if (c.isDigit() || c == QLatin1Char('('))
            return std::nullopt;
    }
    return m;
}

void Reader::textLine(const QString &line)
{
    if (const std::optional<QRegularExpressionMatch> marker = blockMarker(line)) {
        endBlock();
        m_inBlock = true;
        m_sawBlock = true;
        m_blockLine = m_lineNo;
        m_blockDrawNo = marker->captured(1);
        m_blockText = line.left(marker->capturedStart()) + QLatin1Char(' ') + line.mid(marker->capturedEnd()) + QLatin1Char('\n');
        m_blockTooLong = false;
        return;
    }
    if (!m_inBlock)
        return;
    if (m_blockText.size() + line.size() > MaxBlockChars) {
        m_blockTooLong = true;
        return;
    }
    m_blockText += line + QLatin1Char('\n');
}

void Reader::endBlock()
{
    if (!m_inBlock)
        return;
    m_inBlock = false;
    const int line = m_blockLine;
    const QString drawNo = m_blockDrawNo;
    if (m_blockTooLong) {
        refuse(line, drawNoOf(drawNo).value_or(0),
               QStringLiteral("第%1回の後の文字が長すぎます（%2 文字まで）。").arg(drawNo).arg(MaxBlockChars));
        return;
    }
    const std::optional<RawDraw> raw = blockDraw(line, drawNo, std::exchange(m_blockText, {}));
    if (!raw) {
        note(line, QStringLiteral("%1 行目: 第%2回には当選数字がないため、読み飛ばしました（次回のお知らせなど）。").arg(line).arg(drawNo));
        return;
    }
    add(*raw);
}

bool Reader::admit(int line)
{
    if (m_mode == Mode::Done)
        return false;
    if (int(m_result.errors.size() + m_result.notes.size()) < MaxErrors)
        return true;
    m_result.errors.push_back({line, 0, QStringLiteral("エラーと読み飛ばした行が %1 件を超えたため、%2 行目から後は読んでいません。")
                                            .arg(MaxErrors)
                                            .arg(line)});
    m_mode = Mode::Done;
    m_inBlock = false;
    return false;
}

void Reader::refuse(int line, int drawNo, const QString &reason)
{
    if (admit(line))
        m_result.errors.push_back({line, drawNo, reason});
}

void Reader::note(int line, const QString &text)
{
    if (admit(line))
        m_result.notes.push_back(text);
}

// A draw number met again is refused on its later row, whatever it holds:
// the import cannot tell which of the two is right.
void Reader::add(const RawDraw &raw)
{
    // A row with a 回 and no numbers at all is a draw not held yet (or a
    // record kept empty), not an error.
    if (raw.problem.isEmpty() && std::all_of(raw.numbers.begin(), raw.numbers.end(), isMissing)) {
        if (const std::optional<int> drawNo = drawNoOf(raw.drawNo); drawNo && !isMissing(raw.drawNo)) {
            note(raw.line, QStringLiteral("%1 行目: 第%2回には当選数字がないため、読み飛ばしました。").arg(raw.line).arg(*drawNo));
            return;
        }
    }
    std::variant<ImportedDraw, RowError> checked = check(raw);
    if (const RowError *error = std::get_if<RowError>(&checked)) {
        refuse(error->line, error->drawNo, error->reason);
        return;
    }
    const ImportedDraw &draw = std::get<ImportedDraw>(checked);
    const auto seen = m_firstLine.constFind(draw.drawNo);
    if (seen != m_firstLine.cend()) {
        refuse(draw.line, draw.drawNo, QStringLiteral("第%1回は %2 行目にもあります。").arg(draw.drawNo).arg(*seen));
        return;
    }
    m_firstLine.insert(draw.drawNo, draw.line);
    m_result.draws.push_back(draw);
}

ReadResult Reader::finish()
{
    if (m_mode == Mode::Detecting && !m_pending.empty())
        decide();
    if (m_mode == Mode::Header)
        headerLine(nullptr);
    endBlock();
    if (m_mode == Mode::Text && !m_sawBlock) {
        m_result.errors.push_back({m_first, 0, QStringLiteral("当選データとして読めません（見出し行も「第N回」もありません）。")});
    }
    resolveYears(m_result.draws, {});
    return std::move(m_result);
}

// ---- decoding ------------------------------------------------------------

enum class Encoding { Utf8, Utf16Le, Utf16Be, Cp932 };

struct Detected
{
    Encoding encoding;
    qsizetype skip; // the byte order mark
};

Detected detect(const QByteArray &bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return {Encoding::Utf8, 3};
    // Spreadsheets save "Unicode text" as UTF-16 with its byte order mark.
    if (bytes.startsWith("\xFF\xFE"))
        return {Encoding::Utf16Le, 2};
    if (bytes.startsWith("\xFE\xFF"))
        return {Encoding::Utf16Be, 2};
    return {bytes.isValidUtf8() ? Encoding::Utf8 : Encoding::Cp932, 0};
}

QString decodeAs(const QByteArray &bytes, Encoding encoding)
{
    switch (encoding) {
    case Encoding::Utf8:
        return QString::fromUtf8(bytes);
    case Encoding::Utf16Le:
    case Encoding::Utf16Be: {
        QStringDecoder utf16(encoding == Encoding::Utf16Le ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE,
                             QStringDecoder::Flag::Stateless);
        return utf16(bytes);
    }
    case Encoding::Cp932:
        break;
    }
    return TextEncoding::decodeCp932(bytes);
}

// Hands each line of text (ended by LF, CR LF or CR) to take.
void eachLine(QStringView text, const std::function<void(QStringView line)> &take)
{
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text[i];
        if (c != QLatin1Char('\n') && c != QLatin1Char('\r'))
            continue;
        take(text.mid(start, i - start));
        if (c == QLatin1Char('\r') && i + 1 < size && text[i + 1] == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    if (start < size)
        take(text.mid(start));
}

} // namespace

QString decode(const QByteArray &bytes)
{
    const Detected detected = detect(bytes);
    return decodeAs(bytes.mid(detected.skip), detected.encoding);
}

ReadResult read(const QString &text)
{
    Reader reader;
    QStringView body(text);
    if (body.startsWith(QChar(0xFEFF)))
        body = body.mid(1);
    eachLine(body, [&reader](QStringView line) { reader.take(plain(line)); });
    return reader.finish();
}

ReadResult readBytes(const QByteArray &bytes)
{
    Reader reader;
    forEachLine(bytes, [&reader](QStringView line) { reader.take(plain(line)); });
    return reader.finish();
}

void forEachLine(const QByteArray &bytes, const std::function<void(QStringView line)> &take)
{
    const Detected detected = detect(bytes);
    const bool wide = detected.encoding == Encoding::Utf16Le || detected.encoding == Encoding::Utf16Be;
    // About a megabyte at a time, cut after a line break so that no line
    // and no character is split.
    constexpr qsizetype Part = 1 << 20;
    qsizetype start = detected.skip;
    const qsizetype size = bytes.size();
    while (start < size) {
        qsizetype end = std::min(size, start + Part);
        while (end < size) {
            const bool lf = wide ? ((end - detected.skip) % 2 == 0 && end + 1 < size
                                    && (detected.encoding == Encoding::Utf16Le ? bytes[end] == '\n' && bytes[end + 1] == 0
                                                                                : bytes[end] == 0 && bytes[end + 1] == '\n'))
                                 : bytes[end] == '\n';
            if (lf) {
                end += wide ? 2 : 1;
                break;
            }
            ++end;
        }
        QString part = decodeAs(bytes.mid(start, end - start), detected.encoding);
        if (start == detected.skip && part.startsWith(QChar(0xFEFF)))
            part.remove(0, 1);
        eachLine(part, take);
        start = end;
    }
}

void resolveYears(std::vector<ImportedDraw> &draws, const std::map<int, QDate> &known)
{
    std::map<int, QDate> dated = known;
    for (const ImportedDraw &draw : draws) {
        if (draw.date.isValid())
            dated[draw.drawNo] = draw.date;
    }
    std::vector<ImportedDraw *> order;
    for (ImportedDraw &draw : draws)
        order.push_back(&draw);
    std::sort(order.begin(), order.end(), [](const ImportedDraw *a, const ImportedDraw *b) { return a->drawNo < b->drawNo; });
    for (ImportedDraw *draw : order) {
        if (!draw->yearUnknown())
            continue;
        const auto at = dated.lower_bound(draw->drawNo);
        const auto later = dated.upper_bound(draw->drawNo);
        QDate found;
        if (at != later && at->second.month() == draw->month && at->second.day() == draw->day) {
            // The same draw, dated where it is already stored.
            found = at->second;
        } else if (at != dated.begin() && draw->drawNo - std::prev(at)->first <= MaxYearGap) {
            // The first such day after the earlier draw.
            const QDate earlier = std::prev(at)->second;
            for (const int year : {earlier.year(), earlier.year() + 1}) {
                const QDate candidate(year, draw->month, draw->day);
                if (candidate.isValid() && candidate > earlier) {
                    found = candidate;
                    break;
                }
            }
        } else if (later != dated.end() && later->first - draw->drawNo <= MaxYearGap) {
            // The last such day before the later draw.
            const QDate next = later->second;
            for (const int year : {next.year(), next.year() - 1}) {
                const QDate candidate(year, draw->month, draw->day);
                if (candidate.isValid() && candidate < next) {
                    found = candidate;
                    break;
                }
            }
        }
        if (found.isValid()) {
            draw->date = found;
            dated[draw->drawNo] = found;
        }
    }
}

} // namespace DrawImport
