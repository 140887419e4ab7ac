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

namespace {

// Pads text with blanks to a width in terminal columns, a full-width
// character taking two.
QString padded(const QString &text, int columns)
{
    int width = 0;
    for (const QChar ch : text)
        width += ch.unicode() < 0x80 || (ch.unicode() >= 0xFF61 && ch.unicode() <= 0xFF9F) ? 1 : 2;
    return text + QString(std::max(0, columns - width), QLatin1Char(' '));
}

} // namespace

QString text(const PredictionEngine &engine)
{
    QString out = QStringLiteral("%1（ずらし %2 回）\n")
                      .arg(PredictionEngine::WindowName)
                      .arg(engine.ComputeLookBackShift());
    for (int k = 0; k < PredictionEngine::GridCount; ++k) {
        const Sheet &sheet = engine.grid(k);
        out += PredictionGrids::caption(k) + QLatin1Char('\n');
        // The elimination and multi-shot captions stand in the middle of
        // their tall cell; on a terminal they head its first line.
        QString label;
        for (int r = 2; r <= sheet.maxRows() && label.isEmpty(); ++r)
            label = sheet.text(1, r);
        for (int r = 2; r <= sheet.maxRows(); ++r) {
            QString caption = sheet.text(1, r);
            if (k == PredictionEngine::EliminationGrid || k == PredictionEngine::MultiShotGrid)
                caption = r == 2 ? label : QString();
            QString line = QStringLiteral("  ") + padded(caption, 10);
            for (int c = 2; c <= sheet.maxCols(); ++c)
                line += sheet.text(c, r).rightJustified(3);
            while (line.endsWith(QLatin1Char(' ')))
                line.chop(1);
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
