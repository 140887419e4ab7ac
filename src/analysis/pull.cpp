#include "analysis/builders.h"

#include "store/checked.h"

namespace {

void setUpGrid(Sheet &sheet, qint16 lastDrawNo)
{
    const int last = checked::add(lastDrawNo, 1);
    sheet.setDimensions(8, last, 8, 51);
    sheet.setRowHeight(-1, 10.0);
    sheet.setRowHeight(1, 15.0);
    sheet.setColWidth(-1, 7.0);
    sheet.setColWidth(8, 9.0);
    sheet.setStaticCentred(Block::all());
    sheet.setColours(Block::cells(1, 1, 1, last), Colours::Red, Colours::LightYellow);
    sheet.setBorder(Block::cells(1, 1, 8, last), Border::All, Colours::LightBlue);
    sheet.setActiveCell(0, 0);
}

// The caption "本 数 字" overflows over the six main-number columns, which
// keep only their bottom border so that it reads as one merged header.
void writeCaptionRow(Sheet &sheet, int r)
{
    sheet.setRowHeight(r, 15.0);
    sheet.setBorder(Block::cells(2, r, 7, r), Border::None);
    sheet.setBorder(Block::cells(2, r, 7, r), Border::Bottom);
    sheet.setColours(Block::cells(1, r, 8, r), Colours::Black, Colours::LightPink);
    sheet.setText(1, r, QStringLiteral("回数"));
    sheet.setOverflow(true);
    sheet.setAlignment(Block::cell(4, r), HAlign::Left, VAlign::Center);
    sheet.setText(4, r, QStringLiteral("        本 数 字         "));
    sheet.setText(8, r, QStringLiteral("ボーナス数字"));
}

} // namespace

// 引っ張り分析: every complete draw, with the numbers it pulled over from the
// draw listed before it (any of its seven numbers, main and bonus alike) marked.
Sheet buildPull(const DrawHistoryStore &store)
{
    Sheet sheet;
    setUpGrid(sheet, store.LastDrawNo);
    writeCaptionRow(sheet, 1);

    qint16 previous[8] = {}; // index 1 … 7; all zero, so the first draw matches nothing
    qint16 row = 2;
    for (const DrawRecord &record : store.DrawRecordset) {
        if (!record.isComplete())
            continue;
        setFieldText(sheet, 1, row, record.drawNo);
        for (int p = 1; p <= 7; ++p)
            setFieldText(sheet, 1 + p, row, record.number(p));
        for (int h = 1; h <= 7; ++h) {
            for (int p = 1; p <= 7; ++p) {
                const std::optional<double> value = record.number(p).toNumber();
                if (value && *value == previous[h])
                    sheet.setBackColour(Block::cell(1 + p, row), Colours::LightCyan);
            }
        }
        for (int p = 1; p <= 7; ++p)
            previous[p] = record.number(p).toInt16();
        row = checked::add(row, 1);
    }
    return sheet;
}
