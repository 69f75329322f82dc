// The line search under powell: bracketing, Brent's minimiser, the line
// restriction and the error reporter, with their limits and abort points.
// These routines are internal; this test compiles them in and drives the
// abort flag directly.

#include "Numerics/numerics_p.h"

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
    void bracketStopsAtAbortRequest();

    void brentFindsTheMinimumWithinTolerance();
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
    QTest::newRow("ahead of b") << 5.0;  // g(1) < g(0): continue from 0 over 1
    QTest::newRow("behind a") << -3.0;   // g(1) > g(0): a and b swap first
    QTest::newRow("between") << 0.4;     // the first magnification already rises
    QTest::newRow("far ahead") << 1.0e4; // parabolic steps up to the 100x limit
}

void tst_LineSearch::bracketRunsDownhill()
{
    QFETCH(double, minimum);
    s_g = [minimum](double x) { return (x - minimum) * (x - minimum) + 1.0; };
    double a = 0.0, b = 1.0, c = 0.0, fa = 0.0, fb = 0.0, fc = 0.0;
    bracketMinimum(a, b, c, fa, fb, fc, recordedG);
    qInfo("bracket (%g, %g, %g) around %g: %d evaluations", a, b, c, minimum,
          int(s_abscissas.size()));

    QVERIFY((a < b && b < c) || (a > b && b > c));
    QVERIFY(fb <= fa && fb <= fc);
    QVERIFY(qMin(a, c) <= minimum && minimum <= qMax(a, c));
    QCOMPARE(fa, s_g(a));
    QCOMPARE(fb, s_g(b));
    QCOMPARE(fc, s_g(c));
    if (minimum < 0) { // swapped: the first three points are 0, 1, then beyond 0
        QCOMPARE(s_abscissas.at(2), 0.0 + 1.618034 * (0.0 - 1.0));
    }
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
    qInfo("brentMinimize on (x-2)^2+1: xmin %.10g after %d evaluations", xmin,
          int(s_abscissas.size()));
    QVERIFY(std::fabs(xmin - 2.0) <= 2.0 * (2.0e-4 * 2.0 + 1.0e-10));
    QCOMPARE(value, s_g(xmin));
    QVERIFY(s_abscissas.size() <= 10);
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
    qInfo("lineMinimize: %d evaluations", s_evaluations);
    // The line (t, t) is closest to the centre at t = 1.5.
    QVERIFY(std::fabs(point[0] - 1.5) < 1e-3);
    QCOMPARE(point[1], point[0]);
    QCOMPARE(direction[0], point[0]); // scaled to the step from (0, 0)
    QCOMPARE(direction[1], point[1]);
    QCOMPARE(value, s_f(point));
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
