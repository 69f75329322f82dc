// Golden-section search for a minimum inside a bracketing triplet.

#include "Numerics/numerics.h"
#include "Numerics/numerics_p.h"

#include <cmath>
#include <limits>

namespace {

constexpr double kR = 0.61803399;
constexpr double kC = 1.0 - kR;

// A section shrinks the bracket by kR, so any reachable tolerance is met
// long before this (from DBL_MAX wide to the smallest subnormal takes about
// 3000 sections). It only ends runs that could never stop: a tolerance of
// 0 or below, or one finer than double precision can resolve.
constexpr int kMaxSections = 10000;

enum class Tolerance { RelativeToX, Absolute };

struct Messages
{
    const char *limit;
    const char *bracket;
    const char *tolerance;
};
const Messages kGolden{"Too many iterations in golden", "NaN or infinite bracket in golden",
                       "NaN tolerance in golden"};
const Messages kMyGolden{"Too many iterations in my_golden",
                         "NaN or infinite bracket in my_golden", "NaN tolerance in my_golden"};

template <typename Function>
double goldenSection(double a, double b, double c, const Function &func, double tolerance,
                     double *xmin, Tolerance kind, const Messages &messages)
{
    // A NaN or infinite point makes every width comparison false or the
    // sections infinite, and a NaN tolerance stops the loop at once: either
    // way the search returned a value that looked like a minimum.
    const char *invalid = !(std::isfinite(a) && std::isfinite(b) && std::isfinite(c))
                              ? messages.bracket
                          : std::isnan(tolerance) ? messages.tolerance
                                                  : nullptr;
    if (invalid) {
        NumericsPrivate::reportNumericsError(invalid);
        const double nan = std::numeric_limits<double>::quiet_NaN();
        if (xmin)
            *xmin = nan;
        return nan;
    }

    double x0 = a;
    double x3 = c;
    double x1 = 0.0;
    double x2 = 0.0;
    // Start from b and a first section into the larger of its two segments.
    if (std::fabs(c - b) > std::fabs(b - a)) {
        x1 = b;
        x2 = b + kC * (c - b);
    } else {
        x2 = b;
        x1 = b - kC * (b - a);
    }
    double f1 = func(x1);
    double f2 = func(x2);

    auto wider = [&] {
        const double limit = kind == Tolerance::Absolute
                                 ? tolerance
                                 : tolerance * (std::fabs(x1) + std::fabs(x2));
        return std::fabs(x3 - x0) > limit;
    };
    int sections = 0;
    while (wider()) {
        if (++sections > kMaxSections) {
            NumericsPrivate::reportNumericsError(messages.limit);
            break;
        }
        if (f2 < f1) {
            x0 = x1;
            x1 = x2;
            x2 = kR * x1 + kC * x3;
            f1 = f2;
            f2 = func(x2);
        } else {
            x3 = x2;
            x2 = x1;
            x1 = kR * x2 + kC * x0;
            f2 = f1;
            f1 = func(x1);
        }
    }
    if (f1 < f2) {
        if (xmin)
            *xmin = x1;
        return f1;
    }
    if (xmin)
        *xmin = x2;
    return f2;
}

} // namespace

double golden(double a, double b, double c, double (*func)(double), double tolerance,
              double *xmin)
{
    if (!func)
        throw std::bad_function_call();
    return goldenSection(a, b, c, func, tolerance, xmin, Tolerance::RelativeToX, kGolden);
}

double golden(double a, double b, double c, const std::function<double(double)> &func,
              double tolerance, double *xmin)
{
    return goldenSection(a, b, c, func, tolerance, xmin, Tolerance::RelativeToX, kGolden);
}

double my_golden(double a, double b, double c, const std::function<double(double)> &func,
                 double tolerance, double *xmin)
{
    return goldenSection(a, b, c, func, tolerance, xmin, Tolerance::Absolute, kMyGolden);
}
