// What the processor this program runs on offers for the folding CRC paths,
// asked once of cpuid (and of XGETBV for the registers the operating system
// saves). Every answer is false on processors other than x86.
#pragma once

struct CpuFeatures {
    // PCLMULQDQ with SSE4.1 (and the SSSE3 byte shuffle it implies).
    bool pclmul = false;
    // VPCLMULQDQ on 512-bit registers with AVX-512 F and BW, and an
    // operating system that saves those registers.
    bool vpclmul_avx512 = false;
};

const CpuFeatures& HostCpuFeatures();
