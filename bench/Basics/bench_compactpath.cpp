// Basics::compactPath against the toolkit's own middle elision
// (QFontMetrics::elidedText with Qt::ElideMiddle) on the same 200-character
// path and the same widths that force shortening; the literal
// one-character-at-a-time rule is measured too, for scale.

#include <Basics/basics.h>

#include "support/benchratio.h"
#include "testsupport/compactpathreference.h"

#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>

#include <benchmark/benchmark.h>

namespace {

QString longPath()
{
    QString path = QStringLiteral("/home/optics/projects");
    int i = 0;
    while (path.size() < 187)
        path += QStringLiteral("/Measurement%1").arg(i++);
    path = path.left(187) + QStringLiteral("/spectrum.csv");
    return path.left(200);
}

// Widths from a quarter to three quarters of the full width.
QList<int> widths(const QFont &font, const QString &path)
{
    const int full = QFontMetrics(font).horizontalAdvance(path);
    return {full / 4, full / 2, full * 3 / 4};
}

// Letter spacing narrows whole texts below the sum of their characters'
// advances, so compactPath measures instead of estimating.
QFont spacedFont()
{
    QFont font;
    font.setLetterSpacing(QFont::PercentageSpacing, 50);
    return font;
}

void compactPathRun(benchmark::State &state, const QFont &font)
{
    const QString path = longPath();
    const QList<int> sizes = widths(font, path);
    for (auto _ : state) {
        for (int width : sizes)
            benchmark::DoNotOptimize(Basics::compactPath(path, width, font));
    }
    state.SetItemsProcessed(state.iterations() * sizes.size());
}

void elidedTextRun(benchmark::State &state, const QFont &font)
{
    const QString path = longPath();
    const QList<int> sizes = widths(font, path);
    for (auto _ : state) {
        const QFontMetrics metrics(font);
        for (int width : sizes)
            benchmark::DoNotOptimize(metrics.elidedText(path, Qt::ElideMiddle, width));
    }
    state.SetItemsProcessed(state.iterations() * sizes.size());
}

void BM_CompactPath(benchmark::State &state) { compactPathRun(state, QFont()); }
BENCHMARK(BM_CompactPath);
void BM_ElidedTextMiddle(benchmark::State &state) { elidedTextRun(state, QFont()); }
BENCHMARK(BM_ElidedTextMiddle);
void BM_CompactPathSpaced(benchmark::State &state) { compactPathRun(state, spacedFont()); }
BENCHMARK(BM_CompactPathSpaced);
void BM_ElidedTextMiddleSpaced(benchmark::State &state) { elidedTextRun(state, spacedFont()); }
BENCHMARK(BM_ElidedTextMiddleSpaced);

void BM_OneCharacterAtATime(benchmark::State &state)
{
    const QFont font;
    const QString path = longPath();
    const QList<int> sizes = widths(font, path);
    for (auto _ : state) {
        for (int width : sizes)
            benchmark::DoNotOptimize(compactPathReference(path, width, font));
    }
    state.SetItemsProcessed(state.iterations() * sizes.size());
}
BENCHMARK(BM_OneCharacterAtATime);

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);

    // The results must be those of the one-character rule.
    const QFont font;
    const QString path = longPath();
    for (const QFont &checked : {font, spacedFont()}) {
        for (int width : widths(checked, path)) {
            if (Basics::compactPath(path, width, checked)
                != compactPathReference(path, width, checked)) {
                std::printf("compactPath differs from the one-character rule at width %d\n",
                            width);
                return 1;
            }
        }
    }
    std::printf("path of %d characters, widths %d/%d/%d px\n", int(path.size()),
                widths(font, path).at(0), widths(font, path).at(1), widths(font, path).at(2));

    return benchsupport::runWithRatios(
        argc, argv,
        {{"compactPath vs elidedText(ElideMiddle)", "BM_CompactPath", "BM_ElidedTextMiddle", 0.5},
         {"compactPath vs elidedText, letter spacing 50 %", "BM_CompactPathSpaced",
          "BM_ElidedTextMiddleSpaced", 0.5},
         {"compactPath vs one character at a time", "BM_CompactPath", "BM_OneCharacterAtATime",
          1.0}});
}
