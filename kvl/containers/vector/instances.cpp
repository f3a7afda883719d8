// The two instantiations of TVectorBase: TVector and TIntVector.

#include "kvl/containers/vector/internal/files_impl.h"
#include "kvl/containers/vector/internal/stats_impl.h"
#include "kvl/containers/vector/internal/storage_impl.h"

namespace kvl {

template class TVectorBase<double, TVector>;
template class TVectorBase<std::int32_t, TIntVector>;

}  // namespace kvl
