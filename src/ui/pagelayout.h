#pragma once

#include <vector>

// How tables are split over printed pages. Sizes are in one unit throughout
// (the screen's pixels at 100 %); the page body is the printable area between
// the page header and the footer. A table too wide or too long for a page
// goes on over several: its frozen leading rows are repeated at the top of
// every page and its frozen leading columns at the left of every page. Pages
// go across before they go down, so the pages that continue a row follow
// each other.
namespace PageLayout {

struct Table
{
    std::vector<double> colWidths;  // columns 1 … C
    std::vector<double> rowHeights; // rows 1 … R
    int frozenCols = 0;
    int frozenRows = 0;
    double titleHeight = 0; // a title line above every piece of the table, or 0

    double width() const;
    double height() const;
};

// Columns or rows first … last, counted from 1; empty when first > last.
struct Band
{
    int first = 1;
    int last = 0;
    bool empty() const { return first > last; }
    bool operator==(const Band &) const = default;
};

// The part of one table on one page: its first frozenCols columns and
// frozenRows rows, then the scrolled ones of the bands, its top edge at `top`
// in the page body (unscaled). Frozen rows or columns that would fill a page
// on their own are not repeated (0 here).
struct Piece
{
    int table = 0;
    Band cols;
    Band rows;
    double top = 0;
    int frozenCols = 0;
    int frozenRows = 0;
};

struct Page
{
    std::vector<Piece> pieces;
};

struct Result
{
    double scale = 1.0; // layout unit → body unit
    std::vector<Page> pages;
};

// Splits the tables, one after the other, over pages whose body is
// bodyWidth × bodyHeight, at scale (layout unit → body unit). A table that
// fits whole in what is left of the current page goes there, below the
// previous one (gap apart); any other starts a new page.
Result splitAt(const std::vector<Table> &tables, double bodyWidth, double bodyHeight, double scale, double gap = 0);

// The same at scale 1, or with fitWidth scaled down so that the widest
// table's columns fit the page width.
Result split(const std::vector<Table> &tables, double bodyWidth, double bodyHeight, bool fitWidth, double gap = 0);

// The smallest scale chosen to save paper: below it the cells' text gets
// hard to read.
inline constexpr double MinScale = 0.7;

// The split that takes the fewest pages, and of equal counts the one at the
// largest scale. Tried are scale 1, the scale at which the widest table's
// columns fit the page width, the scales at which each table's rows fit one
// page height, and both together, as long as they are not below MinScale: a
// table a little too tall or too wide for the paper then fills its pages
// instead of spilling a few rows or columns onto pages of their own.
// fitWidth takes the width fit whatever its scale, and nothing larger.
Result fit(const std::vector<Table> &tables, double bodyWidth, double bodyHeight, bool fitWidth, double gap = 0);

// Portrait or landscape: the orientation whose fit takes fewer pages, of
// equal counts the one at the larger scale, and of those prefersLandscape.
struct Body
{
    double width = 0;
    double height = 0;
};
bool fitsBetterLandscape(const std::vector<Table> &tables, Body portrait, Body landscape, bool fitWidth, double gap = 0);

// Landscape paper suits tables wider than they are tall, and tables whose
// columns fit across a landscape page (body width landscapeWidth) but not
// across a portrait one (portraitWidth): a long table then takes half the
// pages.
bool prefersLandscape(const std::vector<Table> &tables, double portraitWidth, double landscapeWidth);

} // namespace PageLayout
