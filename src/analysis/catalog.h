#pragma once

#include "store/globalbas.h"
#include "ui/sheet.h"

#include <QString>

#include <vector>

// One entry of a window's colour legend, laid out left to right in the strip
// above the grid.
struct LegendItem
{
    enum class Kind {
        Dots,   // a picture of "●" dots in the given colours, stacked
        Ball,   // a 19 × 19 picture of a shaded ball in the given colour
        Swatch, // a caption-less label filled with the colour
        Label,  // a text label
    };
    Kind kind = Kind::Label;
    QString objectName;
    std::vector<Colour> colours;
    QString text;
    // A label stacked under the previous label instead of beside it.
    bool below = false;
};

using BuildFunction = Sheet (*)(const DrawHistoryStore &);

// Everything that makes one analysis window: the frame is the same for all.
struct AnalysisWindow
{
    QString className;  // objectName of the window, e.g. 出現頻度分析
    QString caption;
    QString label;      // Label1, the one-line description
    int heightTwips = 0;
    int widthTwips = 0;
    std::vector<LegendItem> legend;
    bool printButton = false; // Command2 "印刷", which opens the print preview
    BuildFunction build = nullptr;
    // The column holding the draw number when the rows are draws, else 0.
    int drawColumn = 0;
    // Caption rows the window keeps in view while the draws scroll, where
    // the table itself freezes fewer.
    int frozenRowsOnScreen = 0;
};

// The analysis windows in menu order.
const std::vector<AnalysisWindow> &analysisWindows();
// The window of that class name, or nullptr.
const AnalysisWindow *findAnalysisWindow(const QString &className);
