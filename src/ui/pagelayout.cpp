#include "ui/pagelayout.h"

#include <algorithm>
#include <numeric>

namespace PageLayout {

double Table::width() const
{
    return std::accumulate(colWidths.begin(), colWidths.end(), 0.0);
}

double Table::height() const
{
    return titleHeight + std::accumulate(rowHeights.begin(), rowHeights.end(), 0.0);
}

namespace {

// Splits the scrolled entries (after the frozen ones) into bands that fit
// beside the frozen ones. Every band holds at least one entry, so an entry
// wider than the page still prints, clipped, instead of looping forever.
std::vector<Band> bands(const std::vector<double> &sizes, int frozen, double room)
{
    const int count = int(sizes.size());
    frozen = std::clamp(frozen, 0, count);
    double frozenSize = 0;
    for (int i = 0; i < frozen; ++i)
        frozenSize += sizes[size_t(i)];
    const double left = room - frozenSize;
    std::vector<Band> result;
    if (frozen == count) {
        result.push_back({1, 0});
        return result;
    }
    int first = frozen + 1;
    while (first <= count) {
        double used = 0;
        int last = first - 1;
        while (last < count && (last < first || used + sizes[size_t(last)] <= left + 1e-9)) {
            used += sizes[size_t(last)];
            ++last;
        }
        result.push_back({first, last});
        first = last + 1;
    }
    return result;
}

double sum(const std::vector<double> &sizes, int count)
{
    double total = 0;
    for (int i = 0; i < std::min(count, int(sizes.size())); ++i)
        total += sizes[size_t(i)];
    return total;
}

double pieceHeight(const Table &table, const Band &rows)
{
    double height = table.titleHeight + sum(table.rowHeights, table.frozenRows);
    for (int r = rows.first; r <= rows.last; ++r)
        height += table.rowHeights[size_t(r - 1)];
    return height;
}

double widthFit(const std::vector<Table> &tables, double bodyWidth)
{
    double widest = 0;
    for (const Table &table : tables)
        widest = std::max(widest, table.width());
    return widest > bodyWidth && widest > 0 ? bodyWidth / widest : 1.0;
}

} // namespace

Result split(const std::vector<Table> &tables, double bodyWidth, double bodyHeight, bool fitWidth, double gap)
{
    return splitAt(tables, bodyWidth, bodyHeight, fitWidth ? widthFit(tables, bodyWidth) : 1.0, gap);
}

Result fit(const std::vector<Table> &tables, double bodyWidth, double bodyHeight, bool fitWidth, double gap)
{
    const double width = widthFit(tables, bodyWidth);
    std::vector<double> scales{1.0, width};
    for (const Table &table : tables) {
        // The rows on one page, the repeated ones counted once.
        if (table.height() > bodyHeight) {
            // (a hair less, so that rounding cannot push the last row over)
            const double rows = bodyHeight / table.height() * (1 - 1e-9);
            scales.push_back(rows);
            scales.push_back(std::min(rows, width));
        }
    }
    Result best;
    bool found = false;
    for (double scale : scales) {
        if (fitWidth)
            scale = std::min(scale, width);
        if (scale < MinScale && !(fitWidth && scale == width))
            continue;
        Result candidate = splitAt(tables, bodyWidth, bodyHeight, scale, gap);
        if (!found || candidate.pages.size() < best.pages.size()
            || (candidate.pages.size() == best.pages.size() && candidate.scale > best.scale)) {
            best = std::move(candidate);
            found = true;
        }
    }
    return best;
}

bool fitsBetterLandscape(const std::vector<Table> &tables, Body portrait, Body landscape, bool fitWidth, double gap)
{
    const Result upright = fit(tables, portrait.width, portrait.height, fitWidth, gap);
    const Result across = fit(tables, landscape.width, landscape.height, fitWidth, gap);
    if (upright.pages.size() != across.pages.size())
        return across.pages.size() < upright.pages.size();
    if (upright.scale != across.scale)
        return across.scale > upright.scale;
    return prefersLandscape(tables, portrait.width, landscape.width);
}

Result splitAt(const std::vector<Table> &tables, double bodyWidth, double bodyHeight, double scale, double gap)
{
    Result result;
    result.scale = scale;
    const double width = bodyWidth / result.scale;
    const double height = bodyHeight / result.scale;

    double used = height; // nothing fits on a page not yet begun
    for (int t = 0; t < int(tables.size()); ++t) {
        const Table &table = tables[size_t(t)];
        // Frozen columns or rows that would fill a page alone are not
        // repeated; they still print once, as the first scrolled ones.
        const int frozenCols = std::min(table.frozenCols, int(table.colWidths.size()));
        const int frozenRows = std::min(table.frozenRows, int(table.rowHeights.size()));
        const int repeatCols = sum(table.colWidths, frozenCols) < width ? frozenCols : 0;
        const int repeatRows = table.titleHeight + sum(table.rowHeights, frozenRows) < height ? frozenRows : 0;
        const std::vector<Band> colBands = bands(table.colWidths, repeatCols, width);
        const std::vector<Band> rowBands = bands(table.rowHeights, repeatRows, height - table.titleHeight);
        Table shown = table;
        shown.frozenRows = repeatRows;
        const bool onePage = colBands.size() == 1 && rowBands.size() == 1;
        const double whole = pieceHeight(shown, rowBands.front());
        if (onePage && !result.pages.empty() && used + gap + whole <= height + 1e-9) {
            result.pages.back().pieces.push_back({t, colBands.front(), rowBands.front(), used + gap, repeatCols, repeatRows});
            used += gap + whole;
            continue;
        }
        for (const Band &rows : rowBands) {
            for (const Band &cols : colBands) {
                result.pages.push_back({{{t, cols, rows, 0, repeatCols, repeatRows}}});
                used = pieceHeight(shown, rows);
            }
        }
    }
    return result;
}

bool prefersLandscape(const std::vector<Table> &tables, double portraitWidth, double landscapeWidth)
{
    double width = 0;
    double height = 0;
    for (const Table &table : tables) {
        width = std::max(width, table.width());
        height += table.height();
    }
    return width > height || (width > portraitWidth && width <= landscapeWidth);
}

} // namespace PageLayout
