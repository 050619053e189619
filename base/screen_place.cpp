#include "base/screen_place.h"

int CentredOffset(int areaSize, int windowSize)
{
    return static_cast<int>((static_cast<long long>(areaSize) - windowSize) / 2);
}

int KeepOnScreen(int position, int windowSize, int screenSize)
{
    long long p = position;
    if (p + windowSize > screenSize)
        p = static_cast<long long>(screenSize) - windowSize;
    if (p < 0)
        p = 0;
    return static_cast<int>(p);  // between 0 and `position`
}
