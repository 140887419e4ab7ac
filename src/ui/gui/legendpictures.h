#pragma once

#include "ui/sheet.h"

#include <QPixmap>

#include <vector>

// The small pictures of the colour legends, drawn at run time.
namespace LegendPictures {

// "●" dots in the given colours, one above the other.
QPixmap dots(const std::vector<Colour> &colours);

// A 19 × 19 shaded ball; dotted adds the fine texture of the bonus ball.
QPixmap ball(Colour colour, bool dotted);

} // namespace LegendPictures
