// The console's two date-time texts, "%02i/%02i/%02i %02i:%02i:%02i" with the
// day first, and the chronological comparison of the four-digit form.
#pragma once
#include <ctime>
#include <string>

// The stamp form: the year field counts the years since 1900 (101 for 2001).
std::string FormatStampText(const struct tm& local);

// The four-digit form: the year field is the full year (2001).
std::string FormatFourDigitText(const struct tm& utc);

// Field indexes of ParseDateTime's output.
enum DateField { kDateSecond = 0, kDateMinute, kDateHour, kDateDay, kDateMonth, kDateYear };

// Reads a four-digit form text ("dd/mm/yyyy hh:mm:ss") at its fixed positions
// into second, minute, hour, day, month and year, each as atoi would read it.
// A text that ends early gives 0 for the fields it does not reach; nothing
// past its terminating zero is read. A null text reads as empty.
void ParseDateTime(const char* text, int out[6]);

// 1 when the date-time `a` is earlier than or equal to `b`, else 0.
int DateNotAfter(const char* a, const char* b);
