// Shortening a text with "..." so that it fits into a width.
#pragma once
#include <functional>
#include <string>
#include <string_view>

// Leaves `text` as it is when it is narrower than `width`. Otherwise keeps the
// longest beginning of it that still fits with "..." after it (none when even
// "..." alone is too wide) and writes "..." after it. A text that is not
// narrower than `width` but fits with "..." appended is left as it is.
// `measure` gives the width of a text; a beginning of a text must never be
// wider than a longer beginning of it, as holds for the widths of a font.
void FitText(std::string& text, int width, const std::function<int(std::string_view)>& measure);
