#pragma once

// Internal pieces of the minimisers: the abort flag, the line search that
// powell runs along each direction, and the error reporter. Not exported.

#include <atomic>

namespace NumericsPrivate {

/// Set by abortPowell, read at powell's check points, cleared by powell.
/// Relaxed atomic: a plain flag, but safe to set from another thread.
extern std::atomic<bool> s_abortRequested;

inline bool abortRequested()
{
    return s_abortRequested.load(std::memory_order_relaxed);
}
inline void clearAbortRequest()
{
    s_abortRequested.store(false, std::memory_order_relaxed);
}

/// Writes "\nERROR: " and \a message to standard output through printf:
/// no newline after the message, no flush. Returns normally.
void reportNumericsError(const char *message);

/// Moves \a point to the minimum of \a func along \a direction (both n
/// values), scales \a direction to the step taken and sets \a value. An
/// abort request during the search leaves point unchanged and value 0.0.
void lineMinimize(double *point, double *direction, int n, double *value,
                  double (*func)(double *));
/// The same in \a workspace, 3 n doubles of the caller's, so that nothing is
/// allocated during the search.
void lineMinimize(double *point, double *direction, int n, double *value,
                  double (*func)(double *), double *workspace);

/// func restricted to the line of the running lineMinimize:
/// func(start + x * direction).
double lineFunction(double x);

/// Downhill bracketing of a minimum of \a g from (a, b), with parabolic
/// extrapolation: on return b lies between a and c and g(b) is below g(a)
/// and g(c) (unless g never rises or an abort was requested).
void bracketMinimum(double &a, double &b, double &c, double &fa, double &fb, double &fc,
                    double (*g)(double));

/// Brent's minimisation of \a g inside the bracket (a, b, c): returns the
/// minimum value and writes its abscissa to \a xmin. Returns 0.0 at once,
/// without writing xmin, when an abort was requested.
double brentMinimize(double a, double b, double c, double (*g)(double), double tolerance,
                     double *xmin);

} // namespace NumericsPrivate
