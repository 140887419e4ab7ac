#include "ui/gui/sheetpainter.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace SheetPainter {

namespace {

const QColor SelectionColour(0x33, 0x66, 0xcc, 0x50);
constexpr int TextPadding = 2;
// How far back along a row a hidden cell's text may still run into view.
constexpr int OverflowLookBack = 64;
// The narrowest a squeezed text is drawn, as a share of its natural width.
constexpr double MinSqueeze = 0.5;

QColor toQColor(Colour c)
{
    return QColor(red(c), green(c), blue(c));
}

} // namespace

TextCache::TextCache(const QFont &font)
{
    setFont(font);
}

void TextCache::setFont(const QFont &font)
{
    m_font = font;
    m_lineHeight = QFontMetrics(font).height();
    m_cache.clear();
}

const QStaticText &TextCache::text(const QString &text)
{
    auto it = m_cache.find(text);
    if (it == m_cache.end()) {
        QStaticText prepared(text);
        prepared.setTextFormat(Qt::PlainText);
        prepared.prepare(QTransform(), m_font);
        it = m_cache.insert(text, prepared);
    }
    return it.value();
}

void paint(QPainter &painter, const Sheet &sheet, const std::vector<Span> &cols, const std::vector<Span> &rows,
           const std::vector<int> &colPixels, TextCache &texts, const Selection &selection, int captionRows)
{
    if (cols.empty() || rows.empty())
        return;
    const int frozenCols = std::min(sheet.frozenCols(), sheet.maxCols());
    int frozenWidth = 0;
    for (const Span &col : cols) {
        if (col.index <= frozenCols)
            frozenWidth = col.start + col.length;
    }
    const int gridRight = cols.back().start + cols.back().length;

    // Backgrounds, runs of one colour along a row filled at once.
    for (const Span &row : rows) {
        size_t i = 0;
        while (i < cols.size()) {
            const Colour back = sheet.style(cols[i].index, row.index).back;
            size_t j = i + 1;
            while (j < cols.size() && sheet.style(cols[j].index, row.index).back == back)
                ++j;
            const int x2 = cols[j - 1].start + cols[j - 1].length;
            painter.fillRect(QRect(cols[i].start, row.start, x2 - cols[i].start, row.length), toQColor(back));
            i = j;
        }
    }

    // Selection.
    if (selection.col1 > 0 && selection.row1 > 0) {
        for (const Span &row : rows) {
            if (row.index < selection.row1 || row.index > selection.row2)
                continue;
            for (const Span &col : cols) {
                if (col.index >= selection.col1 && col.index <= selection.col2)
                    painter.fillRect(QRect(col.start, row.start, col.length, row.length), SelectionColour);
            }
        }
    }

    // Texts. A text that fits is drawn straight; one that does not runs on
    // over empty cells to the right (left-aligned), to the left
    // (right-aligned) or to both sides (centred) when overflow is allowed,
    // and is clipped to what it may cover.
    painter.setFont(texts.font());
    const int lineHeight = texts.lineHeight();
    const bool overflow = sheet.overflow();
    // A text wider than the room it has is drawn narrower, squeezed along
    // the line to fit, so that no caption loses characters or runs into its
    // neighbour.
    auto drawAligned = [&](const Cell &cell, const QRect &rect, int padding) {
        const QStaticText &text = texts.text(cell.text);
        const double natural = text.size().width();
        const int room = std::max(1, rect.width() - 2 * padding);
        const double squeeze = natural > room ? std::max(MinSqueeze, room / natural) : 1.0;
        const int w = int(std::ceil(natural * squeeze));
        int x = rect.left() + padding;
        if (cell.hAlign == HAlign::Center)
            x = rect.left() + (rect.width() - w) / 2;
        else if (cell.hAlign == HAlign::Right)
            x = rect.right() + 1 - padding - w;
        int y = rect.top() + rect.height() - lineHeight;
        if (cell.vAlign == VAlign::Center)
            y = rect.top() + (rect.height() - lineHeight) / 2;
        else if (cell.vAlign == VAlign::Top)
            y = rect.top();
        painter.setPen(toQColor(cell.fore));
        if (squeeze == 1.0) {
            painter.drawStaticText(x, y, text);
            return;
        }
        painter.save();
        painter.translate(x, y);
        painter.scale(squeeze, 1.0);
        painter.drawStaticText(0, 0, text);
        painter.restore();
    };
    for (const Span &row : rows) {
        for (size_t i = 0; i < cols.size(); ++i) {
            const Span &col = cols[i];
            const Cell &cell = sheet.cell(col.index, row.index);
            if (cell.text.isEmpty())
                continue;
            QRect textRect(col.start, row.start, col.length, row.length);
            const int width = int(std::ceil(texts.text(cell.text).size().width()));
            if (width + 2 * TextPadding <= col.length) {
                drawAligned(cell, textRect, TextPadding);
                continue;
            }
            const bool inFrozen = col.index <= frozenCols;
            const int clipLeft = inFrozen ? 0 : frozenWidth;
            const int clipRight = inFrozen ? frozenWidth : gridRight;
            if (overflow) {
                const bool right = cell.hAlign == HAlign::Left || cell.hAlign == HAlign::Center;
                const bool left = cell.hAlign == HAlign::Right || cell.hAlign == HAlign::Center;
                int x2 = col.start + col.length;
                for (size_t j = i + 1; right && j < cols.size(); ++j) {
                    if (cols[j].index != cols[j - 1].index + 1 || !sheet.cell(cols[j].index, row.index).text.isEmpty())
                        break;
                    x2 = cols[j].start + cols[j].length;
                }
                int x1 = col.start;
                for (size_t j = i; left && j > 0; --j) {
                    if (cols[j - 1].index != cols[j].index - 1 || !sheet.cell(cols[j - 1].index, row.index).text.isEmpty())
                        break;
                    x1 = cols[j - 1].start;
                }
                if (cell.hAlign == HAlign::Center) {
                    // Keep the text centred on its own cell.
                    const int centre = col.start + col.length / 2;
                    const int half = std::min(centre - x1, x2 - centre);
                    textRect = QRect(centre - half, row.start, 2 * half, row.length);
                } else {
                    textRect = QRect(x1, row.start, x2 - x1, row.length);
                }
            }
            painter.save();
            painter.setClipRect(QRect(QPoint(clipLeft, row.start), QPoint(clipRight - 1, row.start + row.length - 1))
                                    .intersected(textRect));
            // Narrow cells give up their padding before they squeeze their text.
            drawAligned(cell, textRect, width + 2 * TextPadding > textRect.width() ? 1 : TextPadding);
            painter.restore();
        }
        // A left-aligned text in a column scrolled out of view still runs on
        // into the empty cells that are in view; a caption is carried.
        if (overflow) {
            size_t first = 0;
            while (first < cols.size() && cols[first].index <= frozenCols)
                ++first;
            if (first < cols.size() && cols[first].index > frozenCols + 1 && row.index <= captionRows) {
                int anchor = cols[first].index - 1;
                while (anchor > frozenCols && sheet.cell(anchor, row.index).text.isEmpty())
                    --anchor;
                const Cell caption = sheet.cell(anchor, row.index);
                if (anchor > frozenCols && caption.hAlign == HAlign::Left) {
                    int x2 = cols[first].start;
                    for (size_t j = first; j < cols.size(); ++j) {
                        if (!sheet.cell(cols[j].index, row.index).text.isEmpty())
                            break;
                        x2 = cols[j].start + cols[j].length;
                    }
                    int offset = 0;
                    for (int c = frozenCols + 1; c < anchor; ++c)
                        offset += colPixels[size_t(c)];
                    const int width = int(std::ceil(texts.text(caption.text).size().width())) + 2 * TextPadding;
                    const int x = std::max(cols[first].start, std::min(cols[first].start + offset, x2 - width));
                    painter.save();
                    painter.setClipRect(QRect(cols[first].start, row.start, x2 - cols[first].start, row.length));
                    drawAligned(caption, QRect(x, row.start, x2 - x, row.length), TextPadding);
                    painter.restore();
                }
            } else if (first < cols.size() && cols[first].index > frozenCols + 1) {
                int x = cols[first].start;
                const int lookBackLimit = std::max(frozenCols + 1, cols[first].index - OverflowLookBack);
                for (int c = cols[first].index - 1; c >= lookBackLimit; --c) {
                    x -= colPixels[size_t(c)];
                    if (!sheet.cell(c + 1, row.index).text.isEmpty())
                        break;
                    const Cell &hidden = sheet.cell(c, row.index);
                    if (hidden.text.isEmpty())
                        continue;
                    if (hidden.hAlign == HAlign::Left) {
                        int x2 = cols[first].start;
                        for (size_t j = first; j < cols.size(); ++j) {
                            if (!sheet.cell(cols[j].index, row.index).text.isEmpty())
                                break;
                            x2 = cols[j].start + cols[j].length;
                        }
                        painter.save();
                        painter.setClipRect(QRect(cols[first].start, row.start, x2 - cols[first].start, row.length));
                        drawAligned(hidden, QRect(x, row.start, x2 - x, row.length), TextPadding);
                        painter.restore();
                    }
                    break;
                }
            }
        }
    }

    // Borders, each side on the cell's edge so neighbours share one line;
    // lines of one colour are drawn together.
    QHash<Colour, QVector<QLine>> lines;
    for (const Span &row : rows) {
        for (const Span &col : cols) {
            const Cell &cell = sheet.cell(col.index, row.index);
            const int x1 = col.start;
            const int y1 = row.start;
            const int x2 = col.start + col.length;
            const int y2 = row.start + row.length;
            if (cell.left.on)
                lines[cell.left.colour].append(QLine(x1, y1, x1, y2));
            if (cell.right.on)
                lines[cell.right.colour].append(QLine(x2, y1, x2, y2));
            if (cell.top.on)
                lines[cell.top.colour].append(QLine(x1, y1, x2, y1));
            if (cell.bottom.on)
                lines[cell.bottom.colour].append(QLine(x1, y2, x2, y2));
        }
    }
    for (auto it = lines.cbegin(); it != lines.cend(); ++it) {
        painter.setPen(toQColor(it.key()));
        painter.drawLines(it.value());
    }
}

} // namespace SheetPainter
