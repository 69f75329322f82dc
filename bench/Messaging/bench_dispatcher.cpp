// Broadcasts through the dispatcher against a direct Qt signal-to-slot
// connection to the same 100 receivers. Throughput is deliveries per second.

#include <GlobalMessageDispatcher/globalmessagedispatcher.h>

#include "support/benchratio.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

namespace {

constexpr int receiverCount = 100;

class Receiver : public QObject
{
    Q_OBJECT
public:
    long long received = 0;

public slots:
    void genericSlot(QObject *, const QString &, QVariant genericData)
    {
        received += genericData.userType();
    }
};

class DirectSender : public QObject
{
    Q_OBJECT
signals:
    void genericSignal(QObject *sender, const QString &type, QVariant genericData);
};

std::vector<std::unique_ptr<Receiver>> makeReceivers()
{
    std::vector<std::unique_ptr<Receiver>> receivers;
    for (int i = 0; i < receiverCount; ++i)
        receivers.push_back(std::make_unique<Receiver>());
    return receivers;
}

} // namespace

static void BM_SendGenericSignal(benchmark::State &state)
{
    auto receivers = makeReceivers();
    for (auto &receiver : receivers)
        GlobalMessageDispatcher::connect(receiver.get());
    const QString type = QStringLiteral("lensChanged");
    const QVariant data(42);
    for (auto _ : state)
        GlobalMessageDispatcher::sendGenericSignal(nullptr, type, data);
    for (auto &receiver : receivers)
        GlobalMessageDispatcher::disconnect(receiver.get());
    benchmark::DoNotOptimize(receivers.front()->received);
    state.SetItemsProcessed(state.iterations() * receiverCount);
}
BENCHMARK(BM_SendGenericSignal);

static void BM_DirectConnection(benchmark::State &state)
{
    auto receivers = makeReceivers();
    DirectSender sender;
    for (auto &receiver : receivers)
        QObject::connect(&sender, &DirectSender::genericSignal, receiver.get(),
                         &Receiver::genericSlot);
    const QString type = QStringLiteral("lensChanged");
    const QVariant data(42);
    for (auto _ : state)
        emit sender.genericSignal(nullptr, type, data);
    benchmark::DoNotOptimize(receivers.front()->received);
    state.SetItemsProcessed(state.iterations() * receiverCount);
}
BENCHMARK(BM_DirectConnection);

int main(int argc, char **argv)
{
    QCoreApplication application(argc, argv);
    // A cost of at most 1.5 times the direct connection per delivery.
    return benchsupport::runWithRatios(
        argc, argv,
        {{"sendGenericSignal vs direct connection, 100 receivers", "BM_SendGenericSignal",
          "BM_DirectConnection", 1.0 / 1.5}});
}

#include "bench_dispatcher.moc"
