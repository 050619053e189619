#include "base/date_time.h"

#include "base/date_text.h"

time_t FormatStamp(std::string& out, time_t t)
{
    if (t == 0)
        t = time(nullptr);
    const struct tm* local = localtime(&t);
    out = local ? FormatStampText(*local) : std::string();
    return t;
}

size_t FormatDaysAgo(std::string& out, int days)
{
    time_t t = time(nullptr) - static_cast<time_t>(days) * 86400;
    const struct tm* utc = gmtime(&t);
    out = utc ? FormatFourDigitText(*utc) : std::string();
    return out.size();
}
