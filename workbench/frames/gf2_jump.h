// The inner loop of the GCD of long polynomials over GF(2): 64 of its steps
// at a time, as a 2x2 matrix of polynomials applied to the two polynomials
// held in words, by carry-less multiplication (PCLMULQDQ, or VPCLMULQDQ on
// 512 bits where the processor has it). Without either, products done by
// shifts cost more than Euclid's algorithm saves: there is no such path.
#pragma once

#include <cstddef>
#include <cstdint>

// Rows (u v) and (q r): f' = (u f + v g) / x^64, g' = (q f + r g) / x^64.
// After 64 steps u and v may reach x^64, which `u_x64` and `v_x64` hold
// (0 or 1); q and r stay below it.
struct Gf2Jump {
    std::uint64_t u = 1, v = 0, q = 0, r = 1;
    std::uint64_t u_x64 = 0, v_x64 = 0;
};

// Whether this processor multiplies without carries.
bool Gf2JumpAvailable();

// Applies `jump` to the `size` words of f and g (size > 0), whose
// products' lowest words must cancel; writes `size` words to each output,
// which may not overlap the inputs. Only when Gf2JumpAvailable().
void Gf2ApplyJump(const Gf2Jump& jump, const std::uint64_t* f, const std::uint64_t* g, std::size_t size,
                  std::uint64_t* f_out, std::uint64_t* g_out);
