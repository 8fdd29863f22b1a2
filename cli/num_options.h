// What `quobrix num`'s command line asks for.
#pragma once

#include <string>

#include "workbench/numbers/number_types.h"

struct NumCliOptions {
    const NumberType* type = nullptr;  // none: the table of every common order
    std::string order;                 // with a type: its letters, upper case
    std::string hex;                   // the HEX words, one blank apart
    bool from_value = false;           // --from: VALUE to bytes
    std::string value;
};
