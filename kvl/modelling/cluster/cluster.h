#pragma once
// Clustering and neighbours: the Mahalanobis distance of two vectors,
// k-means partitioning, reduction to weighted centres, nearest neighbours,
// the mean distance to the k nearest neighbours, kNN estimation and the
// correlation of two image regions.
//
//   TMatrix centers;
//   TIntVector assign;
//   double within = kMeansClustering(data, 0, 0, 3, centers, assign);
//
// Objects are the rows of a TMatrix and variables its columns. k-means and
// FindCenters report one ReportMathProgress() per pass or merge; k-means
// stops early when AbortMathProc is true. kMeansClustering with RandSeed > 0
// reseeds the process-wide generator; the other functions keep no state.

#include <array>
#include <cstdint>
#include <functional>
#include <string_view>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/containers/KVL_vector.h"
#include "kvl/runtime/bitmap.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TClusterMethod: the linkage rules of agglomerative clustering.
enum class TClusterMethod { cmSingleLink, cmCompleteLink, cmWard, cmAvgLink, cmFlexLink, cmUpgma };

/// ClusterMethodID: the name of each TClusterMethod, indexed by its ordinal.
inline constexpr std::array<std::string_view, 6> ClusterMethodID = {
    "single linkage", "complete linkage",  "Ward's method",
    "average linkage", "flexible strategy", "unweighted pair group"};

/// TKnnWMode: how EstimateByKNN weighs the targets of the neighbours.
enum class TKnnWMode { kwmGauss, kwmAverage, kwmMedian, kwmLinear, kwmBiQuad };

/// TImgCompareMode: the quantity of a pixel that CalcImgCorrelation compares.
enum class TImgCompareMode { icmRed, icmBlue, icmGreen, icmHue, icmLightness, icmSaturation, icmGrayValues };

/// TCalcDistFunc: the caller's distance of object (row) Index to the probe.
using TCalcDistFunc = std::function<double(std::int32_t Index)>;

/// MahalanobisDistance: √D² with d = x − y and D² = Σᵢ dᵢ·Σⱼ InvCov(j, i)·dⱼ.
/// Raises EKVLVectorError "MahalanobisDistance: ..." when x and y differ in
/// length, InvCov is not square, its size differs from the vectors' length,
/// or D² < 0 (InvCov not positive definite). NaN in the data gives NaN.
double MahalanobisDistance(const TVector& x, const TVector& y, const TMatrix& InvCov);

/// MeanDistanceKNN: for each row i of first..last (clamped into the rows and
/// ordered), MeanDist element i := the mean Euclidean distance of row i to
/// its k nearest rows of first..last, itself included (distance 0). k is
/// clamped into 1..50 and to the number of rows in the range. MeanDist is
/// not resized (elements past its end are dropped); it fires OnChange once.
void MeanDistanceKNN(const TMatrix& Data, std::int32_t k, std::int32_t first, std::int32_t last,
                     TVector& MeanDist);

/// FindCenters: reduces rows first..last of Data (clamped and ordered) to
/// NumCenters weighted centres by merging, again and again, the closest pair
/// (squared Euclidean distance, first pair in scan order on ties) into its
/// weighted mean. Centers row r := centre r over all columns of Centers
/// (Centers is not resized; cells past Data's columns become 0). MeanDist :=
/// the mean distance of each centre to its nearest other centre (1e5 for a
/// single centre). Data is left unchanged. NumCenters below 1 counts as 1.
void FindCenters(const TMatrix& Data, std::int32_t first, std::int32_t last, std::int32_t NumCenters,
                 TMatrix& Centers, double& MeanDist);

/// kMeansClustering: Lloyd's k-means of the rows of Data into NClust
/// clusters; returns the sum of the squared distances of the objects to their
/// centre. Seeds: RandSeed > 0 reseeds the generator and takes NClust random
/// rows (repeats possible), otherwise rows 1..NClust. Each pass assigns every
/// object to the nearest centre (lowest index on ties) and, when any
/// assignment changed, recomputes the centres as their members' means (a
/// centre without members becomes 0). At the end clusters are numbered by
/// decreasing size (stable). Centers (columns x NClust, one centre per row),
/// ClustAssign (1..NClust per object) and ClustSize (NClust) are resized as
/// needed. Raises EKVLMath2Error "kMeansClustering: number of clusters is
/// greater than number of objects" (outputs untouched), "...: number of
/// clusters must be at least 1" (outputs untouched) and, after storing the
/// results, "...: max. number of iterations exceeded" after 1001 passes. On
/// AbortMathProc it stops with the last pass's results, not renumbered, and
/// returns 0. IgnoredA and IgnoredB do not influence the result.
double kMeansClustering(const TMatrix& Data, std::int32_t IgnoredA, std::int32_t IgnoredB, std::int32_t NClust,
                        std::int32_t RandSeed, TMatrix& Centers, TIntVector& ClustAssign, TIntVector& ClustSize);

/// kMeansClustering: the same with RandSeed 0 (rows 1..NClust as seeds) and
/// the cluster sizes not returned.
double kMeansClustering(const TMatrix& Data, std::int32_t IgnoredA, std::int32_t IgnoredB, std::int32_t NClust,
                        TMatrix& Centers, TIntVector& ClustAssign);

/// kMeansEstimatedSteps: the nearest integer to 0.38775·√(a·c) +
/// 0.18232·√(a·b) − 108 − 0.00092427·a − 0.00017557·a·c, at least 20.
std::int32_t kMeansEstimatedSteps(std::int32_t a, std::int32_t b, std::int32_t c);

/// FindNearestNeighbors: the k nearest of rows first..last (clamped and
/// ordered) to the probe: NN row r (r = 1..k) := (row index, distance),
/// nearest first, lower row first on equal distances. The distance is
/// DistFunc(i) when DistFunc is set, else the Euclidean distance between
/// Probe and row i over Probe's length (cells past Data's columns count as
/// 0). k is clamped to 100 and to the rows in the range; NN is not resized
/// (cells past its end are dropped) and fires OnChange once.
void FindNearestNeighbors(std::int32_t k, const TMatrix& Data, std::int32_t first, std::int32_t last,
                          const TVector& Probe, TMatrix& NN, const TCalcDistFunc& DistFunc = nullptr);

/// AgglomClustering: agglomerative clustering of the rows of Data under
/// DistMode (distances by TMatrix::CalcDistMat) and Method (FlexParam above
/// 0.5 taken as 0.5): merge s = 1..n−1 joins the closest active pair (first
/// pair in scan order on ties). Tree is resized to 3 columns x n−1 rows: row
/// s holds the two merged identifiers and the new one n + s (objects are
/// 1..n). MergeDist (n−1) receives each merge's distance, Positions (2n−1,
/// by identifier) the dendrogram positions: each object's rank in the
/// left-to-right order of the tree, each merge the mean of its two members.
/// FeedBack, when set, receives Sender and 0 at the start, then the
/// percentage step·100/n after each merge. Returns 0; −1 when AbortMathProc
/// stopped it (Tree all 0, both vectors one element 0 with IsEmpty). With a
/// single object there is nothing to merge: Tree is one row of zeros,
/// MergeDist empty (as on abort) and Positions the one position 1.
std::int32_t AgglomClustering(TObject* Sender, TMatrix& Data, TDistMode DistMode, TClusterMethod Method,
                              double FlexParam, TIntMatrix& Tree, TVector& MergeDist, TVector& Positions,
                              const TOnPercentDoneEvent& FeedBack = nullptr);

/// EstimateByKNN: estimates the target at Probe from the k nearest rows of
/// Data (Euclidean over Probe's length, as FindNearestNeighbors; lower row
/// first on equal distances) and their Target values t at distances d.
/// MeanDist := the mean of the d; with m = MeanDist (0.001 when 0):
///   kwmGauss    Σ w·t/Σ w, w = exp(−(d·KWidth/m)²) (taken relative to the
///               nearest neighbour, so the weights never all vanish)
///   kwmAverage  the mean of t
///   kwmMedian   the middle quartile of t (as TVector::Quartiles)
///   kwmLinear   Σ w·t/Σ w over w = 1 − d/m/KWidth > 0; 0 when none is
///   kwmBiQuad   the full quadratic in the variables fitted to the
///               neighbours by the SVD least squares (minimum-norm when
///               underdetermined), at Probe; 0 when the SVD fails or aborts
/// k is clamped into 1..100 and to the rows. Rows at a NaN or infinite
/// distance are no neighbours; with none left, Estimate and MeanDist are
/// NaN. Raises EKVLMath2Error "EstimateByKNN: number of targets does not
/// match number of objects" when Target's length differs from Data's rows.
void EstimateByKNN(const TMatrix& Data, const TVector& Target, std::int32_t k, TKnnWMode WMode, double KWidth,
                   const TVector& Probe, double& Estimate, double& MeanDist);

/// CalcImgCorrelation: Pearson's r (as TCurveFit::CalcStatistics gives it:
/// 0 below 3 pixels or for a constant side) between the Mode quantity of the
/// pixels of Img1 in Rect1 (inclusive corners) and of the pixels of Img2 at
/// the same offsets from (Rect2.Left, Rect2.Top). Pixels outside a bitmap
/// read as black. Hue, saturation and lightness come from RGBtoHSI, gray
/// values from RGBtoGray. Raises EKVLMath2Error "image ranges to compare are
/// not of equal size" when the widths (Right − Left) of the rectangles differ.
double CalcImgCorrelation(const TBitmap& Img1, const TBitmap& Img2, const TRect& Rect1, const TRect& Rect2,
                          TImgCompareMode Mode);

}  // namespace kvl

KVL_API_END
