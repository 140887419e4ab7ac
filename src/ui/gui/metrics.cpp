#include "ui/gui/metrics.h"

#include <QFontDatabase>
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

namespace {

// The installed family that stands for FontFamily once the substitution is
// in place; empty before.
QString &installedFamily()
{
    static QString family;
    return family;
}

} // namespace

QFont gridFont()
{
    const QString &installed = installedFamily();
    QFont font(installed.isEmpty() ? QString::fromUtf8(FontFamily) : installed);
    font.setPointSizeF(9.0);
    return font;
}

void installFontSubstitution()
{
    const QString family = QString::fromUtf8(FontFamily);
    QFont::insertSubstitutions(family, {QStringLiteral("IPAPGothic"), QStringLiteral("IPAGothic"),
                                        QStringLiteral("Noto Sans CJK JP")});
    // The fonts ask for the family Qt would end up with anyway: the first of
    // the family and its substitutes that is installed. Asked for a family it
    // lacks, Qt has fontconfig sort every installed font, once for each
    // script of the text, before it tries the substitutes.
    const QStringList candidates = QStringList{family} + QFont::substitutes(family);
    for (const QString &candidate : candidates) {
        if (QFontDatabase::hasFamily(candidate)) {
            installedFamily() = candidate;
            return;
        }
    }
}

} // namespace Metrics
