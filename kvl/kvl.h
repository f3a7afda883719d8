#pragma once
// Every unit of the library in one include.

#include "kvl/runtime/runtime.h"
#include "kvl/base/KVL_kvlbase.h"
#include "kvl/base/KVL_dstruct.h"
#include "kvl/base/KVL_filesys.h"
#include "kvl/base/KVL_streams.h"
#include "kvl/base/KVL_stringl.h"
#include "kvl/base/KVL_kvlcolors.h"
#include "kvl/base/KVL_univconst.h"
#include "kvl/core/KVL_frame.h"
#include "kvl/core/KVL_complex.h"
#include "kvl/core/KVL_math1.h"
#include "kvl/arrays/KVL_openarrays.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/datatable/KVL_datatable.h"
#include "kvl/statistics/KVL_statis.h"
