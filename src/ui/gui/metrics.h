#pragma once

#include <QFont>

// Conversions between the units the windows are described in and pixels.
namespace Metrics {

// Logical dots per inch of the primary screen (96 when there is none).
double logicalDpi();

// pixels = twips × logical DPI ÷ 1440 (15 twips a pixel at 96 DPI).
int twipsToPixels(double twips);
double pixelsToTwips(int pixels);

// Column widths are in characters of the grid font, row heights in the
// grid's height unit (10.0 for an ordinary row).
int columnPixels(double characters);
int rowPixels(double units);

// The font every window asks for, "ＭＳ Ｐゴシック" 9 pt; once
// installFontSubstitution() has run, the installed family that stands for it.
QFont gridFont();
inline constexpr const char *FontFamily = "ＭＳ Ｐゴシック";

// Maps "ＭＳ Ｐゴシック" to IPAPGothic (no Debian package aliases it) and
// notes the first of them that is installed for gridFont().
void installFontSubstitution();

} // namespace Metrics
