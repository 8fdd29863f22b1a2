// The report of the character statistics button: the totals, then one line
// for each byte below 80 that occurs, in ascending order.
#pragma once

#include <string>

#include "core/texttools.h"

// Each table line shows its byte raw between the quotation marks, control
// bytes (tab, CR, LF) included.
std::string CharCountReport(const CharStats& stats);
