#pragma once

#include "prediction/buyingplan.h"
#include "ui/sheet.h"

#include <QString>

// What the window 買い目作成 shows, built as grids and text so that the window
// only paints them.
namespace BuyingSheets {

// Class name and caption of the window.
inline const QString WindowName = QStringLiteral("買い目作成");

// One row per line: its number and its six numbers.
Sheet lines(const BuyingPlan::Plan &plan);
// Per tier: the past draws at least one line won it, the lines that won it
// and what as many random lines were expected to win; then the total.
Sheet whatIf(const BuyingPlan::WhatIf &result);
// Per filter: what it asks, how many past draws passed it and its exact
// chance under a fair draw.
Sheet filters(const ComboFilter::Result &result);

// Lines, cost, and for a wheel its guarantee and lower bound, in words.
QString summary(const BuyingPlan::Plan &plan);
// "第1回〜第2130回の 2130 回に当てはめると、…": the what-if in a sentence.
QString whatIfText(const BuyingPlan::WhatIf &result);

} // namespace BuyingSheets
