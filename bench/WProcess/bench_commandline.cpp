// WProcess::commandLine against the quoting a caller would otherwise write
// with QStringList::join (quotes escaped, blanks quoted; wrong for
// backslashes before quotes, but the usual shortcut), and against the
// literal regular-expression rule, for scale: 1 000 arguments of 100
// characters each.

#include <WProcess/wprocess.h>

#include "support/benchratio.h"

#include <QRegExp>

#include <benchmark/benchmark.h>

#include <random>

namespace {

QStringList arguments()
{
    // Mostly letters, with blanks, quotes and runs of backslashes mixed in.
    const QString alphabet = QStringLiteral("abcdefghijklmnopqrstuvwxyzABCDEFGH0123456789  \"\\\\\t");
    std::mt19937 random(1000);
    std::uniform_int_distribution<int> pick(0, alphabet.size() - 1);
    QStringList list;
    for (int i = 0; i < 1000; ++i) {
        QString argument;
        for (int c = 0; c < 100; ++c)
            argument += alphabet.at(pick(random));
        list << argument;
    }
    return list;
}

const QString Program = QStringLiteral("C:/Program Files/Optics/tool.exe");

QString joinedQuoting(const QString &program, const QStringList &arguments)
{
    QStringList parts{program};
    for (QString argument : arguments) {
        argument.replace(QLatin1Char('"'), QLatin1String("\\\""));
        if (argument.isEmpty() || argument.contains(QLatin1Char(' '))
            || argument.contains(QLatin1Char('\t')))
            argument = QLatin1Char('"') + argument + QLatin1Char('"');
        parts << argument;
    }
    return parts.join(QLatin1Char(' '));
}

QString regularExpressionRule(const QString &program, const QStringList &arguments)
{
    QString line = Program;
    line.replace(QLatin1Char('/'), QLatin1Char('\\'));
    line = QLatin1Char('"') + line + QLatin1String("\" ");
    const QRegExp quote(QStringLiteral("(\\\\*)\""));
    const QRegExp trailing(QStringLiteral("(\\\\+)$"));
    for (QString argument : arguments) {
        argument.replace(quote, QStringLiteral("\\1\\1\\\""));
        if (argument.isEmpty() || argument.contains(QLatin1Char(' '))
            || argument.contains(QLatin1Char('\t'))) {
            const int end = trailing.indexIn(argument);
            argument.insert(end < 0 ? argument.size() : end, QLatin1Char('"'));
            argument.prepend(QLatin1Char('"'));
        }
        line += QLatin1Char(' ') + argument;
    }
    Q_UNUSED(program);
    return line;
}

template <QString (*build)(const QString &, const QStringList &)>
void run(benchmark::State &state)
{
    const QStringList list = arguments();
    for (auto _ : state)
        benchmark::DoNotOptimize(build(Program, list));
    state.SetItemsProcessed(state.iterations() * list.size());
}

void BM_CommandLine(benchmark::State &state) { run<&WProcess::commandLine>(state); }
BENCHMARK(BM_CommandLine);
void BM_JoinedQuoting(benchmark::State &state) { run<&joinedQuoting>(state); }
BENCHMARK(BM_JoinedQuoting);
void BM_RegularExpressionRule(benchmark::State &state) { run<&regularExpressionRule>(state); }
BENCHMARK(BM_RegularExpressionRule);

} // namespace

int main(int argc, char **argv)
{
    // The literal rule must give the same line, or the comparison is moot.
    if (regularExpressionRule(Program, arguments()) != WProcess::commandLine(Program, arguments())) {
        std::printf("the regular-expression rule builds another command line\n");
        return 1;
    }
    return benchsupport::runWithRatios(
        argc, argv,
        {{"commandLine vs QStringList::join quoting", "BM_CommandLine", "BM_JoinedQuoting", 1.0},
         {"commandLine vs the regular-expression rule", "BM_CommandLine",
          "BM_RegularExpressionRule", 0}});
}
