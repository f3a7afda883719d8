// The binary matrix files of 4096-byte records, for the four matrix
// classes, and the sparse integer matrix file.

#include <string>

#include "fuzz_target.h"
#include "kvl/kvl.h"

KVL_FUZZ_TARGET(matrix_binary) {
  using namespace kvl;
  kvl_fuzz::TBytes rest;
  const unsigned which = kvl_fuzz::Split(Data, 8, rest);
  const std::string& file = kvl_fuzz::ScratchFile(rest);
  kvl_fuzz::Guarded([&] {
    std::int32_t c = 0, r = 0, l = 0, t = 0, format = 0;
    std::string id;
    switch (which) {
      case 0: TMatrix().LoadBinary(file); break;
      case 1: TIntMatrix().LoadBinary(file); break;
      case 2: TIntMatrix().LoadSparseMat(file); break;
      case 3: TMat3D().LoadBinary(file); break;
      case 4: TMat4D().LoadBinary(file); break;
      case 5: {
        TMat4D m;
        m.Resize(2, 2, 1, 1);
        m.ReadLayer(file, 1, 1);
        break;
      }
      case 6: TMat4D().ReadBinary(file, 1, 3); break;
      default: TMat4D().ReadBinaryHeader(file, c, r, l, t, id, format); break;
    }
  });
}
