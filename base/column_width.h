// The widths of the columns of a table laid out by percentages.
#pragma once

// trunc(percent * 0.01 * tableWidth), with 0.01 held in single precision
// (0.0099999998) and the table width converted to single precision, the
// product computed in double: 50 percent of 400 gives 199, 10 percent of
// 400 gives 39. Results beyond the range of int are held at its limits.
int ColumnWidth(int percent, int tableWidth);
