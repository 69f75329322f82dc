// Brent's root finder: bisection, secant and inverse quadratic
// interpolation inside an interval whose ends have opposite signs.

#include "Numerics/numerics.h"
#include "Numerics/numerics_p.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMaxIterations = 1000;
constexpr double kRelativeAccuracy = 6.0e-8;

bool sameStrictSign(double u, double v)
{
    return (u > 0.0 && v > 0.0) || (u < 0.0 && v < 0.0);
}

} // namespace

double zbrent(double (*func)(double), double x1, double x2, double tolerance)
{
    if (!func)
        throw std::bad_function_call();
    // Non-finite ends or a NaN tolerance gave 0.0 or a NaN "root" after
    // evaluations at infinity, or ran to the iteration limit: say so at once.
    if (!(std::isfinite(x1) && std::isfinite(x2))) {
        NumericsPrivate::reportNumericsError("NaN or infinite interval in zbrent");
        return 0.0;
    }
    if (std::isnan(tolerance)) {
        NumericsPrivate::reportNumericsError("NaN tolerance in zbrent");
        return 0.0;
    }
    double a = x1;
    double b = x2; // best estimate of the root
    double c = x2; // the end that keeps the root bracketed with b
    double fa = func(x1);
    double fb = func(x2);
    if (sameStrictSign(fa, fb))
        return 0.0;
    double fc = fb;
    double d = 0.0; // step taken last
    double e = 0.0; // step taken the time before

    for (int iteration = 0; iteration < kMaxIterations; ++iteration) {
        if (sameStrictSign(fb, fc)) { // root lies between a and b: bracket again
            c = a;
            fc = fa;
            d = e = b - a;
        }
        if (std::fabs(fc) < std::fabs(fb)) {
            a = b;
            b = c;
            c = a;
            fa = fb;
            fb = fc;
            fc = fa;
        }
        const double tol1 = kRelativeAccuracy * std::fabs(b) + 0.5 * tolerance;
        const double xm = 0.5 * (c - b);
        if (std::fabs(xm) <= tol1 || fb == 0.0)
            return b;

        bool bisect = true;
        if (std::fabs(e) >= tol1 && std::fabs(fa) > std::fabs(fb)) {
            const double s = fb / fa;
            double p = 0.0;
            double q = 0.0;
            if (a == c) { // two points: secant
                p = 2.0 * xm * s;
                q = 1.0 - s;
            } else { // three points: inverse quadratic interpolation
                q = fa / fc;
                const double r = fb / fc;
                p = s * (2.0 * xm * q * (q - r) - (b - a) * (r - 1.0));
                q = (q - 1.0) * (r - 1.0) * (s - 1.0);
            }
            if (p > 0.0)
                q = -q;
            p = std::fabs(p);
            const double min1 = 3.0 * xm * q - std::fabs(tol1 * q);
            const double min2 = std::fabs(e * q);
            // Interpolate only if the step stays well inside the bracket and
            // shrinks fast enough compared with the step before last.
            if (2.0 * p < std::min(min1, min2)) {
                bisect = false;
                e = d;
                d = p / q;
            }
        }
        if (bisect) {
            d = xm;
            e = d;
        }
        a = b;
        fa = fb;
        if (std::fabs(d) > tol1)
            b += d;
        else
            b += xm >= 0.0 ? tol1 : -tol1;
        fb = func(b);
    }
    NumericsPrivate::reportNumericsError("Maximum number of iterations exceeded in zbrent");
    return 0.0;
}
