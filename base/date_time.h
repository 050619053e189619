// The date-time texts of the present moment.
#pragma once
#include <cstddef>
#include <ctime>
#include <string>

// The stamp form ("15/06/101 12:34:56", years since 1900) of `t` in local
// time; 0 stands for now. Returns the time used. A time that the C library
// cannot break down gives an empty text.
time_t FormatStamp(std::string& out, time_t t);

// The four-digit form ("15/06/2001 12:34:56") of the moment `days` days of
// 86400 seconds before now, in UTC. Returns the length written (0 when that
// moment cannot be broken down).
size_t FormatDaysAgo(std::string& out, int days);
