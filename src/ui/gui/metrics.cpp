#include "ui/gui/metrics.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace Metrics {

double logicalDpi()
{
    if (auto *screen = QGuiApplication::primaryScreen())
        return screen->logicalDotsPerInch();
    return 96.0;
}

int twipsToPixels(double twips)
{
    return int(std::lround(twips * logicalDpi() / 1440.0));
}

double pixelsToTwips(int pixels)
{
    return pixels * 1440.0 / logicalDpi();
}

int columnPixels(double characters)
{
    // One character is 8 pixels at 96 DPI: the widths the windows give
    // (for example 15 columns of 5.0 in a 9870-twip window) then fit.
    return std::max(0, int(std::lround(characters * 8.0 * logicalDpi() / 96.0)));
}

int rowPixels(double units)
{
    return std::max(0, int(std::lround(units * 1.6 * logicalDpi() / 96.0)));
}

QFont gridFont()
{
    QFont font(QString::fromUtf8(FontFamily));
    font.setPointSizeF(9.0);
    return font;
}

void installFontSubstitution()
{
    QFont::insertSubstitutions(QString::fromUtf8(FontFamily),
                               {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                QStringLiteral("Noto Sans CJK JP")});
}

} // namespace Metrics
