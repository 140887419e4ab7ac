#include "maintenance/drawimportweb.h"

#include "maintenance/htmltext.h"
#include "store/boundedinput.h"

#include <QBuffer>
#include <QRegularExpression>

#include <algorithm>

namespace DrawImport {

namespace {

// A text file has no NUL byte, unless it is UTF-16 with its byte order mark.
bool isBinary(const QByteArray &body)
{
    if (body.startsWith("\xFF\xFE") || body.startsWith("\xFE\xFF"))
        return false;
    return body.left(64 * 1024).contains('\0');
}

enum class Kind { Html, Text, Sniff, Other };

Kind kindOf(const QString &contentType)
{
    const QString type = contentType.section(QLatin1Char(';'), 0, 0).trimmed().toLower();
    if (type == QLatin1String("text/html") || type == QLatin1String("application/xhtml+xml"))
        return Kind::Html;
    // Servers send CSV under many names, and as plain bytes.
    static const QStringList csv{QStringLiteral("text/csv"), QStringLiteral("text/x-csv"),
                                 QStringLiteral("text/comma-separated-values"), QStringLiteral("text/tab-separated-values"),
                                 QStringLiteral("application/csv"), QStringLiteral("application/x-csv"),
                                 QStringLiteral("application/vnd.ms-excel")};
    if (csv.contains(type))
        return Kind::Text;
    if (type.isEmpty() || type == QLatin1String("text/plain") || type == QLatin1String("application/octet-stream")
        || type == QLatin1String("binary/octet-stream"))
        return Kind::Sniff;
    return Kind::Other;
}

// The reading of one table, its lines counted from the top of the page.
void shiftLines(ReadResult &read, int offset)
{
    static const QRegularExpression lineNote(QStringLiteral("^(\\d+) 行目"));
    for (ImportedDraw &draw : read.draws)
        draw.line += offset;
    for (RowError &error : read.errors)
        error.line += offset;
    for (QString &note : read.notes) {
        if (const QRegularExpressionMatch m = lineNote.match(note); m.hasMatch())
            note.replace(0, m.capturedLength(1), QString::number(m.captured(1).toInt() + offset));
    }
}

// A table that gave no draw and no row that looked like one (a menu, a
// calendar) says nothing about the draws.
bool speaksOfDraws(const ReadResult &read)
{
    if (!read.draws.empty() || read.layout == ReadResult::Layout::Csv || read.layout == ReadResult::Layout::Tsv)
        return true;
    return std::any_of(read.errors.begin(), read.errors.end(), [](const RowError &error) { return error.drawNo > 0; });
}

bool sameDraw(const ImportedDraw &a, const ImportedDraw &b)
{
    return a.numbers == b.numbers && a.date == b.date;
}

// Every table read on its own, merged: a draw the page shows twice alike
// (the latest result beside a list) is taken once; shown otherwise, the
// later one is an error, as in one text.
ReadResult readTables(const HtmlText::Text &text)
{
    ReadResult merged;
    merged.layout = ReadResult::Layout::Text;
    std::vector<ImportedDraw> draws;
    qsizetype from = 0;
    for (const QString &table : text.tables) {
        const qsizetype at = text.page.indexOf(table, from);
        const int offset = at < 0 ? 0 : int(QStringView(text.page).left(at).count(QLatin1Char('\n')));
        if (at >= 0)
            from = at + table.size();
        ReadResult read = DrawImport::read(table);
        if (!speaksOfDraws(read))
            continue;
        shiftLines(read, offset);
        for (ImportedDraw &draw : read.draws) {
            const auto before = std::find_if(draws.begin(), draws.end(), [&draw](const ImportedDraw &d) { return d.drawNo == draw.drawNo; });
            if (before == draws.end()) {
                draws.push_back(draw);
            } else if (!sameDraw(*before, draw)) {
                merged.errors.push_back({draw.line, draw.drawNo,
                                         QStringLiteral("第%1回は %2 行目にもあります。").arg(draw.drawNo).arg(before->line)});
            }
        }
        merged.errors.insert(merged.errors.end(), read.errors.begin(), read.errors.end());
        merged.notes.insert(merged.notes.end(), read.notes.begin(), read.notes.end());
    }
    std::stable_sort(merged.errors.begin(), merged.errors.end(), [](const RowError &a, const RowError &b) { return a.line < b.line; });
    merged.draws = std::move(draws);
    return merged;
}

WebRead readPage(const QByteArray &body, const QString &contentType)
{
    WebRead web;
    web.html = true;
    const HtmlText::Text text = HtmlText::toText(HtmlText::decode(body, contentType));
    web.read = DrawImport::read(text.page);
    ReadResult tables = readTables(text);
    if (!tables.draws.empty()
        && (tables.draws.size() > web.read.draws.size()
            || (tables.draws.size() == web.read.draws.size() && tables.errors.size() < web.read.errors.size()))) {
        web.read = std::move(tables);
        web.byTables = true;
    }
    if (web.read.draws.empty() && web.read.errors.empty())
        web.read.errors.push_back({1, 0, QStringLiteral("このページには当選データがありません。")});
    return web;
}

} // namespace

bool isWebScheme(const QString &scheme)
{
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

WebAddress parseWebAddress(const QString &text)
{
    const QString typed = text.trimmed();
    if (typed.isEmpty())
        return {{}, QStringLiteral("取得するページのアドレス（http:// か https:// で始まるもの）を入力してください。")};
    const QUrl url(typed, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return {{}, QStringLiteral("アドレス「%1」が正しくありません。http:// か https:// で始まるアドレスを入力してください。").arg(typed)};
    if (!isWebScheme(url.scheme().toLower()))
        return {{}, QStringLiteral("取得できるのは http:// と https:// のアドレスだけです（%1）。").arg(typed)};
    if (url.host().isEmpty())
        return {{}, QStringLiteral("アドレス「%1」にサーバー名がありません。").arg(typed)};
    return {url, {}};
}

WebRead readWebBody(const QByteArray &body, const QString &contentType)
{
    const Kind kind = kindOf(contentType);
    if (kind == Kind::Other) {
        WebRead refused;
        refused.problem = QStringLiteral("取得したデータは CSV でも HTML のページでもありません（Content-Type: %1）。")
                              .arg(contentType.section(QLatin1Char(';'), 0, 0).trimmed());
        return refused;
    }
    if (isBinary(body)) {
        WebRead refused;
        refused.problem = QStringLiteral("取得したデータは文字ではありません（画像や圧縮ファイルなどのバイナリ・データです）。");
        return refused;
    }
    if (kind == Kind::Html || (kind == Kind::Sniff && HtmlText::looksLikeHtml(body)))
        return readPage(body, contentType);
    // A CSV within the limits a file is read with.
    QByteArray copy = body;
    QBuffer device(&copy);
    device.open(QIODevice::ReadOnly);
    WebRead web;
    if (const BoundedInput::Result input = BoundedInput::read(device, QStringLiteral("取得したデータ")); !input.ok()) {
        web.problem = input.problem;
        return web;
    }
    web.read = readBytes(body);
    return web;
}

} // namespace DrawImport
