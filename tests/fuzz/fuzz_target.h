#pragma once
// A fuzz target: one function of the input bytes that feeds them to one
// family of readers of outside input. Each target file is built two ways:
//
//  * with libFuzzer (Clang, -fsanitize=fuzzer, KVL_LIBFUZZER defined) it is
//    a program of its own, kvl_fuzz_<target>;
//  * otherwise the targets register themselves in kvl_fuzz_replay, a test
//    program that runs every stored input of tests/fuzz/corpus/<target>/
//    through them, so the seeds and every input that ever found a fault
//    are replayed by the ordinary test run with any compiler.
//
// The readers' documented failures (kvl::Exception and its descendants)
// are part of their contract and are swallowed; anything else — a crash, a
// sanitizer report, std::bad_alloc from an unbounded allocation — is a
// finding.

#include <cstddef>
#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <string_view>

#include "kvl/runtime/exceptions.h"

namespace kvl_fuzz {

using TBytes = std::span<const std::uint8_t>;
using TTarget = void (*)(TBytes);

/// Register: adds a target to the replay program's table; returns true.
bool Register(const char* Name, TTarget Body);
/// Targets: the replay program's table, by name.
std::map<std::string, TTarget>& Targets();

/// ScratchFile: writes Data to this process's scratch file and returns its
/// path, for the readers that take a file name.
const std::string& ScratchFile(TBytes Data);

/// Text: the bytes as text.
inline std::string_view Text(TBytes Data) {
  return {reinterpret_cast<const char*>(Data.data()), Data.size()};
}

/// Split: the first byte chooses among Choices readers (0 when the input is
/// empty); Rest receives the bytes after it.
inline unsigned Split(TBytes Data, unsigned Choices, TBytes& Rest) {
  if (Data.empty()) {
    Rest = Data;
    return 0;
  }
  Rest = Data.subspan(1);
  return Data[0] % Choices;
}

/// Guarded: runs f, swallowing the library's documented exceptions.
template <class F>
void Guarded(F&& f) {
  try {
    f();
  } catch (const kvl::Exception&) {
  }
}

}  // namespace kvl_fuzz

#ifdef KVL_LIBFUZZER
#define KVL_FUZZ_TARGET(Name)                                                         \
  static void Name##Body(kvl_fuzz::TBytes Data);                                      \
  extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) { \
    Name##Body(kvl_fuzz::TBytes(data, size));                                         \
    return 0;                                                                         \
  }                                                                                   \
  static void Name##Body(kvl_fuzz::TBytes Data)
#else
#define KVL_FUZZ_TARGET(Name)                                                                     \
  static void Name##Body(kvl_fuzz::TBytes Data);                                                  \
  [[maybe_unused]] static const bool Name##Registered = kvl_fuzz::Register(#Name, &Name##Body); \
  static void Name##Body(kvl_fuzz::TBytes Data)
#endif
