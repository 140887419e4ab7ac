#pragma once

#include "prediction/backtest.h"

#include <QString>

// The walk-forward test as text for the command-line tool.
namespace BacktestExport {

// A number without exponent: 0.000000164, 12.5, 3.
QString plainDecimal(double value);

// {"from":N,"to":M,"reflect":[…],"targets":T,"methods":[…],"draws":[…]} and,
// when given, "search":{…}. A draw whose prediction failed is
// {"draw":d,"error":"…"}.
QString json(const Backtest::Result &result, const Backtest::SearchResult *search = nullptr);
// One line per method, a blank line, then one line per draw.
QString csv(const Backtest::Result &result);

} // namespace BacktestExport
