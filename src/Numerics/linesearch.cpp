// The one-dimensional machinery under powell: the objective restricted to a
// line, downhill bracketing and Brent's parabolic minimisation.

#include "Numerics/numerics_p.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace NumericsPrivate {

namespace {

// The line of the running lineMinimize. lineFunction has the signature of a
// plain one-dimensional function, so it finds its line here. Each
// lineMinimize installs its own context and puts the previous one back when
// it ends, so the context never outlives the search that filled it.
struct LineContext
{
    int n = 0;
    double *start = nullptr;     // copy of the point
    double *direction = nullptr; // copy of the direction
    double *scratch = nullptr;   // argument handed to func
    double (*func)(double *) = nullptr;
};

thread_local LineContext *t_line = nullptr;

class LineScope
{
public:
    explicit LineScope(LineContext *context) : m_previous(t_line) { t_line = context; }
    ~LineScope() { t_line = m_previous; }
    LineScope(const LineScope &) = delete;
    LineScope &operator=(const LineScope &) = delete;

private:
    LineContext *m_previous;
};

constexpr double kMagnification = 1.618034; // growth of successive bracket steps
constexpr double kLargestParabolicStep = 100.0;
constexpr double kSmallestDivisor = 1.0e-20;

constexpr int kBrentIterations = 100;
constexpr double kGoldenFraction = 0.381966;
constexpr double kAbsoluteFloor = 1.0e-10; // keeps tol1 positive at x = 0

constexpr double kLineTolerance = 2.0e-4;

// |magnitude| with the sign of \a sign; a zero sign counts as negative.
double signedMagnitude(double magnitude, double sign)
{
    return sign > 0.0 ? std::fabs(magnitude) : -std::fabs(magnitude);
}

} // namespace

double lineFunction(double x)
{
    LineContext &line = *t_line;
    for (int j = 0; j < line.n; ++j)
        line.scratch[j] = line.start[j] + x * line.direction[j];
    return line.func(line.scratch);
}

void lineMinimize(double *point, double *direction, int n, double *value,
                  double (*func)(double *))
{
    const std::unique_ptr<double[]> workspace(new double[3 * std::size_t(n)]);
    lineMinimize(point, direction, n, value, func, workspace.get());
}

void lineMinimize(double *point, double *direction, int n, double *value,
                  double (*func)(double *), double *workspace)
{
    LineContext line;
    line.n = n;
    line.start = workspace;
    line.direction = workspace + n;
    line.scratch = workspace + 2 * std::size_t(n);
    line.func = func;
    std::copy(point, point + n, line.start);
    std::copy(direction, direction + n, line.direction);
    const LineScope scope(&line);

    double a = 0.0;
    double b = 1.0;
    double c = 0.0;
    double fa = 0.0;
    double fb = 0.0;
    double fc = 0.0;
    bracketMinimum(a, b, c, fa, fb, fc, lineFunction);
    // Stays 0 when an abort stops brentMinimize: the search then makes no step.
    double xmin = 0.0;
    *value = brentMinimize(a, b, c, lineFunction, kLineTolerance, &xmin);
    for (int j = 0; j < n; ++j) {
        direction[j] *= xmin;
        point[j] += direction[j];
    }
}

void bracketMinimum(double &a, double &b, double &c, double &fa, double &fb, double &fc,
                    double (*g)(double))
{
    fa = g(a);
    fb = g(b);
    if (fb > fa) { // search downhill from a to b
        std::swap(a, b);
        std::swap(fa, fb);
    }
    c = b + kMagnification * (b - a);
    fc = g(c);
    while (fb > fc && !abortRequested()) {
        const double r = (b - a) * (fb - fc);
        const double q = (b - c) * (fb - fa);
        // Abscissa of the parabola's vertex; the divisor keeps its sign but
        // never gets closer to zero than kSmallestDivisor.
        const double s = signedMagnitude(std::max(std::fabs(q - r), kSmallestDivisor), q - r);
        double u = b - ((b - c) * q - (b - a) * r) / (2.0 * s);
        const double ulim = b + kLargestParabolicStep * (c - b);
        double fu = 0.0;
        if ((b - u) * (u - c) > 0.0) { // vertex between b and c
            fu = g(u);
            if (fu < fc) { // minimum between b and c
                a = b;
                b = u;
                fa = fb;
                fb = fu;
                return;
            }
            if (fu > fb) { // minimum between a and u
                c = u;
                fc = fu;
                return;
            }
            u = c + kMagnification * (c - b); // the parabola did not help
            fu = g(u);
        } else if ((c - u) * (u - ulim) > 0.0) { // vertex beyond c, within reach
            fu = g(u);
            if (fu < fc) {
                b = c;
                c = u;
                u = c + kMagnification * (c - b);
                fb = fc;
                fc = fu;
                fu = g(u);
            }
        } else if ((u - ulim) * (ulim - c) >= 0.0) { // vertex too far: stop at the limit
            u = ulim;
            fu = g(u);
        } else { // vertex behind: plain magnification
            u = c + kMagnification * (c - b);
            fu = g(u);
        }
        a = b;
        b = c;
        c = u;
        fa = fb;
        fb = fc;
        fc = fu;
    }
}

double brentMinimize(double a, double b, double c, double (*g)(double), double tolerance,
                     double *xmin)
{
    double lo = std::min(a, c);
    double hi = std::max(a, c);
    double x = b; // best point so far
    double w = b; // second best
    double v = b; // previous value of w
    double fx = g(b);
    double fw = fx;
    double fv = fx;
    double d = 0.0; // step taken last
    double e = 0.0; // step taken the time before

    for (int iteration = 0; iteration < kBrentIterations; ++iteration) {
        if (abortRequested())
            return 0.0;
        const double xm = 0.5 * (lo + hi);
        const double tol1 = tolerance * std::fabs(x) + kAbsoluteFloor;
        const double tol2 = 2.0 * tol1;
        if (std::fabs(x - xm) <= tol2 - 0.5 * (hi - lo)) {
            *xmin = x;
            return fx;
        }

        bool goldenStep = true;
        if (std::fabs(e) > tol1) { // try a parabola through x, w and v
            double r = (x - w) * (fx - fv);
            double q = (x - v) * (fx - fw);
            double p = (x - v) * q - (x - w) * r;
            q = 2.0 * (q - r);
            if (q > 0.0)
                p = -p;
            q = std::fabs(q);
            const double etemp = e;
            e = d;
            // Accept it only if it moves less than half the step before last
            // and lands inside the bracket.
            if (!(std::fabs(p) >= std::fabs(0.5 * q * etemp) || p <= q * (lo - x)
                  || p >= q * (hi - x))) {
                goldenStep = false;
                d = p / q;
                const double u = x + d;
                if (u - lo < tol2 || hi - u < tol2)
                    d = xm - x > 0.0 ? tol1 : -tol1;
            }
        }
        if (goldenStep) { // into the larger of the two segments
            e = x >= xm ? lo - x : hi - x;
            d = kGoldenFraction * e;
        }

        double u = 0.0;
        if (std::fabs(d) >= tol1)
            u = x + d;
        else
            u = d > 0.0 ? x + tol1 : x - tol1; // never closer than tol1 to x
        const double fu = g(u);

        if (fu <= fx) {
            if (u >= x)
                lo = x;
            else
                hi = x;
            v = w;
            fv = fw;
            w = x;
            fw = fx;
            x = u;
            fx = fu;
        } else {
            if (u < x)
                lo = u;
            else
                hi = u;
            if (fu <= fw || w == x) {
                v = w;
                fv = fw;
                w = u;
                fw = fu;
            } else if (fu <= fv || v == x || v == w) {
                v = u;
                fv = fu;
            }
        }
    }
    reportNumericsError("Too many iterations in BRENT");
    *xmin = x;
    return fx;
}

} // namespace NumericsPrivate
