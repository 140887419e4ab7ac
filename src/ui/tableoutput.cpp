#include "ui/tableoutput.h"

#include "store/textencoding.h"
#include "ui/sheetexport.h"

#include <algorithm>

namespace TableOutput {

namespace {
const QByteArray Utf8Bom("\xEF\xBB\xBF");
} // namespace

std::optional<QByteArray> encode(const QString &csv, Encoding encoding)
{
    if (encoding == Encoding::Utf8Bom)
        return Utf8Bom + csv.toUtf8();
    return TextEncoding::encodeCp932Exactly(csv);
}

QString decode(const QByteArray &bytes)
{
    if (bytes.startsWith(Utf8Bom))
        return QString::fromUtf8(bytes.mid(Utf8Bom.size()));
    return TextEncoding::decodeCp932(bytes);
}

std::vector<QStringList> parseCsv(const QString &text)
{
    std::vector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    bool pending = false; // a row has begun
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar ch = text[i];
        if (quoted) {
            if (ch == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    field += ch;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += ch;
            }
            continue;
        }
        pending = true;
        if (ch == QLatin1Char('"')) {
            quoted = true;
        } else if (ch == QLatin1Char(',')) {
            row << field;
            field.clear();
        } else if (ch == QLatin1Char('\n') || ch == QLatin1Char('\r')) {
            if (ch == QLatin1Char('\r') && i + 1 < text.size() && text[i + 1] == QLatin1Char('\n'))
                ++i;
            row << field;
            rows.push_back(row);
            row.clear();
            field.clear();
            pending = false;
        } else {
            field += ch;
        }
    }
    if (pending) {
        row << field;
        rows.push_back(row);
    }
    return rows;
}

int rowOfDraw(const Sheet &sheet, int column, int drawNo)
{
    if (column < 1 || column > sheet.maxCols())
        return 0;
    const QString wanted = QString::number(drawNo);
    for (int r = std::max(sheet.frozenRows(), 0) + 1; r <= sheet.maxRows(); ++r) {
        if (sheet.cell(column, r).text.trimmed() == wanted)
            return r;
    }
    return 0;
}

std::pair<int, int> drawsIn(const Sheet &sheet, int column)
{
    std::pair<int, int> range{0, 0};
    if (column < 1 || column > sheet.maxCols())
        return range;
    for (int r = std::max(sheet.frozenRows(), 0) + 1; r <= sheet.maxRows(); ++r) {
        bool number = false;
        const int drawNo = sheet.text(column, r).trimmed().toInt(&number);
        if (!number)
            continue;
        range.first = range.first == 0 ? drawNo : std::min(range.first, drawNo);
        range.second = range.second == 0 ? drawNo : std::max(range.second, drawNo);
    }
    return range;
}

Captions captions(const Sheet &sheet, int drawColumn)
{
    Captions result{std::clamp(sheet.frozenRows(), 0, sheet.maxRows()), std::clamp(sheet.frozenCols(), 0, sheet.maxCols())};
    if (drawColumn < 1 || drawColumn > sheet.maxCols())
        return result;
    result.cols = std::max(result.cols, drawColumn);
    for (int r = 1; r <= sheet.maxRows(); ++r) {
        bool number = false;
        sheet.text(drawColumn, r).trimmed().toInt(&number);
        if (number) {
            result.rows = std::max(result.rows, r - 1);
            break;
        }
    }
    return result;
}

QString textWithCaptions(const Sheet &sheet, Block block, Captions captions)
{
    if (!sheet.contains(block.col1, block.row1) || !sheet.contains(block.col2, block.row2))
        return {};
    // Caption rows and columns first, then the block's own; a block that
    // reaches into the captions does not repeat them.
    auto lines = [](int frozen, int first, int last) {
        std::vector<int> indexes;
        for (int i = 1; i <= frozen && i < first; ++i)
            indexes.push_back(i);
        for (int i = first; i <= last; ++i)
            indexes.push_back(i);
        return indexes;
    };
    const std::vector<int> rows = lines(captions.rows, block.row1, block.row2);
    const std::vector<int> cols = lines(captions.cols, block.col1, block.col2);
    QString text;
    for (int r : rows) {
        for (size_t i = 0; i < cols.size(); ++i) {
            if (i > 0)
                text += QLatin1Char('\t');
            text += SheetExport::plainText(sheet, cols[i], r);
        }
        text += QLatin1Char('\n');
    }
    return text;
}

QString drawRange(int first, int last)
{
    return QStringLiteral("第%1回〜第%2回").arg(first).arg(last);
}

QString drawRange(const DrawHistoryStore &store)
{
    for (const DrawRecord &record : store.DrawRecordset) {
        if (record.isComplete()) {
            if (const std::optional<double> first = record.drawNo.toNumber())
                return drawRange(int(*first), store.LastDrawNo);
        }
    }
    return {};
}

} // namespace TableOutput
