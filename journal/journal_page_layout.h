// The page of the journal printout: a title row, then R record rows, seven
// columns across the table, all in printer units. No platform.
#pragma once
#include <array>
#include <cstddef>
#include <optional>

#include "journal/journal_columns.h"

struct JournalPageLayout {
    int rowHeight = 0;    // h: the font's height and external leading, plus 1
    int rowsPerPage = 0;  // R: the record rows under each page's title row
    int tableWidth = 0;   // the printable width less 5 units for each column
    std::array<int, kJournalColumnCount> widths{};    // of each column
    std::array<int, kJournalColumnCount> textLeft{};  // where each column's text box starts
    std::array<int, kJournalColumnCount> ruleX{};     // the line before each column but the first

    // The top of the row in slot `slot` (0 to R - 1) under the title row.
    int RowTop(int slot) const { return (slot + 1) * rowHeight; }
};

// The layout of a printable area of `pageWidth` by `pageHeight` units
// (HORZRES, VERTRES) with a font of `textHeight` and `externalLeading`
// (tmHeight, tmExternalLeading). Nothing when the area cannot hold the title
// row and one record row, has no room for the table, or the font's metrics
// make no sense: that page cannot be printed on.
std::optional<JournalPageLayout> LayoutJournalPage(int pageWidth, int pageHeight, int textHeight,
                                                   int externalLeading);

// How many pages `rows` rows fill at `rowsPerPage` a page (at least 1): a
// printout always has a page, left empty when there is no row.
size_t JournalPageCount(size_t rows, int rowsPerPage);
