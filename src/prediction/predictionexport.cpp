#include "prediction/predictionexport.h"

#include "prediction/predictiongrids.h"
#include "ui/sheetexport.h"

namespace PredictionExport {

void writeJson(ExportOutput &out, const PredictionEngine &engine)
{
    out.put("{\"window\": ");
    out.putJsonString(PredictionEngine::WindowName);
    out.put(", \"shift\": ");
    out.putNumber(engine.ComputeLookBackShift());
    out.put(", \"grids\": [");
    for (int k = 0; k < PredictionEngine::GridCount; ++k) {
        if (k > 0)
            out.put(", ");
        out.put('{');
        SheetExport::writeGridMembers(out, engine.grid(k), PredictionGrids::caption(k));
        out.put('}');
    }
    out.put("]}");
}

QString json(const PredictionEngine &engine)
{
    ExportOutput out;
    writeJson(out, engine);
    return out.text();
}

void writeCsv(ExportOutput &out, const PredictionEngine &engine)
{
    for (int k = 0; k < PredictionEngine::GridCount; ++k) {
        if (k > 0)
            out.put('\n');
        out.put(PredictionGrids::caption(k));
        out.put('\n');
        SheetExport::writeCsv(out, engine.grid(k));
    }
}

QString csv(const PredictionEngine &engine)
{
    ExportOutput out;
    writeCsv(out, engine);
    return out.text();
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
