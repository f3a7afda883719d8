#pragma once
// The host runtime layer in one include: component model, exceptions,
// rounding rules, the uniform generator, the extended encoding, streams and
// the clipboard.

#include "kvl/runtime/bitmap.h"
#include "kvl/runtime/classes.h"
#include "kvl/runtime/clipboard.h"
#include "kvl/runtime/exceptions.h"
#include "kvl/runtime/extended.h"
#include "kvl/runtime/numfmt.h"
#include "kvl/runtime/randgen.h"
#include "kvl/runtime/rounding.h"
#include "kvl/runtime/streams.h"
#include "kvl/runtime/weak_handler.h"
