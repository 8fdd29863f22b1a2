// Random texts for the walks over a code page: any byte but zero, so that a
// text reads the same as bytes and as a C string.
#pragma once

#include <cstddef>
#include <random>
#include <string>

inline std::string RandomText(std::mt19937& random, int max_length) {
    std::uniform_int_distribution<int> byte(1, 255), length(0, max_length);
    std::string text(static_cast<std::size_t>(length(random)), ' ');
    for (char& c : text) c = static_cast<char>(byte(random));
    return text;
}
