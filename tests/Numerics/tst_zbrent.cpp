// zbrent: roots of polynomials within the tolerance (and, as a golden
// master, the exact root and evaluation count of each), ties at each of its
// comparisons, roots exactly at an end, intervals without a sign change, the
// iteration limit and bad input.

#include <Numerics/numerics.h>

#include "exactdouble.h"
#include "stdoutcapture.h"

#include <QtTest>

#include <cmath>
#include <limits>

namespace {

int s_evaluations = 0;
std::function<double(double)> s_f;
double countedF(double x)
{
    ++s_evaluations;
    return s_f(x);
}

struct Result
{
    double root = 0.0;
    QByteArray printed;
};

Result findRoot(double x1, double x2, double tolerance)
{
    Result result;
    s_evaluations = 0;
    StdoutCapture capture;
    result.root = zbrent(countedF, x1, x2, tolerance);
    result.printed = capture.text();
    return result;
}

} // namespace

class tst_ZBrent : public QObject
{
    Q_OBJECT

private slots:
    void findsRootsOfPolynomials_data();
    void findsRootsOfPolynomials();
    void tiesAtTheComparisons_data();
    void tiesAtTheComparisons();
    void rootExactlyAtAnEnd();
    void noSignChangeGivesZeroSilently();
    void iterationLimitGivesZeroWithAMessage();
    void badInput_data();
    void badInput();
};

void tst_ZBrent::findsRootsOfPolynomials_data()
{
    QTest::addColumn<int>("polynomial");
    QTest::addColumn<double>("x1");
    QTest::addColumn<double>("x2");
    QTest::addColumn<double>("tolerance");
    QTest::addColumn<double>("root");
    // Golden master: what this implementation returns, bit for bit, and how
    // many evaluations it takes.
    QTest::addColumn<double>("exactRoot");
    QTest::addColumn<int>("evaluations");

    QTest::newRow("x^2 - 2 on [0, 2]")
        << 0 << 0.0 << 2.0 << 1e-10 << std::sqrt(2.0) << 0x1.6a09e667f3c87p+0 << 9;
    QTest::newRow("x^2 - 2 on [2, 0]")
        << 0 << 2.0 << 0.0 << 1e-10 << std::sqrt(2.0) << 0x1.6a09e667df8c1p+0 << 8;
    QTest::newRow("x^2 - 2 on [0, 2], tolerance 1e-3")
        << 0 << 0.0 << 2.0 << 1e-3 << std::sqrt(2.0) << 0x1.6a00972dc45afp+0 << 7;
    QTest::newRow("x^3 - 2x - 5 on [2, 3]")
        << 1 << 2.0 << 3.0 << 1e-12 << 2.0945514815423265 << 0x1.0c1a433245fb4p+1 << 7;
    QTest::newRow("(x-1)(x-2)(x-3) on [2.5, 3.7]")
        << 2 << 2.5 << 3.7 << 1e-12 << 3.0 << 0x1.7ffffff5546a6p+1 << 11;
    QTest::newRow("x^5 - x - 1 on [1, 2]")
        << 3 << 1.0 << 2.0 << 1e-12 << 1.1673039782614187 << 0x1.2ad46e8c02107p+0 << 9;
    QTest::newRow("8 - x^3 on [0, 3] (falling)")
        << 4 << 0.0 << 3.0 << 1e-12 << 2.0 << 0x1.0000000039bdep+1 << 9;
    QTest::newRow("x^9 on [-1, 0.5] (flat root)")
        << 5 << -1.0 << 0.5 << 1e-10 << 0.0 << -0x1.2759c70942a36p-36 << 95;
}

void tst_ZBrent::findsRootsOfPolynomials()
{
    QFETCH(int, polynomial);
    QFETCH(double, x1);
    QFETCH(double, x2);
    QFETCH(double, tolerance);
    QFETCH(double, root);
    QFETCH(double, exactRoot);
    QFETCH(int, evaluations);
    switch (polynomial) {
    case 0: s_f = [](double x) { return x * x - 2.0; }; break;
    case 1: s_f = [](double x) { return x * x * x - 2.0 * x - 5.0; }; break;
    case 2: s_f = [](double x) { return (x - 1.0) * (x - 2.0) * (x - 3.0); }; break;
    case 3: s_f = [](double x) { return x * x * x * x * x - x - 1.0; }; break;
    case 4: s_f = [](double x) { return 8.0 - x * x * x; }; break;
    default: s_f = [](double x) { return std::pow(x, 9); }; break;
    }
    const Result result = findRoot(x1, x2, tolerance);
    QVERIFY(result.printed.isEmpty());
    // The root is bracketed by b and c within 2 * tol1.
    const double tol1 = 6.0e-8 * std::fabs(result.root) + 0.5 * tolerance;
    QVERIFY2(std::fabs(result.root - root) <= 2.0 * tol1,
             qPrintable(QString::number(result.root, 'g', 17)));
    COMPARE_EXACTLY(result.root, exactRoot);
    QCOMPARE(s_evaluations, evaluations);
}

void tst_ZBrent::tiesAtTheComparisons_data()
{
    // Each row reaches one comparison of the search with both sides exactly
    // equal, where the strict and the non-strict test part ways.
    QTest::addColumn<int>("function");
    QTest::addColumn<double>("x1");
    QTest::addColumn<double>("x2");
    QTest::addColumn<double>("tolerance");
    QTest::addColumn<double>("root");
    QTest::addColumn<int>("evaluations");

    // f(x1) = -1/8, f(x2) = 1/8: |fc| < |fb| is false, so b stays at x2
    // (and |xm| = 1/2 = tol1 ends the search at once).
    QTest::newRow("|fc| == |fb| keeps b") << 0 << -1.0 << 0.0 << 1.0 << 0.0 << 2;
    // xm = (x1 - x2) / 2 = -1 and tol1 = tolerance / 2 = 1 at b = 0.
    QTest::newRow("|xm| == tol1 returns b") << 1 << -2.0 << 0.0 << 2.0 << 0.0 << 2;
    // A tolerance for which |e| equals tol1 at the fourth pass: the
    // interpolation is still tried (and taken).
    QTest::newRow("|e| == tol1 interpolates")
        << 2 << -1.0 << 3.7 << 0x1.176402dc30f2p-3 << 0x1.811ba4d0617b3p+1 << 6;
    // A tolerance for which 2p equals min1 (the smaller bound) at the third
    // pass: the interpolation is refused and the search bisects.
    QTest::newRow("2p == min bisects")
        << 3 << -3.0 << 3.0 << 0x1.fda51356594c1p-1 << 0x1.1e61ef413484fp+1 << 5;
    // fb / fa underflows to zero, so the secant gives p = 0: p > 0 is false
    // and q keeps its sign, so with xm < 0 min1 is negative and the search
    // bisects (a negated q would let a step of tol1 through).
    QTest::newRow("p == 0 keeps the sign of q") << 4 << -1.0 << 0.0 << 0.5 << -0.5 << 3;
}

void tst_ZBrent::tiesAtTheComparisons()
{
    QFETCH(int, function);
    QFETCH(double, x1);
    QFETCH(double, x2);
    QFETCH(double, tolerance);
    QFETCH(double, root);
    QFETCH(int, evaluations);
    switch (function) {
    case 0: s_f = [](double x) { return (x + 0.5) * (x + 0.5) * (x + 0.5); }; break;
    case 1: s_f = [](double x) { return x + 0.5; }; break;
    case 2: s_f = [](double x) { return (x - 1.0) * (x - 2.0) * (x - 3.0); }; break;
    case 3: s_f = [](double x) { return 8.0 - x * x * x; }; break;
    default: s_f = [](double x) { return x < -0.5 ? -1e300 : 1e-30 * (x + 1.5); }; break;
    }
    const Result result = findRoot(x1, x2, tolerance);
    QVERIFY(result.printed.isEmpty());
    COMPARE_EXACTLY(result.root, root);
    QCOMPARE(s_evaluations, evaluations);
}

void tst_ZBrent::rootExactlyAtAnEnd()
{
    s_f = [](double x) { return x - 1.0; };
    QCOMPARE(findRoot(1.0, 5.0, 1e-10).root, 1.0);
    QCOMPARE(findRoot(-3.0, 1.0, 1e-10).root, 1.0);
    // Both ends zero: the first loop pass returns x2.
    s_f = [](double x) { return x * (x - 2.0); };
    QCOMPARE(findRoot(0.0, 2.0, 1e-10).root, 2.0);
    QCOMPARE(s_evaluations, 2);
}

void tst_ZBrent::noSignChangeGivesZeroSilently()
{
    s_f = [](double x) { return x * x - 2.0; };
    const Result result = findRoot(2.0, 3.0, 1e-10);
    QCOMPARE(result.root, 0.0);
    QVERIFY(result.printed.isEmpty());
    QCOMPARE(s_evaluations, 2);

    const Result below = findRoot(-1.0, 1.0, 1e-10); // both ends negative
    QCOMPARE(below.root, 0.0);
    QVERIFY(below.printed.isEmpty());
}

void tst_ZBrent::iterationLimitGivesZeroWithAMessage()
{
    // A jump without a zero and a negative tolerance: the bracket can never
    // become narrow enough.
    s_f = [](double x) { return x < 0.3 ? -1.0 : 1.0; };
    const Result result = findRoot(0.0, 1.0, -1.0);
    QCOMPARE(result.printed, QByteArray("\nERROR: Maximum number of iterations exceeded in zbrent"));
    QCOMPARE(result.root, 0.0);
    QCOMPARE(s_evaluations, 2 + 1000);

    // With an ordinary tolerance the same jump is found.
    const Result jump = findRoot(0.0, 1.0, 1e-9);
    QVERIFY(jump.printed.isEmpty());
    QVERIFY(std::fabs(jump.root - 0.3) <= 2.0 * (6.0e-8 * 0.3 + 0.5e-9));
}

void tst_ZBrent::badInput_data()
{
    QTest::addColumn<double>("x1");
    QTest::addColumn<double>("x2");
    QTest::addColumn<double>("tolerance");
    QTest::addColumn<QByteArray>("message");
    const double nan = std::nan("");
    const double infinity = std::numeric_limits<double>::infinity();
    const QByteArray interval("\nERROR: NaN or infinite interval in zbrent");
    // Before, these evaluated at infinity and returned 0.0 or NaN silently,
    // or ran to the iteration limit.
    QTest::newRow("NaN x1") << nan << 1.0 << 1e-8 << interval;
    QTest::newRow("NaN x2") << 0.0 << nan << 1e-8 << interval;
    QTest::newRow("both infinite") << -infinity << infinity << 1e-8 << interval;
    QTest::newRow("infinite x2") << 0.0 << infinity << 1e-8 << interval;
    QTest::newRow("NaN tolerance") << 0.0 << 1.0 << nan
                                   << QByteArray("\nERROR: NaN tolerance in zbrent");
}

void tst_ZBrent::badInput()
{
    QFETCH(double, x1);
    QFETCH(double, x2);
    QFETCH(double, tolerance);
    QFETCH(QByteArray, message);
    QVERIFY_EXCEPTION_THROWN(zbrent(nullptr, x1, x2, tolerance), std::bad_function_call);
    s_f = [](double x) { return x - 0.25; };
    const Result result = findRoot(x1, x2, tolerance);
    QCOMPARE(result.printed, message);
    QCOMPARE(result.root, 0.0);
    QCOMPARE(s_evaluations, 0);
}

QTEST_GUILESS_MAIN(tst_ZBrent)
#include "tst_zbrent.moc"
