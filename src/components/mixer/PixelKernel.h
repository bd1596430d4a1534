#pragma once

// Row kernels marked so are built twice, for AVX2 and for the baseline, and the loader picks the
// one the processor runs: 8 lanes instead of 4 in loops over every pixel of every frame.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__)
#define ZORVIK_PIXEL_KERNEL __attribute__((target_clones("avx2", "default")))
#else
#define ZORVIK_PIXEL_KERNEL
#endif
