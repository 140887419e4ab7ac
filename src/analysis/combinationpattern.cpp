#include "analysis/builders.h"

#include "store/checked.h"

#include <array>

// The combination-pattern windows: every complete draw with its six main
// numbers sorted into two classes (low/high, even/odd), the count of each
// class and a pattern letter "A" … "G" by one of the counts. The table, the
// fill and the pattern cell are one; only the classifier differs. The bonus
// number is shown but never classified, counted or marked.

namespace {

constexpr int Columns = 11;
constexpr int BonusColumn = 8;
constexpr int FirstCountColumn = 9;
constexpr int SecondCountColumn = 10;
constexpr int PatternColumn = 11;

// How a window sorts the main numbers.
struct Classifier
{
    QString numbersCaption;      // over columns 2 … 7, written into column 4
    QString firstCaption;        // column 9
    QString secondCaption;       // column 10
    // Whether a main number falls into the class counted in column 9.
    bool (*inFirstClass)(const Field &value);
    // Marks the cell of main number v.
    void (*mark)(Sheet &sheet, qint16 v, int column, int row);
    // The letter follows the count of column 9, or else that of column 10.
    bool letterByFirstCount;
};

// Low numbers run from 1 to 21. The count compares the stored value itself;
// the mark uses the number as converted for the cell.
bool isLow(const Field &value)
{
    const std::optional<double> v = value.toNumber();
    if (!v)
        throw RuntimeError(RuntimeErrorKind::TypeMismatch);
    return *v <= 21;
}

void markLow(Sheet &sheet, qint16 v, int column, int row)
{
    if (v <= 21)
        sheet.setBackColour(Block::cell(column, row), Colours::LightCyan);
}

// Parity of the value rounded to a whole number, as the modulo takes it.
bool isEven(const Field &value)
{
    return value.toInt16() % 2 == 0;
}

void markParity(Sheet &sheet, qint16 v, int column, int row)
{
    sheet.setBackColour(Block::cell(column, row), v % 2 == 0 ? Colours::LightCyan : Colours::White);
}

const Classifier &lowHigh()
{
    static const Classifier classifier{QStringLiteral("　　本 数 字"), QStringLiteral("低数字"),
                                       QStringLiteral("高数字"), &isLow, &markLow, true};
    return classifier;
}

const Classifier &evenOdd()
{
    static const Classifier classifier{QString(4, QLatin1Char(' ')) + QStringLiteral("本 数 字") + QString(6, QLatin1Char(' ')),
                                       QStringLiteral("偶数"), QStringLiteral("奇数"), &isEven, &markParity, false};
    return classifier;
}

void setUpGrid(Sheet &sheet, int lastRow)
{
    sheet.setDimensions(Columns, lastRow, Columns, 51);
    sheet.setRowHeight(-1, 10.0);
    sheet.setRowHeight(1, 20.0);
    sheet.setColWidth(-1, 5.0);
    sheet.setColWidth(1, 6.0);
    sheet.setColWidth(PatternColumn, 7.0);
    sheet.setStaticCentred(Block::all());
    sheet.setColours(Block::cells(1, 2, 1, lastRow), Colours::Red, Colours::LightYellow);
    sheet.setBackColour(Block::cells(BonusColumn, 2, BonusColumn, lastRow), Colours::LightYellow);
    sheet.setColours(Block::cells(FirstCountColumn, 2, FirstCountColumn, lastRow), Colours::Blue, Colours::LightCyan);
    sheet.setColours(Block::cells(SecondCountColumn, 2, SecondCountColumn, lastRow), Colours::Blue, Colours::White);
    sheet.setBorder(Block::cells(1, 1, Columns, lastRow), Border::All);
    // Here, before the captions and the fill, which leave the active cell alone.
    sheet.setActiveCell(0, 0);
}

void writeCaptionRow(Sheet &sheet, int row, const Classifier &classifier)
{
    sheet.setBorder(Block::cells(2, row, 7, row), Border::None);
    sheet.setBorder(Block::cells(2, row, 7, row), Border::Outline);
    sheet.setColours(Block::cells(1, row, Columns, row), Colours::Blue, Colours::LightPink);
    sheet.setOverflow(true);
    sheet.setAlignment(Block::cell(4, row), HAlign::Left, VAlign::Center);
    sheet.setText(4, row, classifier.numbersCaption);
    sheet.setRowHeight(row, 20.0);
    sheet.setText(1, row, QStringLiteral("回数"));
    sheet.setText(BonusColumn, row, QStringLiteral("ボ数"));
    sheet.setText(FirstCountColumn, row, classifier.firstCaption);
    sheet.setText(SecondCountColumn, row, classifier.secondCaption);
    sheet.setText(PatternColumn, row, QStringLiteral("パターン"));
}

// The letter for a count and the back colour of its cell; "A" keeps the
// grid's colour.
void writePattern(Sheet &sheet, qint16 count, int column, int row)
{
    struct Pattern
    {
        const char *letter;
        bool coloured;
        Colour back;
    };
    static const std::array<Pattern, 7> patterns{{
        {"A", false, 0},
        {"B", true, Colours::LightCyan},
        {"C", true, Colours::LightGreen},
        {"D", true, Colours::LightYellow},
        {"E", true, Colours::White},
        {"F", true, rgb(255, 200, 255)},
        {"G", true, Colours::LightPink},
    }};
    if (count < 0 || count > 6) {
        sheet.setText(column, row, QString());
        return;
    }
    const Pattern &pattern = patterns[size_t(count)];
    if (pattern.coloured)
        sheet.setBackColour(Block::cell(column, row), pattern.back);
    sheet.setText(column, row, QString::fromLatin1(pattern.letter));
}

void fill(Sheet &sheet, const Recordset &records, const Classifier &classifier)
{
    qint16 row = 2;
    for (const DrawRecord &record : records) {
        if (!record.isComplete())
            continue; // takes no row
        setFieldText(sheet, 1, row, record.drawNo);
        for (int k = 1; k <= 6; ++k) {
            setFieldText(sheet, k + 1, row, record.number(k));
            classifier.mark(sheet, record.number(k).toInt16(), k + 1, row);
        }
        setFieldText(sheet, BonusColumn, row, record.bonus());
        qint16 first = 0;
        for (int k = 1; k <= 6; ++k) {
            if (classifier.inFirstClass(record.number(k)))
                first = checked::add(first, 1);
        }
        const qint16 second = checked::sub(6, first);
        sheet.setText(FirstCountColumn, row, first);
        sheet.setText(SecondCountColumn, row, second);
        writePattern(sheet, classifier.letterByFirstCount ? first : second, PatternColumn, row);
        row = checked::add(row, 1);
    }
}

Sheet build(const DrawHistoryStore &store, const Classifier &classifier)
{
    const int lastRow = checked::add(store.LastDrawNo, 1);
    Sheet sheet;
    setUpGrid(sheet, lastRow);
    writeCaptionRow(sheet, 1, classifier);
    fill(sheet, store.DrawRecordset, classifier);
    return sheet;
}

} // namespace

Sheet buildLowHighPattern(const DrawHistoryStore &store)
{
    return build(store, lowHigh());
}

Sheet buildEvenOddPattern(const DrawHistoryStore &store)
{
    return build(store, evenOdd());
}
