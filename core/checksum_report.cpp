#include "core/checksum_report.h"

#include "core/string_format.h"
#include "core/texts.h"

std::string Sum8Report(std::uint8_t sum) { return StringFormat(texts::kSum8Format, static_cast<unsigned>(sum)); }

std::string Sum16Report(std::uint16_t sum) { return StringFormat(texts::kSum16Format, static_cast<unsigned>(sum)); }
