// powell: standard problems with known minima, convergence and iteration
// limits, progress reporting, abort requests, the replaced direction, and
// bad arguments. The iteration and evaluation counts and the exact final
// points of the standard problems are pinned (a golden master), so that any
// change in the step logic fails here, even one that still converges.

#include <Numerics/numerics.h>

#include "exactdouble.h"
#include "stdoutcapture.h"
#include "testsupport/memorylimit.h"

#include <QtTest>

#include <cmath>
#include <new>
#include <stdexcept>
#include <vector>

namespace {

int s_evaluations = 0;
std::function<double(double *)> s_f;
double countedF(double *x)
{
    ++s_evaluations;
    return s_f(x);
}

std::function<void(double *)> s_progress;
void progressHook(double *x)
{
    s_progress(x);
}

// --- standard problems --------------------------------------------------

double rosenbrock(double *p)
{
    const double a = 1.0 - p[0];
    const double b = p[1] - p[0] * p[0];
    return a * a + 100.0 * b * b;
}

double powellSingular(double *p)
{
    const double a = p[0] + 10.0 * p[1];
    const double b = p[2] - p[3];
    const double c = p[1] - 2.0 * p[2];
    const double d = p[0] - p[3];
    return a * a + 5.0 * b * b + c * c * c * c + 10.0 * d * d * d * d;
}

double beale(double *p)
{
    const double x = p[0];
    const double y = p[1];
    const double a = 1.5 - x + x * y;
    const double b = 2.25 - x + x * y * y;
    const double c = 2.625 - x + x * y * y * y;
    return a * a + b * b + c * c;
}

double helicalValley(double *p)
{
    const double theta = std::atan2(p[1], p[0]) / (2.0 * M_PI);
    const double r = std::sqrt(p[0] * p[0] + p[1] * p[1]);
    const double a = p[2] - 10.0 * theta;
    return 100.0 * (a * a + (r - 1.0) * (r - 1.0)) + p[2] * p[2];
}

// Unit directions for n <= 4, as row pointers.
struct Directions
{
    explicit Directions(int n)
    {
        for (int j = 0; j < 4; ++j) {
            for (int i = 0; i < 4; ++i)
                values[j][i] = i == j ? 1.0 : 0.0;
            rows[j] = values[j];
        }
        Q_UNUSED(n);
    }
    double column(int i, int j) const { return values[j][i]; }
    double values[4][4];
    double *rows[4];
};

struct Run
{
    int iterations = 0;
    double value = 0.0;
    int progressCalls = 0;
    QByteArray printed;
};

Run runPowell(double *point, int n, double ftol, Directions &directions,
              void (*progress)(double *) = nullptr)
{
    Run run;
    s_evaluations = 0;
    StdoutCapture capture;
    powell(point, directions.rows, n, ftol, &run.iterations, &run.value, countedF, progress);
    run.printed = capture.text();
    return run;
}

} // namespace

using Point = std::vector<double>;
Q_DECLARE_METATYPE(Point)

class tst_Powell : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void findsKnownMinima_data();
    void findsKnownMinima();
    void progressFollowsEveryIterationButTheLast();
    void valuesOfExactlyZeroConverge();
    void iterationLimitGivesMinusOne();
    void zeroDimensions();

    void abortBeforeTheRunHasNoEffect();
    void abortFromTheObjective();
    void abortFromProgress();

    void firstOfEqualDecreasesIsReplaced();

    void badArguments();
    void workingMemoryThatCannotBeHad();
};

void tst_Powell::init()
{
    s_evaluations = 0;
    s_progress = nullptr;
}

void tst_Powell::findsKnownMinima_data()
{
    QTest::addColumn<void *>("function");
    QTest::addColumn<Point>("start");
    QTest::addColumn<Point>("minimum");
    QTest::addColumn<double>("ftol");
    QTest::addColumn<double>("tolerance");
    // Golden master: what this implementation takes and finds, bit for bit.
    QTest::addColumn<int>("iterations");
    QTest::addColumn<int>("evaluations");
    QTest::addColumn<Point>("exactPoint");
    QTest::addColumn<double>("exactValue");

    QTest::newRow("Rosenbrock from (-1.2, 1)")
        << reinterpret_cast<void *>(&rosenbrock) << Point{-1.2, 1.0} << Point{1.0, 1.0} << 1e-10
        << 1e-6 << 48 << 2008 << Point{1.0, 0x1.000000000111cp+0} << 0x1.c96449p-74;
    QTest::newRow("Powell singular from (3, -1, 0, 1)")
        << reinterpret_cast<void *>(&powellSingular) << Point{3.0, -1.0, 0.0, 1.0}
        << Point{0.0, 0.0, 0.0, 0.0} << 1e-8 << 1e-4 << 45 << 2613
        << Point{0x1.3e286e2501917p-27, -0x1.fd0d7d1695a62p-31, -0x1.de9ff2f73813ep-24,
                 -0x1.de9ff358a829fp-24}
        << 0x1.692323aff6166p-88;
    QTest::newRow("Beale from (1, 1)")
        << reinterpret_cast<void *>(&beale) << Point{1.0, 1.0} << Point{3.0, 0.5} << 1e-10
        << 1e-6 << 11 << 387 << Point{0x1.8000000000717p+1, 0x1.00000000136a2p-1}
        << 0x1.0381a14488p-69;
    QTest::newRow("helical valley from (-1, 0, 0)")
        << reinterpret_cast<void *>(&helicalValley) << Point{-1.0, 0.0, 0.0}
        << Point{1.0, 0.0, 0.0} << 1e-10 << 1e-6 << 2 << 79 << Point{1.0, 0.0, 0.0} << 0.0;
}

void tst_Powell::findsKnownMinima()
{
    QFETCH(void *, function);
    QFETCH(Point, start);
    QFETCH(Point, minimum);
    QFETCH(double, ftol);
    QFETCH(double, tolerance);
    QFETCH(int, iterations);
    QFETCH(int, evaluations);
    QFETCH(Point, exactPoint);
    QFETCH(double, exactValue);

    s_f = reinterpret_cast<double (*)(double *)>(function);
    const int n = int(start.size());
    Directions directions(n);
    Point point = start;
    const Run run = runPowell(point.data(), n, ftol, directions);

    QVERIFY(run.printed.isEmpty());
    QVERIFY(run.iterations > 0);
    for (int j = 0; j < n; ++j)
        QVERIFY2(std::fabs(point[j] - minimum[j]) <= tolerance,
                 qPrintable(QString("coordinate %1 is %2").arg(j).arg(point[j], 0, 'g', 12)));
    QCOMPARE(run.value, s_f(point.data()));
    QVERIFY(run.value <= 1e-12);

    QCOMPARE(run.iterations, iterations);
    QCOMPARE(s_evaluations, evaluations);
    QCOMPARE(int(exactPoint.size()), n);
    for (int j = 0; j < n; ++j)
        COMPARE_EXACTLY(point[j], exactPoint[j]);
    COMPARE_EXACTLY(run.value, exactValue);
}

void tst_Powell::progressFollowsEveryIterationButTheLast()
{
    s_f = [](double *p) {
        const double x = p[0] - 3.0, y = p[1] + 1.0;
        return x * x + 10.0 * y * y + x * y + 5.0;
    };
    double point[2] = {0.0, 0.0};
    std::vector<Point> seen;
    s_progress = [&](double *p) {
        QCOMPARE(p, &point[0]); // the caller's own array
        seen.push_back(Point{p[0], p[1]});
    };
    Directions directions(2);
    const Run run = runPowell(point, 2, 1e-8, directions, progressHook);

    QVERIFY(std::fabs(point[0] - 3.0) < 1e-3);
    QVERIFY(std::fabs(point[1] + 1.0) < 1e-3);
    QVERIFY(std::fabs(run.value - 5.0) < 1e-7);
    QCOMPARE(run.iterations, 3);
    QCOMPARE(s_evaluations, 122);
    QCOMPARE(int(seen.size()), run.iterations - 1);
    for (std::size_t i = 1; i < seen.size(); ++i)
        QVERIFY(s_f(seen[i].data()) <= s_f(seen[i - 1].data()));
}

void tst_Powell::valuesOfExactlyZeroConverge()
{
    // The test is purely relative: 0 <= ftol * 0 holds only for exact zeros.
    s_f = [](double *p) { return p[0] * p[0] + p[1] * p[1]; };
    double point[2] = {0.0, 0.0};
    Directions directions(2);
    const Run run = runPowell(point, 2, 0.0, directions);
    QCOMPARE(run.iterations, 1);
    QCOMPARE(run.value, 0.0);

    // The helical valley's line searches land on its minimum exactly.
    s_f = helicalValley;
    double helix[3] = {-1.0, 0.0, 0.0};
    Directions helixDirections(3);
    const Run helixRun = runPowell(helix, 3, 0.0, helixDirections);
    QCOMPARE(helixRun.iterations, 2);
    QCOMPARE(s_evaluations, 79);
    QCOMPARE(helixRun.value, 0.0);
}

void tst_Powell::iterationLimitGivesMinusOne()
{
    // Powell's singular function falls towards 0 by a steady factor per
    // iteration, so with ftol 0 the relative test never holds.
    s_f = powellSingular;
    double point[4] = {3.0, -1.0, 0.0, 1.0};
    int progressCalls = 0;
    s_progress = [&](double *) { ++progressCalls; };
    Directions directions(4);
    const Run run = runPowell(point, 4, 0.0, directions, progressHook);

    QCOMPARE(run.printed, QByteArray("\nERROR: Too many iterations in routine POWELL"));
    QCOMPARE(run.iterations, -1);
    QCOMPARE(progressCalls, 999);
    QCOMPARE(s_evaluations, 79321);
    QCOMPARE(run.value, powellSingular(point)); // the last iterate
    QVERIFY(run.value < 1e-20);
}

void tst_Powell::zeroDimensions()
{
    s_f = [](double *) { return 2.5; };
    Directions directions(0);
    Run run = runPowell(nullptr, 0, 0.0, directions);
    QCOMPARE(s_evaluations, 1);
    QCOMPARE(run.iterations, 1);
    QCOMPARE(run.value, 2.5);
    QVERIFY(run.printed.isEmpty());

    // A negative ftol can never be met: one extrapolated evaluation per
    // iteration up to the limit.
    run = runPowell(nullptr, 0, -1.0, directions);
    QCOMPARE(s_evaluations, 1000);
    QCOMPARE(run.iterations, -1);
    QCOMPARE(run.printed, QByteArray("\nERROR: Too many iterations in routine POWELL"));
}

void tst_Powell::abortBeforeTheRunHasNoEffect()
{
    s_f = rosenbrock;
    double reference[2] = {-1.2, 1.0};
    Directions referenceDirections(2);
    const Run referenceRun = runPowell(reference, 2, 1e-10, referenceDirections);
    const int referenceEvaluations = s_evaluations;

    abortPowell();
    double point[2] = {-1.2, 1.0};
    Directions directions(2);
    const Run run = runPowell(point, 2, 1e-10, directions);
    QCOMPARE(run.iterations, referenceRun.iterations);
    QCOMPARE(s_evaluations, referenceEvaluations);
    QCOMPARE(point[0], reference[0]);
    QCOMPARE(point[1], reference[1]);
}

void tst_Powell::abortFromTheObjective()
{
    // The request comes from the second evaluation of iteration 2, inside
    // its first line search: that search makes no step.
    int abortAt = -1;
    int evaluationsAtRequest = 0;
    s_f = [&](double *p) {
        if (s_evaluations == abortAt) {
            abortPowell();
            evaluationsAtRequest = s_evaluations;
        }
        return rosenbrock(p);
    };
    Point afterFirstIteration;
    s_progress = [&](double *p) {
        if (afterFirstIteration.empty()) {
            afterFirstIteration = Point{p[0], p[1]};
            abortAt = s_evaluations + 2;
        }
    };
    double point[2] = {-1.2, 1.0};
    Directions directions(2);
    const Run run = runPowell(point, 2, 1e-10, directions, progressHook);

    QCOMPARE(run.iterations, 2);
    QCOMPARE(run.value, 0.0);
    QCOMPARE(s_evaluations, 39);
    QCOMPARE(point[0], afterFirstIteration[0]);
    QCOMPARE(point[1], afterFirstIteration[1]);
    // Bracketing evaluates its third point and Brent its start point before
    // the first check point sees the request.
    QCOMPARE(s_evaluations - evaluationsAtRequest, 2);

    // The request ended with the run: the next one goes the whole way.
    s_f = rosenbrock;
    s_progress = nullptr;
    double again[2] = {-1.2, 1.0};
    Directions againDirections(2);
    const Run full = runPowell(again, 2, 1e-10, againDirections);
    QVERIFY(full.iterations > 2);
    QVERIFY(std::fabs(again[0] - 1.0) < 1e-6);
}

void tst_Powell::abortFromProgress()
{
    s_f = rosenbrock;
    Point seen;
    int evaluationsAtRequest = 0;
    s_progress = [&](double *p) {
        seen = Point{p[0], p[1]};
        evaluationsAtRequest = s_evaluations;
        abortPowell();
    };
    double point[2] = {-1.2, 1.0};
    Directions directions(2);
    const Run run = runPowell(point, 2, 1e-10, directions, progressHook);

    QCOMPARE(run.iterations, 2);
    QCOMPARE(run.value, 0.0);
    QCOMPARE(point[0], seen[0]);
    QCOMPARE(point[1], seen[1]);
    // The next line search evaluates a, b and c of its bracket and Brent's
    // start point before the first check.
    QCOMPARE(s_evaluations - evaluationsAtRequest, 4);
}

void tst_Powell::firstOfEqualDecreasesIsReplaced()
{
    // A slanted valley whose values are rounded to integers: from (0, 0) the
    // searches along x and along y each lower the value by exactly 1
    // (9 -> 8 -> 7), and the extrapolated point (5) is good enough for the
    // average direction to replace a column.
    s_f = [](double *p) {
        const double across = p[0] - 3.0 * p[1];
        const double along = p[0] + p[1] - 3.0;
        return std::round(10.0 * across * across + along * along);
    };
    std::vector<double> values;
    auto recordingF = s_f;
    s_f = [&](double *p) {
        values.push_back(recordingF(p));
        return values.back();
    };
    Directions directions(2);
    Point columns;
    s_progress = [&](double *) {
        if (!columns.empty())
            return;
        columns = Point{directions.column(0, 0), directions.column(0, 1),
                        directions.column(1, 0), directions.column(1, 1)};
        abortPowell();
    };
    double point[2] = {0.0, 0.0};
    runPowell(point, 2, 1e-10, directions, progressHook);

    QVERIFY(values.size() > 3);
    QCOMPARE(values.front(), 9.0);
    QCOMPARE(columns.size(), std::size_t(4));
    QVERIFY2(columns[0] != 1.0 || columns[1] != 0.0, "column 0 was kept");
    QVERIFY(columns[0] > 0.0 && columns[1] > 0.0); // along the valley
    QCOMPARE(columns[2], 0.0); // column 1 is still the y axis
    QCOMPARE(columns[3], 1.0);
}

void tst_Powell::badArguments()
{
    s_f = rosenbrock;
    Directions directions(2);
    double point[2] = {-1.2, 1.0};
    int iterations = 0;
    double value = 0.0;

    QVERIFY_EXCEPTION_THROWN(
        powell(point, directions.rows, -1, 1e-8, &iterations, &value, countedF, nullptr),
        std::bad_array_new_length);
    QVERIFY_EXCEPTION_THROWN(
        powell(point, directions.rows, 2, 1e-8, &iterations, &value, nullptr, nullptr),
        std::bad_function_call);
    QVERIFY_EXCEPTION_THROWN(
        powell(nullptr, directions.rows, 2, 1e-8, &iterations, &value, countedF, nullptr),
        std::invalid_argument);
    QVERIFY_EXCEPTION_THROWN(
        powell(point, nullptr, 2, 1e-8, &iterations, &value, countedF, nullptr),
        std::invalid_argument);
    QCOMPARE(s_evaluations, 0);
    QCOMPARE(point[0], -1.2);

    // Results that are not wanted may be left out.
    powell(point, directions.rows, 2, 1e-10, nullptr, nullptr, countedF, nullptr);
    QVERIFY(std::fabs(point[0] - 1.0) < 1e-6);

    // A NaN objective never converges but ends at the limits.
    s_f = [](double *) { return std::nan(""); };
    double nanPoint[1] = {1.0};
    Directions nanDirections(1);
    const Run run = runPowell(nanPoint, 1, 1e-8, nanDirections);
    QCOMPARE(run.iterations, -1);
    QVERIFY(run.printed.endsWith("\nERROR: Too many iterations in routine POWELL"));
}

void tst_Powell::workingMemoryThatCannotBeHad()
{
    // 64 million variables need 3 GB of working memory; with 256 MB to
    // spare the run is refused before anything is evaluated (it used to
    // throw std::bad_alloc out of the library).
    if (!MemoryLimit::supported())
        QSKIP("a sanitizer build cannot run under an address-space limit");
    s_f = rosenbrock;
    QCOMPARE(MemoryLimit::run(256 << 20, [] {
                 Directions directions(2);
                 double point[2] = {-1.2, 1.0};
                 const Run run = runPowell(point, 1 << 26, 1e-8, directions);
                 return run.iterations == -1 && s_evaluations == 0 && point[0] == -1.2
                        && run.printed == "\nERROR: Not enough memory in routine POWELL";
             }),
             MemoryLimit::Passed);
}

QTEST_GUILESS_MAIN(tst_Powell)
#include "tst_powell.moc"
