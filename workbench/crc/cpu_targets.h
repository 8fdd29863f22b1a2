// The attributes that compile one function for the instructions a path
// needs, so that the rest of the program runs on any x86 processor; the
// path is taken only where HostCpuFeatures() says the processor has them.
#pragma once

#if defined(__i386__) || defined(__x86_64__)
// The 32-bit Windows stack is aligned to 4 bytes only, and the vectors
// these paths spill there are read by instructions that need 16: the entry
// realigns it.
#if defined(__i386__)
#define QUOBRIX_PCLMUL __attribute__((target("pclmul,sse4.1"), force_align_arg_pointer))
#else
#define QUOBRIX_PCLMUL __attribute__((target("pclmul,sse4.1")))
#endif
#endif

#if defined(__x86_64__)
#define QUOBRIX_VPCLMUL __attribute__((target("avx512f,avx512bw,vpclmulqdq,pclmul,sse4.1")))
#endif
