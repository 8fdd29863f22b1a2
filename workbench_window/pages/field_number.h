// A number typed into a page's field: the one reading every page shares,
// so that a field is judged alike wherever it stands.
#pragma once

#include <string>

// A whole number of at most 9 digits within [low, high], blanks about it
// allowed; false otherwise.
bool ReadFieldNumber(const std::string& text, long long low, long long high, long long& value);
