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

    const std::unique_ptr<double[]> start(new double[n]);        // point at iteration start
    const std::unique_ptr<double[]> extrapolated(new double[n]); // 2 * point - start
    const std::unique_ptr<double[]> direction(new double[n]);    // current search direction

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
            lineMinimize(point, direction.get(), n, &fret, func);
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
        const double fe = func(extrapolated.get());
        if (fe < fp) {
            const double drop = fp - fret - del;
            const double t = 2.0 * (fp - 2.0 * fret + fe) * drop * drop
                             - del * (fp - fe) * (fp - fe);
            if (t < 0.0) { // the average direction is worth keeping
                lineMinimize(point, direction.get(), n, &fret, func);
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
