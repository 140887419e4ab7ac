#include "maintenance/htmltext.h"

#include "maintenance/drawimportreader.h"
#include "store/textencoding.h"

#include <QHash>
#include <QRegularExpression>
#include <QStringDecoder>

#include <algorithm>
#include <vector>

namespace HtmlText {

namespace {

// A page names its charset near the start; the HTML standard looks at the
// first 1024 bytes, pages written by hand sometimes put it a little later.
constexpr qsizetype CharsetScanBytes = 4096;
// A colspan wider than any real table is a typing error, not a layout.
constexpr int MaxColspan = 64;

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')
        || c == QLatin1Char('\f');
}

// ---- entities ------------------------------------------------------------

QString codePoint(uint value)
{
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return QString(QChar::ReplacementCharacter);
    const char32_t c = value;
    return QString::fromUcs4(&c, 1);
}

const QHash<QString, QString> &namedEntities()
{
    static const QHash<QString, QString> names{
        {QStringLiteral("amp"), QStringLiteral("&")},      {QStringLiteral("lt"), QStringLiteral("<")},
        {QStringLiteral("gt"), QStringLiteral(">")},       {QStringLiteral("quot"), QStringLiteral("\"")},
        {QStringLiteral("apos"), QStringLiteral("'")},     {QStringLiteral("nbsp"), QStringLiteral(" ")},
        {QStringLiteral("ensp"), QStringLiteral(" ")},     {QStringLiteral("emsp"), QStringLiteral(" ")},
        {QStringLiteral("thinsp"), QStringLiteral(" ")},   {QStringLiteral("copy"), QStringLiteral("©")},
        {QStringLiteral("reg"), QStringLiteral("®")},      {QStringLiteral("trade"), QStringLiteral("™")},
        {QStringLiteral("yen"), QStringLiteral("¥")},      {QStringLiteral("times"), QStringLiteral("×")},
        {QStringLiteral("divide"), QStringLiteral("÷")},   {QStringLiteral("middot"), QStringLiteral("·")},
        {QStringLiteral("hellip"), QStringLiteral("…")},   {QStringLiteral("ndash"), QStringLiteral("–")},
        {QStringLiteral("mdash"), QStringLiteral("—")},    {QStringLiteral("lsquo"), QStringLiteral("‘")},
        {QStringLiteral("rsquo"), QStringLiteral("’")},    {QStringLiteral("ldquo"), QStringLiteral("“")},
        {QStringLiteral("rdquo"), QStringLiteral("”")},    {QStringLiteral("laquo"), QStringLiteral("«")},
        {QStringLiteral("raquo"), QStringLiteral("»")},    {QStringLiteral("bull"), QStringLiteral("•")},
        {QStringLiteral("deg"), QStringLiteral("°")},      {QStringLiteral("plusmn"), QStringLiteral("±")},
        {QStringLiteral("sect"), QStringLiteral("§")},     {QStringLiteral("para"), QStringLiteral("¶")},
        {QStringLiteral("cent"), QStringLiteral("¢")},     {QStringLiteral("pound"), QStringLiteral("£")},
        {QStringLiteral("euro"), QStringLiteral("€")},     {QStringLiteral("larr"), QStringLiteral("←")},
        {QStringLiteral("rarr"), QStringLiteral("→")},     {QStringLiteral("uarr"), QStringLiteral("↑")},
        {QStringLiteral("darr"), QStringLiteral("↓")},     {QStringLiteral("shy"), QString()},
        {QStringLiteral("zwsp"), QString()},
    };
    return names;
}

// Text between tags with its character references replaced. A reference
// the program does not know stays as written.
QString decodeEntities(QStringView text)
{
    if (!text.contains(QLatin1Char('&')))
        return text.toString();
    static const QRegularExpression reference(QStringLiteral("&(?:#(\\d{1,8})|#[xX]([0-9A-Fa-f]{1,8})|([A-Za-z][A-Za-z0-9]{1,31}));?"));
    QString out;
    qsizetype from = 0;
    const QString source = text.toString();
    for (auto it = reference.globalMatch(source); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        QString replacement;
        if (m.capturedLength(1) > 0)
            replacement = codePoint(m.captured(1).toUInt());
        else if (m.capturedLength(2) > 0)
            replacement = codePoint(m.captured(2).toUInt(nullptr, 16));
        else if (const auto named = namedEntities().constFind(m.captured(3)); named != namedEntities().cend())
            replacement = *named;
        else
            continue;
        out += QStringView(source).mid(from, m.capturedStart() - from);
        out += replacement;
        from = m.capturedEnd();
    }
    out += QStringView(source).mid(from);
    return out;
}

// ---- the text being built ------------------------------------------------

// Text with blanks collapsed as a browser shows them.
struct Buffer
{
    QString text;
    bool pendingSpace = false;

    bool atLineStart() const { return text.isEmpty() || text.endsWith(QLatin1Char('\n')); }
    void words(QStringView raw)
    {
        qsizetype i = 0;
        while (i < raw.size()) {
            if (isBlank(raw[i])) {
                if (!atLineStart())
                    pendingSpace = true;
                ++i;
                continue;
            }
            qsizetype end = i;
            while (end < raw.size() && !isBlank(raw[end]))
                ++end;
            literal(raw.mid(i, end - i));
            i = end;
        }
    }
    void literal(QStringView piece)
    {
        if (piece.isEmpty())
            return;
        if (pendingSpace)
            text += QLatin1Char(' ');
        pendingSpace = false;
        text += piece;
    }
    void lineBreak()
    {
        pendingSpace = false;
        if (!atLineStart())
            text += QLatin1Char('\n');
    }
    // Lines made elsewhere (a table), on lines of their own.
    void lines(const QString &block)
    {
        if (block.isEmpty())
            return;
        lineBreak();
        text += block;
        lineBreak();
    }
    QString finished() const
    {
        QString t = text;
        while (t.endsWith(QLatin1Char('\n')))
            t.chop(1);
        return t;
    }
};

struct Table
{
    QStringList lines;
    std::vector<QString> row; // the cells of the open row
    bool rowOpen = false;
    bool cellOpen = false;
    bool nested = false; // holds a table
    size_t depth = 0;    // its own buffer, for text in no cell (a caption)
};

class Builder
{
public:
    Builder() { m_buffers.emplace_back(); }

    void text(QStringView raw)
    {
        if (m_dropped > 0)
            return;
        const QString decoded = decodeEntities(raw);
        if (m_pre > 0) {
            QString kept = decoded;
            kept.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
            const QStringList parts = kept.split(QLatin1Char('\n'));
            for (qsizetype i = 0; i < parts.size(); ++i) {
                if (i > 0)
                    buffer().lineBreak();
                buffer().literal(parts[i]);
            }
            return;
        }
        buffer().words(decoded);
    }

    void open(const QString &name, QStringView attributes)
    {
        if (isDropped(name)) {
            ++m_dropped;
            return;
        }
        if (m_dropped > 0)
            return;
        if (name == QLatin1String("table")) {
            if (!m_tables.empty())
                m_tables.back().nested = true;
            Table table;
            m_buffers.emplace_back();
            table.depth = m_buffers.size() - 1;
            m_tables.push_back(table);
            return;
        }
        if (name == QLatin1String("tr")) {
            if (m_tables.empty())
                return;
            endRow();
            flushLoose();
            m_tables.back().rowOpen = true;
            return;
        }
        if (name == QLatin1String("td") || name == QLatin1String("th")) {
            if (m_tables.empty())
                return;
            endCell();
            flushLoose();
            Table &table = m_tables.back();
            table.rowOpen = true;
            table.cellOpen = true;
            m_colspan.push_back(colspanOf(attributes));
            m_buffers.emplace_back();
            return;
        }
        if (name == QLatin1String("pre"))
            ++m_pre;
        if (name == QLatin1String("br") || isBlock(name))
            buffer().lineBreak();
    }

    void close(const QString &name)
    {
        if (isDropped(name)) {
            m_dropped = std::max(0, m_dropped - 1);
            return;
        }
        if (m_dropped > 0)
            return;
        if (name == QLatin1String("table")) {
            endTable();
            return;
        }
        if (name == QLatin1String("tr")) {
            endRow();
            return;
        }
        if (name == QLatin1String("td") || name == QLatin1String("th")) {
            endCell();
            return;
        }
        if (name == QLatin1String("pre"))
            m_pre = std::max(0, m_pre - 1);
        if (name == QLatin1String("br") || isBlock(name))
            buffer().lineBreak();
    }

    Text finish()
    {
        while (!m_tables.empty())
            endTable();
        return {m_buffers.front().finished(), m_leafTables};
    }

private:
    static bool isDropped(const QString &name)
    {
        // What a copy of the page leaves out: code, and the choices of a
        // drop-down list (a list of past draws would read as draws).
        static const QStringList dropped{QStringLiteral("select"), QStringLiteral("datalist"), QStringLiteral("template"),
                                         QStringLiteral("noscript"), QStringLiteral("svg"), QStringLiteral("math"),
                                         QStringLiteral("object")};
        return dropped.contains(name);
    }

    static bool isBlock(const QString &name)
    {
        static const QStringList blocks{
            QStringLiteral("address"), QStringLiteral("article"), QStringLiteral("aside"), QStringLiteral("blockquote"),
            QStringLiteral("body"), QStringLiteral("caption"), QStringLiteral("center"), QStringLiteral("dd"),
            QStringLiteral("details"), QStringLiteral("dialog"), QStringLiteral("dir"), QStringLiteral("div"),
            QStringLiteral("dl"), QStringLiteral("dt"), QStringLiteral("fieldset"), QStringLiteral("figcaption"),
            QStringLiteral("figure"), QStringLiteral("footer"), QStringLiteral("form"), QStringLiteral("h1"),
            QStringLiteral("h2"), QStringLiteral("h3"), QStringLiteral("h4"), QStringLiteral("h5"), QStringLiteral("h6"),
            QStringLiteral("header"), QStringLiteral("hgroup"), QStringLiteral("hr"), QStringLiteral("html"),
            QStringLiteral("legend"), QStringLiteral("li"), QStringLiteral("main"), QStringLiteral("menu"),
            QStringLiteral("nav"), QStringLiteral("ol"), QStringLiteral("p"), QStringLiteral("pre"),
            QStringLiteral("section"), QStringLiteral("summary"), QStringLiteral("ul")};
        return blocks.contains(name);
    }

    static int colspanOf(QStringView attributes)
    {
        static const QRegularExpression colspan(QStringLiteral("\\bcolspan\\s*=\\s*[\"']?\\s*(\\d{1,4})"),
                                                QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch m = colspan.match(attributes.toString());
        return m.hasMatch() ? std::clamp(m.captured(1).toInt(), 1, MaxColspan) : 1;
    }

    Buffer &buffer() { return m_buffers.back(); }

    // Text of the table outside its cells, as lines of its own.
    void flushLoose()
    {
        Buffer &loose = m_buffers[m_tables.back().depth];
        const QString text = loose.finished().trimmed();
        loose = Buffer();
        if (!text.isEmpty())
            m_tables.back().lines << text;
    }

    void endCell()
    {
        if (m_tables.empty() || !m_tables.back().cellOpen || m_colspan.empty() || m_buffers.size() - 1 <= m_tables.back().depth)
            return;
        Table &table = m_tables.back();
        table.cellOpen = false;
        table.row.push_back(m_buffers.back().finished().trimmed());
        // A merged cell leaves the columns it covers empty, as a
        // spreadsheet saves it: the header over six number columns keeps
        // them.
        for (int i = 1; i < m_colspan.back(); ++i)
            table.row.emplace_back();
        m_colspan.pop_back();
        m_buffers.pop_back();
    }

    void endRow()
    {
        endCell();
        Table &table = m_tables.back();
        if (!table.rowOpen)
            return;
        table.rowOpen = false;
        const std::vector<QString> row = std::exchange(table.row, {});
        const bool flat = std::none_of(row.begin(), row.end(), [](const QString &cell) { return cell.contains(QLatin1Char('\n')); });
        if (flat) {
            if (std::any_of(row.begin(), row.end(), [](const QString &cell) { return !cell.isEmpty(); }))
                table.lines << QStringList(row.begin(), row.end()).join(QLatin1Char('\t'));
            return;
        }
        for (const QString &cell : row) {
            if (!cell.isEmpty())
                table.lines << cell;
        }
    }

    void endTable()
    {
        if (m_tables.empty())
            return;
        // A cell or row left open by a missing end tag closes with the table.
        endRow();
        flushLoose();
        const Table table = m_tables.back();
        m_tables.pop_back();
        while (m_buffers.size() > table.depth)
            m_buffers.pop_back();
        const QString text = table.lines.join(QLatin1Char('\n'));
        if (!table.nested && !text.isEmpty())
            m_leafTables << text;
        buffer().lines(text);
    }

    std::vector<Buffer> m_buffers;
    std::vector<Table> m_tables;
    std::vector<int> m_colspan;
    QStringList m_leafTables;
    int m_dropped = 0;
    int m_pre = 0;
};

// The position after the tag that starts at i ('<'), quoted attribute
// values and all.
qsizetype tagEnd(QStringView html, qsizetype i)
{
    QChar quote;
    for (qsizetype j = i + 1; j < html.size(); ++j) {
        const QChar c = html[j];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            // Only a quote that opens an attribute value counts.
            if (j > 0 && (html[j - 1] == QLatin1Char('=') || isBlank(html[j - 1])))
                quote = c;
        } else if (c == QLatin1Char('>')) {
            return j + 1;
        }
    }
    return html.size();
}

qsizetype findNoCase(QStringView html, QStringView what, qsizetype from)
{
    const qsizetype at = html.indexOf(what, from, Qt::CaseInsensitive);
    return at < 0 ? html.size() : at;
}

} // namespace

Text toText(QStringView html)
{
    Builder builder;
    qsizetype i = 0;
    qsizetype textStart = 0;
    const qsizetype size = html.size();
    while (i < size) {
        if (html[i] != QLatin1Char('<')) {
            ++i;
            continue;
        }
        const QStringView rest = html.mid(i);
        if (rest.startsWith(QLatin1String("<!--"))) {
            builder.text(html.mid(textStart, i - textStart));
            const qsizetype end = html.indexOf(QLatin1String("-->"), i + 4);
            i = textStart = end < 0 ? size : end + 3;
            continue;
        }
        const bool closing = rest.startsWith(QLatin1String("</"));
        qsizetype nameStart = i + (closing ? 2 : 1);
        qsizetype nameEnd = nameStart;
        while (nameEnd < size && (html[nameEnd].isLetterOrNumber() && html[nameEnd].unicode() < 128))
            ++nameEnd;
        const bool declaration = !closing && (rest.startsWith(QLatin1String("<!")) || rest.startsWith(QLatin1String("<?")));
        if (nameEnd == nameStart || !html[nameStart].isLetter()) {
            if (declaration) {
                builder.text(html.mid(textStart, i - textStart));
                i = textStart = tagEnd(html, i);
                continue;
            }
            ++i; // a "<" that opens no tag is text
            continue;
        }
        builder.text(html.mid(textStart, i - textStart));
        const QString name = html.mid(nameStart, nameEnd - nameStart).toString().toLower();
        const qsizetype end = tagEnd(html, i);
        const QStringView attributes = html.mid(nameEnd, std::max<qsizetype>(0, end - 1 - nameEnd));
        i = textStart = end;
        if (closing) {
            builder.close(name);
            continue;
        }
        // Their contents are no markup: skipped whole, to their end tag.
        static const QStringList raw{QStringLiteral("script"), QStringLiteral("style"), QStringLiteral("title"),
                                     QStringLiteral("textarea"), QStringLiteral("xmp")};
        if (raw.contains(name)) {
            const qsizetype close = findNoCase(html, QString(QStringLiteral("</") + name), i);
            i = textStart = close >= size ? size : tagEnd(html, close);
            continue;
        }
        builder.open(name, attributes);
        if (attributes.endsWith(QLatin1Char('/')) && name != QLatin1String("br"))
            builder.close(name);
    }
    builder.text(html.mid(textStart));
    return builder.finish();
}

bool looksLikeHtml(const QByteArray &body)
{
    QByteArray head = body.left(1024);
    if (head.startsWith("\xEF\xBB\xBF"))
        head = head.mid(3);
    head = head.trimmed().toLower();
    return head.startsWith("<!doctype html") || head.startsWith("<html") || head.startsWith("<!--")
        || head.startsWith("<?xml") || head.startsWith("<head") || head.startsWith("<body") || head.contains("<html");
}

QString declaredCharset(const QByteArray &body, const QString &contentType)
{
    static const QRegularExpression inHeader(QStringLiteral("charset\\s*=\\s*[\"']?\\s*([A-Za-z0-9_.:\\-]+)"),
                                             QRegularExpression::CaseInsensitiveOption);
    if (const QRegularExpressionMatch m = inHeader.match(contentType); m.hasMatch())
        return m.captured(1).toLower();
    static const QRegularExpression meta(QStringLiteral("<meta\\b[^>]*?charset\\s*=\\s*[\"']?\\s*([A-Za-z0-9_.:\\-]+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QString head = QString::fromLatin1(body.left(CharsetScanBytes));
    if (const QRegularExpressionMatch m = meta.match(head); m.hasMatch())
        return m.captured(1).toLower();
    return {};
}

QString decode(const QByteArray &body, const QString &contentType)
{
    if (body.startsWith("\xEF\xBB\xBF") || body.startsWith("\xFF\xFE") || body.startsWith("\xFE\xFF"))
        return DrawImport::decode(body);
    const QString charset = declaredCharset(body, contentType);
    static const QStringList utf8{QStringLiteral("utf-8"), QStringLiteral("utf8"), QStringLiteral("unicode-1-1-utf-8")};
    // Every name the web uses for Shift_JIS means Windows' form of it, with
    // "～" and "①" (the HTML standard decodes them all alike).
    static const QStringList shiftJis{QStringLiteral("shift_jis"), QStringLiteral("shift-jis"), QStringLiteral("sjis"),
                                      QStringLiteral("x-sjis"),    QStringLiteral("ms_kanji"),  QStringLiteral("csshiftjis"),
                                      QStringLiteral("windows-31j"), QStringLiteral("cp932"), QStringLiteral("ms932"),
                                      QStringLiteral("x-ms-cp932")};
    if (utf8.contains(charset))
        return QString::fromUtf8(body);
    if (shiftJis.contains(charset))
        return TextEncoding::decodeCp932(body);
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.toLatin1().constData());
        if (decoder.isValid())
            return decoder.decode(body);
    }
    return DrawImport::decode(body);
}

} // namespace HtmlText
