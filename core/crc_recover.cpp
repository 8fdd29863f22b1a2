#include "core/crc_recover.h"

CrcRecovery RecoverCrc(const std::vector<CrcSample>& /*samples*/, int /*width*/) {
    CrcRecovery none;
    none.need = "not yet";
    return none;
}
