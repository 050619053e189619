#include "base/column_width.h"

#include <climits>

int ColumnWidth(int percent, int tableWidth)
{
    // The layout has always used these roundings: the columns come out a pixel
    // narrower than exact arithmetic would give, and the headers, rows and
    // printout line up only if every one of them computes them alike.
    const double hundredth = static_cast<double>(0.01f);
    double width = static_cast<double>(percent) * hundredth * static_cast<double>(static_cast<float>(tableWidth));
    if (width >= static_cast<double>(INT_MAX))
        return INT_MAX;
    if (width <= static_cast<double>(INT_MIN))
        return INT_MIN;
    return static_cast<int>(width);
}
