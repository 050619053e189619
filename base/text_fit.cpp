#include "base/text_fit.h"

void FitText(std::string& text, int width, const std::function<int(std::string_view)>& measure)
{
    const std::string_view dots = "...";
    long long whole = measure(text);
    if (whole < width)
        return;
    long long dotsWidth = measure(dots);
    if (whole + dotsWidth <= width || text.empty())
        return;
    // The longest beginning, shorter than the text, that fits with "...":
    // halving instead of dropping one character at a time, so that a long
    // text costs few measures. A beginning of no characters always stays.
    auto fits = [&](size_t length) {
        return measure(std::string_view(text).substr(0, length)) + dotsWidth <= width;
    };
    size_t kept = 0;
    size_t low = 1;
    size_t high = text.size() - 1;
    while (low <= high) {
        size_t middle = low + (high - low) / 2;
        if (fits(middle)) {
            kept = middle;
            low = middle + 1;
        } else {
            high = middle - 1;
        }
    }
    text.resize(kept);
    text += dots;
}
