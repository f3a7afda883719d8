// Loads a CSV file into a data table, marks cells and takes statistics over
// the marked cells only:
//   kvl_example_table_statistics [data/alpine_stations.csv]
// The default file lists weather stations of the Alps (one row each, the
// station name as row header) with latitude, altitude and rounded climate
// normals. The program compares the July temperatures of the mountain
// stations with those of the valleys.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "kvl/kvl.h"

namespace {

// Prints mean, standard deviation, range and median of the cells of column
// col that carry a bit of mark (64 or 128: the table's two mark bits).
void PrintMarked(const kvl::TDataTable& t, int col, std::uint8_t mark, const char* label) {
  const int last = t.NrOfRows();
  double mean = 0, var = 0, lo = 0, hi = 0, q1 = 0, q2 = 0, q3 = 0;
  int n = t.MeanVarOfMarkedCells(col, 1, col, last, mark, mean, var);
  t.MinMaxOfMarkedCells(col, 1, col, last, mark, lo, hi);
  t.QuartilesOfMarkedCells(col, 1, col, last, q1, q2, q3, mark, n);
  std::printf("%-22s %2d stations: mean %5.2f, sd %4.2f, min %5.1f, median %5.1f, max %5.1f\n", label, n, mean,
              std::sqrt(var), lo, q2, hi);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string file = argc > 1 ? argv[1] : "data/alpine_stations.csv";

  // 1. Read the file: comma-separated, first line = column names, first
  //    field of each line = row name. The result is the number of rows or a
  //    negative status (-1: the file cannot be opened).
  kvl::TDataTable t;
  const int rows = t.ImportFromCSV(file, kvl::TCSVDelimiters::csvComma, true, true);
  if (rows <= 0) {
    std::fprintf(stderr, "cannot read %s (status %d)\n", file.c_str(), rows);
    return 1;
  }
  // Columns are addressed by number (1-based); FindColIndex finds one by name.
  const int alt = t.FindColIndex("altitude_m"), jul = t.FindColIndex("jul_temp");
  if (alt <= 0 || jul <= 0) {
    std::fprintf(stderr, "%s lacks the columns altitude_m and jul_temp\n", file.c_str());
    return 1;
  }
  std::printf("%d stations, %d columns; empty cells: %d\n", t.NrOfRows(), t.NrOfColumns(),
              t.CountEmptyCells(0, 0, 0, 0));

  // 2. Mark cells. Every cell has a state byte; bits 64 and 128 are free
  //    marks that the ...MarkedCells statistics select by.
  constexpr std::uint8_t kMountain = 64, kValley = 128;
  for (int r = 1; r <= t.NrOfRows(); ++r) {
    const double a = t.Elem(alt, r);
    const std::uint8_t mark = a >= 1500 ? kMountain : a < 600 ? kValley : 0;
    t.SetCellState(jul, r, t.CellState(jul, r) | mark);  // keep the other bits
  }

  // 3. Statistics over the marked cells (range (jul, 1) .. (jul, rows)).
  PrintMarked(t, jul, kMountain, "July, above 1500 m:");
  PrintMarked(t, jul, kValley, "July, below 600 m:");
  PrintMarked(t, jul, kMountain | kValley, "July, both groups:");

  // The same figures over all numeric cells of a column need no marks.
  double mean = 0, var = 0;
  const int n = t.MeanVarOfNumCells(jul, 1, jul, t.NrOfRows(), mean, var);
  std::printf("July, all %d stations: mean %.2f\n", n, mean);
  return 0;
}
