// The public catalogue of parametrised CRC algorithms (Greg Cook's "Catalogue
// of parametrised CRC algorithms", as kept in machine-readable form by Mark
// Adler's crcany): 113 models of widths 3 to 82, and the names the catalogue
// used before. The data is data/crc-catalogue/, turned into tables at build
// time by tools/gen_crc_catalogue.py.
#pragma once

#include <cstddef>
#include <string_view>

#include "workbench/crc/params.h"

struct CrcModel {
    std::string_view name;
    CrcParams params;
    Uint128 check;    // the CRC of the nine bytes "123456789"
    Uint128 residue;  // the register after any message and its own CRC, before xorout
};

struct CrcFormerName {
    std::string_view former;
    std::string_view current;  // the catalogue's name for it now
};

// A view of a table that lives as long as the program.
template <typename T>
struct TableView {
    const T* items;
    std::size_t count;
    const T* begin() const { return items; }
    const T* end() const { return items + count; }
    std::size_t size() const { return count; }
    const T& operator[](std::size_t i) const { return items[i]; }
};

// In the catalogue's order: by width, then by name.
TableView<CrcModel> CrcCatalogue();
TableView<CrcFormerName> CrcFormerNames();
