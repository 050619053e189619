// The arithmetic of placing a window on the screen.
#pragma once

// The position that centres a window of `windowSize` in an area of
// `areaSize` along one axis: (area - window) / 2, rounded toward zero.
int CentredOffset(int areaSize, int windowSize);

// The position along one axis, moved so that the window ends at the screen's
// edge when it would pass it, and then to 0 when it is negative: a window
// larger than the screen keeps its top left corner (its caption) on screen.
int KeepOnScreen(int position, int windowSize, int screenSize);
