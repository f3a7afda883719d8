#pragma once
// Figures of merit of a two-class decision from its four counts, the
// reduction of a multi-class confusion matrix to the counts of one class,
// and the vocabulary of the regression model files.
//
//   double mcc = CFMatthewsCorr(40, 5, 50, 5);     // (2000 - 25)/sqrt(45*45*55*55)
//   TInt2DArray conf = {{50, 2, 1}, {3, 40, 2}, {0, 4, 30}};  // [column][row]
//   std::int32_t tp, fp, tn, fn;
//   ExtractClassifPerformance(1, conf, tp, fp, tn, fn);    // class 1 (0-based)
//
// Counts come in the order tp, fp, tn, fn. No function raises; a quotient
// whose denominator is not positive counts as 0, so empty classes give 0,
// never NaN.

#include <cstdint>
#include <string>

#include "kvl/base/KVL_kvlbase.h"
#include "kvl/containers/KVL_matrix.h"
#include "kvl/runtime/export.h"

KVL_API_BEGIN

namespace kvl {

/// TRegModelType: the model built on the scores of a regression model file.
enum class TRegModelType { rmMLR, rmLDA, rmRR };
/// TPLSSclMode: how a PLS model scales its variables.
enum class TPLSSclMode { scmCenter, scmStandardize };

/// CFAccuracy: (tp + tn)/(tp + fp + tn + fn); 0 when the total is not positive.
double CFAccuracy(std::int32_t tp, std::int32_t fp, std::int32_t tn, std::int32_t fn) noexcept;

/// CFMatthewsCorr: Matthews' correlation (tp tn - fp fn) / sqrt((tp + fp)
/// (tp + fn)(fp + tn)(tn + fn)); 0 when the root is not positive.
double CFMatthewsCorr(std::int32_t tp, std::int32_t fp, std::int32_t tn, std::int32_t fn) noexcept;

/// CFInformedness: tp/(tp + fn) + tn/(fp + tn) - 1, a quotient counting 0
/// when its denominator is not positive.
double CFInformedness(std::int32_t tp, std::int32_t fp, std::int32_t tn, std::int32_t fn) noexcept;

/// ExtractClassifPerformance: the counts of class ClassIx (0-based) of the
/// square confusion matrix ConfMat ([column][row]): TP = ConfMat[k][k], FP =
/// the sum of column k - TP, FN = the sum of row k - TP, TN = the rest of
/// the total. 0 on success; -2 when ClassIx is outside 0..size - 1 (wins),
/// -1 when the array is not square (also when an inner array's length
/// differs). Sums are formed in 64 bits; a count beyond the Integer range
/// wraps. The outputs are untouched on failure.
std::int32_t ExtractClassifPerformance(std::int32_t ClassIx, const TInt2DArray& ConfMat, std::int32_t& TP,
                                       std::int32_t& FP, std::int32_t& TN, std::int32_t& FN);

/// ExtractClassifPerformance: the same counts on a TIntMatrix (dense or
/// sparse), cells addressed (column, row), ClassIx 1-based: -2 when ClassIx
/// is outside 1..NrOfColumns (wins), -1 when the matrix is not square.
std::int32_t ExtractClassifPerformance(std::int32_t ClassIx, const TIntMatrix& ConfMat, std::int32_t& TP,
                                       std::int32_t& FP, std::int32_t& TN, std::int32_t& FN);

/// LoadPLSModelComment: reads the comment of the PLS model file FName into
/// Comment (decoded from XML text). 0 on success; -1 when the file cannot
/// be opened, -2 when it is not a PLS model file (its first element is not
/// <plsmodel>), -3 when the model holds no <comment> element. Comment is
/// empty on failure. Only the model's opening tag and the elements up to
/// the comment are read. The file format is described in docs/statistics.md.
std::int32_t LoadPLSModelComment(const std::string& FName, std::string& Comment);

}  // namespace kvl

KVL_API_END
