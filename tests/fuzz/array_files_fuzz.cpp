// The array texts and binary array files.

#include <string>

#include "fuzz_target.h"
#include "kvl/kvl.h"

KVL_FUZZ_TARGET(array_files) {
  using namespace kvl;
  kvl_fuzz::TBytes rest;
  const unsigned which = kvl_fuzz::Split(Data, 8, rest);
  const std::string& file = kvl_fuzz::ScratchFile(rest);
  kvl_fuzz::Guarded([&] {
    std::string text;
    switch (which) {
      case 0: { TDoubleArray a; LoadArray(file, a, text); break; }
      case 1: { TDouble2DArray a; LoadArray(file, a, text); break; }
      case 2: { TDouble4DArray a; LoadArray(file, a, text); break; }
      case 3: { TInt3DArray a; LoadArray(file, a, text); break; }
      case 4: { TInt2DArray a; LoadBinaryArray(file, a, text, true); break; }
      case 5: { TDouble2DArray a; LoadBinaryArray(file, a, text, true); break; }
      case 6: { TDouble3DArray a; LoadBinaryArray(file, a, text, false); break; }
      default: { TDouble4DArray a; LoadBinaryArray(file, a, text, true); break; }
    }
  });
}
