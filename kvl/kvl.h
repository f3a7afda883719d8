#pragma once
// Every unit of the library in one include.

#include "kvl/runtime/runtime.h"
#include "kvl/base/KVL_kvlbase.h"
#include "kvl/core/KVL_frame.h"
#include "kvl/core/KVL_complex.h"
