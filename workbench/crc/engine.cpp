#include "workbench/crc/engine.h"

#include <algorithm>
#include <optional>
#include <variant>

#include "workbench/crc/byte_table.h"
#include "workbench/crc/word_table.h"

namespace {

// Whether `chosen` folds this CRC: a folding path this processor offers,
// and a width it serves.
bool Folds(const CrcParams& params, CrcPath chosen) {
    const std::vector<CrcPath> offered = CrcPathsOffered();
    return chosen != CrcPath::kTables && CrcFoldServes(params.width) &&
           std::find(offered.begin(), offered.end(), chosen) != offered.end();
}

}  // namespace

// The tables of the one path that serves the width: a 32-bit word when the
// register fits and the tables alone serve, a 64-bit word to 64 bits and
// wherever the fold takes the bytes around its blocks, one byte table of two
// words beyond (only CRC-82/DARC in the catalogue, where speed matters
// little); and the fold beside the word's tables when it is chosen.
struct CrcEngine::Tables {
    using Path = std::variant<CrcTable32, CrcTable64, CrcByteTable>;
    Path path;
    std::optional<CrcFold> fold;

    Tables(const CrcParams& params, CrcPath chosen) : Tables(params, chosen, Folds(params, chosen)) {}
    Tables(const CrcParams& params, CrcPath chosen, bool folds) : path(PathFor(params, folds)) {
        if (folds) fold.emplace(params, chosen);
    }

    static Path PathFor(const CrcParams& params, bool folds) {
        if (params.width <= 32 && !folds) return Path{std::in_place_type<CrcTable32>, params};
        if (params.width <= 64) return Path{std::in_place_type<CrcTable64>, params};
        return Path{std::in_place_type<CrcByteTable>, params};
    }
};

CrcEngine::CrcEngine(const CrcParams& params) : CrcEngine(params, CrcPathsOffered().back()) {}
CrcEngine::CrcEngine(const CrcParams& params, CrcPath path)
    : params_(params), tables_(std::make_unique<Tables>(params, path)) {}
CrcEngine::~CrcEngine() = default;

CrcPath CrcEngine::path() const { return tables_->fold ? tables_->fold->path() : CrcPath::kTables; }

Uint128 CrcEngine::Start() const { return params_.refin ? ReflectLowBits(params_.init, params_.width) : params_.init; }

Uint128 CrcEngine::Update(Uint128 reg, const void* data, std::size_t size) const {
    const auto* bytes = static_cast<const unsigned char*>(data);
    if (const auto* narrow = std::get_if<CrcTable32>(&tables_->path)) {
        return narrow->FromWord(narrow->Update(narrow->ToWord(reg), bytes, size));
    }
    if (const auto* wide = std::get_if<CrcTable64>(&tables_->path)) {
        const std::uint64_t word = wide->ToWord(reg);
        return wide->FromWord(tables_->fold ? tables_->fold->Update(*wide, word, bytes, size)
                                            : wide->Update(word, bytes, size));
    }
    // From 8 bits on, the byte table holds the register as the engine does.
    return std::get<CrcByteTable>(tables_->path).Update(reg, bytes, size);
}

namespace {

// A linear map of registers as the images of their bits: column j is the
// image of the register holding bit j alone.
struct RegisterMap {
    Uint128 column[kCrcMaxWidth];
};

Uint128 Apply(const RegisterMap& map, Uint128 reg, int width) {
    Uint128 image;
    for (int j = 0; j < width; ++j) {
        if (reg.Bit(j)) image ^= map.column[j];
    }
    return image;
}

}  // namespace

Uint128 CrcEngine::AfterZeros(Uint128 reg, std::uint64_t count) const {
    const int width = params_.width;
    // One zero byte, then its powers by squaring: count's bit k applies the
    // map of 2^k zero bytes. The powers of one map commute, so the order of
    // the bits does not matter.
    RegisterMap map;
    const unsigned char zero = 0;
    for (int j = 0; j < width; ++j) map.column[j] = Update(Uint128{1} << j, &zero, 1);
    for (; count != 0; count >>= 1) {
        if ((count & 1u) != 0) reg = Apply(map, reg, width);
        if (count > 1) {
            RegisterMap squared;
            for (int j = 0; j < width; ++j) squared.column[j] = Apply(map, map.column[j], width);
            map = squared;
        }
    }
    return reg;
}

Uint128 CrcEngine::Finish(Uint128 reg) const {
    const Uint128 out = params_.refin != params_.refout ? ReflectLowBits(reg, params_.width) : reg;
    return out ^ params_.xorout;
}
