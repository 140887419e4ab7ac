#include "ui/sheetexport.h"

namespace SheetExport {

QString jsonString(const QString &text)
{
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (const QChar ch : text) {
        switch (ch.unicode()) {
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        default:
            if (ch.unicode() < 0x20)
                out += QStringLiteral("\\u%1").arg(ch.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += ch;
        }
    }
    out += QLatin1Char('"');
    return out;
}

QString colourText(Colour colour)
{
    return QStringLiteral("#%1").arg(colour & 0xffffff, 6, 16, QLatin1Char('0')).toUpper();
}

namespace {
const char *alignText(HAlign align)
{
    switch (align) {
    case HAlign::Left:
        return "left";
    case HAlign::Center:
        return "center";
    case HAlign::Right:
        return "right";
    }
    return "left";
}
} // namespace

QString gridMembers(const Sheet &sheet, const QString &caption)
{
    QString out;
    out += QStringLiteral("\"caption\": %1, \"columns\": %2, \"rows\": %3, \"frozenRows\": %4, \"frozenColumns\": %5, \"cells\": [")
               .arg(jsonString(caption), QString::number(sheet.maxCols()), QString::number(sheet.maxRows()),
                    QString::number(sheet.frozenRows()), QString::number(sheet.frozenCols()));
    bool first = true;
    for (int r = 1; r <= sheet.maxRows(); ++r) {
        for (int c = 1; c <= sheet.maxCols(); ++c) {
            const Cell &cell = sheet.cell(c, r);
            if (cell.text.isEmpty() && cell.fore == Colours::Black && cell.back == Colours::White)
                continue;
            out += first ? QStringLiteral("\n  ") : QStringLiteral(",\n  ");
            first = false;
            out += QStringLiteral("{\"c\": %1, \"r\": %2, \"text\": %3, \"fg\": \"%4\", \"bg\": \"%5\", \"align\": \"%6\"}")
                       .arg(QString::number(c), QString::number(r), jsonString(cell.text),
                            colourText(cell.fore), colourText(cell.back), QLatin1String(alignText(cell.hAlign)));
        }
    }
    out += first ? QStringLiteral("]") : QStringLiteral("\n]");
    return out;
}

QString windowJson(const QString &window, const QString &caption, const Sheet &sheet)
{
    return QStringLiteral("{\"window\": %1, %2}").arg(jsonString(window), gridMembers(sheet, caption));
}

QString errorJson(const QString &window, const QString &error)
{
    return QStringLiteral("{\"window\": %1, \"error\": %2}").arg(jsonString(window), jsonString(error));
}

QString csv(const Sheet &sheet)
{
    QString out;
    for (int r = 1; r <= sheet.maxRows(); ++r) {
        for (int c = 1; c <= sheet.maxCols(); ++c) {
            if (c > 1)
                out += QLatin1Char(',');
            const QString &text = sheet.cell(c, r).text;
            if (text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) || text.contains(QLatin1Char('\n'))) {
                QString escaped = text;
                escaped.replace(QLatin1String("\""), QLatin1String("\"\""));
                out += QLatin1Char('"') + escaped + QLatin1Char('"');
            } else {
                out += text;
            }
        }
        out += QLatin1Char('\n');
    }
    return out;
}

} // namespace SheetExport
