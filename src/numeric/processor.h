#pragma once

// The one spelling of "this is an x86 processor": where the approximate reciprocal
// instructions and the SSE and AVX vector units are the processor's own.
#if defined(__x86_64__) || defined(__i386__)
#define QUORVEL_X86 1
#else
#define QUORVEL_X86 0
#endif

// And of "this is a 64-bit ARM processor", where NEON is always there.
#if defined(__aarch64__)
#define QUORVEL_ARM64 1
#else
#define QUORVEL_ARM64 0
#endif
