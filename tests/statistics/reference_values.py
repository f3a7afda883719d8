#!/usr/bin/env python3
"""Prints the reference rows of the distribution tests, computed with mpmath
at 40 significant digits from the textbook definitions (incomplete gamma and
beta integrals, exact binomial sums, root finding for the quantiles), so that
the tests compare against values independent of the library's own kernels.

    python3 tests/statistics/reference_values.py > /tmp/rows.txt
"""
from mpmath import mp, mpf, hyp1f1, hyp2f1, gammainc, inf, exp, log, sqrt, pi, gamma, binomial, findroot, fsum, erf, erfc, loggamma

mp.dps = 40


def g(v):
    return mp.nstr(v, 17, min_fixed=-1, max_fixed=1) if v != 0 else "0.0"


def lower_gamma(a, x):
    # P(a, x) = x^a e^-x / Gamma(a + 1) 1F1(1; a + 1; x)
    a = mpf(a); x = mpf(x)
    return exp(a * log(x) - x - loggamma(a + 1)) * hyp1f1(1, a + 1, x, maxterms=10**7)


def lower_beta(a, b, x):
    # I_x(a, b) = x^a (1-x)^b / (a B(a, b)) 2F1(a + b, 1; a + 1; x), on the convergent side
    a = mpf(a); b = mpf(b); x = mpf(x)
    if x > a / (a + b):
        return 1 - lower_beta(b, a, 1 - x)
    lnB = loggamma(a) + loggamma(b) - loggamma(a + b)
    return exp(a * log(x) + b * log(1 - x) - lnB) / a * hyp2f1(a + b, 1, a + 1, x, maxterms=10**7)


def chi2_cdf(x, df):
    return lower_gamma(mpf(df) / 2, mpf(x) / 2)


def chi2_upper(x, df):
    return gammainc(mpf(df) / 2, mpf(x) / 2, inf, regularized=True)


def t_upper(x, df):
    x = mpf(x); n = mpf(df)
    return lower_beta(n / 2, mpf(1) / 2, n / (n + x * x)) / 2


def f_upper(x, m, n):
    x = mpf(x); m = mpf(m); n = mpf(n)
    return lower_beta(n / 2, m / 2, n / (m * x + n))


def chi2_pdf(x, df):
    a = mpf(df) / 2
    x = mpf(x)
    return exp((a - 1) * log(x) - x / 2 - a * log(2) - loggamma(a))


def t_cdf(x, df):
    x = mpf(x); n = mpf(df)
    tail = lower_beta(n / 2, mpf(1) / 2, n / (n + x * x)) / 2
    return tail if x < 0 else 1 - tail


def t_pdf(x, df):
    x = mpf(x); n = mpf(df)
    return exp(loggamma((n + 1) / 2) - loggamma(n / 2) - log(n * pi) / 2 - (n + 1) / 2 * log(1 + x * x / n))


def f_cdf(x, m, n):
    x = mpf(x); m = mpf(m); n = mpf(n)
    return lower_beta(m / 2, n / 2, m * x / (m * x + n))


def f_pdf(x, m, n):
    x = mpf(x); m = mpf(m); n = mpf(n)
    return exp((m / 2) * log(m / n) + (m / 2 - 1) * log(x) - (m + n) / 2 * log(1 + m * x / n)
               - (loggamma(m / 2) + loggamma(n / 2) - loggamma((m + n) / 2)))


def quantile(lower, upper, p, x0, tail=None):
    # the root of ln(tail) - ln(target) on u = ln x, bracketed, then refined;
    # tail: the target upper tail when 1 - p is too small for 40 digits
    p = mpf(float(p))  # the double the tests pass
    if tail is None and p <= 0.5:
        f = lambda u: log(lower(exp(u))) - log(p)
    else:
        q = mpf(tail) if tail is not None else 1 - p
        f = lambda u: log(q) - log(upper(exp(u)))
    lo = hi = log(x0)
    step = mpf(1)
    while f(lo) > 0:
        lo -= step; step *= 2
    step = mpf(1)
    while f(hi) < 0:
        hi += step; step *= 2
    return exp(findroot(f, (lo, hi), solver='anderson', tol=mpf(10) ** -35))


def binom_pmf(n, p, k):
    p = mpf(float(p))  # the double the tests pass
    return binomial(n, k) * p ** k * (1 - p) ** (n - k)


def binom_cdf(n, p, k):
    if k < n / 2:
        return fsum(binom_pmf(n, p, j) for j in range(0, k + 1))
    return 1 - fsum(binom_pmf(n, p, j) for j in range(k + 1, n + 1))


print("// chi-square: x, df, density, integral")
for df, xs in [(1, [1e-10, 0.01, 0.5, 3.84, 20, 200]), (2, [0.1, 1, 10, 100]),
               (3, [0.05, 2.5, 7.81, 40]), (5, [0.5, 4.35, 11.07, 60]),
               (10, [2, 9.34, 18.3, 100]), (30, [10, 29.3, 43.8, 150]),
               (100, [50, 99.3, 124.3, 300]), (1000, [900, 999.3, 1074.7, 1500]),
               (100000, [99000, 100300, 102000]), (10000000, [9990000, 10005000])]:
    for x in xs:
        print("    {%s, %d, %s, %s}," % (repr(float(x)), df, g(chi2_pdf(x, df)), g(chi2_cdf(x, df))))

print("// t: x, df, density, integral")
for df, xs in [(1, [-1e10, -40, -1, 0, 0.5, 12.7]), (2, [-30, -2, 0.3, 4.3]),
               (3, [-10, -0.8, 2.35, 50]), (5, [-5, -2.57, 0.7, 8]),
               (10, [-3, 1.2, 2.23, 20]), (30, [-6, -0.1, 2.04, 4]),
               (100, [-40, -1.98, 0.5, 9]), (10000, [-7, 1.96, 3]),
               (10000000, [-8, 0.2, 2.5])]:
    for x in xs:
        print("    {%s, %d, %s, %s}," % (repr(float(x)), df, g(t_pdf(x, df)), g(t_cdf(x, df))))

print("// F: x, df1, df2, density, integral")
for (m, n), xs in [((1, 1), [1e-6, 0.5, 1, 161.4, 1e8]), ((1, 10), [0.01, 4.96, 30]),
                   ((2, 5), [0.2, 1, 5.79, 80]), ((5, 2), [0.1, 1, 19.3, 1000]),
                   ((10, 20), [0.3, 1, 2.35, 12]), ((30, 3), [0.2, 1, 8.62]),
                   ((100, 100), [0.5, 1, 1.39, 3]), ((1000, 5), [0.4, 1, 4.37]),
                   ((3, 1000000), [0.01, 2.6, 15])]:
    for x in xs:
        print("    {%s, %d, %d, %s, %s}," % (repr(float(x)), m, n, g(f_pdf(x, m, n)), g(f_cdf(x, m, n))))

print("// chi-square quantiles: p, df, x")
for df in [1, 2, 5, 30, 1000]:
    for p in ['1e-100', '1e-10', '0.001', '0.05', '0.5', '0.95', '0.999', '0.9999999999']:
        x0 = df
        q = quantile(lambda x: chi2_cdf(x, df), lambda x: chi2_upper(x, df), p, x0 if mpf(p) > 1e-5 else mpf(p) ** (2.0 / df) + 1e-300)
        print("    {%s, %d, %s}," % (p, df, g(q)))

print("// t quantiles: p, df, x")
for df in [1, 2, 5, 30, 1000]:
    for p in ['1e-100', '1e-10', '0.001', '0.05', '0.3', '0.95', '0.999', '0.9999999999']:
        pp = mpf(float(p))
        tail = pp if pp < 0.5 else 1 - pp
        q = quantile(None, lambda x: t_upper(x, df), 1, 1 + 1 / tail ** (1.0 / df), tail)
        print("    {%s, %d, %s}," % (p, df, g(-q if pp < 0.5 else q)))

print("// F quantiles: p, df1, df2, x")
for m, n in [(1, 1), (2, 5), (5, 2), (10, 20), (100, 100), (3, 1000)]:
    for p in ['1e-20', '0.01', '0.5', '0.95', '0.999999']:
        q = quantile(lambda x: f_cdf(x, m, n), lambda x: f_upper(x, m, n), p, 1)
        print("    {%s, %d, %d, %s}," % (p, m, n, g(q)))

print("// binomial: n, p, k, density, integral")
for n, p, ks in [(10, '0.3', [0, 3, 7, 9]), (20, '0.5', [4, 10, 15]), (100, '0.01', [0, 1, 5, 20]),
                 (1000, '0.5', [400, 500, 560]), (1000, '0.999', [980, 995, 999]),
                 (100000, '0.0001', [0, 10, 30]), (1000000, '0.3', [298000, 300000, 302500])]:
    for k in ks:
        print("    {%d, %s, %d, %s, %s}," % (n, p, k, g(binom_pmf(n, p, k)), g(binom_cdf(n, p, k))))

print("// LnGamma / IncompleteGamma / IncompleteBeta references")
for x in [0.1, 0.5, 1, 1.5, 2, 3.7, 10, 50.5, 171, 1e5]:
    print("    {%s, %s}," % (repr(float(x)), g(loggamma(x))))
for X, A in [(0.1, 0.5), (1, 0.5), (1.4, 0.5), (2, 0.5), (12.5, 0.5), (3, 2), (5, 10), (30, 10), (95, 100), (120, 100)]:
    print("    {%s, %s, %s}," % (repr(float(X)), repr(float(A)), g(lower_gamma(A, X))))
for X, A, B in [(0.1, 0.5, 0.5), (0.5, 2, 3), (0.2, 5, 1), (0.9, 1, 5), (0.3, 10, 20), (0.7, 30, 10), (0.01, 0.5, 50)]:
    print("    {%s, %s, %s, %s}," % (repr(float(X)), repr(float(A)), repr(float(B)), g(lower_beta(A, B, X))))

print("// normal")
for x in [-8, -6, -3, -1.5, -0.2, 0.7, 2, 5]:
    print("    {%s, %s}," % (repr(float(x)), g((1 + erf(mpf(x) / sqrt(2))) / 2)))
for p in ['1e-300', '1e-100', '1e-20', '1e-9', '0.025', '0.975']:
    P = mpf(float(p))
    q = findroot(lambda x: log(erfc(-x / sqrt(2)) / 2) - log(P), -sqrt(-2 * log(P)) if P < 0.5 else mpf(1.9))
    print("    {%s, %s}," % (p, g(q)))

print("// Kolmogorov-Smirnov: n, d, P(D >= d)")


def ks_durbin(n, d):
    # P(D_n < d) = n!/n^n (H^n)_kk, Durbin's matrix in 40-digit arithmetic
    d = mpf(d)
    k = int(n * d) + 1
    m = 2 * k - 1
    h = k - n * d
    H = mp.matrix(m, m)
    for i in range(m):
        for j in range(m):
            H[i, j] = 0 if i - j + 1 < 0 else 1
    for i in range(m):
        H[i, 0] -= h ** (i + 1)
        H[m - 1, i] -= h ** (m - i)
    if 2 * h - 1 > 0:
        H[m - 1, 0] += (2 * h - 1) ** m
    for i in range(m):
        for j in range(m):
            if i - j + 1 > 0:
                H[i, j] /= mp.factorial(i - j + 1)
    Q = H ** n
    return mp.factorial(n) / mpf(n) ** n * Q[k - 1, k - 1]


def ks_upper_tail(n, d):
    # d >= 1/2: P(D_n >= d) = 2 P(D_n+ >= d), Smirnov-Birnbaum-Tingey
    d = mpf(d)
    s = fsum(binomial(n, j) * (1 - d - mpf(j) / n) ** (n - j) * (d + mpf(j) / n) ** (j - 1)
             for j in range(0, int(n * (1 - d)) + 1))
    return 2 * d * s


for n, d in [(1, 0.3), (3, 0.4), (5, 0.3), (10, 0.274), (10, 0.41), (20, 0.294), (20, 0.1),
             (50, 0.19), (99, 0.25), (100, 0.15), (400, 0.06)]:
    print("    {%d, %s, %s}," % (n, repr(d), g(1 - ks_durbin(n, d))))
for n, d in [(1, 0.8), (5, 0.55), (10, 0.5), (10, 0.62), (20, 0.5)]:
    print("    {%d, %s, %s},  // Smirnov-Birnbaum-Tingey" % (n, repr(d), g(ks_upper_tail(n, d))))
