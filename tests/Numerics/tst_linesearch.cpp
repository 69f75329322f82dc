// The line search under powell: bracketing, Brent's minimiser, the line
// restriction and the error reporter, with their limits and abort points,
// the exact results and evaluation counts on standard problems (a golden
// master) and ties at the comparisons where strict and non-strict tests part
// ways. These routines are internal; this test compiles them in and drives
// the abort flag directly.

#include "Numerics/numerics_p.h"

#include "exactdouble.h"
#include "stdoutcapture.h"

#include <QtTest>

#include <cmath>
#include <vector>

using namespace NumericsPrivate;

namespace {

// A one-dimensional function chosen per test, with its evaluations recorded.
std::function<double(double)> s_g;
std::vector<double> s_abscissas;
double recordedG(double x)
{
    s_abscissas.push_back(x);
    return s_g(x);
}

int s_evaluations = 0;
std::function<double(double *)> s_f;
double countedF(double *x)
{
    ++s_evaluations;
    return s_f(x);
}

void requestAbort()
{
    s_abortRequested = true;
}

} // namespace

class tst_LineSearch : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void reporterWritesTheErrorLineWithoutNewline();

    void bracketRunsDownhill_data();
    void bracketRunsDownhill();
    void bracketDivisorOfZeroIsNegative();
    void bracketTies();
    void bracketStopsAtAbortRequest();

    void brentFindsTheMinimumWithinTolerance();
    void brentTies_data();
    void brentTies();
    void brentLimitReportsAndKeepsTheBestPoint();
    void brentReturnsZeroOnAbortWithoutWritingXmin();

    void lineMinimizeStepsToTheMinimumAlongTheDirection();
    void lineMinimizeMakesNoStepWhenAborted();
};

void tst_LineSearch::init()
{
    s_abscissas.clear();
    s_evaluations = 0;
    s_abortRequested = false;
}

void tst_LineSearch::cleanup()
{
    s_abortRequested = false;
}

void tst_LineSearch::reporterWritesTheErrorLineWithoutNewline()
{
    StdoutCapture capture;
    reportNumericsError("Too many iterations in BRENT");
    std::printf("|");
    QCOMPARE(capture.text(), QByteArray("\nERROR: Too many iterations in BRENT|"));
}

void tst_LineSearch::bracketRunsDownhill_data()
{
    QTest::addColumn<double>("minimum");
    // Golden master: the bracket found, bit for bit, and its evaluations.
    QTest::addColumn<double>("expectedA");
    QTest::addColumn<double>("expectedB");
    QTest::addColumn<double>("expectedC");
    QTest::addColumn<int>("evaluations");
    // g(1) < g(0): continue from 0 over 1
    QTest::newRow("ahead of b")
        << 5.0 << 0x1.4f1bbcf4e874cp+1 << 0x1.4p+2 << 0x1.1b54cdaa2ced8p+3 << 5;
    // g(1) > g(0): a and b swap first
    QTest::newRow("behind a")
        << -3.0 << -0x1.9e3779e9d0e99p+0 << -0x1.8p+1 << -0x1.4f1bbcd9e5a0ap+2 << 5;
    // the first magnification already rises
    QTest::newRow("between") << 0.4 << 1.0 << 0.0 << -0x1.9e3779e9d0e99p+0 << 3;
    // parabolic steps up to the 100x limit
    QTest::newRow("far ahead")
        << 1.0e4 << 0x1.459b573eab367p+7 << 0x1.3880000043bf4p+13 << 0x1.94f3ac9c40a1cp+14 << 6;
}

void tst_LineSearch::bracketRunsDownhill()
{
    QFETCH(double, minimum);
    QFETCH(double, expectedA);
    QFETCH(double, expectedB);
    QFETCH(double, expectedC);
    QFETCH(int, evaluations);
    s_g = [minimum](double x) { return (x - minimum) * (x - minimum) + 1.0; };
    double a = 0.0, b = 1.0, c = 0.0, fa = 0.0, fb = 0.0, fc = 0.0;
    bracketMinimum(a, b, c, fa, fb, fc, recordedG);

    QVERIFY((a < b && b < c) || (a > b && b > c));
    QVERIFY(fb <= fa && fb <= fc);
    QVERIFY(qMin(a, c) <= minimum && minimum <= qMax(a, c));
    QCOMPARE(fa, s_g(a));
    QCOMPARE(fb, s_g(b));
    QCOMPARE(fc, s_g(c));
    if (minimum < 0) { // swapped: the first three points are 0, 1, then beyond 0
        QCOMPARE(s_abscissas.at(2), 0.0 + 1.618034 * (0.0 - 1.0));
    }
    COMPARE_EXACTLY(a, expectedA);
    COMPARE_EXACTLY(b, expectedB);
    COMPARE_EXACTLY(c, expectedC);
    QCOMPARE(int(s_abscissas.size()), evaluations);
}

void tst_LineSearch::bracketDivisorOfZeroIsNegative()
{
    // Three collinear points make the parabola's divisor exactly zero; with
    // the negative sign the vertex lands far behind, so the next point is a
    // plain magnification step (a positive sign would jump to the 100x limit).
    s_g = [](double x) { return x < 50.0 ? -x : x; };
    double a = 0.0, b = 1.0, c = 0.0, fa = 0.0, fb = 0.0, fc = 0.0;
    bracketMinimum(a, b, c, fa, fb, fc, recordedG);
    QVERIFY(s_abscissas.size() >= 4);
    const double first = 1.0 + 1.618034 * 1.0;
    QCOMPARE(s_abscissas.at(2), first);
    QCOMPARE(s_abscissas.at(3), first + 1.618034 * (first - 1.0));
    QVERIFY(qMin(a, c) <= 50.0 && 50.0 <= qMax(a, c));
}

void tst_LineSearch::bracketTies()
{
    const double magnified = 1.0 + 1.618034 * (1.0 - 0.0); // c from (0, 1)
    double a = 0.0, b = 1.0, c = 0.0, fa = 0.0, fb = 0.0, fc = 0.0;

    // A constant function: fb > fa and fb > fc are both false, so there is
    // no swap and no loop pass.
    s_g = [](double) { return 3.0; };
    bracketMinimum(a, b, c, fa, fb, fc, recordedG);
    QCOMPARE(int(s_abscissas.size()), 3);
    COMPARE_EXACTLY(a, 0.0);
    COMPARE_EXACTLY(b, 1.0);
    COMPARE_EXACTLY(c, magnified);

    // fb == fa (symmetric about 0.5): still no swap, the search runs on
    // from 0 over 1 and the function rises at once.
    s_abscissas.clear();
    a = 0.0;
    b = 1.0;
    s_g = [](double x) { return (x - 0.5) * (x - 0.5); };
    bracketMinimum(a, b, c, fa, fb, fc, recordedG);
    QCOMPARE(int(s_abscissas.size()), 3);
    COMPARE_EXACTLY(a, 0.0);
    COMPARE_EXACTLY(b, 1.0);
    COMPARE_EXACTLY(c, magnified);

    // Values at 0, 1 and c whose parabola has its vertex u exactly at the
    // limit ulim = b + 100 (c - b) (found by search): (u - ulim)(ulim - c)
    // is 0, and u = ulim is evaluated, not a magnification step. The
    // function rises there and the bracket is complete.
    s_abscissas.clear();
    a = 0.0;
    b = 1.0;
    s_g = [magnified](double x) {
        if (x == 0.0)
            return 0x1.4000000000036p+3;
        if (x == 1.0)
            return 0.0;
        if (x == magnified)
            return -0x1.00cc26aa84326p+4;
        return 100.0;
    };
    bracketMinimum(a, b, c, fa, fb, fc, recordedG);
    const double ulim = 1.0 + 100.0 * (magnified - 1.0);
    QCOMPARE(int(s_abscissas.size()), 4);
    COMPARE_EXACTLY(s_abscissas.at(3), ulim);
    COMPARE_EXACTLY(a, 1.0);
    COMPARE_EXACTLY(b, magnified);
    COMPARE_EXACTLY(c, ulim);
}

void tst_LineSearch::bracketStopsAtAbortRequest()
{
    // Endless descent: only the abort request ends the loop, at its head.
    s_g = [](double x) {
        if (s_abscissas.size() == 5)
            requestAbort();
        return -x;
    };
    double a = 0.0, b = 1.0, c = 0.0, fa = 0.0, fb = 0.0, fc = 0.0;
    bracketMinimum(a, b, c, fa, fb, fc, recordedG);
    QVERIFY(s_abortRequested);
    QVERIFY2(s_abscissas.size() <= 7, "more than one loop pass after the request");
    QVERIFY(fb > fc); // still descending: not a bracket, the caller stops
}

void tst_LineSearch::brentFindsTheMinimumWithinTolerance()
{
    s_g = [](double x) { return (x - 2.0) * (x - 2.0) + 1.0; };
    double xmin = 0.0;
    const double value = brentMinimize(0.0, 1.0, 5.0, recordedG, 2.0e-4, &xmin);
    QVERIFY(std::fabs(xmin - 2.0) <= 2.0 * (2.0e-4 * 2.0 + 1.0e-10));
    QCOMPARE(value, s_g(xmin));
    // Golden master: the parabola through the first points is the function.
    COMPARE_EXACTLY(xmin, 2.0);
    COMPARE_EXACTLY(value, 1.0);
    QCOMPARE(int(s_abscissas.size()), 6);
}

void tst_LineSearch::brentTies_data()
{
    // Each row reaches one comparison of brentMinimize with both sides
    // exactly equal, where the strict and the non-strict test part ways.
    QTest::addColumn<int>("function");
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<double>("c");
    QTest::addColumn<double>("tolerance");
    QTest::addColumn<double>("xmin");
    QTest::addColumn<int>("evaluations");

    // A trial point u at the same distance from the vertex of the clipped V
    // min(1, |x + 1|) as w, on its other side: fu == fw makes u the new w.
    QTest::newRow("fu == fw") << 0 << -3.0 << -1.0 << 1.0 << 0.125 << -1.0 << 5;
    // Near x = 1.5e6 with tolerance 0, tol1 = 1e-10 is less than half an
    // ulp of x, so the smallest step u = x + tol1 is x itself: u >= x
    // moves lo up to x.
    QTest::newRow("u == x") << 1 << 0.0 << 1049000.0 << 1600000.0 << 0.0 << 1500000.25
                            << 6;
    // The parabolic step lands within tol2 of an edge (tolerance 1 makes
    // tol2 about 1) while x is still the midpoint xm: the fallback step of
    // tol1 goes down (xm - x > 0 is false).
    QTest::newRow("xm == x near an edge") << 2 << -4.0 << -0.5 << 3.0 << 1.0
                                          << -0x1.000000006df38p+0 << 4;
    // The parabola through x, w and v has its vertex exactly at x (p = 0),
    // so d = 0: the step of tol1 goes down (d > 0 is false).
    QTest::newRow("d == 0") << 3 << -2.0 << -1.0 << 1.0 << 1.0e-3
                            << -0x1.ff3a2952c9424p+0 << 15;
    // x = xm = 0, tol2 = 2e-10 = (hi - lo) / 2: |x - xm| <= tol2 - (hi - lo)
    // / 2 holds with 0 on both sides, so b is the answer at once.
    QTest::newRow("stop test 0 <= 0") << 4 << -2.0e-10 << 0.0 << 2.0e-10 << 0.0 << 0.0 << 1;
}

void tst_LineSearch::brentTies()
{
    QFETCH(int, function);
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(double, c);
    QFETCH(double, tolerance);
    QFETCH(double, xmin);
    QFETCH(int, evaluations);
    switch (function) {
    case 0: s_g = [](double x) { return std::min(1.0, std::fabs(x + 1.0)); }; break;
    case 1: s_g = [](double x) { return (x - 1500000.25) * (x - 1500000.25); }; break;
    case 2: s_g = [](double x) { return (x + 1.0) * (x + 1.0); }; break;
    case 3: s_g = [](double x) { return (x + 1.0) * (x + 1.0) * (x + 1.0); }; break;
    default: s_g = [](double x) { return x * x; }; break;
    }
    double found = 0.0;
    double value = 0.0;
    QByteArray printed;
    {
        StdoutCapture capture;
        value = brentMinimize(a, b, c, recordedG, tolerance, &found);
        printed = capture.text();
    }
    QCOMPARE(printed, QByteArray());
    COMPARE_EXACTLY(found, xmin);
    COMPARE_EXACTLY(value, s_g(found));
    QCOMPARE(int(s_abscissas.size()), evaluations);
}

void tst_LineSearch::brentLimitReportsAndKeepsTheBestPoint()
{
    // A kink at 0 inside an enormous bracket: the absolute floor of 1e-10 is
    // far beyond 100 golden sections of 2e300.
    s_g = [](double x) { return std::fabs(x); };
    double xmin = 7.0;
    double value = 0.0;
    QByteArray printed;
    {
        StdoutCapture capture;
        value = brentMinimize(-1.0e300, 1.0, 1.0e300, recordedG, 2.0e-4, &xmin);
        printed = capture.text();
    }
    QCOMPARE(printed, QByteArray("\nERROR: Too many iterations in BRENT"));
    QCOMPARE(int(s_abscissas.size()), 1 + 100);
    QCOMPARE(value, std::fabs(xmin));
    for (double x : s_abscissas)
        QVERIFY(std::fabs(x) >= value); // the best point seen
}

void tst_LineSearch::brentReturnsZeroOnAbortWithoutWritingXmin()
{
    s_g = [](double x) {
        if (s_abscissas.size() == 3)
            requestAbort();
        return (x - 2.0) * (x - 2.0) + 1.0;
    };
    double xmin = 42.0;
    QCOMPARE(brentMinimize(0.0, 1.0, 5.0, recordedG, 2.0e-4, &xmin), 0.0);
    QCOMPARE(xmin, 42.0);
    QCOMPARE(int(s_abscissas.size()), 3);

    s_abscissas.clear();
    s_abortRequested = true; // already set: one evaluation at b, then stop
    QCOMPARE(brentMinimize(0.0, 1.0, 5.0, recordedG, 2.0e-4, &xmin), 0.0);
    QCOMPARE(int(s_abscissas.size()), 1);
    QCOMPARE(xmin, 42.0);
}

void tst_LineSearch::lineMinimizeStepsToTheMinimumAlongTheDirection()
{
    s_f = [](double *p) { return (p[0] - 1.0) * (p[0] - 1.0) + (p[1] - 2.0) * (p[1] - 2.0) + 3.0; };
    double point[2] = {0.0, 0.0};
    double direction[2] = {1.0, 1.0};
    double value = 0.0;
    lineMinimize(point, direction, 2, &value, countedF);
    // The line (t, t) is closest to the centre at t = 1.5.
    QVERIFY(std::fabs(point[0] - 1.5) < 1e-3);
    QCOMPARE(point[1], point[0]);
    QCOMPARE(direction[0], point[0]); // scaled to the step from (0, 0)
    QCOMPARE(direction[1], point[1]);
    QCOMPARE(value, s_f(point));
    // Golden master.
    COMPARE_EXACTLY(point[0], 1.5);
    COMPARE_EXACTLY(value, 3.5);
    QCOMPARE(s_evaluations, 9);
}

void tst_LineSearch::lineMinimizeMakesNoStepWhenAborted()
{
    s_f = [](double *p) {
        if (s_evaluations == 2)
            requestAbort();
        return (p[0] - 4.0) * (p[0] - 4.0);
    };
    double point[1] = {0.5};
    double direction[1] = {1.0};
    double value = 99.0;
    lineMinimize(point, direction, 1, &value, countedF);
    QCOMPARE(point[0], 0.5);
    QCOMPARE(value, 0.0);
    // Bracketing evaluates a, b and c before its loop checks the request,
    // and brentMinimize evaluates b before its first check.
    QCOMPARE(s_evaluations, 4);
}

QTEST_GUILESS_MAIN(tst_LineSearch)
#include "tst_linesearch.moc"
