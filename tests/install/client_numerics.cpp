// Client of the installed package: minimisers, root finder, ranges, range
// lists and sanitizers, used as a tool's fitting or dialog code would.

#include "clientcheck.h"

#include <BasicsDLL.h>
#include <Numerics/numerics.h>
#include <Ranges/intrange.h>
#include <Ranges/myrange.h>
#include <Ranges/rangelist.h>
#include <Ranges/sanitizers.h>

#include <cfloat>
#include <cmath>
#include <functional>
#include <limits>
#include <stdexcept>

namespace {

int s_evaluations = 0;

double rosenbrock(double *p)
{
    ++s_evaluations;
    const double a = 1.0 - p[0];
    const double b = p[1] - p[0] * p[0];
    return a * a + 100.0 * b * b;
}

double bowl(double *p)
{
    ++s_evaluations;
    return (p[0] - 3.0) * (p[0] - 3.0) + 2.0 * (p[1] + 1.0) * (p[1] + 1.0) + 5.0;
}

double constant(double *)
{
    ++s_evaluations;
    return 14.0;
}

int s_progressCalls = 0;
void countProgress(double *)
{
    ++s_progressCalls;
}

void stopFromProgress(double *)
{
    abortPowell();
}

double sqrtTwo(double x)
{
    return x * x - 2.0;
}

double parabola(double x)
{
    return (x - 2.0) * (x - 2.0) + 1.0;
}

void minimisers()
{
    double row0[2] = {1.0, 0.0};
    double row1[2] = {0.0, 1.0};
    double *directions[2] = {row0, row1};
    double point[2] = {-1.2, 1.0};
    int iterations = 0;
    double value = -1.0;
    powell(point, directions, 2, 1e-10, &iterations, &value, rosenbrock, nullptr);
    std::printf("powell, Rosenbrock: %d iterations, %d evaluations\n", iterations, s_evaluations);
    CLIENT_CHECK(iterations > 0);
    CLIENT_CHECK(std::fabs(point[0] - 1.0) < 1e-6 && std::fabs(point[1] - 1.0) < 1e-6);
    CLIENT_CHECK(value < 1e-12);

    double bowlRow0[2] = {1.0, 0.0};
    double bowlRow1[2] = {0.0, 1.0};
    double *bowlDirections[2] = {bowlRow0, bowlRow1};
    double centre[2] = {0.0, 0.0};
    powell(centre, bowlDirections, 2, 1e-8, &iterations, &value, bowl, countProgress);
    CLIENT_CHECK(std::fabs(centre[0] - 3.0) < 1e-3 && std::fabs(centre[1] + 1.0) < 1e-3);
    CLIENT_CHECK(s_progressCalls == iterations - 1);

    // n = 0: one evaluation, one iteration.
    s_evaluations = 0;
    powell(nullptr, nullptr, 0, 0.0, &iterations, &value, constant, nullptr);
    CLIENT_CHECK(s_evaluations == 1 && iterations == 1 && value == 14.0);

    // An abort from the progress callback ends the run in the next iteration.
    double again[2] = {-1.2, 1.0};
    double againRow0[2] = {1.0, 0.0};
    double againRow1[2] = {0.0, 1.0};
    double *againDirections[2] = {againRow0, againRow1};
    powell(again, againDirections, 2, 1e-10, &iterations, &value, rosenbrock, stopFromProgress);
    CLIENT_CHECK(iterations == 2 && value == 0.0);

    bool threw = false;
    try {
        powell(point, directions, -1, 1e-8, &iterations, &value, rosenbrock, nullptr);
    } catch (const std::bad_array_new_length &) {
        threw = true;
    }
    CLIENT_CHECK(threw);

    double xmin = 0.0;
    CLIENT_CHECK(std::fabs(golden(0.0, 1.0, 5.0, parabola, 1e-8, &xmin) - 1.0) < 1e-12);
    CLIENT_CHECK(std::fabs(xmin - 2.0) < 1e-6);
    const std::function<double(double)> far = [](double x) { return (x - 1000.0) * (x - 1000.0); };
    my_golden(990.0, 1000.3, 1010.0, far, 1e-3, &xmin);
    CLIENT_CHECK(std::fabs(xmin - 1000.0) < 1e-3);
    golden(990.0, 1000.3, 1010.0, far, 1e-3, &xmin);
    CLIENT_CHECK(std::fabs(xmin - 1000.0) < 2.0);
    threw = false;
    try {
        my_golden(0.0, 1.0, 2.0, std::function<double(double)>(), 1e-3, &xmin);
    } catch (const std::bad_function_call &) {
        threw = true;
    }
    CLIENT_CHECK(threw);

    CLIENT_CHECK(std::fabs(zbrent(sqrtTwo, 0.0, 2.0, 1e-10) - std::sqrt(2.0)) < 1e-7);
    CLIENT_CHECK(zbrent(sqrtTwo, 2.0, 3.0, 1e-10) == 0.0);
}

QString format(const RangeList &list)
{
    QStringList pairs;
    for (const Range &range : list.ranges())
        pairs << QString("%1 %2").arg(range.lower).arg(range.upper);
    return pairs.join("; ");
}

QString merged(std::initializer_list<Range> additions)
{
    RangeList list;
    for (const Range &range : additions)
        list.addRange(range);
    return format(list);
}

void ranges()
{
    const MyRange swapped(5, 1);
    CLIENT_CHECK(swapped.lower() == 1.0 && swapped.upper() == 5.0);
    CLIENT_CHECK(MyRange().isEmpty() && MyRange().contains(0));
    CLIENT_CHECK(MyRange::infiniteRange().contains(1e308));
    CLIENT_CHECK(!MyRange::infiniteRange().contains(std::numeric_limits<double>::infinity()));

    const IntRange lines(7, 3);
    CLIENT_CHECK(lines.size() == 4 && !lines.contains(7));
    CLIENT_CHECK(lines.toList() == (QList<int>{3, 4, 5, 6}));
    CLIENT_CHECK(IntRange().isEmpty() && IntRange().toList().isEmpty());

    CLIENT_CHECK(merged({{1, 5}, {3, 9}}) == "1 9");
    CLIENT_CHECK(merged({{3, 9}, {1, 5}}) == "1 9");
    CLIENT_CHECK(merged({{6, 9}, {1, 5}}) == "1 5; 6 9");
    CLIENT_CHECK(merged({{1, 5}, {2, 3}}) == "1 5");
    CLIENT_CHECK(merged({{1, 5}, {6, 9}, {4, 7}}) == "1 9");
    CLIENT_CHECK(merged({{1, 2}, {3, 4}, {5, 6}, {0, 10}}) == "0 10");
    CLIENT_CHECK(merged({{1, 5}, {5, 9}}) == "1 9");
    CLIENT_CHECK(merged({{5, 9}, {1, 5}}) == "1 5; 5 9");
    CLIENT_CHECK(merged({{0, 1}, {1, 2}, {2, 3}}) == "0 3");
    CLIENT_CHECK(merged({{0, 10}, {5, 5}}) == "0 5; 5 10");
    CLIENT_CHECK(merged({{0, 10}, {10, 10}}) == "0 10; 10 10");
    CLIENT_CHECK(merged({{5, 1}}) == "5 1");
    CLIENT_CHECK(merged({{1, 5}, {4, 2}}) == "1 2; 4 5");
    CLIENT_CHECK(merged({{1, 5}, {9, 6}}) == "1 5");
    RangeList point;
    point.addRange({3, 3});
    CLIENT_CHECK(!point.includes(3));

    const My1DRangeSanitizer unit(MyRange(0, 1));
    CLIENT_CHECK(unit.sanitized(2) == 1.0 && unit.sanitized(-1) == 0.0);
    CLIENT_CHECK(unit.sanitized(std::nan("")) == 0.0);
    CLIENT_CHECK(unit.isValid(1) && !unit.isValid(1.0000001));

    const My2DRangeSanitizer box(MyRange(0, 1), MyRange(0, 2));
    QString message = "untouched";
    CLIENT_CHECK(!box.isValid(QPointF(2, 5), &message));
    CLIENT_CHECK(message == "first value not in range [0, 1]");
    CLIENT_CHECK(!box.isValid(QPointF(0.5, 5), &message));
    CLIENT_CHECK(message == "second value not in range [0, 2]");
    message = "untouched";
    CLIENT_CHECK(box.isValid(QPointF(0.5, 1), &message) && message == "untouched");
    const My2DSanitizer &base = box;
    CLIENT_CHECK(base.sanitized(QPointF(-1, 3)) == QPointF(0, 2));
}

} // namespace

int main()
{
    minimisers();
    ranges();
    return CLIENT_RESULT();
}
