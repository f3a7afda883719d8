#pragma once
// The library frame: the exception class of every unit and the helpers that
// build every message, so that all units report errors the same way.
//
// Message forms (one helper each; nothing else assembles messages):
//   free functions   FuncMessage("Factorial", "argument too big")
//                      -> Factorial: argument too big
//   components       ComponentMessage(fft, "data length must be power of 2")
//                      -> Component "FFT1": data length must be power of 2
//                      (the Name read when the error is raised; "" if empty)
//   component members MemberMessage(vec, "Histogram", "invalid number of bins")
//                      -> Component "Vec1.Histogram": invalid number of bins
//   quoted input     QuotedMessage("HexToDouble", "invalid hex string", s)
//                      -> HexToDouble: invalid hex string "s"
// Raise<E>(message) throws E; the Raise* helpers are out of line and cold so
// that argument checks cost nothing on the hot path. GuardAllocation<E> turns
// an allocation failure into the unit's "not enough memory" error.

#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/classes.h"
#include "kvl/runtime/exceptions.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

// --- unit exception classes --------------------------------------------------

#define KVL_DECLARE_ERROR(Name, Parent) \
  class Name : public Parent {          \
   public:                              \
    using Parent::Parent;               \
  }

/// One class per unit; a handler for EKVLError catches all but EKVLSLineError.
KVL_DECLARE_ERROR(EKVLMath1Error, EKVLError);
KVL_DECLARE_ERROR(EKVLComplexError, EKVLError);
KVL_DECLARE_ERROR(EKVLVectorError, EKVLError);
KVL_DECLARE_ERROR(EKVLMatrixError, EKVLError);
KVL_DECLARE_ERROR(EKVLDataTableError, EKVLError);
KVL_DECLARE_ERROR(EKVLStatisError, EKVLError);
KVL_DECLARE_ERROR(EKVLMath2Error, EKVLError);
KVL_DECLARE_ERROR(EKVLMathExp, EKVLError);
KVL_DECLARE_ERROR(EKVLFourierError, EKVLError);
KVL_DECLARE_ERROR(EKVLWaveletError, EKVLError);
/// EKVLSLineError: the straight-line unit's errors derive from the runtime's
/// plain Exception, not from EKVLError.
KVL_DECLARE_ERROR(EKVLSLineError, Exception);

#undef KVL_DECLARE_ERROR

// --- messages ------------------------------------------------------------------

/// FuncMessage: "Func: Text".
std::string FuncMessage(std::string_view Func, std::string_view Text);
/// ComponentMessage: 'Component "Name": Text' with the component's current Name.
std::string ComponentMessage(const TComponent& Sender, std::string_view Text);
/// MemberMessage: 'Component "Name.Member": Text', naming a member of the
/// component (ComponentMessage when Member is empty).
std::string MemberMessage(const TComponent& Sender, std::string_view Member, std::string_view Text);
/// QuotedMessage: 'Func: Text "Input"', quoting the offending input.
std::string QuotedMessage(std::string_view Func, std::string_view Text, std::string_view Input);

/// Raise: throws E with a complete message.
template <class E>
[[noreturn, gnu::cold, gnu::noinline]] void Raise(const std::string& Message) {
  throw E(Message);
}

/// RaiseFunc: throws E with FuncMessage(Func, Text).
template <class E>
[[noreturn, gnu::cold, gnu::noinline]] void RaiseFunc(std::string_view Func, std::string_view Text) {
  throw E(FuncMessage(Func, Text));
}

/// RaiseComponent: throws E with ComponentMessage(Sender, Text).
template <class E>
[[noreturn, gnu::cold, gnu::noinline]] void RaiseComponent(const TComponent& Sender,
                                                          std::string_view Text) {
  throw E(ComponentMessage(Sender, Text));
}

/// RaiseMember: throws E with MemberMessage(Sender, Member, Text).
template <class E>
[[noreturn, gnu::cold, gnu::noinline]] void RaiseMember(const TComponent& Sender, std::string_view Member,
                                                        std::string_view Text) {
  throw E(MemberMessage(Sender, Member, Text));
}

/// RaiseQuoted: throws E with QuotedMessage(Func, Text, Input).
template <class E>
[[noreturn, gnu::cold, gnu::noinline]] void RaiseQuoted(std::string_view Func, std::string_view Text,
                                                       std::string_view Input) {
  throw E(QuotedMessage(Func, Text, Input));
}

/// NoMemoryOnHeap: the text of most allocation failures of the components.
inline constexpr std::string_view NoMemoryOnHeap = "not enough memory on heap";

/// GuardAllocation: returns Work(); when Work fails to allocate
/// (std::bad_alloc, or std::length_error for a size beyond what a container
/// can hold) it raises E with ComponentMessage(Sender, Text) instead.
template <class E, class WorkFn>
decltype(auto) GuardAllocation(const TComponent& Sender, WorkFn&& Work,
                               std::string_view Text = NoMemoryOnHeap) {
  try {
    return std::forward<WorkFn>(Work)();
  } catch (const std::bad_alloc&) {
    RaiseComponent<E>(Sender, Text);
  } catch (const std::length_error&) {
    RaiseComponent<E>(Sender, Text);
  }
}

/// DeprecatedMessage: the fixed text of retired routines.
inline constexpr std::string_view DeprecatedMessage = "deprecated function, see help for details";

/// RaiseDeprecated: what every retired routine does instead of its work:
/// raises EKVLError with DeprecatedMessage, touching no argument.
[[noreturn]] void RaiseDeprecated();

}  // namespace kvl

KVL_API_END
