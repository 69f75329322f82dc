// Powell's direction-set minimisation, in the variant that replaces the
// direction of largest decrease by the average direction of an iteration.

#include "Numerics/numerics.h"
#include "Numerics/numerics_p.h"

#include <cmath>
#include <memory>
#include <new>
#include <stdexcept>

using namespace NumericsPrivate;

namespace {

constexpr int kPowellIterations = 1000;

// Ends a run on an abort request; the request does not outlive the run.
bool stopOnAbort()
{
    if (!abortRequested())
        return false;
    clearAbortRequest();
    return true;
}

} // namespace

void abortPowell()
{
    s_abortRequested.store(true, std::memory_order_relaxed);
}

void powell(double *point, double **directions, int n, double ftol, int *iterations,
            double *value, double (*func)(double *), void (*progress)(double *))
{
    clearAbortRequest();
    if (n < 0)
        throw std::bad_array_new_length();
    if (!func)
        throw std::bad_function_call();
    if (n > 0 && (!point || !directions))
        throw std::invalid_argument("powell: null point or direction matrix");
    int iterationsIfNull = 0;
    double valueIfNull = 0.0;
    int &iteration = iterations ? *iterations : iterationsIfNull;
    double &fret = value ? *value : valueIfNull;

    // Everything the run needs, allocated before anything is evaluated: n is
    // the caller's, and running out of memory must not throw out of here.
    std::unique_ptr<double[]> storage;
    try {
        storage.reset(new double[6 * std::size_t(n)]);
    } catch (const std::bad_alloc &) {
        reportNumericsError("Not enough memory in routine POWELL");
        iteration = -1;
        return;
    }
    double *const start = storage.get();              // point at iteration start
    double *const extrapolated = start + n;           // 2 * point - start
    double *const direction = extrapolated + n;       // current search direction
    double *const lineWorkspace = direction + n;      // 3 n for the line searches

    fret = func(point);
    for (int j = 0; j < n; ++j)
        start[j] = point[j];
    iteration = 1;

    for (;;) {
        const double fp = fret;
        double del = 0.0; // largest decrease along one direction
        int big = -1;     // its direction; the first of equal decreases wins
        for (int i = 0; i < n; ++i) {
            for (int j = 0; j < n; ++j)
                direction[j] = directions[j][i];
            const double previous = fret;
            lineMinimize(point, direction, n, &fret, func, lineWorkspace);
            if (stopOnAbort())
                return;
            if (std::fabs(previous - fret) > del) {
                del = std::fabs(previous - fret);
                big = i;
            }
        }

        if (2.0 * std::fabs(fp - fret) <= ftol * (std::fabs(fp) + std::fabs(fret)))
            return;
        if (iteration == kPowellIterations) {
            reportNumericsError("Too many iterations in routine POWELL");
            iteration = -1;
            return;
        }
        if (stopOnAbort())
            return;

        for (int j = 0; j < n; ++j) {
            extrapolated[j] = 2.0 * point[j] - start[j];
            direction[j] = point[j] - start[j];
            start[j] = point[j];
        }
        const double fe = func(extrapolated);
        if (fe < fp) {
            const double drop = fp - fret - del;
            const double t = 2.0 * (fp - 2.0 * fret + fe) * drop * drop
                             - del * (fp - fe) * (fp - fe);
            if (t < 0.0) { // the average direction is worth keeping
                lineMinimize(point, direction, n, &fret, func, lineWorkspace);
                if (stopOnAbort())
                    return;
                if (big >= 0 && big < n) {
                    for (int j = 0; j < n; ++j)
                        directions[j][big] = direction[j];
                }
            }
        }
        if (progress)
            progress(point);
        ++iteration;
    }
}
