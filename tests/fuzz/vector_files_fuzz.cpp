// The vectors' binary stream images and text dumps.

#include <string>

#include "fuzz_target.h"
#include "kvl/kvl.h"

KVL_FUZZ_TARGET(vector_files) {
  using namespace kvl;
  kvl_fuzz::TBytes rest;
  const unsigned which = kvl_fuzz::Split(Data, 6, rest);
  kvl_fuzz::Guarded([&] {
    switch (which) {
      case 0:
      case 1: {
        TMemoryStream s;
        s.Write(rest.data(), static_cast<std::int64_t>(rest.size()));
        s.Seek(0, TSeekOrigin::soBeginning);
        if (which == 0)
          TVector().LoadFromStream(&s, true);
        else
          TIntVector().LoadFromStream(&s, true);
        break;
      }
      case 2: TVector().LoadFromFile(kvl_fuzz::ScratchFile(rest), true); break;
      case 3: TIntVector().LoadFromFile(kvl_fuzz::ScratchFile(rest), true); break;
      case 4: TVector().LoadFromFile(kvl_fuzz::ScratchFile(rest), true, true); break;
      default: {
        TVector v;
        v.Resize(5);
        v.LoadFromFile(kvl_fuzz::ScratchFile(rest), false);
        break;
      }
    }
  });
}
