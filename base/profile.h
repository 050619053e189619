// INI helpers over the platform's private-profile functions.
#pragma once
#include <string>

// Writes `value` as signed decimal text; the platform call's result.
bool WriteProfileInt(const char* section, const char* key, int value, const std::string& path);

int ReadProfileInt(const char* section, const char* key, int fallback, const std::string& path);

// The key's text (at most size - 1 characters, as the platform cuts it).
std::string ReadProfileText(const char* section, const char* key, const char* fallback, const std::string& path,
                            unsigned size);
