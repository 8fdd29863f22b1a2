// Placeholder until the C emitter lands.
#include "core/crc_emit_c.h"

std::string EmitCrcC(const CrcParams&, std::string_view) { return {}; }
