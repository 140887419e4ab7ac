#pragma once

#include "store/globalbas.h"
#include "ui/sheet.h"

#include <QString>

// One grouping of the numbers 1 … 43 into consecutive groups Ａ, Ｂ, Ｃ …:
// everything in which the 6-, 7- and 11-group windows differ.
struct GroupDivision
{
    int groups = 0;      // number of groups
    int width = 0;       // numbers per group; the last group takes the rest up to 43
    int captionLead = 0; // half-width spaces before the letter of every caption but the last
    int captionTrail = 0;
    QString lastCaption; // the last group's caption, spaced on its own
    int titleColumn = 0; // where "数　　 字" is written in row 1
    int frozenCols = 0;
    bool column1RightBorder = false; // a right border on column 1 in rows 1 and 2

    // Group g (0 … groups − 1): its first and last number; number n sits in column n + 1.
    int firstNumber(int g) const { return g * width + 1; }
    int lastNumber(int g) const { return g == groups - 1 ? 43 : (g + 1) * width; }
    // The group of n, or −1 for a number outside 1 … 43.
    int groupOf(int n) const;
    QString letter(int g) const;
    QString caption(int g) const;

    static const GroupDivision &six();
    static const GroupDivision &seven();
    static const GroupDivision &eleven();
};

// The table of one grouping: a row per complete draw, a "●" per drawn number,
// and a grey shade over every group the draw missed.
Sheet buildGroupDivision(const GroupDivision &division, const DrawHistoryStore &store);
