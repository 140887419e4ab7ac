#include "ui/sheetexport.h"

namespace SheetExport {

QString jsonString(const QString &text)
{
    ExportOutput out;
    out.putJsonString(text);
    return out.text();
}

QString colourText(Colour colour)
{
    ExportOutput out;
    out.putColour(colour);
    return out.text();
}

namespace {

std::string_view alignText(HAlign align)
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

void writeGridMembers(ExportOutput &out, const Sheet &sheet, const QString &caption)
{
    out.put("\"caption\": ");
    out.putJsonString(caption);
    out.put(", \"columns\": ");
    out.putNumber(sheet.maxCols());
    out.put(", \"rows\": ");
    out.putNumber(sheet.maxRows());
    out.put(", \"frozenRows\": ");
    out.putNumber(sheet.frozenRows());
    out.put(", \"frozenColumns\": ");
    out.putNumber(sheet.frozenCols());
    out.put(", \"cells\": [");
    bool first = true;
    for (int r = 1; r <= sheet.maxRows(); ++r) {
        for (int c = 1; c <= sheet.maxCols(); ++c) {
            const CellStyle &style = sheet.style(c, r);
            const Sheet::TextRef text = sheet.textRef(c, r);
            if (text.string && text.string->isEmpty() && style.fore == Colours::Black && style.back == Colours::White)
                continue;
            out.put(first ? std::string_view("\n  ") : std::string_view(",\n  "));
            first = false;
            out.put("{\"c\": ");
            out.putNumber(c);
            out.put(", \"r\": ");
            out.putNumber(r);
            out.put(", \"text\": ");
            if (text.string) {
                out.putJsonString(*text.string);
            } else {
                out.put('"');
                out.putNumber(text.number);
                out.put('"');
            }
            out.put(", \"fg\": \"");
            out.putColour(style.fore);
            out.put("\", \"bg\": \"");
            out.putColour(style.back);
            out.put("\", \"align\": \"");
            out.put(alignText(style.hAlign));
            out.put("\"}");
        }
    }
    out.put(first ? std::string_view("]") : std::string_view("\n]"));
}

QString gridMembers(const Sheet &sheet, const QString &caption)
{
    ExportOutput out;
    writeGridMembers(out, sheet, caption);
    return out.text();
}

void writeWindowJson(ExportOutput &out, const QString &window, const QString &caption, const Sheet &sheet)
{
    out.put("{\"window\": ");
    out.putJsonString(window);
    out.put(", ");
    writeGridMembers(out, sheet, caption);
    out.put('}');
}

QString windowJson(const QString &window, const QString &caption, const Sheet &sheet)
{
    ExportOutput out;
    writeWindowJson(out, window, caption, sheet);
    return out.text();
}

QString errorJson(const QString &window, const QString &error)
{
    ExportOutput out;
    out.put("{\"window\": ");
    out.putJsonString(window);
    out.put(", \"error\": ");
    out.putJsonString(error);
    out.put('}');
    return out.text();
}

void writeCsv(ExportOutput &out, const Sheet &sheet)
{
    for (int r = 1; r <= sheet.maxRows(); ++r) {
        for (int c = 1; c <= sheet.maxCols(); ++c) {
            if (c > 1)
                out.put(',');
            const Sheet::TextRef text = sheet.textRef(c, r);
            if (text.string)
                out.putCsvField(*text.string);
            else
                out.putNumber(text.number);
        }
        out.put('\n');
    }
}

QString csv(const Sheet &sheet)
{
    ExportOutput out;
    writeCsv(out, sheet);
    return out.text();
}

} // namespace SheetExport
