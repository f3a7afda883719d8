#include "kvl/runtime/rounding.h"

#include "kvl/runtime/exceptions.h"

namespace kvl::detail {

void RaiseInvalidOp() { throw EInvalidOp("Invalid floating point operation"); }

void RaiseDivByZero() { throw EMathError("Division by zero"); }

}  // namespace kvl::detail
