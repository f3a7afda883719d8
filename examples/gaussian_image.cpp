// Draws a 2-D Gaussian array as a PNG image:
//   kvl_example_gaussian_image [out.png]
// The array is 160 x 120 cells (outer index = x), two bumps of different
// widths; each cell becomes a 2 x 2 pixel block coloured on the heat scale,
// and a circle mask marks where the sum of the wider bump is taken.

#include <cmath>
#include <cstdio>
#include <string>

#include "kvl/arrays/KVL_openarrays.h"

int main(int argc, char** argv) {
  const std::string out = argc > 1 ? argv[1] : "gaussian.png";
  const int w = 160, h = 120;
  kvl::TDouble2DArray z(w, kvl::TDoubleArray(h));
  for (int x = 0; x < w; ++x)
    for (int y = 0; y < h; ++y) {
      const double a = std::hypot(x - 55.0, y - 60.0) / 25.0;  // wide bump
      const double b = std::hypot(x - 120.0, y - 40.0) / 10.0;  // narrow, lower bump
      z[x][y] = std::exp(-0.5 * a * a) + 0.6 * std::exp(-0.5 * b * b);
    }

  // Colours on the heat scale over the data's own range.
  kvl::TInt2DArray colors;
  kvl::ScaleArrayToColors(z, 0, 0, kvl::TColorScale::csHeat, colors);

  // The cells within 2 sigma of the wide bump: the sum of the values there.
  kvl::TBool2DArray outside(w, std::vector<bool>(h, true));
  kvl::TBool2DArray disc(w, std::vector<bool>(h, false));
  kvl::CreateMaskShape(disc, kvl::TShapeKind::skCircle, {55, 60, 50});
  for (int x = 0; x < w; ++x)
    for (int y = 0; y < h; ++y) outside[x][y] = !disc[x][y];  // masked routines skip true cells
  double sum = 0;
  const int cells = kvl::SumArrayMasked(z, &outside, sum);
  // Outline the disc: the ring of radii 49 to 50 in white.
  kvl::TBool2DArray ring(w, std::vector<bool>(h, false));
  kvl::CreateMaskShape(ring, kvl::TShapeKind::skRing, {55, 60, 49, 50});
  kvl::TBool2DArray keep(w, std::vector<bool>(h));
  for (int x = 0; x < w; ++x)
    for (int y = 0; y < h; ++y) keep[x][y] = !ring[x][y];
  kvl::FillArrayMasked(colors, 0xFFFFFF, &keep);

  const int status = kvl::SaveArrayAsImg(out, colors, 2);
  if (status != 0) {
    std::fprintf(stderr, "SaveArrayAsImg: status %d\n", status);
    return 1;
  }
  std::printf("wrote %s (%d x %d pixels); %d cells in the disc sum to %.4f\n", out.c_str(), 2 * w, 2 * h, cells,
              sum);
  return 0;
}
