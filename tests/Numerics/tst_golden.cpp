// golden and my_golden: the start from the triplet, the section steps, the
// final choice, relative against absolute tolerance, the overloads, and
// input that the search cannot meet (empty functions, unreachable
// tolerances, non-finite brackets reported).

#include <Numerics/numerics.h>

#include "exactdouble.h"
#include "stdoutcapture.h"

#include <QtTest>

#include <cmath>
#include <limits>
#include <vector>

namespace {

std::vector<double> s_abscissas;
std::function<double(double)> s_g;
double recordedG(double x)
{
    s_abscissas.push_back(x);
    return s_g(x);
}
// The same function behind the std::function overload.
const std::function<double(double)> s_recorded = recordedG;

constexpr double kC = 0.38196601;
const double kInfinity = std::numeric_limits<double>::infinity();

} // namespace

class tst_Golden : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void findsTheMinimumWithBothOverloads();
    void startsInTheLargerSegment();
    void tiesAtTheEndChooseTheSecondPoint();
    void relativeAndAbsoluteTolerance();
    void myGoldenStepsLikeGolden();

    void emptyFunctionsThrow();
    void unreachableToleranceStopsWithAMessage_data();
    void unreachableToleranceStopsWithAMessage();
    void bracketShrinkingOntoZeroStops();
    void nonFiniteInputIsReported_data();
    void nonFiniteInputIsReported();
    void nanValuesSteerAwayFromThem();
};

void tst_Golden::init()
{
    s_abscissas.clear();
    s_g = [](double x) { return (x - 2.0) * (x - 2.0) + 1.0; };
}

void tst_Golden::findsTheMinimumWithBothOverloads()
{
    double xPointer = 0.0;
    const double fPointer = golden(0.0, 1.0, 5.0, recordedG, 1e-6, &xPointer);
    const std::vector<double> pointerAbscissas = s_abscissas;

    s_abscissas.clear();
    double xFunction = 0.0;
    const double fFunction = golden(0.0, 1.0, 5.0, s_recorded, 1e-6, &xFunction);

    QVERIFY(std::fabs(xPointer - 2.0) < 1e-5);
    QCOMPARE(fPointer, s_g(xPointer));
    QCOMPARE(xFunction, xPointer);
    QCOMPARE(fFunction, fPointer);
    QVERIFY(s_abscissas == pointerAbscissas);
    // Golden master: the exact result and the evaluations it took.
    COMPARE_EXACTLY(xPointer, 0x1.0000025d5bf2ep+1);
    COMPARE_EXACTLY(fPointer, 0x1.0000000000166p+0);
    QCOMPARE(int(pointerAbscissas.size()), 32);

    // A lambda without captures matches both overloads: pass it as +lambda.
    double xLambda = 0.0;
    golden(0.0, 1.0, 5.0, +[](double x) { return (x - 2.0) * (x - 2.0); }, 1e-6, &xLambda);
    QCOMPARE(xLambda, xPointer);

    // xmin may be left out.
    QCOMPARE(golden(0.0, 1.0, 5.0, recordedG, 1e-6, nullptr), fPointer);
}

void tst_Golden::startsInTheLargerSegment()
{
    // |c - b| > |b - a|: b is x1, x2 lies a section into (b, c).
    golden(0.0, 1.0, 5.0, recordedG, 1e-3, nullptr);
    QCOMPARE(s_abscissas.at(0), 1.0);
    QCOMPARE(s_abscissas.at(1), 1.0 + kC * 4.0);

    // Otherwise (equal segments too): b is x2, x1 lies a section into (a, b).
    for (double c : {2.0, 1.5}) {
        s_abscissas.clear();
        golden(0.0, 1.0, c, recordedG, 1e-3, nullptr);
        QCOMPARE(s_abscissas.at(0), 1.0 - kC * 1.0);
        QCOMPARE(s_abscissas.at(1), 1.0);
    }
}

void tst_Golden::tiesAtTheEndChooseTheSecondPoint()
{
    // A flat function never takes the "f2 < f1" branch: each section
    // evaluates a new x1 and moves the old one to x2.
    s_g = [](double) { return 7.0; };
    double xmin = 0.0;
    QCOMPARE(golden(1.0, 2.0, 3.0, recordedG, 1e-3, &xmin), 7.0);
    QVERIFY(s_abscissas.size() >= 3);
    QCOMPARE(xmin, s_abscissas.at(s_abscissas.size() - 2));

    // A strict difference picks the lower one.
    s_abscissas.clear();
    s_g = [](double x) { return x; };
    golden(1.0, 2.0, 3.0, recordedG, 1e-3, &xmin);
    QCOMPARE(xmin, s_abscissas.back());
}

void tst_Golden::relativeAndAbsoluteTolerance()
{
    // At x = 1000 a tolerance of 1e-3 means a final bracket of about 2 for
    // golden (relative to |x1| + |x2|) but of 1e-3 for my_golden.
    s_g = [](double x) { return (x - 1000.0) * (x - 1000.0); };
    double relative = 0.0;
    golden(990.0, 1000.3, 1010.0, s_recorded, 1e-3, &relative);
    const int relativeEvaluations = int(s_abscissas.size());

    s_abscissas.clear();
    double absolute = 0.0;
    my_golden(990.0, 1000.3, 1010.0, s_recorded, 1e-3, &absolute);
    const int absoluteEvaluations = int(s_abscissas.size());

    QVERIFY(std::fabs(relative - 1000.0) < 2.0);
    QVERIFY(std::fabs(relative - 1000.0) > 1e-3);
    QVERIFY(std::fabs(absolute - 1000.0) < 1e-3);
    // A section shrinks the bracket by 0.618: 20 -> 2 takes about 5,
    // 20 -> 1e-3 about 21.
    QVERIFY(relativeEvaluations >= 2 + 4 && relativeEvaluations <= 2 + 6);
    QVERIFY(absoluteEvaluations >= 2 + 19 && absoluteEvaluations <= 2 + 22);
    // Golden master.
    COMPARE_EXACTLY(relative, 0x1.f3dced9719c9ep+9);
    QCOMPARE(relativeEvaluations, 7);
    COMPARE_EXACTLY(absolute, 0x1.f3fffc6b78b3bp+9);
    QCOMPARE(absoluteEvaluations, 23);
}

void tst_Golden::myGoldenStepsLikeGolden()
{
    s_g = [](double x) { return std::cos(x); };
    golden(2.0, 3.0, 4.5, s_recorded, 1e-8, nullptr);
    const std::vector<double> relative = s_abscissas;
    s_abscissas.clear();
    my_golden(2.0, 3.0, 4.5, s_recorded, 1e-4, nullptr);
    const std::vector<double> &absolute = s_abscissas;

    // Only the stopping test differs: one run is a prefix of the other.
    const std::size_t common = qMin(relative.size(), absolute.size());
    QVERIFY(relative.size() != absolute.size());
    for (std::size_t i = 0; i < common; ++i)
        QCOMPARE(absolute[i], relative[i]);
}

void tst_Golden::emptyFunctionsThrow()
{
    double xmin = 5.0;
    const std::function<double(double)> empty;
    QVERIFY_EXCEPTION_THROWN(golden(0.0, 1.0, 2.0, empty, 1e-3, &xmin), std::bad_function_call);
    QVERIFY_EXCEPTION_THROWN(my_golden(0.0, 1.0, 2.0, empty, 1e-3, &xmin),
                             std::bad_function_call);
    QVERIFY_EXCEPTION_THROWN(
        golden(0.0, 1.0, 2.0, static_cast<double (*)(double)>(nullptr), 1e-3, &xmin),
        std::bad_function_call);
    QCOMPARE(xmin, 5.0);
}

void tst_Golden::unreachableToleranceStopsWithAMessage_data()
{
    QTest::addColumn<bool>("absolute");
    QTest::addColumn<double>("tolerance");
    QTest::addColumn<QByteArray>("message");
    const QByteArray goldenMessage("\nERROR: Too many iterations in golden");
    const QByteArray myGoldenMessage("\nERROR: Too many iterations in my_golden");
    QTest::newRow("golden, 0") << false << 0.0 << goldenMessage;
    QTest::newRow("golden, negative") << false << -1.0 << goldenMessage;
    QTest::newRow("golden, 1e-300") << false << 1e-300 << goldenMessage;
    QTest::newRow("my_golden, 0") << true << 0.0 << myGoldenMessage;
    QTest::newRow("my_golden, negative") << true << -1.0 << myGoldenMessage;
}

void tst_Golden::unreachableToleranceStopsWithAMessage()
{
    // Without the stop these bracket widths could never get below the
    // tolerance and the search would run forever.
    QFETCH(bool, absolute);
    QFETCH(double, tolerance);
    QFETCH(QByteArray, message);
    double xmin = 0.0;
    QByteArray printed;
    {
        StdoutCapture capture;
        if (absolute)
            my_golden(0.0, 1.0, 5.0, s_recorded, tolerance, &xmin);
        else
            golden(0.0, 1.0, 5.0, s_recorded, tolerance, &xmin);
        printed = capture.text();
    }
    QCOMPARE(printed, message);
    QCOMPARE(int(s_abscissas.size()), 2 + 10000);
    QVERIFY(std::fabs(xmin - 2.0) < 1e-7);
}

void tst_Golden::bracketShrinkingOntoZeroStops()
{
    // A flat function shrinks the bracket onto a = 0, where a relative
    // tolerance can never be met: the sections end in the subnormal range.
    s_g = [](double) { return 7.0; };
    double xmin = 1.0;
    QByteArray printed;
    {
        StdoutCapture capture;
        golden(0.0, 1.0, 2.0, recordedG, 1e-3, &xmin);
        printed = capture.text();
    }
    QCOMPARE(printed, QByteArray("\nERROR: Too many iterations in golden"));
    QVERIFY(std::fabs(xmin) < 1e-300);
}

void tst_Golden::nonFiniteInputIsReported_data()
{
    QTest::addColumn<double>("a");
    QTest::addColumn<double>("b");
    QTest::addColumn<double>("c");
    QTest::addColumn<double>("tolerance");
    QTest::addColumn<QByteArray>("what");
    const double nan = std::nan("");
    const QByteArray bracket("NaN or infinite bracket");
    // Before, each of these returned a value that looked like a minimum.
    QTest::newRow("NaN a") << nan << 1.0 << 5.0 << 1e-6 << bracket;
    QTest::newRow("NaN b") << 0.0 << nan << 5.0 << 1e-6 << bracket;
    QTest::newRow("NaN c") << 0.0 << 1.0 << nan << 1e-6 << bracket;
    QTest::newRow("-inf a") << -kInfinity << 0.0 << 1.0 << 1e-6 << bracket;
    QTest::newRow("inf c") << 0.0 << 1.0 << kInfinity << 1e-6 << bracket;
    QTest::newRow("both infinite") << -kInfinity << 1.0 << kInfinity << 1e-6 << bracket;
    QTest::newRow("NaN tolerance") << 0.0 << 1.0 << 5.0 << nan << QByteArray("NaN tolerance");
}

void tst_Golden::nonFiniteInputIsReported()
{
    QFETCH(double, a);
    QFETCH(double, b);
    QFETCH(double, c);
    QFETCH(double, tolerance);
    QFETCH(QByteArray, what);
    double x[3] = {};
    double values[3] = {};
    QByteArray printed;
    {
        StdoutCapture capture;
        values[0] = golden(a, b, c, recordedG, tolerance, &x[0]);
        values[1] = golden(a, b, c, s_recorded, tolerance, &x[1]);
        values[2] = my_golden(a, b, c, s_recorded, tolerance, &x[2]);
        printed = capture.text();
    }
    QCOMPARE(printed, "\nERROR: " + what + " in golden" + "\nERROR: " + what + " in golden"
                          + "\nERROR: " + what + " in my_golden");
    QVERIFY(s_abscissas.empty());
    for (int i = 0; i < 3; ++i)
        QVERIFY(std::isnan(values[i]) && std::isnan(x[i]));
    // A null xmin is fine.
    StdoutCapture quiet;
    QVERIFY(std::isnan(golden(a, b, c, recordedG, tolerance, nullptr)));
}

void tst_Golden::nanValuesSteerAwayFromThem()
{
    // Comparisons with NaN are false: a NaN at x2 sends the search towards
    // x1, away from it.
    s_g = [](double x) { return x > 3.0 ? std::nan("") : (x - 2.0) * (x - 2.0); };
    double xmin = 0.0;
    golden(0.0, 1.0, 5.0, recordedG, 1e-8, &xmin);
    QVERIFY(std::fabs(xmin - 2.0) < 1e-4);
}

QTEST_GUILESS_MAIN(tst_Golden)
#include "tst_golden.moc"
