#pragma once
// Helpers of the data table tests: an event recorder for every event of a
// table and small builders.

#include <string>
#include <vector>

#include "kvl/datatable/KVL_datatable.h"
#include "kvl_test_support.h"

namespace kvl::test {

/// TableEvents: records the events of a table by name, in firing order;
/// OnResize is recorded with its four counts, for example "Resize 1 1 2 3".
struct TableEvents : EventLog {
  explicit TableEvents(TDataTable& t) { Attach(t); }
  void Attach(TDataTable& t) {
    t.OnChange = Recorder("Change");
    t.OnChangeSetup = Recorder("Setup");
    t.OnChangeNames = Recorder("Names");
    t.OnChangeCellState = Recorder("CellState");
    t.OnChangeAttrib = Recorder("Attrib");
    t.OnResize = [this](TObject*, std::int32_t oc, std::int32_t orr, std::int32_t nc, std::int32_t nr) {
      Events.push_back("Resize " + std::to_string(oc) + " " + std::to_string(orr) + " " + std::to_string(nc) + " " +
                       std::to_string(nr));
    };
  }
  /// Take: the events so far, clearing the log.
  std::vector<std::string> Take() {
    std::vector<std::string> e;
    e.swap(Events);
    return e;
  }
};

using Names = std::vector<std::string>;

/// FillSerial: cell (c, r) := 100 c + r, so every value tells its origin.
inline void FillSerial(TDataTable& t) {
  for (std::int32_t c = 1; c <= t.NrOfColumns(); ++c)
    for (std::int32_t r = 1; r <= t.NrOfRows(); ++r) t.NumericData->SetVal(c, r, 100.0 * c + r);
}

/// BuildOrdinalSample: 3 x 4 cells 100 c + r; column 2 ordinal, holding 2.5 in row 1.
inline void BuildOrdinalSample(TDataTable& t) {
  t.Resize(3, 4);
  FillSerial(t);
  t.SetMScaleType(2, TMScaleType::stOrdinal);
  t.NumericData->SetVal(2, 1, 2.5);
}

}  // namespace kvl::test
