// The amplitude spectrum of a signal through a Hamming weighting window:
//   kvl_example_fourier_peaks [samples.txt]
// Without an argument the program makes its own test signal: 1024 samples
// at 1 kHz of a 50 Hz tone (amplitude 1.0), a 123 Hz tone (0.3) and a
// little noise. A file holds one sample per line (1 kHz sampling assumed);
// its first 2^k samples are used.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <numbers>
#include <random>
#include <vector>

#include "kvl/kvl.h"

int main(int argc, char** argv) {
  const double dt = 0.001;  // sampling interval in seconds
  std::vector<double> x;
  if (argc > 1) {
    std::ifstream in(argv[1]);
    for (double v; in >> v;) x.push_back(v);
  } else {
    std::mt19937 gen(7);
    std::normal_distribution<double> noise(0.0, 0.05);
    for (int k = 0; k < 1024; ++k) {
      const double t = k * dt;
      x.push_back(std::sin(2 * std::numbers::pi * 50 * t) + 0.3 * std::sin(2 * std::numbers::pi * 123 * t) + noise(gen));
    }
  }
  if (x.size() < 4) {
    std::fprintf(stderr, "need at least 4 samples\n");
    return 1;
  }

  // 1. The block length must be a power of two: take the largest that fits.
  int n = 1;
  while (2 * static_cast<std::size_t>(n) <= x.size() && n < kvl::TFastFourier::kMaxSpectrumSize) n *= 2;
  kvl::TFastFourier fft;
  fft.SetSpectrumSize(n);
  for (int k = 1; k <= n; ++k) fft.SetRealSpec(k, x[k - 1]);  // samples are 1-based, imaginary parts 0

  // 2. A window tapers the block's ends, so a tone between two spectral
  //    lines leaks less into the others (try fwRectangle to compare); such a
  //    tone still reads a little low, its power shared by two lines.
  const auto window = kvl::TFastFourierWgtWin::fwHamming;
  fft.SetWeightingWindow(window);
  fft.Transform();

  // The window also lowers every tone by its mean weight, which is line 0 of
  // a windowed block of ones; dividing by it turns magnitudes into amplitudes.
  kvl::TFastFourier ones;
  ones.SetSpectrumSize(n);
  for (int k = 1; k <= n; ++k) ones.SetRealSpec(k, 1.0);
  ones.SetWeightingWindow(window);
  ones.Transform();
  const double gain = ones.Magnitude(0);

  // 3. Lines 0..n/2; line L lies at FreqOfLine(L, dt) Hz. Collect the local
  //    maxima of the magnitude and print the three strongest.
  std::vector<std::pair<double, int>> peaks;
  for (int L = 1; L < n / 2; ++L) {
    const double m = fft.Magnitude(L);
    if (m > fft.Magnitude(L - 1) && m >= fft.Magnitude(L + 1)) peaks.emplace_back(m, L);
  }
  std::sort(peaks.rbegin(), peaks.rend());
  std::printf("%d samples, lines %.3f Hz apart, window gain %.4f\n", n, fft.FreqOfLine(1, dt), gain);
  for (std::size_t i = 0; i < peaks.size() && i < 3; ++i)
    std::printf("peak %zu: %7.2f Hz  amplitude %.3f\n", i + 1, fft.FreqOfLine(peaks[i].second, dt),
                peaks[i].first / gain);
  return 0;
}
