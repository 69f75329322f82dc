#pragma once

// Minimisers and a root finder for the tools' optimisation and fitting code.
//
//     powell     minimum of a function of n variables by direction sets
//     golden     minimum of a function of one variable inside a bracketing
//                triplet, golden-section search, tolerance relative to |x|
//     my_golden  the same with an absolute tolerance (final bracket width)
//     zbrent     root of a function of one variable inside a sign change
//
// Failures and limits are reported as "\nERROR: <message>" on standard
// output (printf, no newline after the message, no flush) and the routine
// returns normally; nothing ends the process.
//
//     double rosenbrock(double *x) { ... }
//     double point[2] = {-1.2, 1.0};
//     double row0[2] = {1, 0}, row1[2] = {0, 1};
//     double *directions[2] = {row0, row1};   // columns are the directions
//     int iterations = 0;
//     double value = 0.0;
//     powell(point, directions, 2, 1e-10, &iterations, &value, rosenbrock, nullptr);
//
// powell keeps one process-wide abort flag: abortPowell(), called from the
// objective, from the progress callback or from another thread, ends the
// running powell at its next check point (after the current function
// evaluation; the interrupted line search makes no step and value becomes
// 0.0). A request made while no powell runs is discarded by the next start.
// Run one powell at a time in the process.
//
// Programming errors are exceptions, raised before anything is evaluated:
// a null function pointer or an empty std::function throws
// std::bad_function_call, a negative n throws std::bad_array_new_length, and
// null point or direction arrays with n > 0 throw std::invalid_argument.
//
// The two golden overloads take a function pointer or a std::function; a
// lambda without captures matches both, so pass it as +lambda or wrap it.

#include <basicsdll_export.h>

#include <functional>

/// Powell's direction-set minimisation of func over n variables.
///
/// \a point holds the start on entry and the minimum found on return.
/// \a directions is an array of n row pointers to n doubles each; direction i
/// is column i (component j in row j, element i). On return the column of the
/// largest decrease of some iterations may have been replaced by the average
/// direction of that iteration.
/// Stops when one iteration lowers the value by no more than
/// ftol * (|before| + |after|) / 2 (no absolute floor: give a function whose
/// minimum value is not 0 or accept that the test is purely relative).
/// \a iterations receives the number of iterations run, or -1 after the
/// limit of 1000 ("Too many iterations in routine POWELL" is printed; point
/// and value hold the last iterate). \a value receives func(point).
/// The working memory, 6 n doubles, is taken before anything is evaluated;
/// if it cannot be had, "Not enough memory in routine POWELL" is printed,
/// \a iterations becomes -1 and point and value are left as they were.
/// \a progress, if not null, gets the current point after every iteration
/// except the last. \a iterations and \a value may be null.
BASICSDLL_EXPORT void powell(double *point, double **directions, int n, double ftol,
                             int *iterations, double *value, double (*func)(double *),
                             void (*progress)(double *));

/// Asks the running powell to stop at its next check point.
BASICSDLL_EXPORT void abortPowell();

/// Golden-section search inside the triplet a, b, c (b between a and c,
/// func(b) below func(a) and func(c)). Runs while the bracket is wider than
/// tolerance * (|x1| + |x2|) of its two inner points; writes the abscissa of
/// the smaller of the two final values to \a xmin (if not null; on a tie the
/// point on c's side) and returns that value. Comparisons with a NaN value
/// are false, so the search then keeps the side of x1. The tolerance must be
/// one the bracket can reach in double precision; a run that has not ended
/// after 10000 sections stops with "Too many iterations in golden".
/// A NaN or infinite a, b or c prints "NaN or infinite bracket in golden", a
/// NaN tolerance "NaN tolerance in golden"; nothing is evaluated, and the
/// result and \a xmin are NaN.
BASICSDLL_EXPORT double golden(double a, double b, double c, double (*func)(double),
                               double tolerance, double *xmin);
BASICSDLL_EXPORT double golden(double a, double b, double c,
                               const std::function<double(double)> &func, double tolerance,
                               double *xmin);

/// golden with an absolute tolerance: runs while the bracket is wider than
/// \a tolerance (in units of x). The 10000-section stop prints
/// "Too many iterations in my_golden"; non-finite input is refused as in
/// golden, with "... in my_golden".
BASICSDLL_EXPORT double my_golden(double a, double b, double c,
                                  const std::function<double(double)> &func, double tolerance,
                                  double *xmin);

/// Brent's root finder on [x1, x2]: returns a root within about
/// 6e-8 * |root| + tolerance / 2. Returns 0.0 when func(x1) and func(x2) have
/// the same strict sign (silently) and after 1000 iterations (printing
/// "Maximum number of iterations exceeded in zbrent"); a value of exactly 0
/// at either end counts as a sign change. A NaN or infinite end prints "NaN
/// or infinite interval in zbrent", a NaN tolerance "NaN tolerance in
/// zbrent"; both return 0.0 without evaluating func.
BASICSDLL_EXPORT double zbrent(double (*func)(double), double x1, double x2, double tolerance);
