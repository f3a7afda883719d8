// The XML-like cell text of the four matrix classes.

#include <sstream>
#include <string>

#include "fuzz_target.h"
#include "kvl/kvl.h"

KVL_FUZZ_TARGET(matrix_xml) {
  using namespace kvl;
  kvl_fuzz::TBytes rest;
  const unsigned which = kvl_fuzz::Split(Data, 4, rest);
  std::istringstream in{std::string(kvl_fuzz::Text(rest))};
  kvl_fuzz::Guarded([&] {
    switch (which) {
      case 0: TMatrix().ReadFromOpenXMLFile(in, ""); break;
      case 1: TIntMatrix().ReadFromOpenXMLFile(in, ""); break;
      case 2: TMat3D().ReadFromOpenXMLFile(in, ""); break;
      default: TMat4D().ReadFromOpenXMLFile(in, ""); break;
    }
  });
}
