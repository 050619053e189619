#include "journal/journal_page_layout.h"

#include <climits>
#include <cstdint>

#include "base/column_width.h"

namespace {

// Each column gives 5 units to the rulings around its text.
constexpr int kColumnGap = 5;

}  // namespace

std::optional<JournalPageLayout> LayoutJournalPage(int pageWidth, int pageHeight, int textHeight,
                                                   int externalLeading)
{
    // Metrics a driver got wrong must not overflow or divide by zero.
    int64_t rowHeight = int64_t{textHeight} + externalLeading + 1;
    if (textHeight <= 0 || externalLeading < 0 || rowHeight > INT_MAX || pageHeight <= 0)
        return std::nullopt;
    int64_t rowsPerPage = pageHeight / rowHeight - 1;
    int64_t tableWidth = int64_t{pageWidth} - kColumnGap * kJournalColumnCount;
    if (rowsPerPage < 1 || tableWidth < 1)
        return std::nullopt;

    JournalPageLayout layout;
    layout.rowHeight = static_cast<int>(rowHeight);
    layout.rowsPerPage = static_cast<int>(rowsPerPage);
    layout.tableWidth = static_cast<int>(tableWidth);
    // Column 0's text starts 5 units in; the separator X_k before each further
    // column lies 2 units past column 0, then 5 past each column, and the
    // column's text starts 5 units after it while its ruling is drawn 5 before.
    int64_t x = 0;
    for (int k = 0; k < kJournalColumnCount; ++k) {
        size_t column = static_cast<size_t>(k);
        layout.widths[column] = ColumnWidth(kJournalColumnSpecs[column].percent, layout.tableWidth);
        if (k == 0) {
            layout.textLeft[column] = kColumnGap;
            x = layout.widths[column] + 2;
            continue;
        }
        layout.textLeft[column] = static_cast<int>(x + kColumnGap);
        layout.ruleX[column] = static_cast<int>(x - kColumnGap);
        x += int64_t{layout.widths[column]} + kColumnGap;
    }
    return layout;
}

size_t JournalPageCount(size_t rows, int rowsPerPage)
{
    if (rows == 0 || rowsPerPage < 1)
        return 1;
    size_t perPage = static_cast<size_t>(rowsPerPage);
    return (rows + perPage - 1) / perPage;
}
