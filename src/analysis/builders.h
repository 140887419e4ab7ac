#pragma once

#include "store/globalbas.h"
#include "ui/sheet.h"

// A stored value as its cell's text: an integer as the number, which the
// sheet keeps without a string of its own; text as it is; Null as nothing.
inline void setFieldText(Sheet &sheet, int col, int row, const Field &value)
{
    if (value.isInteger())
        sheet.setText(col, row, value.integer());
    else
        sheet.setText(col, row, value.toText());
}

// Every analysis is a function of the store that fills a Sheet through the
// grid operations, in the order its window sets them up.
Sheet buildAppearanceFrequency(const DrawHistoryStore &store);   // 出現頻度分析
Sheet buildAppearanceCount(const DrawHistoryStore &store);       // 出現回数分析
Sheet buildNumbersByCount(const DrawHistoryStore &store);        // 回数別出現分析
Sheet buildAppearanceInterval(const DrawHistoryStore &store);    // 出現間隔分析
Sheet buildNumberInterval(const DrawHistoryStore &store);        // 数字間隔分析
Sheet buildPull(const DrawHistoryStore &store);                  // 引っ張り分析
Sheet buildDispersion(const DrawHistoryStore &store);            // バラツキ分析
Sheet buildConsecutive(const DrawHistoryStore &store);           // 連番飛び石分析
Sheet buildNumberSum(const DrawHistoryStore &store);             // 数字合計分析
Sheet buildLowHighPattern(const DrawHistoryStore &store);        // 低数字高数字の組合せパターン分析
Sheet buildEvenOddPattern(const DrawHistoryStore &store);        // 偶数奇数の組合せパターン分析
Sheet buildFiveDivision(const DrawHistoryStore &store);          // 分割5傾向分析
Sheet buildSixDivision(const DrawHistoryStore &store);           // 分割6データ分析
Sheet buildSevenDivision(const DrawHistoryStore &store);         // 分割7データ分析
Sheet buildElevenDivision(const DrawHistoryStore &store);        // 分割11データ分析
Sheet buildLastDigitTrend(const DrawHistoryStore &store);        // 下一桁出現傾向分析
Sheet buildLastDigitRuns(const DrawHistoryStore &store);         // 下一桁連続出現回数分析
