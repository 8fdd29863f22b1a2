#include "workbench_window/pages/field_number.h"

bool ReadFieldNumber(const std::string& text, long long low, long long high, long long& value) {
    const std::size_t first = text.find_first_not_of(' ');
    const std::size_t last = text.find_last_not_of(' ');
    if (first == std::string::npos || last - first + 1 > 9) return false;
    value = 0;
    for (std::size_t i = first; i <= last; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value = value * 10 + (text[i] - '0');
    }
    return value >= low && value <= high;
}
