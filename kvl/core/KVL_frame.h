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
//   quoted input     QuotedMessage("HexToDouble", "invalid hex string", s)
//                      -> HexToDouble: invalid hex string "s"
// Raise<E>(message) throws E; the Raise* helpers are out of line and cold so
// that argument checks cost nothing on the hot path.

#include <string>
#include <string_view>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/runtime/classes.h"
#include "kvl/runtime/exceptions.h"

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

/// RaiseQuoted: throws E with QuotedMessage(Func, Text, Input).
template <class E>
[[noreturn, gnu::cold, gnu::noinline]] void RaiseQuoted(std::string_view Func, std::string_view Text,
                                                       std::string_view Input) {
  throw E(QuotedMessage(Func, Text, Input));
}

/// DeprecatedMessage: the fixed text of retired routines.
inline constexpr std::string_view DeprecatedMessage = "deprecated function, see help for details";

/// RaiseDeprecated: what every retired routine does instead of its work:
/// raises EKVLError with DeprecatedMessage, touching no argument.
[[noreturn]] void RaiseDeprecated();

}  // namespace kvl
