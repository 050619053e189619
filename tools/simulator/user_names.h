// The names of the users of a reseau.dat image, in table order.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Empty when the image is not a user database the console could read.
std::vector<std::string> ReadUserNames(std::span<const uint8_t> file);
