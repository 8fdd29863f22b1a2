// Placeholder: one bit at a time, until the table-driven engine lands.
#include "core/crc_engine.h"

struct CrcEngine::Tables {};

CrcEngine::CrcEngine(const CrcParams& params) : params_(params), tables_(std::make_unique<Tables>()) {}
CrcEngine::~CrcEngine() = default;

Uint128 CrcEngine::Start() const { return params_.refin ? ReflectLowBits(params_.init, params_.width) : params_.init; }

Uint128 CrcEngine::Update(Uint128 reg, const void* data, std::size_t size) const {
    const int w = params_.width;
    const Uint128 top = Uint128{1} << (w - 1);
    const Uint128 mask = LowBitsMask(w);
    Uint128 normal = params_.refin ? ReflectLowBits(reg, w) : reg;
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) {
        for (int bit = 0; bit < 8; ++bit) {
            const bool in = params_.refin ? (bytes[i] >> bit & 1u) != 0 : (bytes[i] >> (7 - bit) & 1u) != 0;
            const bool out = !(normal & top).IsZero();
            normal = (normal << 1) & mask;
            if (in != out) normal ^= params_.poly;
        }
    }
    return params_.refin ? ReflectLowBits(normal, w) : normal;
}

Uint128 CrcEngine::Finish(Uint128 reg) const {
    const Uint128 out = params_.refin != params_.refout ? ReflectLowBits(reg, params_.width) : reg;
    return out ^ params_.xorout;
}
