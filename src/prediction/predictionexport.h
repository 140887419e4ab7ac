#pragma once

#include "prediction/predictionengine.h"
#include "ui/exportoutput.h"

#include <QString>

#include <optional>

// The prediction as text for the command-line tool and the terminal.
namespace PredictionExport {

// {"window": "一発ケルモン予想", "shift": s, "grids": [g0, g1, g2, g3]}, each
// grid an object of the members SheetExport::gridMembers gives, with the
// caption shown above it.
QString json(const PredictionEngine &engine);
void writeJson(ExportOutput &out, const PredictionEngine &engine);
// Each grid as its caption line and its CSV rows, grids separated by a blank line.
QString csv(const PredictionEngine &engine);
void writeCsv(ExportOutput &out, const PredictionEngine &engine);
// The four predictions as a person reads them on a terminal: one line per
// result row, the row caption followed by its numbers.
QString text(const PredictionEngine &engine);

// "0,1,5": the flags to reflect, by index 0 … 11; nothing for other text.
std::optional<ReflectFlags> parseReflectList(const QString &list);

} // namespace PredictionExport
