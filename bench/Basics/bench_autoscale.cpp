// Basics::autoScaleStyleSheet on a 1 MiB style sheet with 20 000 "apx"
// lengths and a line comment every few rules, against
//  - one QRegularExpression global replace of "(\d+)apx" by "\1px" over the
//    same sheet (the least any rewrite of it costs; it does not even scale
//    the numbers), and
//  - the literal rule, which searches again from the start of the sheet
//    after every replacement. That one is quadratic and takes seconds per
//    run: it is measured once, and its result checked against the single
//    pass. It runs on QRegularExpression here, the faster engine (the tests'
//    reference in tests/Basics/tst_autoscale.cpp uses QRegExp, whose \d
//    also matches other scripts' digits; the sheet here has ASCII only).

#include <Basics/basics.h>

#include "support/benchratio.h"

#include <QRegularExpression>

#include <benchmark/benchmark.h>

#include <climits>
#include <cstdio>

namespace {

bool literalRule(QString &sheet, double factor)
{
    sheet.replace(QRegularExpression(QStringLiteral("//[^\n]*\n")), QString());
    const QRegularExpression length(QStringLiteral("\\d{1,}apx"));
    bool replaced = false;
    for (QRegularExpressionMatch match = length.match(sheet); match.hasMatch();
         match = length.match(sheet)) {
        QString digits = match.captured(0);
        digits.remove(QStringLiteral("apx"));
        const double scaled = digits.toInt() * factor + 0.5;
        sheet.replace(match.capturedStart(), match.capturedLength(),
                      QStringLiteral("%1px").arg(scaled >= INT_MAX ? INT_MAX : int(scaled)));
        replaced = true;
    }
    return replaced;
}

constexpr int sheetSize = 1 << 20;
constexpr int lengthCount = 20000;

// Rules of about 52 characters with 4 lengths each, padded to 1 MiB with
// rules without lengths.
const QString &styleSheet()
{
    static const QString sheet = [] {
        QString text;
        text.reserve(sheetSize + 200);
        int lengths = 0;
        for (int rule = 0; text.size() < sheetSize; ++rule) {
            if (lengths < lengthCount) {
                text += QStringLiteral("#w%1 { margin: %2apx %3apx; padding: %4apx %5apx; }\n")
                            .arg(rule % 1000)
                            .arg(rule % 17)
                            .arg(rule % 5)
                            .arg(rule % 23)
                            .arg(rule % 3);
                lengths += 4;
            } else {
                text += QStringLiteral("QLabel#plain%1 { color: #202020; border: 1px solid; }\n")
                            .arg(rule % 1000);
            }
            if (rule % 8 == 0)
                text += QStringLiteral("// group %1\n").arg(rule);
        }
        text.truncate(sheetSize);
        return text;
    }();
    return sheet;
}

void BM_AutoScaleStyleSheet(benchmark::State &state)
{
    for (auto _ : state) {
        QString sheet = styleSheet();
        benchmark::DoNotOptimize(Basics::autoScaleStyleSheet(sheet, 1.5));
        benchmark::DoNotOptimize(sheet.constData());
    }
    state.SetBytesProcessed(state.iterations() * sheetSize * 2);
}
BENCHMARK(BM_AutoScaleStyleSheet)->Unit(benchmark::kMillisecond);

void BM_RegularExpressionReplace(benchmark::State &state)
{
    const QRegularExpression length(QStringLiteral("(\\d+)apx"));
    for (auto _ : state) {
        QString sheet = styleSheet();
        sheet.replace(length, QStringLiteral("\\1px"));
        benchmark::DoNotOptimize(sheet.constData());
    }
    state.SetBytesProcessed(state.iterations() * sheetSize * 2);
}
BENCHMARK(BM_RegularExpressionReplace)->Unit(benchmark::kMillisecond);

void BM_LiteralRule(benchmark::State &state)
{
    QString sheet;
    for (auto _ : state) {
        sheet = styleSheet();
        benchmark::DoNotOptimize(literalRule(sheet, 1.5));
    }
    state.SetBytesProcessed(state.iterations() * sheetSize * 2);

    QString fast = styleSheet();
    Basics::autoScaleStyleSheet(fast, 1.5);
    if (fast != sheet)
        state.SkipWithError("autoScaleStyleSheet differs from the literal rule");
}
BENCHMARK(BM_LiteralRule)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char **argv)
{
    std::printf("style sheet of %d characters with %d apx lengths\n", int(styleSheet().size()),
                int(styleSheet().count(QStringLiteral("apx"))));

    return benchsupport::runWithRatios(
        argc, argv,
        {{"single pass vs literal rescanning rule", "BM_AutoScaleStyleSheet",
          "BM_LiteralRule/iterations:1", 50.0},
         {"single pass vs one QRegularExpression replace", "BM_AutoScaleStyleSheet",
          "BM_RegularExpressionReplace", 1.0 / 3}});
}
