#pragma once
// The arithmetic behind the classifier figures of merit, shared by the free
// functions, TCFEvaluator and TCrossValidator: every figure from the four
// counts in one place, and the reduction of a multi-class confusion matrix
// to the counts of one class over any cell reader.

#include <cmath>
#include <cstdint>

namespace kvl::statis_internal {

/// Quotient: Num/Den in extended precision, 0 unless Den > 0.
inline double Quotient(long double Num, long double Den) noexcept {
  return Den > 0.0L ? static_cast<double>(Num / Den) : 0.0;
}

/// TCounts: the four counts of a two-class decision.
struct TCounts {
  long double TP, FP, TN, FN;
};

inline double AccuracyOf(const TCounts& c) noexcept {
  return Quotient(c.TP + c.TN, c.TP + c.FP + c.TN + c.FN);
}

inline double InformednessOf(const TCounts& c) noexcept {
  return Quotient(c.TP, c.TP + c.FN) + Quotient(c.TN, c.FP + c.TN) - 1.0;
}

/// MatthewsOf: Matthews' correlation; 0 when the root is not positive. The
/// products stay in extended precision, so counts up to 2^31 do not overflow.
inline double MatthewsOf(const TCounts& c) noexcept {
  const long double prod = (c.TP + c.FP) * (c.TP + c.FN) * (c.FP + c.TN) * (c.TN + c.FN);
  if (!(prod > 0.0L)) return 0.0;
  return static_cast<double>((c.TP * c.TN - c.FP * c.FN) / std::sqrt(prod));
}

/// UncertaintyOf: the symmetric uncertainty 2 (H_pred + H_true - H_joint) /
/// (H_pred + H_true + 1e-15), each entropy term only for a positive count.
inline double UncertaintyOf(const TCounts& c) noexcept {
  const long double n = c.TP + c.FP + c.TN + c.FN;
  if (!(n > 0.0L)) return 0.0;
  const auto h = [n](long double k) { return k > 0.0L ? -(k / n) * std::log(k / n) : 0.0L; };
  const long double hPred = h(c.TP + c.FP) + h(c.FN + c.TN);
  const long double hTrue = h(c.TP + c.FN) + h(c.FP + c.TN);
  const long double hJoint = h(c.TP) + h(c.FP) + h(c.TN) + h(c.FN);
  return static_cast<double>(2.0L * (hPred + hTrue - hJoint) / (hPred + hTrue + 1e-15L));
}

/// WrapToInt32: the low 32 bits of a sum, as the library's Integer wraps.
inline std::int32_t WrapToInt32(std::int64_t v) noexcept {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(v)));
}

/// ExtractClassCounts: the counts of class ClassIx (0-based) of a square
/// confusion matrix of NCols columns and NRows rows whose cell (c, r)
/// (0-based) Cell(c, r) reads (ClassIx is 64-bit so that a 1-based caller may
/// pass its index - 1 without overflow): -2 when ClassIx is outside 0..NCols - 1, else
/// -1 unless NRows = NCols (a caller passes -1 rows for a ragged array);
/// then TP = cell (k, k), FP = column k sum - TP, FN = row k sum - TP, TN =
/// total - TP - FP - FN, summed in 64 bits and wrapped to 32 on return.
template <class CellReader>
std::int32_t ExtractClassCounts(std::int64_t ClassIx, std::int64_t NCols, std::int64_t NRows,
                                CellReader&& Cell, std::int32_t& TP, std::int32_t& FP, std::int32_t& TN,
                                std::int32_t& FN) {
  if (ClassIx < 0 || ClassIx >= NCols) return -2;
  if (NRows != NCols) return -1;
  std::int64_t total = 0, col = 0, row = 0;
  for (std::int64_t c = 0; c < NCols; ++c)
    for (std::int64_t r = 0; r < NRows; ++r) {
      const std::int64_t v = Cell(c, r);
      total += v;
      if (c == ClassIx) col += v;
      if (r == ClassIx) row += v;
    }
  const std::int64_t tp = Cell(ClassIx, ClassIx);
  TP = WrapToInt32(tp);
  FP = WrapToInt32(col - tp);
  FN = WrapToInt32(row - tp);
  TN = WrapToInt32(total - tp - (col - tp) - (row - tp));
  return 0;
}

}  // namespace kvl::statis_internal
