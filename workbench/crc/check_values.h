// The two values the catalogue lists beside a CRC's parameters, for
// parameters that are not in it (a recovered CRC's line).
#pragma once

#include "workbench/crc/catalogue.h"

// The CRC of the nine bytes "123456789".
Uint128 CrcCheckValue(const CrcParams& params);

// The register after any message followed by its own CRC, before xorout (in
// the reflected order when refout is): a constant of the CRC.
Uint128 CrcResidue(const CrcParams& params);

// The parameters with both values and no name, as the catalogue's line
// writes them. `params` must be sound.
CrcModel DescribeCrc(const CrcParams& params);
