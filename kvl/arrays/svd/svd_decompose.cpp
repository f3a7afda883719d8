// Golub–Reinsch singular value decomposition: Householder reduction to upper
// bidiagonal form, accumulation of the right- and left-hand transformations,
// then implicit-shift QR on the bidiagonal form. Storage is column-major
// throughout, so every inner loop runs down a column; the one row-wise
// transformation (the right-hand Householder step) is rearranged into
// column sweeps over a row accumulator.

#include <algorithm>
#include <cmath>
#include <vector>

#include "kvl/arrays/array_kernels.h"
#include "kvl/arrays/array_svd.h"
#include "kvl/arrays/svd/internal/svd_engine.h"
#include "kvl/base/KVL_kvlbase.h"

namespace kvl {
namespace svd_internal {
namespace {

/// Pythag: √(a² + b²) without overflow or destructive underflow of the
/// squares.
double Pythag(double a, double b) noexcept {
  a = std::fabs(a);
  b = std::fabs(b);
  if (a > b) {
    const double r = b / a;
    return a * std::sqrt(1.0 + r * r);
  }
  if (b == 0.0) return 0.0;
  const double r = a / b;
  return b * std::sqrt(1.0 + r * r);
}

/// Sign: the magnitude of a with the sign of b.
double Sign(double a, double b) noexcept { return b >= 0.0 ? std::fabs(a) : -std::fabs(a); }

/// StepAborts: one progress step; true when the computation must stop.
bool StepAborts() {
  ReportMathProgress();
  return AbortMathProc;
}

/// Entries of this size or beyond would let the squares in the QR shift
/// overflow or underflow; such a matrix is scaled by a power of two (exact)
/// before the decomposition and W scaled back after.
constexpr int kSafeExponent = 400;

/// The workspace and the state shared by the phases of one decomposition.
class TGolubReinsch {
 public:
  /// v null: the singular values only (U and V are neither formed nor
  /// rotated; W gets the same values, and progress the same steps).
  /// d given (with v): U is not formed; the left-hand transformations are
  /// applied to d instead (max(m, n) values: b in, Uᵀ·b in the first n out).
  TGolubReinsch(double* const* a, std::size_t m, std::size_t n, double* const* v, double* w, double* d = nullptr)
      : a_(a), v_(v), w_(w), d_(d), m_(m), n_(n), rv1_(n), row_(std::max(m, n)), dots_(n) {}

  TSvdResult Run() {
    if (StepAborts() || !Bidiagonalise()) return TSvdResult::svdAborted;
    if (StepAborts()) return TSvdResult::svdAborted;
    if (v_ == nullptr) {
      for (std::size_t i = 0, steps = n_ + std::min(m_, n_); i < steps; ++i)
        if (StepAborts()) return TSvdResult::svdAborted;
    } else if (!AccumulateRight() || !(d_ != nullptr ? ApplyLeft() : AccumulateLeft())) {
      return TSvdResult::svdAborted;
    }
    if (StepAborts()) return TSvdResult::svdAborted;
    return Diagonalise();
  }

 private:
  bool Negligible(double x) const noexcept { return std::fabs(x) + anorm_ == anorm_; }

  // Householder reflections from the left (column i) and from the right
  // (row i) leave the diagonal in w_ and the superdiagonal in rv1_; the
  // reflection vectors stay in a_ below and right of the diagonal.
  //
  // Each pass over the trailing columns does two jobs while a column is in
  // cache. The left reflection of column i gathers Σ_k A(i,k)·A(·,k), which
  // the right reflection of row i needs; the right reflection, applied to
  // column i + 1 first, yields the next left reflection vector, and then
  // forms its dot product with every later column as it updates it. So a
  // step passes over the trailing matrix twice rather than three times, and
  // every value is the one of the plain sequence of reflections.
  bool Bidiagonalise() {
    double g = 0.0, scale = 0.0;
    bool prepared = false;    // the left step of column i already prepared
    double pScale = 0.0, pG = 0.0, pH = 0.0;
    for (std::size_t i = 0; i < n_; ++i) {
      if (StepAborts()) return false;
      const std::size_t l = i + 1;
      const bool rightStep = i < m_ && l != n_;
      const bool gather = rightStep && l < m_;  // a right step with rows below row i
      double* acc = row_.data();
      if (gather) std::fill(acc + l, acc + m_, 0.0);
      rv1_[i] = scale * g;
      g = scale = 0.0;
      bool gathered = false;
      if (i < m_) {
        double* ci = a_[i];
        double h = 0.0;
        const bool haveDots = prepared && pScale != 0.0;
        if (prepared) {
          scale = pScale;
          g = pG;
          h = pH;
        } else {
          PrepareLeft(i, scale, g, h);
        }
        if (scale != 0.0) {
          for (std::size_t j = l; j < n_; ++j) {
            double* aj = a_[j];
            const double c = (haveDots ? dots_[j] : Dot(ci + i, aj + i, m_ - i)) / h;
            if (gather) {
              aj[i] += c * ci[i];
              AxpyGather(c, ci + l, aj + l, aj[i], acc + l, m_ - l);
            } else {
              Axpy(c, ci + i, aj + i, m_ - i);
            }
          }
          gathered = gather;
          for (std::size_t k = i; k < m_; ++k) ci[k] *= scale;
        }
      }
      prepared = false;
      w_[i] = scale * g;
      g = scale = 0.0;
      if (rightStep) {
        for (std::size_t k = l; k < n_; ++k) scale += std::fabs(a_[k][i]);
        if (scale != 0.0) {
          if (gather && !gathered)
            for (std::size_t k = l; k < n_; ++k) Axpy(a_[k][i], a_[k] + l, acc + l, m_ - l);
          double s = 0.0;
          for (std::size_t k = l; k < n_; ++k) {
            a_[k][i] /= scale;
            s += a_[k][i] * a_[k][i];
          }
          const double f = a_[l][i];
          g = -Sign(std::sqrt(s), f);
          const double h = f * g - s;
          a_[l][i] = f - g;
          for (std::size_t k = l; k < n_; ++k) rv1_[k] = a_[k][i] / h;
          if (gather) {
            // acc held Σ_k A(i,k)·A(·,k) before the row was scaled and its
            // first element replaced: now it is Σ_k u_k·A(·,k) for the
            // reflection vector u, and A(j,k) += acc_j·rv1_k.
            for (std::size_t r = l; r < m_; ++r) acc[r] /= scale;
            Axpy(-g, a_[l] + l, acc + l, m_ - l);
            Axpy(rv1_[l], acc + l, a_[l] + l, m_ - l);
            PrepareLeft(l, pScale, pG, pH);
            prepared = true;
            const double* next = a_[l] + l;
            for (std::size_t k = l + 1; k < n_; ++k) {
              if (pScale != 0.0)
                dots_[k] = AxpyDot(rv1_[k], acc + l, a_[k] + l, next, m_ - l);
              else
                Axpy(rv1_[k], acc + l, a_[k] + l, m_ - l);
            }
          }
          for (std::size_t k = l; k < n_; ++k) a_[k][i] *= scale;
        }
      }
      anorm_ = std::max(anorm_, std::fabs(w_[i]) + std::fabs(rv1_[i]));
    }
    return true;
  }

  // The left reflection vector of column i, rows i to m − 1: scale := the
  // sum of their magnitudes; unless it is 0, the rows are divided by it and
  // g := −sign(f)·‖x‖, h := f·g − ‖x‖², A(i,i) := f − g (f the old A(i,i)).
  void PrepareLeft(std::size_t i, double& scale, double& g, double& h) noexcept {
    double* ci = a_[i];
    scale = g = h = 0.0;
    for (std::size_t k = i; k < m_; ++k) scale += std::fabs(ci[k]);
    if (scale == 0.0) return;
    double s = 0.0;
    for (std::size_t k = i; k < m_; ++k) {
      ci[k] /= scale;
      s += ci[k] * ci[k];
    }
    const double f = ci[i];
    g = -Sign(std::sqrt(s), f);
    h = f * g - s;
    ci[i] = f - g;
  }

  // V = product of the right-hand reflections, built backwards from the
  // identity; column i of V serves as scratch for reflection i.
  bool AccumulateRight() {
    double g = 0.0;  // the reflection of row i is known by rv1_[i + 1]
    std::size_t l = n_;
    for (std::size_t i = n_; i-- > 0;) {
      if (StepAborts()) return false;
      double* vi = v_[i];
      if (l < n_) {
        if (g != 0.0) {
          double* row = row_.data();
          for (std::size_t k = l; k < n_; ++k) row[k] = a_[k][i];
          // the double division avoids a possible underflow
          for (std::size_t j = l; j < n_; ++j) vi[j] = (row[j] / row[l]) / g;
          for (std::size_t j = l; j < n_; ++j) Axpy(Dot(row + l, v_[j] + l, n_ - l), vi + l, v_[j] + l, n_ - l);
        }
        for (std::size_t j = l; j < n_; ++j) {
          vi[j] = 0.0;
          v_[j][i] = 0.0;
        }
      }
      vi[i] = 1.0;
      g = rv1_[i];
      l = i;
    }
    return true;
  }

  // U = product of the left-hand reflections applied to the first columns
  // of the identity, in place of A. Columns at and beyond m (when m < n)
  // end up zero.
  bool AccumulateLeft() {
    const std::size_t p = std::min(m_, n_);
    for (std::size_t i = p; i-- > 0;) {
      if (StepAborts()) return false;
      const std::size_t l = i + 1;
      double* ci = a_[i];
      for (std::size_t j = l; j < n_; ++j) a_[j][i] = 0.0;
      if (w_[i] != 0.0) {
        const double g = 1.0 / w_[i];
        for (std::size_t j = l; j < p; ++j) {
          const double f = (Dot(ci + l, a_[j] + l, m_ - l) / ci[i]) * g;
          Axpy(f, ci + i, a_[j] + i, m_ - i);
        }
        for (std::size_t j = i; j < m_; ++j) ci[j] *= g;
      } else {
        std::fill(ci + i, ci + m_, 0.0);
      }
      ci[i] += 1.0;
    }
    return true;
  }

  // Uᵀ·d for U the product of the left-hand reflections (as AccumulateLeft
  // forms it, applied to d instead of the identity): reflection 0 first.
  // Entries from min(m, n) on are those of U's zero columns: 0.
  bool ApplyLeft() {
    const std::size_t p = std::min(m_, n_);
    for (std::size_t i = 0; i < p; ++i) {
      if (StepAborts()) return false;
      const double* ci = a_[i];
      if (w_[i] != 0.0) Axpy((Dot(ci + i, d_ + i, m_ - i) / ci[i]) / w_[i], ci + i, d_ + i, m_ - i);
    }
    std::fill(d_ + p, d_ + n_, 0.0);
    return true;
  }

  // The rotation of U's columns i and j, on d or on U.
  void RotateLeft(std::size_t j, std::size_t i, double c, double s) noexcept {
    if (d_ != nullptr) {
      const double x = d_[j], y = d_[i];
      d_[j] = x * c + y * s;
      d_[i] = y * c - x * s;
    } else if (v_ != nullptr) {
      Rotate(a_[j], a_[i], m_, c, s);
    }
  }

  // Implicit-shift QR on the bidiagonal form, one singular value at a time
  // from the last; a negligible diagonal entry first has its superdiagonal
  // neighbour cancelled by rotations from the left.
  TSvdResult Diagonalise() {
    for (std::size_t k = n_; k-- > 0;) {
      if (StepAborts()) return TSvdResult::svdAborted;
      for (int its = 1;; ++its) {
        bool cancel = true;
        std::size_t l = k;
        for (;; --l) {
          if (l == 0 || Negligible(rv1_[l])) {
            cancel = false;
            break;
          }
          if (Negligible(w_[l - 1])) break;
        }
        if (cancel) Cancel(l, k);
        const double z = w_[k];
        if (l == k) {
          if (z < 0.0) {
            w_[k] = -z;
            if (v_ != nullptr)
              for (std::size_t j = 0; j < n_; ++j) v_[k][j] = -v_[k][j];
          }
          break;
        }
        if (its == SvdMaxIterations) return TSvdResult::svdNoConvergence;
        QrStep(l, k);
      }
    }
    return TSvdResult::svdSuccess;
  }

  void Cancel(std::size_t l, std::size_t k) {
    const std::size_t nm = l - 1;
    double c = 0.0, s = 1.0;
    for (std::size_t i = l; i <= k; ++i) {
      const double f = s * rv1_[i];
      rv1_[i] = c * rv1_[i];
      if (Negligible(f)) break;
      const double g = w_[i];
      const double h = Pythag(f, g);
      w_[i] = h;
      c = g / h;
      s = -f / h;
      RotateLeft(nm, i, c, s);
    }
  }

  // One QR sweep over rows/columns l..k with the shift taken from the
  // trailing 2 x 2 block.
  void QrStep(std::size_t l, std::size_t k) {
    const double z = w_[k];
    double x = w_[l];
    const std::size_t nm = k - 1;
    double y = w_[nm], g = rv1_[nm], h = rv1_[k];
    double f = ((y - z) * (y + z) + (g - h) * (g + h)) / (2.0 * h * y);
    g = Pythag(f, 1.0);
    f = ((x - z) * (x + z) + h * ((y / (f + Sign(g, f))) - h)) / x;
    double c = 1.0, s = 1.0;
    for (std::size_t j = l; j <= nm; ++j) {
      const std::size_t i = j + 1;
      g = rv1_[i];
      y = w_[i];
      h = s * g;
      g = c * g;
      double r = Pythag(f, h);
      rv1_[j] = r;
      c = f / r;
      s = h / r;
      f = x * c + g * s;
      g = g * c - x * s;
      h = y * s;
      y *= c;
      if (v_ != nullptr) Rotate(v_[j], v_[i], n_, c, s);
      r = Pythag(f, h);
      w_[j] = r;
      if (r != 0.0) {
        c = f / r;
        s = h / r;
      }
      f = c * g + s * y;
      x = c * y - s * g;
      RotateLeft(j, i, c, s);
    }
    rv1_[l] = 0.0;
    rv1_[k] = f;
    w_[k] = x;
  }

  double* const* a_;
  double* const* v_;
  double* w_;
  double* d_;  // Uᵀ·b in the making, or null
  std::size_t m_, n_;
  std::vector<double> rv1_;  // superdiagonal, and the right reflection while it is applied
  std::vector<double> row_;  // one row of A, or the row accumulator
  std::vector<double> dots_; // the next left reflection vector's dot with each later column
  double anorm_ = 0.0;       // the scale against which entries count as negligible
};

/// MaxAbs: the largest |a_ij|; NaN when any entry is NaN.
double MaxAbs(double* const* a, std::size_t m, std::size_t n) noexcept {
  double amax = 0.0;
  for (std::size_t c = 0; c < n; ++c)
    for (std::size_t r = 0; r < m; ++r) {
      const double t = std::fabs(a[c][r]);
      if (std::isnan(t)) return t;
      amax = std::max(amax, t);
    }
  return amax;
}

/// ScaleAll: multiplies every entry by 2^e (exact, any e).
void ScaleAll(double* const* a, std::size_t m, std::size_t n, int e) noexcept {
  for (std::size_t c = 0; c < n; ++c)
    for (std::size_t r = 0; r < m; ++r) a[c][r] = std::ldexp(a[c][r], e);
}

}  // namespace

TSvdResult GolubReinsch(double* const* a, std::size_t m, std::size_t n, double* const* v, double* w, double* d) {
  const double amax = MaxAbs(a, m, n);
  if (!std::isfinite(amax)) return TSvdResult::svdNoConvergence;
  int e = 0;
  if (amax != 0.0) {
    const int ex = std::ilogb(amax);
    if (ex > kSafeExponent || ex < -kSafeExponent) e = -ex;
  }
  if (e != 0) ScaleAll(a, m, n, e);
  const TSvdResult r = TGolubReinsch(a, m, n, v, w, v != nullptr ? d : nullptr).Run();
  if (e != 0 && r == TSvdResult::svdSuccess)
    for (std::size_t j = 0; j < n; ++j) w[j] = std::ldexp(w[j], -e);
  return r;
}

}  // namespace svd_internal

TSvdResult SvdDecompose(TColumnView<double> A, TColumnView<double> V, std::span<double> W) {
  using svd_internal::Overlaps;
  const std::size_t n = A.size(), m = A.Rows();
  if (V.size() != n || V.Rows() != n || W.size() != n) return TSvdResult::svdBadSize;
  if (Overlaps(A.data(), m * n, V.data(), n * n) || Overlaps(A.data(), m * n, W.data(), n) ||
      Overlaps(V.data(), n * n, W.data(), n))
    return TSvdResult::svdBadSize;
  std::vector<double*> a, v;
  std::size_t rows = 0, nv = 0;
  svd_internal::ColumnTable(A, a, rows);
  svd_internal::ColumnTable(V, v, nv);
  return svd_internal::GolubReinsch(a.data(), m, n, v.data(), W.data());
}

namespace detail {

TSvdResult SingularValues(TColumnView<double> A, std::span<double> W) {
  const std::size_t n = A.size(), m = A.Rows();
  if (W.size() != n || svd_internal::Overlaps(A.data(), m * n, W.data(), n)) return TSvdResult::svdBadSize;
  std::vector<double*> a;
  std::size_t rows = 0;
  svd_internal::ColumnTable(A, a, rows);
  return svd_internal::GolubReinsch(a.data(), m, n, nullptr, W.data());
}

}  // namespace detail

TSvdResult SvdDecompose(TDouble2DArray& A, TDouble2DArray& V, TDoubleArray& W) {
  std::vector<double*> a, v;
  std::size_t m = 0, nv = 0;
  if (&A == &V || !svd_internal::ColumnTable(A, a, m)) return TSvdResult::svdBadSize;
  const std::size_t n = A.size();
  V.assign(n, TDoubleArray(n, 0.0));
  W.assign(n, 0.0);
  svd_internal::ColumnTable(V, v, nv);
  return svd_internal::GolubReinsch(a.data(), m, n, v.data(), W.data());
}

}  // namespace kvl
