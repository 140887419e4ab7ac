#include "prediction/predictionexport.h"

#include "prediction/predictiongrids.h"
#include "ui/sheetexport.h"

namespace PredictionExport {

QString json(const PredictionEngine &engine)
{
    QString out = QStringLiteral("{\"window\": %1, \"shift\": %2, \"grids\": [")
                      .arg(SheetExport::jsonString(PredictionEngine::WindowName))
                      .arg(engine.ComputeLookBackShift());
    for (int k = 0; k < PredictionEngine::GridCount; ++k) {
        if (k > 0)
            out += QStringLiteral(", ");
        out += QLatin1Char('{') + SheetExport::gridMembers(engine.grid(k), PredictionGrids::caption(k)) + QLatin1Char('}');
    }
    out += QStringLiteral("]}");
    return out;
}

QString csv(const PredictionEngine &engine)
{
    QString out;
    for (int k = 0; k < PredictionEngine::GridCount; ++k) {
        if (k > 0)
            out += QLatin1Char('\n');
        out += PredictionGrids::caption(k) + QLatin1Char('\n') + SheetExport::csv(engine.grid(k));
    }
    return out;
}

QString text(const PredictionEngine &engine)
{
    QString out = QStringLiteral("%1（ずらし %2 回）\n")
                      .arg(PredictionEngine::WindowName)
                      .arg(engine.ComputeLookBackShift());
    for (int k = 0; k < PredictionEngine::GridCount; ++k) {
        const Sheet &sheet = engine.grid(k);
        out += PredictionGrids::caption(k) + QLatin1Char('\n');
        QString label;
        for (int r = 2; r <= sheet.maxRows(); ++r) {
            // The elimination and multi-shot captions stand in one row of
            // their tall cell; carry them to every line of it.
            if (!sheet.text(1, r).isEmpty())
                label = sheet.text(1, r).trimmed();
        }
        for (int r = 2; r <= sheet.maxRows(); ++r) {
            QString line = QStringLiteral("  ");
            const QString own = sheet.text(1, r).trimmed();
            line += (own.isEmpty() ? label : own).leftJustified(6, QChar(0x3000));
            for (int c = 2; c <= sheet.maxCols(); ++c)
                line += sheet.text(c, r).rightJustified(3);
            out += line + QLatin1Char('\n');
        }
    }
    return out;
}

std::optional<ReflectFlags> parseReflectList(const QString &list)
{
    ReflectFlags flags{};
    if (list.trimmed().isEmpty())
        return flags;
    for (const QString &item : list.split(QLatin1Char(','))) {
        bool ok = false;
        const int k = item.trimmed().toInt(&ok);
        if (!ok || k < 0 || k >= ReflectFlagCount)
            return std::nullopt;
        flags[size_t(k)] = true;
    }
    return flags;
}

} // namespace PredictionExport
