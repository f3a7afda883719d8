// kvl_accuracy [REFS]: prints docs/accuracy.md, the accuracy table of the
// library's numeric functions, to standard output. REFS is the folder of
// reference files (default: tests/accuracy/refs of the source tree).
//
//   build/tools/accuracy/kvl_accuracy > docs/accuracy.md

#include <exception>
#include <iostream>

#include "accuracy_table.h"

int main(int argc, char** argv) {
  if (argc > 2) {
    std::cerr << "usage: kvl_accuracy [REFS]\n";
    return 2;
  }
  try {
    const auto table = kvl::accuracy::ComputeTable(argc == 2 ? argv[1] : KVL_ACCURACY_REFS);
    kvl::accuracy::WriteTable(std::cout, table);
  } catch (const std::exception& e) {
    std::cerr << "kvl_accuracy: " << e.what() << '\n';
    return 1;
  }
  return std::cout.good() ? 0 : 1;
}
