// The name of the Windows user running the console.
#pragma once
#include <string>

// GetUserNameA's answer, whole (callers cut it to their fields); empty when
// the call fails.
std::string GetWindowsUserName();

// Tests put a name of their choice in place of the platform's; nullptr puts
// the platform back.
void SetWindowsUserNameForTests(const char* name);
