#include "ui/sheetexport.h"

#include <charconv>
#include <cstring>
#include <string>
#include <vector>

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

    // Most of the output is the same few styles and texts over and over:
    // each distinct style's tail (colours and alignment) and each distinct
    // text's JSON is made once, and a cell is copied together from them.
    std::vector<std::string> tails(sheet.styleCount());
    std::vector<std::string> texts(sheet.stringCount());
    const auto tail = [&](quint32 index) -> const std::string & {
        std::string &made = tails[index];
        if (made.empty()) {
            const CellStyle &style = sheet.styleAt(index);
            ExportOutput bytes;
            bytes.put(", \"fg\": \"");
            bytes.putColour(style.fore);
            bytes.put("\", \"bg\": \"");
            bytes.putColour(style.back);
            bytes.put("\", \"align\": \"");
            bytes.put(alignText(style.hAlign));
            bytes.put("\"}");
            made = bytes.bytes().toStdString();
        }
        return made;
    };
    const auto text = [&](const Sheet::TextRef &ref) -> const std::string & {
        std::string &made = texts[ref.index];
        if (made.empty()) {
            ExportOutput bytes;
            bytes.putJsonString(*ref.string);
            made = bytes.bytes().toStdString();
        }
        return made;
    };
    const auto copy = [](char *to, std::string_view bytes) {
        std::memcpy(to, bytes.data(), bytes.size());
        return to + bytes.size();
    };
    constexpr std::string_view Start = ",\n  {\"c\": ";
    constexpr std::string_view Row = ", \"r\": ";
    constexpr std::string_view Text = ", \"text\": ";
    constexpr size_t NumberRoom = 24;

    bool first = true;
    for (int r = 1; r <= sheet.maxRows(); ++r) {
        for (int c = 1; c <= sheet.maxCols(); ++c) {
            const quint32 styleIndex = sheet.styleIndex(c, r);
            const Sheet::TextRef ref = sheet.textRef(c, r);
            if (ref.string && ref.index == 0) {
                const CellStyle &style = sheet.styleAt(styleIndex);
                if (style.fore == Colours::Black && style.back == Colours::White)
                    continue;
            }
            const std::string &cellTail = tail(styleIndex);
            const std::string *cellText = ref.string ? &text(ref) : nullptr;
            char *to = out.reserve(Start.size() + Row.size() + Text.size() + 3 * NumberRoom + cellTail.size()
                                   + (cellText ? cellText->size() : 0));
            to = copy(to, first ? Start.substr(1) : Start);
            first = false;
            to = std::to_chars(to, to + NumberRoom, c).ptr;
            to = copy(to, Row);
            to = std::to_chars(to, to + NumberRoom, r).ptr;
            to = copy(to, Text);
            if (cellText) {
                to = copy(to, *cellText);
            } else {
                *to++ = '"';
                to = std::to_chars(to, to + NumberRoom, ref.number).ptr;
                *to++ = '"';
            }
            to = copy(to, cellTail);
            out.advance(to);
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

namespace {

bool isBonusDot(const QString &text, const CellStyle &style)
{
    return style.fore == Colours::BonusDot && text == Dot;
}

} // namespace

QString plainText(const Sheet &sheet, int col, int row)
{
    const QString text = sheet.text(col, row);
    return isBonusDot(text, sheet.style(col, row)) ? BonusMark : text;
}

void writeCsv(ExportOutput &out, const Sheet &sheet)
{
    for (int r = 1; r <= sheet.maxRows(); ++r) {
        for (int c = 1; c <= sheet.maxCols(); ++c) {
            if (c > 1)
                out.put(',');
            const Sheet::TextRef text = sheet.textRef(c, r);
            if (!text.string)
                out.putNumber(text.number);
            else if (isBonusDot(*text.string, sheet.style(c, r)))
                out.putCsvField(BonusMark);
            else
                out.putCsvField(*text.string);
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
