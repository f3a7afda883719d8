#pragma once
// The one switch for CPU-specific clones of the library's hot loops. A
// function marked KVL_CPU_CLONES is compiled three times, for the x86-64-v4
// level (AVX-512, fused multiply-add), the x86-64-v3 level (AVX2, fused
// multiply-add) and plain x86-64; the loader picks the best one the
// processor runs, so the default build still runs on any x86-64. Whether
// a*b + c becomes one fused multiply-add in the first two clones is set per
// file in the unit's CMakeLists (-ffp-contract): a file compiled without
// contraction gives the same bits in every clone.
//
// The macro is a build detail of the library's kernels; it is public only so
// that every unit can use the same one.

#include "kvl/runtime/export.h"

// ThreadSanitizer builds get a single version: the loader runs the clones'
// resolver before the sanitizer's runtime is up.
#if defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define KVL_NO_CPU_CLONES
#endif
#endif
#if defined(__SANITIZE_THREAD__)
#define KVL_NO_CPU_CLONES
#endif

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__)) && !defined(KVL_NO_CPU_CLONES)
#define KVL_CPU_CLONES __attribute__((target_clones("arch=x86-64-v4", "arch=x86-64-v3", "default")))
#else
#define KVL_CPU_CLONES
#endif

KVL_API_BEGIN
KVL_API_END
