#include "ui/gui/wrappinglabel.h"

#include "ui/linebreak.h"

#include <QPainter>

#include <cmath>

WrappingLabel::WrappingLabel(const QString &text, QWidget *parent)
    : QLabel(text, parent)
{
    setWordWrap(true); // the size policy then asks for heightForWidth
}

QSize WrappingLabel::chrome() const
{
    const QMargins m = contentsMargins();
    return {m.left() + m.right() + 2 * margin(), m.top() + m.bottom() + 2 * margin()};
}

QStringList WrappingLabel::lines(int contentWidth) const
{
    const QFontMetricsF metrics(font());
    return LineBreak::wrap(text(), contentWidth, [&metrics](const QString &piece) {
        return std::ceil(metrics.horizontalAdvance(piece));
    });
}

QStringList WrappingLabel::lines() const
{
    return lines(width() - chrome().width());
}

int WrappingLabel::heightForWidth(int width) const
{
    return int(lines(width - chrome().width()).size()) * fontMetrics().lineSpacing() + chrome().height();
}

QSize WrappingLabel::sizeHint() const
{
    const int width = QLabel::sizeHint().width();
    return {width, heightForWidth(width)};
}

QSize WrappingLabel::minimumSizeHint() const
{
    // As narrow as the widest piece the rules keep together.
    const QString whole = text();
    const std::vector<LineBreak::Break> breaks = LineBreak::opportunities(whole);
    const QFontMetricsF metrics(font());
    double widest = 0;
    qsizetype start = 0;
    for (qsizetype i = 1; i <= whole.size(); ++i) {
        if (i == whole.size() || breaks[size_t(i)] != LineBreak::Break::None) {
            widest = std::max(widest, metrics.horizontalAdvance(whole.mid(start, i - start).trimmed()));
            start = i;
        }
    }
    const int width = int(std::ceil(widest)) + chrome().width();
    return {width, heightForWidth(width)};
}

void WrappingLabel::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawFrame(&painter);
    const QRect area = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    const QStringList shown = lines(area.width());
    const QFontMetrics metrics(font());
    const int height = int(shown.size()) * metrics.lineSpacing();
    int y = area.top();
    if (alignment() & Qt::AlignVCenter)
        y += (area.height() - height) / 2;
    else if (alignment() & Qt::AlignBottom)
        y += area.height() - height;
    painter.setPen(palette().color(foregroundRole()));
    for (const QString &line : shown) {
        const int lineWidth = metrics.horizontalAdvance(line);
        int x = area.left();
        if (alignment() & Qt::AlignHCenter)
            x += (area.width() - lineWidth) / 2;
        else if (alignment() & Qt::AlignRight)
            x += area.width() - lineWidth;
        painter.drawText(QPoint(x, y + metrics.ascent()), line);
        y += metrics.lineSpacing();
    }
}
