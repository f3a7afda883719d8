#pragma once
// The neighbour search of the memory-based learner: the training objects'
// independent variables, scaled (and for Mahalanobis distances whitened),
// packed in blocks of BlockLen objects, dimension after dimension inside a
// block, so one pass over contiguous memory scores BlockLen objects at once;
// and the bounded sorted list the pass feeds.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "kvl/base/KVL_univconst.h"
#include "kvl/core/KVL_math1.h"
#include "kvl/datatable/KVL_datatable.h"
#include "kvl/learning/KVL_membl.h"

namespace kvl::membl_internal {

/// BlockLen: the objects of one block.
inline constexpr std::size_t BlockLen = 8;

/// TNeighbourList: the Capacity smallest raw distances (sums before any
/// root) offered so far, ascending, with their object indices; entries start
/// at uc_MaxReal and index 0. A distance equal to entries already in the
/// list goes in front of them (SortIntoArray with equal values allowed).
/// Fixed storage: nothing is allocated per search.
class TNeighbourList {
 public:
  /// Reset: Capacity (1..100) entries of uc_MaxReal and index 0.
  void Reset(std::size_t Capacity) noexcept {
    FCap = Capacity;
    FDist.fill(uc_MaxReal);
    FIndex.fill(0);
  }
  /// Bound: the last entry; a distance above it cannot enter.
  double Bound() const noexcept { return FDist[FCap - 1]; }
  /// Offer: puts (Raw, Index) in its place when Raw is not above Bound.
  void Offer(double Raw, std::int32_t Index) {
    if (!(Raw <= FDist[FCap - 1])) return;
    const std::int32_t pos = SortIntoArray(std::span<double>(FDist.data(), FCap), Raw, true, true);
    if (pos >= 0) InsertIntoArray(std::span<std::int32_t>(FIndex.data(), FCap), Index, pos);
  }
  std::size_t Capacity() const noexcept { return FCap; }
  double Raw(std::size_t i) const noexcept { return FDist[i]; }
  std::int32_t Index(std::size_t i) const noexcept { return FIndex[i]; }

 private:
  std::array<double, MBLMaxNeighbours> FDist{};
  std::array<std::int32_t, MBLMaxNeighbours> FIndex{};
  std::size_t FCap = 1;
};

/// TDistSums: the sums of all distances of a pass and of their squares,
/// taken about the first distance (Shift), so that the spread of distances
/// far from 0 loses nothing to cancellation.
struct TDistSums {
  double Shift = 0;
  double Sum = 0;
  double SumSq = 0;
  std::int32_t Count = 0;
  /// StdDev: the sample standard deviation; 0 below three distances.
  double StdDev() const noexcept;
};

/// TSearchSpace: the packed training data and what turns a probe into the
/// same space.
struct TSearchSpace {
  bool Valid = false;
  std::vector<std::int32_t> IndepCols;  // the independent columns, 1-based, ascending
  std::vector<double> Center;           // per independent column: subtracted (mean or 0)
  std::vector<double> Spread;           // per independent column: divided by when above 0
  std::vector<double> Whiten;           // Q x P, row after row; empty unless Mahalanobis
  std::size_t P = 0;                    // independent columns
  std::size_t Q = 0;                    // dimensions of the space (P, or fewer when whitened)
  std::size_t N = 0;                    // objects
  bool Whitened = false;                // Whiten applies (Mahalanobis)
  bool Manhattan = false;               // sums of |a - b| instead of (a - b)^2
  std::vector<double> Blocks;           // block b: Q dimensions x BlockLen lanes
  std::vector<double> Scaled;           // scratch: P scaled values of a probe
  std::vector<double> Probe;            // the probe in the space (Q values)
  // Screening in single precision: Blocks as floats, the largest magnitude
  // of each dimension, the probe as floats and its error bound.
  std::vector<float> FBlocks;
  std::vector<double> MaxAbs;
  bool FloatOK = false;   // every value fits a float (FBlocks filled)
  std::vector<float> ProbeF;
  bool ScreenOK = false;  // FloatOK and the probe fits as well
  double ScreenE = 0;
};

/// BuildSpace: fills S from the table (roles from the column attributes),
/// the column statistics (mean, variance, min, max per column) and the modes.
void BuildSpace(const TDataTable& Table, std::span<const double> MeanVarRange, TMBLDistMode Dist,
                TMBLScalingMode Scaling, TSearchSpace& S);

/// SetProbe: S.Probe := the probe of Values (one value per column, 0-based).
void SetProbe(TSearchSpace& S, std::span<const double> Values) noexcept;

/// Scan: offers every object but Exclude (1-based) to List with its raw
/// distance to S.Probe, in one pass over the blocks. With Sums, every
/// distance (rooted as Distance does) also goes into Sums; without, each
/// block is first scored in single precision and scored exactly only when
/// one of its objects may reach the list's bound (the single-precision pass
/// reads half the memory; the list ends the same as with exact scores).
void Scan(const TSearchSpace& S, std::int32_t Exclude, TNeighbourList& List, TDistSums* Sums);

/// Distance: the distance of a raw sum: its root unless Manhattan.
double Distance(const TSearchSpace& S, double Raw) noexcept;

}  // namespace kvl::membl_internal
