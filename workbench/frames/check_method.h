// One way to compute a frame's check: a catalogue CRC, a CRC of parameters
// of the user's own, or one of the sums. `find` tries them all and `frame`
// builds and verifies with one; both name it the same way.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "workbench/crc/params.h"
#include "workbench/frames/sums.h"

class CrcByteTable;

class CheckMethod {
public:
    // `name` is the catalogue's, or "" for parameters of the user's own.
    // `params` must be sound.
    static CheckMethod OfCrc(const CrcParams& params, std::string name);
    static CheckMethod OfSum(const SumCheck& sum);

    // Every named check: the catalogue's CRCs in its order, then the sums.
    // Each CRC's table is built here, once.
    static std::vector<CheckMethod> AllNamed();

    // The catalogue's or the sum's name; "" for parameters without one.
    const std::string& name() const { return name_; }
    // How `find` and the JSON name it: the name, or else the parameter line
    // with check and residue, as `quobrix crc --list` writes a model.
    std::string Label() const;
    bool is_crc() const { return engine_ != nullptr; }
    // Only for a CRC.
    const CrcParams& crc_params() const { return params_; }
    int width() const { return width_; }
    // The bytes the check takes in a frame: ⌈width/8⌉.
    int byte_count() const { return (width_ + 7) / 8; }

    // Carried between runs of bytes, as CrcEngine's register is.
    struct Register {
        Uint128 crc;
        SumRegister sum;
    };
    Register Start() const;
    Register Update(Register reg, const unsigned char* data, std::size_t size) const;
    Uint128 Finish(const Register& reg) const;
    Uint128 Compute(const unsigned char* data, std::size_t size) const {
        return Finish(Update(Start(), data, size));
    }

private:
    CheckMethod() = default;

    std::string name_;
    int width_ = 0;
    CrcParams params_;
    std::shared_ptr<const CrcByteTable> engine_;  // null for a sum; shared by copies
    SumKind sum_ = SumKind::kSum8;
};

// `text` is a sum's name, a catalogue name or a former one (any case), or a
// CRC parameter line (whose check, when given, must hold). False with the
// lines that say why not in `error`, each after a line feed but the first;
// `note` gets a line to show beside the result (a former name's new name) or "".
bool ResolveCheckMethod(std::string_view text, CheckMethod& method, std::string& note, std::string& error);
