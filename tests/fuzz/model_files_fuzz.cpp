// The model files of the learners: the memory-based learner's XML and
// binary forms, the self-organising map's XML form.

#include <sstream>
#include <string>

#include "fuzz_target.h"
#include "kvl/kvl.h"

KVL_FUZZ_TARGET(model_files) {
  using namespace kvl;
  kvl_fuzz::TBytes rest;
  const unsigned which = kvl_fuzz::Split(Data, 3, rest);
  kvl_fuzz::Guarded([&] {
    std::string id;
    switch (which) {
      case 0: TMemBasedLearner().LoadModelXML(kvl_fuzz::ScratchFile(rest), id); break;
      case 1: TMemBasedLearner().LoadModelBin(kvl_fuzz::ScratchFile(rest), id); break;
      default: {
        std::istringstream in{std::string(kvl_fuzz::Text(rest))};
        TKohonen().ReadFromOpenXMLFile(in, "");
        break;
      }
    }
  });
}
