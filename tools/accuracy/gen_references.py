#!/usr/bin/python3
"""Writes the reference values behind docs/accuracy.md into tests/accuracy/refs/.

Every value is computed with mpmath at 50 significant digits from the
textbook definition of the function (incomplete gamma and beta integrals in
their hypergeometric forms, closed-form densities, root finding on the
50-digit distribution function for the quantiles), never with this library.
The arguments are doubles (printed so that they read back exactly) and are
taken exactly by mpmath. Each file is one argument set:

    # function: <library function>
    # error: relative | absolute
    # arguments: <the set, in words>
    # generated: tools/accuracy/gen_references.py, mpmath <version>, 50 digits
    <arg> ... <arg> <reference, 25 significant digits>

Run from the repository root (Debian: python3-mpmath; SciPy only supplies
starting points of the root searches):

    /usr/bin/python3 tools/accuracy/gen_references.py
"""
import math
import os
import sys
from fractions import Fraction

import mpmath
from mpmath import mp, mpf, exp, log, sqrt, pi, loggamma, hyp1f1, hyp2f1, erf, ncdf, binomial, findroot
import numpy as np
from scipy import stats

mp.dps = 50
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "accuracy", "refs")
TINY = mpf(2) ** -1022  # results below the smallest normal double are left out


def lower_gamma(a, x):
    """P(a, x) = x^a e^-x / Gamma(a + 1) 1F1(1; a + 1; x), lower tail."""
    a, x = mpf(a), mpf(x)
    return exp(a * log(x) - x - loggamma(a + 1)) * hyp1f1(1, a + 1, x, maxterms=10**7)


def upper_gamma(a, x):
    return mpmath.gammainc(a, x, mpmath.inf, regularized=True)


def gamma_p(a, x):
    """P(a, x) on the side where the series is short, 1 - Q otherwise."""
    return lower_gamma(a, x) if x <= a + 1 else 1 - upper_gamma(a, x)


def beta_i(a, b, x):
    """I_x(a, b) = x^a (1-x)^b / (a B(a, b)) 2F1(a + b, 1; a + 1; x), on the convergent side."""
    a, b, x = mpf(a), mpf(b), mpf(x)
    if x == 0:
        return mpf(0)
    if x == 1:
        return mpf(1)
    if x > a / (a + b):
        return 1 - beta_i(b, a, 1 - x)
    lnb = loggamma(a) + loggamma(b) - loggamma(a + b)
    return exp(a * log(x) + b * log(1 - x) - lnb) / a * hyp2f1(a + b, 1, a + 1, x, maxterms=10**7)


def t_cdf(x, df):
    x, df = mpf(x), mpf(df)
    tail = beta_i(df / 2, mpf(1) / 2, df / (df + x * x)) / 2
    return tail if x < 0 else 1 - tail


def f_cdf(x, d1, d2):
    x, d1, d2 = mpf(x), mpf(d1), mpf(d2)
    return beta_i(d1 / 2, d2 / 2, d1 * x / (d1 * x + d2))


def chi2_cdf(x, df):
    return gamma_p(mpf(df) / 2, mpf(x) / 2)


def chi2_pdf(x, df):
    k = mpf(df) / 2
    x = mpf(x)
    return exp((k - 1) * log(x) - x / 2 - k * log(2) - loggamma(k))


def t_pdf(x, df):
    x, n = mpf(x), mpf(df)
    return exp(loggamma((n + 1) / 2) - loggamma(n / 2) - log(n * pi) / 2 - (n + 1) / 2 * log(1 + x * x / n))


def f_pdf(x, d1, d2):
    x, d1, d2 = mpf(x), mpf(d1), mpf(d2)
    lnb = loggamma(d1 / 2) + loggamma(d2 / 2) - loggamma((d1 + d2) / 2)
    return exp(d1 / 2 * log(d1 / d2) + (d1 / 2 - 1) * log(x) - (d1 + d2) / 2 * log(1 + d1 * x / d2) - lnb)


def binom_pdf(n, p, k):
    p = mpf(p)
    return binomial(n, k) * p**k * (1 - p) ** (n - k)


def binom_cdf(n, p, k):
    # P(X <= k) summed exactly (n is small enough here); checked against I_(1-p)(n - k, k + 1)
    return mpmath.fsum(binom_pdf(n, p, j) for j in range(k + 1))


def quantile(cdf, p, start, positive=True):
    """The root x of cdf(x) = p at 50 digits: a bracketing search on the log of
    the tail on p's side (in ln x where the support is positive), started at
    a double estimate."""
    p = mpf(p)
    to_x = (lambda u: exp(u)) if positive else (lambda u: u)
    floor = mpf(10) ** -(10**6)

    def h(u):
        c = mpmath.re(cdf(to_x(u)))
        if p <= mpf(1) / 2:
            return log(max(c, floor)) - log(p)
        return log(1 - p) - log(max(1 - c, floor))

    u0 = mpf(log(start)) if positive else mpf(start)
    step = mpf(1) / 16 if positive else mpf(1) / 16 * max(1, abs(u0))
    lo, hi = u0 - step, u0 + step
    while h(lo) > 0:
        lo -= hi - lo
    while h(hi) < 0:
        hi += hi - lo
    # Illinois regula falsi on the bracket down to 45 digits.
    flo, fhi = h(lo), h(hi)
    side = 0
    for _ in range(500):
        if hi - lo <= mpf(10) ** -45 * max(1, abs(lo)):
            break
        u = (lo * fhi - hi * flo) / (fhi - flo)
        fu = h(u)
        if fu == 0:
            return to_x(u)
        if fu < 0:
            lo, flo = u, fu
            if side == -1:
                fhi /= 2
            side = -1
        else:
            hi, fhi = u, fu
            if side == 1:
                flo /= 2
            side = 1
    else:
        raise RuntimeError("quantile search did not converge")
    return to_x((lo + hi) / 2)


def fmt_arg(v):
    return repr(float(v)) if not isinstance(v, int) else str(v)


def write(name, function, error, arguments, rows, note=""):
    """rows: (args tuple, reference mpf); references outside the normal double range are dropped."""
    os.makedirs(OUT, exist_ok=True)
    kept = [(a, r) for a, r in rows if abs(r) >= TINY or (error == "absolute")]
    with open(os.path.join(OUT, name + ".txt"), "w") as f:
        f.write(f"# function: {function}\n# error: {error}\n# arguments: {arguments}\n")
        f.write(f"# generated: tools/accuracy/gen_references.py, mpmath {mpmath.__version__}, 50 digits\n")
        if note:
            f.write(f"# reference: {note}\n")
        for args, ref in kept:
            f.write(" ".join(fmt_arg(a) for a in args) + " " + mp.nstr(ref, 25, min_fixed=1, max_fixed=0) + "\n")
    print(f"{name}: {len(kept)} rows", file=sys.stderr)


def grid(lo, hi, n):
    return [float(v) for v in np.linspace(lo, hi, n)]


def main():
    only = set(sys.argv[1:])

    def want(name):
        return not only or name in only

    # Normal distribution and error function.
    if want("normal"):
        xs = grid(-37.5, 37.5, 151)
        write("normal_density", "nDistriDensity", "relative", "x = -37.5 .. 37.5, step 0.5",
              [((x,), exp(-mpf(x) ** 2 / 2) / sqrt(2 * pi)) for x in xs])
        xs = [x for x in grid(-5.6, 8.2, 139)]
        write("normal_integral", "nDistriIntegral", "relative", "x = -5.6 .. 8.2, step 0.1",
              [((x,), ncdf(x)) for x in xs])
        xs = grid(-37.5, -5.7, 160)
        write("normal_integral_tail", "nDistriIntegral", "absolute", "x = -37.5 .. -5.7 (lower tail), 160 points",
              [((x,), ncdf(x)) for x in xs])
        ps = [10.0**-k for k in range(300, 0, -3)] + grid(0.02, 0.98, 49) + [1 - 10.0**-k for k in range(2, 16)]
        ps = [p for p in ps if p != 0.5]
        write("normal_quantile", "nDistriQuantile", "relative",
              "p = 1e-300 .. 1e-3 (every third decade), 0.02 .. 0.98 step 0.02 (not 0.5), 1 - 1e-2 .. 1 - 1e-15",
              [((p,), quantile(ncdf, p, stats.norm.ppf(p), positive=False)) for p in ps])
        xs = [x for x in grid(-6, 6, 121) if x != 0] + [1e-10, 1e-5, 1e-3]
        write("erf", "Erf", "relative", "x = -6 .. 6 step 0.1 (not 0), 1e-10, 1e-5, 1e-3",
              [((x,), erf(x)) for x in xs])
        xs = grid(-6, 6, 121)
        write("erf_approx", "ErfApprox", "absolute", "x = -6 .. 6 step 0.1", [((x,), erf(x)) for x in xs])

    # Gamma and beta functions.
    if want("gammabeta"):
        xs = [float(v) for v in np.geomspace(1e-3, 1e5, 97)] + [1.0, 2.0, 0.5, 1.5, 2.5]
        write("lngamma", "LnGamma", "absolute", "x = 1e-3 .. 1e5 (97 points, even in log), 0.5, 1, 1.5, 2, 2.5",
              [((x,), loggamma(x)) for x in xs])
        shapes = [0.5, 1.0, 2.5, 5.0, 10.0, 30.0, 100.0, 1000.0]
        ratios = [0.05, 0.2, 0.5, 0.9, 1.0, 1.1, 1.5, 2.0, 4.0]
        rows = [((a * r, a), gamma_p(a, a * r)) for a in shapes for r in ratios]
        write("incomplete_gamma", "IncompleteGamma", "relative",
              "A = 0.5, 1, 2.5, 5, 10, 30, 100, 1000; X = A times 0.05, 0.2, 0.5, 0.9, 1, 1.1, 1.5, 2, 4 (lower tail P)",
              rows)
        ab = [0.5, 1.0, 2.0, 5.0, 20.0, 100.0]
        xs = [0.01, 0.1, 0.3, 0.5, 0.7, 0.9, 0.99]
        rows = [((x, a, b), beta_i(a, b, x)) for a in ab for b in ab for x in xs]
        write("incomplete_beta", "IncompleteBeta", "relative",
              "A, B = 0.5, 1, 2, 5, 20, 100 (all pairs); X = 0.01, 0.1, 0.3, 0.5, 0.7, 0.9, 0.99", rows)
        rows = [((a, b), loggamma(a) + loggamma(b) - loggamma(mpf(a) + b)) for a in ab + [1e3] for b in ab + [1e3]]
        write("lnbeta", "LnBeta", "absolute", "A, B = 0.5, 1, 2, 5, 20, 100, 1000 (all pairs)", rows)

    # Chi-square, t and F distributions.
    if want("continuous"):
        dfs = [1, 2, 3, 5, 10, 30, 100, 1000, 100000]
        ratios = [0.01, 0.1, 0.5, 0.9, 1.0, 1.1, 2.0, 5.0]
        write("chi2_density", "Chi2DistriDensity", "relative",
              "df = 1, 2, 3, 5, 10, 30, 100, 1000, 1e5; x = df times 0.01, 0.1, 0.5, 0.9, 1, 1.1, 2, 5",
              [((df * r, df), chi2_pdf(df * r, df)) for df in dfs for r in ratios])
        write("chi2_integral", "chi2DistriIntegral", "relative",
              "df = 1, 2, 3, 5, 10, 30, 100, 1000, 1e5; x = df times 0.01, 0.1, 0.5, 0.9, 1, 1.1, 2, 5 (lower tail)",
              [((df * r, df), chi2_cdf(df * r, df)) for df in dfs for r in ratios])
        ps = [1e-100, 1e-10, 1e-3, 0.05, 0.5, 0.95, 0.999, 1 - 1e-10]
        rows = []
        for df in dfs:
            for p in ps:
                start = stats.chi2.ppf(p, df)
                if not np.isfinite(start) or start <= 0:
                    start = df * 1e-3
                rows.append(((p, df), quantile(lambda x: chi2_cdf(x, df), p, start)))
        write("chi2_quantile", "chi2DistriQuantile", "relative",
              "df = 1, 2, 3, 5, 10, 30, 100, 1000, 1e5; p = 1e-100, 1e-10, 1e-3, 0.05, 0.5, 0.95, 0.999, 1 - 1e-10", rows)

        tdfs = [1, 2, 3, 5, 10, 30, 100, 10000, 1000000]
        txs = [-1000.0, -50.0, -10.0, -3.0, -1.0, -0.1, 0.1, 1.0, 3.0, 10.0]
        write("t_density", "tDistriDensity", "relative",
              "df = 1, 2, 3, 5, 10, 30, 100, 1e4, 1e6; t = -1000, -50, -10, -3, -1, -0.1, 0.1, 1, 3, 10",
              [((x, df), t_pdf(x, df)) for df in tdfs for x in txs])
        write("t_integral", "tDistriIntegral", "relative",
              "df = 1, 2, 3, 5, 10, 30, 100, 1e4, 1e6; t = -1000, -50, -10, -3, -1, -0.1, 0.1, 1, 3, 10",
              [((x, df), t_cdf(x, df)) for df in tdfs for x in txs])
        tps = [1e-100, 1e-10, 1e-3, 0.025, 0.3, 0.7, 0.975, 0.999, 1 - 1e-10]
        rows = []
        for df in tdfs:
            for p in tps:
                start = stats.t.ppf(p, df)
                rows.append(((p, df), quantile(lambda x: t_cdf(x, df), p, start, positive=False)))
        write("t_quantile", "tDistriQuantile", "relative",
              "df = 1, 2, 3, 5, 10, 30, 100, 1e4, 1e6; p = 1e-100, 1e-10, 1e-3, 0.025, 0.3, 0.7, 0.975, 0.999, 1 - 1e-10",
              rows)

        fdfs = [(1, 1), (1, 10), (2, 5), (5, 2), (10, 10), (3, 100), (100, 3), (50, 1000)]
        fxs = [0.01, 0.1, 0.5, 1.0, 2.0, 5.0, 50.0]
        write("f_density", "FDistriDensity", "relative",
              "(df1, df2) = (1,1), (1,10), (2,5), (5,2), (10,10), (3,100), (100,3), (50,1000); x = 0.01, 0.1, 0.5, 1, 2, 5, 50",
              [((x, a, b), f_pdf(x, a, b)) for a, b in fdfs for x in fxs])
        write("f_integral", "FDistriIntegral", "relative",
              "(df1, df2) = (1,1), (1,10), (2,5), (5,2), (10,10), (3,100), (100,3), (50,1000); x = 0.01, 0.1, 0.5, 1, 2, 5, 50",
              [((x, a, b), f_cdf(x, a, b)) for a, b in fdfs for x in fxs])
        fps = [1e-10, 1e-3, 0.05, 0.5, 0.95, 0.999]
        rows = []
        for a, b in fdfs:
            for p in fps:
                rows.append(((p, a, b), quantile(lambda x: f_cdf(x, a, b), p, stats.f.ppf(p, a, b))))
        write("f_quantile", "FDistriQuantile", "relative",
              "(df1, df2) as for FDistriIntegral; p = 1e-10, 1e-3, 0.05, 0.5, 0.95, 0.999", rows)

    # Binomial distribution.
    if want("binomial"):
        rows_d, rows_i = [], []
        for n in [10, 100, 1000, 5000]:
            for p in [0.01, 0.3, 0.5, 0.9]:
                mean, sd = n * p, (n * p * (1 - p)) ** 0.5
                ks = sorted({min(n, max(0, int(round(mean + z * sd)))) for z in [-6, -3, -1, 0, 1, 3, 6]} | {0, n - 1})
                for k in ks:
                    rows_d.append(((n, p, k), binom_pdf(n, p, k)))
                    if k < n:
                        rows_i.append(((n, p, k), binom_cdf(n, p, k)))
        write("binom_density", "BinomDistriDensity", "relative",
              "n = 10, 100, 1000, 5000; p = 0.01, 0.3, 0.5, 0.9; k = 0, n - 1 and mean + z sd for z = -6, -3, -1, 0, 1, 3, 6",
              rows_d)
        write("binom_integral", "BinomDistriIntegral", "relative",
              "as for BinomDistriDensity, k < n (exact sums of the probabilities)", rows_i)

    # Singular values of fixed matrices (the doubles the library sees, taken exactly).
    if want("svd"):
        def rows_of(kind, m, n):
            a = mpmath.matrix(m, n)
            for r in range(m):
                for c in range(n):
                    a[r, c] = mpf(svd_entry(kind, r, c))
            sv = sorted(mpmath.svd_r(a, compute_uv=False), reverse=True)
            return [((kind, m, n, k + 1), sv[k]) for k in range(n)]

        write("svd_integer", "SvdDecompose", "relative",
              "singular values (largest first) of integer matrices (entries -10 .. 10 from a fixed hash of "
              "the position) of 6 x 4, 10 x 6, 30 x 20 and 40 x 30",
              sum((rows_of(2, m, n) for m, n in [(6, 4), (10, 6), (30, 20), (40, 30)]), []))
        write("svd_hilbert", "SvdDecompose", "absolute",
              "singular values (largest first) of the Hilbert matrices a(r, c) = 1 / (r + c + 1) rounded to "
              "double, n = 4, 8, 12",
              sum((rows_of(1, n, n) for n in [4, 8, 12]), []))

    # Eigenvalues of fixed symmetric matrices and least-squares coefficients
    # of fixed designs (hashed integers, taken exactly), at 50 digits.
    if want("linalg"):
        rows = []
        for n in [6, 20, 50]:
            a = mpmath.matrix(n, n)
            for r in range(n):
                for c in range(n):
                    a[r, c] = mpf(hashed(min(r, c), max(r, c)))
            ev = sorted(mpmath.eigsy(a, eigvals_only=True), reverse=True)
            rows += [((n, k + 1), ev[k]) for k in range(n)]
        write("eigen_symmetric", "EigenDecomposition", "absolute",
              "eigenvalues (largest first) of the symmetric matrices a(r, c) = h(min(r, c), max(r, c)) of "
              "integers -10 .. 10 from a fixed hash, n = 6, 20, 50", rows)
        rows = []
        for m, n in [(8, 3), (40, 6), (300, 20), (100, 60)]:
            a = mpmath.matrix(m, n)
            b = mpmath.matrix(m, 1)
            for r in range(m):
                b[r] = mpf(hashed(r, 999))
                for c in range(n):
                    a[r, c] = mpf(hashed(r, c))
            x = mpmath.lu_solve(a.T * a, a.T * b)  # the normal equations, exact enough at 50 digits
            rows += [((m, n, j + 1), x[j]) for j in range(n)]
        write("lsq_integer", "SvdLeastSquares", "relative",
              "least-squares coefficients of designs of hashed integers -10 .. 10 (right-hand side column 999 "
              "of the hash) of 8 x 3, 40 x 6, 300 x 20 and 100 x 60 (all reduced to R first but 100 x 60)", rows)

    # Hypergeometric and Weibull densities, from their closed forms.
    if want("densities"):
        rows = []
        for npop, p in [(20, 0.25), (100, 0.5), (1000, 0.125), (5000, 0.75)]:
            succ = int(round(npop * p))
            for nsample in sorted({5, npop // 10, npop // 2}):
                lo, hi = max(0, nsample - (npop - succ)), min(nsample, succ)
                ks = sorted({lo, hi, (lo + hi) // 2, lo + (hi - lo) // 4, lo + 3 * (hi - lo) // 4})
                for k in ks:
                    ref = mpf(math.comb(succ, k) * math.comb(npop - succ, nsample - k)) / math.comb(npop, nsample)
                    rows.append(((p, npop, nsample, k), ref))
        write("hypergeo_density", "HyperGeoDistriDensity", "relative",
              "(npop, p) = (20, 0.25), (100, 0.5), (1000, 0.125), (5000, 0.75); nsample = 5, npop/10, npop/2; k at "
              "the ends, middle and quarters of its range (exact ratios of binomial coefficients)", rows)
        rows = []
        for shape in [0.5, 1.0, 1.5, 3.0, 10.0]:
            for scale in [0.1, 1.0, 250.0]:
                for t in [0.01, 0.3, 1.0, 2.0, 4.0]:
                    x = scale * t
                    k, l, xm = mpf(shape), mpf(scale), mpf(x)
                    rows.append(((x, shape, scale), k / l * (xm / l) ** (k - 1) * exp(-((xm / l) ** k))))
        write("weibull_density", "WeibullDensity", "relative",
              "shape K = 0.5, 1, 1.5, 3, 10; scale L = 0.1, 1, 250; X = L times 0.01, 0.3, 1, 2, 4", rows)

    # The Mann-Whitney U distribution: exact counts (Python integers) of the
    # arrangements, the coefficients of the Gaussian binomial [n1 + n2, n1]_q.
    if want("mannwhitney"):
        exact, approx = [], []
        for n1, n2 in [(3, 5), (8, 10), (20, 20), (5, 200), (60, 80), (50, 1000), (100, 400)]:
            counts = u_counts(n1, n2)
            total = sum(counts)
            mean, sd = n1 * n2 / 2, (n1 * n2 * (n1 + n2 + 1) / 12) ** 0.5
            us = sorted({min(n1 * n2 - 1, max(0, int(round(mean + z * sd)))) for z in [-4, -2, -1, 0, 1, 2, 4]})
            cum = 0
            cums = []
            for c in counts:
                cum += c
                cums.append(cum)
            is_exact = n1 * n2 <= 500000 and min(n1, n2) * n1 * n2 <= 2000000
            for u in us:
                ref = mpf(cums[u]) / total
                (exact if is_exact else approx).append(((n1, n2, u), ref))
        write("mannwhitney_exact", "UDistriIntegral", "relative",
              "(n1, n2) = (3, 5), (8, 10), (20, 20), (5, 200), (60, 80); u = mean + z sd for z = -4, -2, -1, 0, "
              "1, 2, 4 (exact counts of the arrangements)", exact)
        write("mannwhitney_edgeworth", "UDistriIntegral", "absolute",
              "(n1, n2) = (50, 1000), (100, 400), beyond the exact table; u as for the exact set", approx)

    # The Kolmogorov-Smirnov statistic: P(D >= d) from Durbin's matrix
    # formula in exact rationals, each value checked against SciPy's kstwo
    # (which is good to about 1e-11 here) to 1e-10.
    if want("kolmogorov"):
        exact, asym = [], []
        for n in [5, 10, 20, 50, 100]:
            for t in [0.3, 0.5, 0.8, 1.0, 1.3, 1.6, 2.0, 2.5, 3.0]:  # t = sqrt(n) d
                d = t / n**0.5
                limit = 3.76 if n > 99 else 7.24
                if d >= 1:  # D never exceeds 1
                    if n * d * d > limit:
                        asym.append(((n, d), mpf(0)))
                    continue
                exact_p = 1 - ks_cdf(n, d)
                ref = mpf(exact_p.numerator) / exact_p.denominator
                sp = stats.kstwo.sf(d, n)
                assert abs(ref - sp) <= 1e-10 * sp, (n, d, ref, sp)
                (asym if n * d * d > limit else exact).append(((n, d), ref))
        write("kolmogorov_exact", "KSPValue", "relative",
              "n = 5, 10, 20, 50, 100; d = t / sqrt(n) for t = 0.3, 0.5, 0.8, 1, 1.3, 1.6, 2, 2.5, 3 "
              "where n d^2 is at most 7.24 (3.76 above n = 99) and d < 1", exact)
        write("kolmogorov_asymptotic", "KSPValue", "absolute",
              "as for the exact set, where n d^2 exceeds 7.24 (3.76 above n = 99); P = 0 for d >= 1", asym)

    # The fast Fourier transform of a fixed complex signal: the exact DFT
    # X_L = sum_j x_j e^(+2 pi i j L / N) (the library's sign), at 50 digits.
    if want("fft"):
        rows = []
        for n in [8, 64, 1024]:
            x = [mpmath.mpc(hashed(j, 1), hashed(j, 2)) for j in range(n)]
            w = [mpmath.expjpi(mpf(2 * m) / n) for m in range(n)]
            for line in range(n):
                v = mpmath.fsum(x[j] * w[(j * line) % n] for j in range(n))
                rows.append(((n, line, 0), v.real))
                rows.append(((n, line, 1), v.imag))
        write("fft", "TFastFourier::Transform", "absolute",
              "every line (real and imaginary part) of N = 8, 64, 1024 complex samples, integers -10 .. 10 "
              "from a fixed hash of the position (real: column 1, imaginary: column 2), rectangular window",
              rows)


def ks_cdf(n, d):
    """P(D_n < d) = n! / n^n (H^n)_kk, Durbin's matrix (Marsaglia, Tsang, Wang 2003), in exact rationals."""
    d = Fraction(d)
    k = int(n * d) + 1
    m = 2 * k - 1
    h = k - n * d
    H = [[Fraction(1 if i - j + 1 >= 0 else 0) for j in range(m)] for i in range(m)]
    for i in range(m):
        H[i][0] -= h ** (i + 1)
        H[m - 1][i] -= h ** (m - i)
    if 2 * h - 1 > 0:
        H[m - 1][0] += (2 * h - 1) ** m
    for i in range(m):
        for j in range(m):
            if i - j + 1 > 0:
                H[i][j] /= math.factorial(i - j + 1)

    def mul(a, b):
        return [[sum(a[i][t] * b[t][j] for t in range(m)) for j in range(m)] for i in range(m)]

    power, base, e = None, H, n
    while e:
        if e & 1:
            power = base if power is None else mul(power, base)
        e >>= 1
        if e:
            base = mul(base, base)
    return Fraction(math.factorial(n), n**n) * power[k - 1][k - 1]


def u_counts(n1, n2):
    """Numbers of arrangements with U = 0 .. n1 n2: prod (1 - q^(n2 + i)) / (1 - q^i), i = 1 .. n1."""
    deg = n1 * n2
    poly = [0] * (deg + 1)
    poly[0] = 1
    for i in range(1, n1 + 1):
        step = n2 + i  # times (1 - q^(n2 + i)), from the top down
        for k in range(deg, step - 1, -1):
            poly[k] -= poly[k - step]
        for k in range(i, deg + 1):  # divided by (1 - q^i): running sums with stride i
            poly[k] += poly[k - i]
    return poly


def hashed(r, c):
    """Integers -10 .. 10 from a linear congruential hash of the position (r, c)."""
    k = 1000 * r + c + 1
    h = (k * 1103515245 + 12345) % 2**31
    h = (h * 1103515245 + 12345) % 2**31
    return (h >> 16) % 21 - 10


def svd_entry(kind, r, c):
    """The matrices of the singular value sets, as the library's table builds them."""
    if kind == 1:
        return 1.0 / (r + c + 1)
    return float(hashed(r, c))


if __name__ == "__main__":
    main()
