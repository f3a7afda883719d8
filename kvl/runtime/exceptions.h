#pragma once
// Exception classes of the host runtime layer.
//
// Every error the library raises derives from kvl::Exception, which carries
// one English message. The runtime layer adds the host's math, conversion,
// I/O and stream errors; the library's own classes derive from EKVLError in
// the base layer.

#include <exception>
#include <string>
#include <utility>

#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// Exception: root of every error raised by the library; holds the message.
class Exception : public std::exception {
 public:
  explicit Exception(std::string Msg) : FMessage(std::move(Msg)) {}
  /// Message: the complete message text.
  const std::string& Message() const noexcept { return FMessage; }
  const char* what() const noexcept override { return FMessage.c_str(); }

 private:
  std::string FMessage;
};

/// EMathError: the runtime's floating-point and elementary-function errors.
class EMathError : public Exception {
 public:
  using Exception::Exception;
};

/// EInvalidOp: an invalid floating-point operation (for example rounding NaN
/// or a value outside the integer range).
class EInvalidOp : public EMathError {
 public:
  using EMathError::EMathError;
};

/// EConvertError: a failed conversion, among them a refused Assign.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

/// EInOutError: a failed file operation.
class EInOutError : public Exception {
 public:
  using Exception::Exception;
};

/// EListError: an index outside a list of the runtime layer.
class EListError : public Exception {
 public:
  using Exception::Exception;
};

/// EStreamError and its kin: failures of the TStream family.
class EStreamError : public Exception {
 public:
  using Exception::Exception;
};
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EReadError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};

}  // namespace kvl

KVL_API_END
