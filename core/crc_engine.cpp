#include "core/crc_engine.h"

#include <variant>

#include "core/crc_table128.h"
#include "core/crc_table64.h"

// The tables of the one path that serves the width: a single 64-bit word when
// the register fits, two words beyond.
struct CrcEngine::Tables {
    std::variant<CrcTable64, CrcTable128> path;

    explicit Tables(const CrcParams& params)
        : path(params.width <= 64 ? decltype(path){std::in_place_type<CrcTable64>, params}
                                  : decltype(path){std::in_place_type<CrcTable128>, params}) {}
};

CrcEngine::CrcEngine(const CrcParams& params) : params_(params), tables_(std::make_unique<Tables>(params)) {}
CrcEngine::~CrcEngine() = default;

Uint128 CrcEngine::Start() const { return params_.refin ? ReflectLowBits(params_.init, params_.width) : params_.init; }

Uint128 CrcEngine::Update(Uint128 reg, const void* data, std::size_t size) const {
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (const auto* narrow = std::get_if<CrcTable64>(&tables_->path)) {
        return narrow->FromWord(narrow->Update(narrow->ToWord(reg), bytes, size));
    }
    const auto& wide = std::get<CrcTable128>(tables_->path);
    return wide.FromInner(wide.Update(wide.ToInner(reg), bytes, size));
}

Uint128 CrcEngine::Finish(Uint128 reg) const {
    const Uint128 out = params_.refin != params_.refout ? ReflectLowBits(reg, params_.width) : reg;
    return out ^ params_.xorout;
}
