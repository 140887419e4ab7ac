#pragma once

#include "maintenance/drawimportreader.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

// Draw results fetched from a web address: the address the user typed, and
// the body the server sent, read as the import reads a file (a CSV) or
// pasted text (an HTML page, turned into its text first). Nothing here
// touches the network: the fetch (drawimportfetch.h) hands the body over.
namespace DrawImport {

// Only these are fetched, also as the target of a redirect.
bool isWebScheme(const QString &scheme);

struct WebAddress
{
    QUrl url;
    QString problem; // Japanese; empty when the address can be fetched
};

// The address as typed: http or https with a host, nothing else.
WebAddress parseWebAddress(const QString &text);

struct WebRead
{
    ReadResult read;
    bool html = false;
    // The draws come from the page's tables, each read on its own, rather
    // than from the text of the whole page.
    bool byTables = false;
    QString problem; // Japanese: the body is no CSV and no page; nothing read
};

// Reads a body by its Content-Type header (and, where that says nothing
// useful, by how it starts): an HTML page in the charset it declares, or a
// CSV/TSV/text file in any encoding a file import reads. A binary body, or a
// type that is neither, is refused. A page is read as pasted text, both
// whole and table by table; the reading with more draws (fewer errors on a
// tie) is kept, since a page's navigation and footer around a results table
// would otherwise run into the draw above them. A page without any draw
// gives an error that says so.
WebRead readWebBody(const QByteArray &body, const QString &contentType);

} // namespace DrawImport
