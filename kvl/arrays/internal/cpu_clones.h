#pragma once
// Internal to the array routines: the one switch for CPU-specific clones.
// A function marked KVL_CPU_CLONES is compiled three times, for the
// x86-64-v4 level (AVX-512, fused multiply-add), the x86-64-v3 level (AVX2,
// fused multiply-add) and plain x86-64; the loader picks the best one the
// processor runs, so the default build still runs on any x86-64. The files
// that use it are compiled with floating-point contraction, so a*b + c is
// one fused multiply-add in the first two clones.

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define KVL_CPU_CLONES __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define KVL_CPU_CLONES
#endif
