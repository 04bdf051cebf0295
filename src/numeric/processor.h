#pragma once

// The one spelling of "this is an x86 processor": where the approximate reciprocal
// instructions and the SSE and AVX vector units are the processor's own.
#if defined(__x86_64__) || defined(__i386__)
#define QUORVEL_X86 1
#else
#define QUORVEL_X86 0
#endif
