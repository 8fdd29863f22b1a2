#include "core/texttools.h"

CharStats CountCharacters(const char* text, int length) {
    CharStats stats;
    stats.total = length;
    bool pending = false;
    for (int i = 0; i < length; ++i) {
        const unsigned byte = static_cast<unsigned char>(text[i]);
        if (byte < static_cast<unsigned>(kCountedCodes)) {
            ++stats.counts[byte];
            ++stats.ascii;
            pending = false;
        } else if (pending) {
            ++stats.chinese;
            pending = false;
        } else {
            pending = true;
        }
    }
    return stats;
}
