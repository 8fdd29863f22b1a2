// A language's compiled catalogue, made from its .po file when the program
// is built (make_catalogue.py): entries sorted by msgid, bytewise, for a
// binary search.
#pragma once

#include <cstddef>

namespace i18n {

struct CatalogueEntry {
    const char* msgid;
    const char* msgstr;  // the translation; for a plural message, its one form (Chinese has one)
};

struct Catalogue {
    const CatalogueEntry* entries;
    std::size_t size;
};

extern const Catalogue kChineseCatalogue;

}  // namespace i18n
