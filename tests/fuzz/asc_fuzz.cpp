// The ASC column text: its header, and the readers of vectors, the data
// table and the curve fitter.

#include <sstream>
#include <string>

#include "fuzz_target.h"
#include "kvl/kvl.h"

KVL_FUZZ_TARGET(asc) {
  using namespace kvl;
  kvl_fuzz::TBytes rest;
  const unsigned which = kvl_fuzz::Split(Data, 6, rest);
  std::istringstream in{std::string(kvl_fuzz::Text(rest))};
  kvl_fuzz::Guarded([&] {
    std::string comment;
    switch (which) {
      case 0: {
        std::int32_t cols = 0, rows = 0;
        bool attribs = false, colNames = false, rowNames = false, nomVars = false;
        ReadHeaderOfASC(in, comment, cols, rows, attribs, colNames, rowNames, nomVars);
        break;
      }
      case 1: TVector().ImportASC(in, comment); break;
      case 2: TIntVector().ImportASC(in, comment); break;
      case 3: TCurveFit().ImportASC(in); break;
      case 4: TDataTable().ImportASC(kvl_fuzz::ScratchFile(rest)); break;
      default: {
        TDataTable t;
        t.ReadFromASC(kvl_fuzz::ScratchFile(rest), 2, 3, true);
        break;
      }
    }
  });
}
