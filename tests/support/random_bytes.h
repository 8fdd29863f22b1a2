// Random bytes for the tests of the checks: every byte value, a draw of the
// engine each.
#pragma once

#include <cstddef>
#include <vector>

template <typename Engine>
std::vector<unsigned char> RandomBytes(Engine& random, std::size_t size) {
    std::vector<unsigned char> bytes(size);
    for (unsigned char& byte : bytes) byte = static_cast<unsigned char>(random());
    return bytes;
}
