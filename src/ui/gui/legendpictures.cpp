#include "ui/gui/legendpictures.h"

#include "ui/gui/metrics.h"

#include <QPainter>
#include <QRadialGradient>

namespace LegendPictures {

QPixmap dots(const std::vector<Colour> &colours)
{
    const int line = 15;
    QPixmap pixmap(19, int(colours.size()) * line);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setFont(Metrics::gridFont());
    for (size_t i = 0; i < colours.size(); ++i) {
        painter.setPen(QColor(red(colours[i]), green(colours[i]), blue(colours[i])));
        painter.drawText(QRect(0, int(i) * line, 19, line), Qt::AlignCenter, QStringLiteral("●"));
    }
    return pixmap;
}

QPixmap ball(Colour colour, bool dotted)
{
    QPixmap pixmap(19, 19);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor base(red(colour), green(colour), blue(colour));
    QRadialGradient shade(QPointF(7, 6), 11);
    shade.setColorAt(0.0, Qt::white);
    shade.setColorAt(0.45, base);
    shade.setColorAt(1.0, base.darker(160));
    painter.setPen(Qt::NoPen);
    painter.setBrush(shade);
    painter.drawEllipse(QRectF(1, 1, 17, 17));
    if (dotted) {
        painter.setPen(QColor(255, 255, 255, 110));
        for (int y = 3; y < 17; y += 3) {
            for (int x = 3 + (y % 2); x < 17; x += 3) {
                if ((x - 9.5) * (x - 9.5) + (y - 9.5) * (y - 9.5) < 60)
                    painter.drawPoint(x, y);
            }
        }
    }
    return pixmap;
}

} // namespace LegendPictures
