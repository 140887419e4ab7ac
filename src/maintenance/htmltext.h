#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

// A web page as the text a reader copies out of a browser, so that the
// import reads a fetched page exactly as it reads pasted text: tags dropped
// (and the contents of scripts, styles and drop-down lists, which a copy of
// the page leaves out too), block elements and <br> as line breaks, runs of
// blanks as one space, entities decoded, and each table row on a line of its
// own with its cells separated by tabs. A row whose cells hold several lines
// (a layout table, a cell with a table inside) gives its cells' lines one
// after the other instead.
namespace HtmlText {

struct Text
{
    QString page;       // the whole page
    QStringList tables; // each table without a table inside, in page order
};

Text toText(QStringView html);

// Whether the bytes start like an HTML page (after blanks and a byte order mark).
bool looksLikeHtml(const QByteArray &body);

// The charset a page declares: by its HTTP Content-Type header, else by a
// <meta charset> or <meta http-equiv="Content-Type"> near its start; empty
// when neither says.
QString declaredCharset(const QByteArray &body, const QString &contentType);

// The page's bytes as text: a byte order mark first, then the declared
// charset (UTF-8, Shift_JIS as Windows writes it, EUC-JP, or any other the
// system knows), else UTF-8 when the bytes are valid UTF-8 and Shift_JIS
// otherwise, as the import reads files.
QString decode(const QByteArray &body, const QString &contentType);

} // namespace HtmlText
