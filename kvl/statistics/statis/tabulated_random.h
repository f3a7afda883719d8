#pragma once
// TRandGen: random numbers of a distribution given as a table of relative
// probabilities over an interval.
//
//   TRandGen gen;
//   gen.SetLowBorder(-4.0);
//   gen.SetHighBorder(4.0);
//   gen.NormalDistri(0.0, 1.0);          // the table follows exp(-x^2/2)
//   RandSeed = 42;                       // the runtime's process-wide seed
//   double x = gen.GetRandNum();
//
// The interval [Low, High) is cut into Resolution sub-intervals of equal
// width; entry i (1-based) belongs to sub-interval i, whose left end is
// GetLambda(i). Inside sub-interval i the density is the straight line from
// entry i to entry i + 1 (to 0 at High for the last one), cut to 0..1: an
// entry above 1 means certain acceptance, one below 0 (or NaN) never. The
// numbers are those of rejection sampling against that line; they are drawn
// exactly, without rejections, from an alias table over the pieces of the
// lines (rebuilt on the first draw after the table changed), three draws of
// the runtime's generator (Random) per number. A table without weight
// (every entry 0) keeps the rejection loop: 100001 rejected candidates, then
// the last one.

#include <cstdint>
#include <vector>

#include "kvl/core/KVL_frame.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TRandGen: a tabulated distribution and its random numbers.
class TRandGen : public TComponent {
 public:
  /// Creates a uniform table of 500 entries 1.0 over [0, 0]; raises
  /// EKVLStatisError "not enough memory on heap" when that fails.
  explicit TRandGen(TComponent* AOwner = nullptr);

  /// GetRandNumMaxTries: the candidates a table without weight rejects
  /// before the last one is returned.
  static constexpr std::int32_t GetRandNumMaxTries = 100001;

  // --- properties -----------------------------------------------------------------

  /// LowBorder, HighBorder: the interval; they only rescale the output.
  double LowBorder() const noexcept { return FLowBorder; }
  void SetLowBorder(double Value) noexcept { FLowBorder = Value; }
  double HighBorder() const noexcept { return FHighBorder; }
  void SetHighBorder(double Value) noexcept { FHighBorder = Value; }
  /// Resolution: the number of table entries n (10..4000).
  std::int32_t Resolution() const noexcept { return FResolution; }
  /// SetResolution: n := Value clipped into 10..4000; every entry becomes
  /// 1.0 (the former shape is lost). Raises EKVLStatisError "not enough
  /// memory" when the table cannot be allocated.
  void SetResolution(std::int32_t Value);

  // --- table --------------------------------------------------------------------------

  /// GetProbability: entry Idx, 0 outside 1..n.
  double GetProbability(std::int32_t Idx) const noexcept;
  /// SetProbability: stores Value clipped into 0..1 (NaN as 0) at Idx;
  /// ignored outside 1..n.
  void SetProbability(std::int32_t Idx, double Value) noexcept;
  /// GetLambda: the left end of sub-interval ix; Low for ix < 1, High for
  /// ix > n.
  double GetLambda(std::int32_t ix) const noexcept;
  /// IndexOfLambda: the sub-interval of Lambda: 0 below Low, n + 1 above
  /// High, else floor((Lambda - Low) n / (High - Low)) + 1 (High gives
  /// n + 1). An empty interval (Low = High) gives n + 1 for Lambda = Low.
  std::int32_t IndexOfLambda(double Lambda) const noexcept;
  /// Normalize: entry := (entry - min)/(max - min); nothing when max = min.
  void Normalize() noexcept;
  /// Standardize: entry := entry/max; false (nothing changed) when max = 0.
  bool Standardize() noexcept;

  // --- built-in shapes, evaluated at x = GetLambda(i); neither normalised nor clipped ---

  /// NormalDistri: exp(-(x - m)^2/(2 s^2)).
  void NormalDistri(double m, double s) noexcept;
  /// tDistri: Student's t density with df degrees of freedom.
  void tDistri(std::int32_t df) noexcept;
  /// Chi2Distri: the chi-square density, 0 for x < 0.
  void Chi2Distri(std::int32_t df) noexcept;
  /// FDistri: the F density, 0 for x <= 0.
  void FDistri(std::int32_t df1, std::int32_t df2) noexcept;
  /// WeibullDistri: the Weibull density with shape beta and scale eta.
  void WeibullDistri(double beta, double eta) noexcept;
  /// UniformDistri: every entry 1.0.
  void UniformDistri() noexcept;

  // --- random numbers -------------------------------------------------------------------

  /// GetRandNum: one random number of the tabulated distribution in
  /// [Low, High) (see the header comment), drawn from the runtime's
  /// process-wide generator. Never allocates once the alias table of the
  /// current table is built.
  double GetRandNum();

 private:
  /// TPiece: a piece of one sub-interval on which the cut density is one
  /// straight line: sub-interval Cell (0-based), offsets U0..U1 within it
  /// (0..1), densities F0 at U0 and F1 at U1.
  struct TPiece {
    std::int32_t Cell;
    double U0, U1, F0, F1;
  };
  template <class Shape>
  void FillShape(Shape&& f) noexcept;
  void Changed() noexcept { FTableBuilt = false; }
  void BuildAliasTable();
  double RejectionDraw() const;
  double Output(std::int32_t Cell, double u) const noexcept;

  double FLowBorder = 0.0;
  double FHighBorder = 0.0;
  std::int32_t FResolution = 0;
  std::vector<double> FDistVec;
  // The alias table of the pieces, valid while FTableBuilt.
  bool FTableBuilt = false;
  bool FHasWeight = false;
  std::vector<TPiece> FPieces;
  std::vector<double> FAliasProb;
  std::vector<std::int32_t> FAlias;
};

}  // namespace kvl

KVL_API_END
