// Finds the parameters of an unknown CRC from codewords, by algebra rather
// than by trying every polynomial: the difference of two codewords of equal
// length cancels init and xorout and is a multiple of the polynomial, so the
// GCD of such differences over GF(2) yields it; init and xorout then follow
// from linear equations between codewords of different lengths.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "workbench/crc/params.h"
#include "workbench/frames/gf2_poly.h"

// One frame's message and the check stored after it, already read as a
// number in the frame's byte order (the value `CrcEngine::Compute` gives).
struct CrcSample {
    std::vector<unsigned char> message;
    std::uint64_t check = 0;
};

struct CrcRecovery {
    // Every parameter set of the asked width that gives each sample's check,
    // most plausible first (catalogued, then init and xorout 0 or all ones);
    // several when the samples cannot tell them apart. A polynomial with the
    // factor x+1 always gives pairs that agree on every message: their inits
    // differ by P/(x+1), their xorouts by the same reflected when refout.
    std::vector<CrcParams> models;
    // Whether `models` is all there is; false when the samples do not decide
    // (then `models` may be empty or hold only some of the candidates).
    bool decided = false;
    // When not decided: one line for the user on which frames would decide,
    // e.g. "needs two more frames of one length, and one of another length".
    std::string need;
};

// The GCDs one search has taken, for its other calls of RecoverCrc: a
// check stored in the order its register shifts (high byte first when not
// reflected, low byte first when reflected) gives the frames the same
// polynomials at every width, and one GCD serves them all. Meant for one
// set of frames at one head and tail: clear it before the next.
class RecoveryMemo {
public:
    void Clear() { entries_.clear(); }
    const Gf2Poly* Find(const std::vector<Gf2Poly>& multiples) const;
    void Add(std::vector<Gf2Poly> multiples, Gf2Poly gcd);

private:
    std::vector<std::pair<std::vector<Gf2Poly>, Gf2Poly>> entries_;
};

struct RecoveryOptions {
    // What each frame holds beyond its message (head, check, tail): the
    // lengths `need` names are the frames', so that a user can pick frames
    // of that length.
    std::size_t frame_extra = 0;
    // Whether to try refin and refout unlike too: only one catalogued
    // model has them, of 12 bits, and they double the time.
    bool crossed_bit_orders = true;
    RecoveryMemo* memo = nullptr;
};

// `width` is 1 to 64. The samples' order does not matter. The time grows
// with the square of the frames' length in 64-bit words: that of the
// longest frame with a partner of its length, or with three lengths or
// more, about the sum of the three shortest.
CrcRecovery RecoverCrc(const std::vector<CrcSample>& samples, int width, const RecoveryOptions& options = {});

// Whether `a` and `b` give the same CRC for every message. With the same
// polynomial and reflections their difference at a length of L bytes is
// (init difference) x^{8L} mod P + (xorout difference), whatever the bytes;
// when it is zero at lengths 0 and 1, then init's difference times x^8 is
// itself mod P, and so the difference is zero at every length.
bool SameCrcFunction(const CrcParams& a, const CrcParams& b);
