#pragma once
// The export markers of the shared library.
//
// Every unit is compiled with hidden visibility. Each public header wraps its
// declarations in KVL_API_BEGIN ... KVL_API_END, so a shared build exports
// exactly the public interface (classes with their type information and
// virtual tables, free functions, the explicit template instances) and keeps
// the internal code private. A static build is unaffected.
//
//   #include "kvl/runtime/export.h"
//   KVL_API_BEGIN
//   namespace kvl { ... }
//   KVL_API_END

#define KVL_API_BEGIN _Pragma("GCC visibility push(default)")
#define KVL_API_END _Pragma("GCC visibility pop")
