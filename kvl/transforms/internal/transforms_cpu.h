#pragma once
// Internal to the transforms unit: the switch for CPU-specific clones of the
// butterfly loops. A function marked KVL_TRANSFORMS_CPU_CLONES is compiled
// for the x86-64-v4 (AVX-512) and x86-64-v3 (AVX2) levels and for plain
// x86-64, and the loader picks the best one the processor runs. The unit is
// built without floating-point contraction, so every clone gives the same
// bits. ThreadSanitizer builds get one version (the loader would run the
// clones' resolver before the sanitizer's runtime is up).

#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define KVL_TRANSFORMS_NO_CPU_CLONES
#endif
#endif
#if defined(__SANITIZE_THREAD__)
#define KVL_TRANSFORMS_NO_CPU_CLONES
#endif

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && !defined(KVL_TRANSFORMS_NO_CPU_CLONES)
#define KVL_TRANSFORMS_CPU_CLONES __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define KVL_TRANSFORMS_CPU_CLONES
#endif
