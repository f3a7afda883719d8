// k-means clustering of the rows of a matrix:
//   kvl_example_kmeans [data/alpine_stations.csv]
// The stations of the default file are grouped by their January and July
// temperatures into three climates. Objects are the rows of a TMatrix,
// variables its columns; both variables here are in degrees Celsius, so no
// scaling is needed (standardise columns measured in different units).

#include <cstdio>
#include <string>

#include "kvl/kvl.h"

int main(int argc, char** argv) {
  const std::string file = argc > 1 ? argv[1] : "data/alpine_stations.csv";
  kvl::TDataTable table;
  if (table.ImportFromCSV(file, kvl::TCSVDelimiters::csvComma, true, true) <= 0) {
    std::fprintf(stderr, "cannot read %s\n", file.c_str());
    return 1;
  }
  const int jan = table.FindColIndex("jan_temp"), jul = table.FindColIndex("jul_temp");
  if (jan <= 0 || jul <= 0) {
    std::fprintf(stderr, "%s lacks the columns jan_temp and jul_temp\n", file.c_str());
    return 1;
  }

  // 1. The data matrix: one row per station, two columns. TMatrix cells are
  //    addressed (column, row), both 1-based.
  const int n = table.NrOfRows();
  kvl::TMatrix data;
  data.Resize(2, n);
  for (int r = 1; r <= n; ++r) {
    data.SetElem(1, r, table.Elem(jan, r));
    data.SetElem(2, r, table.Elem(jul, r));
  }

  // 2. Cluster. The seed 11 picks the starting centres at random but
  //    reproducibly (0 would take the first rows). Clusters come back
  //    numbered by decreasing size; assign holds each row's cluster.
  const int k = 3;
  kvl::TMatrix centres;
  kvl::TIntVector assign, sizes;
  try {
    const double within = kvl::kMeansClustering(data, 0, 0, k, 11, centres, assign, sizes);
    std::printf("%d stations in %d clusters, within-cluster sum of squares %.2f\n", n, k, within);
  } catch (const kvl::EKVLMath2Error& e) {
    std::fprintf(stderr, "k-means failed: %s\n", e.what());
    return 1;
  }

  // 3. Centres are the rows of centres (column 1 = January, 2 = July).
  for (int c = 1; c <= k; ++c) {
    std::printf("cluster %d: %2d stations, centre Jan %6.2f, Jul %6.2f:", c, sizes.Elem(c), centres.Elem(1, c),
                centres.Elem(2, c));
    for (int r = 1; r <= n; ++r)
      if (assign.Elem(r) == c) std::printf(" %s", table.RowName(r).c_str());
    std::printf("\n");
  }
  return 0;
}
