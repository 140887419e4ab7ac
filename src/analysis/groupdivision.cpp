#include "analysis/groupdivision.h"

#include "analysis/builders.h"
#include "store/checked.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int Columns = 45; // draw number, 1 … 43, draw number again
constexpr int LastNumberColumn = 44;
constexpr int LetterRow = 2;
constexpr int NumberRow = 3;
constexpr int FirstDataRow = 4;
constexpr Colour MissedGroup = rgb(210, 210, 210);

QString spaces(int n)
{
    return QString(n, QLatin1Char(' '));
}

GroupDivision make(int groups, int width, int lead, int trail, QString lastCaption, int titleColumn,
                   bool eleven = false)
{
    GroupDivision d;
    d.groups = groups;
    d.width = width;
    d.captionLead = lead;
    d.captionTrail = trail;
    d.lastCaption = std::move(lastCaption);
    d.titleColumn = titleColumn;
    d.frozenCols = eleven ? 1 : 0;
    d.column1RightBorder = eleven;
    return d;
}

int firstColumn(const GroupDivision &d, int g)
{
    return d.firstNumber(g) + 1;
}

int lastColumn(const GroupDivision &d, int g)
{
    return d.lastNumber(g) + 1;
}

void setUpGrid(const GroupDivision &d, Sheet &sheet, int rows)
{
    sheet.setDimensions(Columns, rows, Columns, 53);
    sheet.setScrollBars(ScrollBars::Both);
    sheet.setFrozenRows(3);
    sheet.setFrozenCols(d.frozenCols);
    sheet.setRowHeight(-1, 9.0);
    sheet.setRowHeight(1, 15.0);
    sheet.setRowHeight(2, 12.0);
    sheet.setColWidth(-1, 2.0);
    sheet.setColWidth(1, 3.0);
    sheet.setColWidth(Columns, 3.0);
    sheet.setStaticCentred(Block::all());

    // This colour stays the border colour of every later border step.
    sheet.setBorder(Block::cells(1, NumberRow, Columns, rows), Border::All, Colours::LightBlue);
    sheet.setBorder(Block::cells(2, 1, LastNumberColumn, 1), Border::Outline);
    sheet.setOverflow(true);
    sheet.setText(d.titleColumn, 1, QStringLiteral("数　　 字"));
    sheet.setHAlign(Block::cells(1, 1, LastNumberColumn, 1), HAlign::Left);
    sheet.setBackColour(Block::cells(1, 1, LastNumberColumn, 1), Colours::LightPink);
    sheet.setColours(Block::cells(1, 1, 1, rows), Colours::Red, Colours::LightYellow);
    sheet.setColours(Block::cells(Columns, 1, Columns, rows), Colours::Red, Colours::LightYellow);
    // Every second group, from Ｂ on, is banded down the whole table.
    for (int g = 1; g < d.groups; g += 2)
        sheet.setBackColour(Block::cells(firstColumn(d, g), 2, lastColumn(d, g), rows), Colours::LightCyan);
    if (d.column1RightBorder)
        sheet.setBorder(Block::cells(1, 1, 1, 2), Border::Right);
    sheet.setActiveCell(0, 0);
}

void captionRows(const GroupDivision &d, Sheet &sheet)
{
    for (int g = 0; g < d.groups; ++g) {
        const Block span = Block::cells(firstColumn(d, g), LetterRow, lastColumn(d, g), LetterRow);
        sheet.setBorder(span, Border::None);
        sheet.setBorder(span, Border::Outline);
    }
    sheet.setOverflow(true);
    for (int g = 0; g < d.groups; ++g) {
        sheet.setText(firstColumn(d, g), LetterRow, d.caption(g));
        sheet.setHAlign(Block::cell(firstColumn(d, g), LetterRow), HAlign::Left);
    }
    sheet.setText(1, NumberRow, QStringLiteral("回"));
    for (int n = 1; n <= 43; ++n)
        sheet.setText(n + 1, NumberRow, n);
    sheet.setText(Columns, NumberRow, QStringLiteral("回"));
    sheet.setForeColour(Block::cells(2, NumberRow, LastNumberColumn, NumberRow), Colours::Blue);
}

} // namespace

int GroupDivision::groupOf(int n) const
{
    if (n < 1 || n > 43)
        return -1;
    return std::min((n - 1) / width, groups - 1);
}

QString GroupDivision::letter(int g) const
{
    return QString(QChar(u'Ａ' + g));
}

QString GroupDivision::caption(int g) const
{
    if (g == groups - 1)
        return lastCaption;
    return spaces(captionLead) + letter(g) + spaces(captionTrail);
}

const GroupDivision &GroupDivision::six()
{
    // The title column is 43 ÷ 2 = 21.5, which the grid rounds to column 22.
    static const GroupDivision d = make(6, 7, 13, 14, spaces(16) + QStringLiteral("Ｆ") + spaces(14), 22);
    return d;
}

const GroupDivision &GroupDivision::seven()
{
    static const GroupDivision d = make(7, 6, 11, 12, spaces(13) + QStringLiteral("Ｇ") + spaces(10), 21);
    return d;
}

const GroupDivision &GroupDivision::eleven()
{
    static const GroupDivision d = make(11, 4, 7, 8, QStringLiteral("   　Ｋ "), 21, true);
    return d;
}

Sheet buildGroupDivision(const GroupDivision &d, const DrawHistoryStore &store)
{
    const qint16 rows = checked::add(store.LastDrawNo, 3);
    Sheet sheet;
    setUpGrid(d, sheet, rows);
    captionRows(d, sheet);

    std::vector<qint16> counts(size_t(d.groups), 0);
    qint16 row = FirstDataRow;
    for (const DrawRecord &record : store.DrawRecordset) {
        if (!record.isComplete())
            continue;
        std::fill(counts.begin(), counts.end(), qint16(0));
        setFieldText(sheet, 1, row, record.drawNo);
        setFieldText(sheet, Columns, row, record.drawNo);
        qint16 v[7];
        for (int p = 0; p < 7; ++p) {
            v[p] = record.number(p + 1).toInt16();
            // A number outside 1 … 43 has no column: a dot in column 1 or 45
            // would hide the draw number.
            if (d.groupOf(v[p]) >= 0)
                sheet.setText(v[p] + 1, row, QStringLiteral("●"));
        }
        for (int p = 0; p < 7; ++p) {
            const int g = d.groupOf(v[p]);
            if (g >= 0)
                counts[size_t(g)] = checked::add(counts[size_t(g)], 1);
        }
        for (int g = 0; g < d.groups; ++g) {
            if (counts[size_t(g)] == 0)
                sheet.setBackColour(Block::cells(firstColumn(d, g), row, lastColumn(d, g), row), MissedGroup);
        }
        for (int p = 0; p < 7; ++p) {
            if (d.groupOf(v[p]) >= 0)
                sheet.setForeColour(Block::cell(v[p] + 1, row), p < 6 ? Colours::MainDot : Colours::BonusDot);
        }
        row = checked::add(row, 1);
    }
    return sheet;
}

Sheet buildSixDivision(const DrawHistoryStore &store)
{
    return buildGroupDivision(GroupDivision::six(), store);
}

Sheet buildSevenDivision(const DrawHistoryStore &store)
{
    return buildGroupDivision(GroupDivision::seven(), store);
}

Sheet buildElevenDivision(const DrawHistoryStore &store)
{
    return buildGroupDivision(GroupDivision::eleven(), store);
}
