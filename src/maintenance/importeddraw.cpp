#include "maintenance/importeddraw.h"

#include <algorithm>

namespace DrawImport {

std::optional<qint64> TierPrize::perLine() const
{
    if (amount)
        return amount;
    if (noWinner)
        return 0;
    return std::nullopt;
}

bool ImportedDraw::hasPrizes() const
{
    return std::any_of(prizes.begin(), prizes.end(), [](const TierPrize &p) { return p.given(); });
}

} // namespace DrawImport
