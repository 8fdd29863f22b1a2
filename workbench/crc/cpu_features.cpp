#include "workbench/crc/cpu_features.h"

#if defined(__i386__) || defined(__x86_64__)
#include <cpuid.h>
#endif

namespace {

#if defined(__i386__) || defined(__x86_64__)
bool Bit(unsigned word, int index) { return (word >> index & 1u) != 0; }

// XCR0: the register state the operating system saves on a task switch.
// Read only once cpuid has said OSXSAVE, else the instruction faults.
unsigned long long SavedRegisterState() {
    unsigned low = 0, high = 0;
    __asm__ volatile("xgetbv" : "=a"(low), "=d"(high) : "c"(0));
    return static_cast<unsigned long long>(high) << 32 | low;
}

CpuFeatures Detect() {
    CpuFeatures features;
    unsigned a = 0, b = 0, c = 0, d = 0;
    if (__get_cpuid(1, &a, &b, &c, &d) == 0) return features;
    const bool pclmul = Bit(c, 1), ssse3 = Bit(c, 9), sse41 = Bit(c, 19), osxsave = Bit(c, 27);
    features.pclmul = pclmul && ssse3 && sse41;
    if (!features.pclmul || !osxsave || __get_cpuid_count(7, 0, &a, &b, &c, &d) == 0) return features;
    const bool avx512f = Bit(b, 16), avx512bw = Bit(b, 30), vpclmul = Bit(c, 10);
    // XMM, YMM, the opmask registers, the upper halves of zmm0-15 and zmm16-31.
    constexpr unsigned long long kZmmState = 1u << 1 | 1u << 2 | 1u << 5 | 1u << 6 | 1u << 7;
    features.vpclmul_avx512 = avx512f && avx512bw && vpclmul && (SavedRegisterState() & kZmmState) == kZmmState;
    return features;
}
#else
CpuFeatures Detect() { return {}; }
#endif

}  // namespace

const CpuFeatures& HostCpuFeatures() {
    static const CpuFeatures features = Detect();
    return features;
}
