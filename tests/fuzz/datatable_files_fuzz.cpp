// The data table's XML form and CSV import.

#include <sstream>
#include <string>

#include "fuzz_target.h"
#include "kvl/kvl.h"

KVL_FUZZ_TARGET(datatable_files) {
  using namespace kvl;
  kvl_fuzz::TBytes rest;
  const unsigned which = kvl_fuzz::Split(Data, 4, rest);
  kvl_fuzz::Guarded([&] {
    TDataTable t;
    switch (which) {
      case 0: {
        std::int32_t at = 1;
        t.ReadFromXMLString(kvl_fuzz::Text(rest), at, "");
        break;
      }
      case 1: t.LoadFromXMLFile(kvl_fuzz::ScratchFile(rest), "kvl"); break;
      case 2: t.ImportFromCSV(kvl_fuzz::ScratchFile(rest), TCSVDelimiters::csvComma, true, true); break;
      default: t.ImportFromCSV(kvl_fuzz::ScratchFile(rest), TCSVDelimiters::csvSemicolon, 1, 5, true, false); break;
    }
  });
}
