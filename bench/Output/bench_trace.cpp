// Trace lines per second against qDebug() with a message pattern that adds
// the same facts (time, thread, function, file, line), formatted by
// qFormatLogMessage as the toolkit's default handler does. Both handlers
// discard the finished text.

#include <Output/output.h>

#include "support/benchratio.h"

#include <QDebug>

#include <benchmark/benchmark.h>

namespace {

void discardingHandler(QtMsgType, const QMessageLogContext &, const QString &text)
{
    benchmark::DoNotOptimize(text.constData());
}

void formattingHandler(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    const QString formatted = qFormatLogMessage(type, context, text);
    benchmark::DoNotOptimize(formatted.constData());
}

} // namespace

static void BM_TraceLine(benchmark::State &state)
{
    const QtMessageHandler previous = qInstallMessageHandler(discardingHandler);
    int i = 0;
    for (auto _ : state)
        BASICS_TRACE << "lens" << ++i << QStringLiteral("surface");
    qInstallMessageHandler(previous);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TraceLine);

static void BM_QDebugWithPattern(benchmark::State &state)
{
    qSetMessagePattern(QStringLiteral(
        "%{time hh:mm:ss.zzz} (Th=%{threadid}) %{function} %{file} %{line} -> %{message}"));
    const QtMessageHandler previous = qInstallMessageHandler(formattingHandler);
    int i = 0;
    for (auto _ : state)
        qDebug() << "lens" << ++i << QStringLiteral("surface");
    qInstallMessageHandler(previous);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_QDebugWithPattern);

static void BM_GatedDebugLine(benchmark::State &state)
{
    for (auto _ : state)
        BASICS_DEBUG(2) << "hidden under the initial settings";
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GatedDebugLine);

int main(int argc, char **argv)
{
    return benchsupport::runWithRatios(
        argc, argv,
        {{"trace line vs qDebug() with message pattern", "BM_TraceLine", "BM_QDebugWithPattern",
          1.0}});
}
