// The TEF exchange's wait, measured against a manager in another process
// (tef-bench-responder) on the simulated peripherals' TEF directory routines.
//
// BM_TefResponseToReturn: from the moment the manager renamed the response into place to the
//   moment the exchange returned. Target: median below 0.3 ms (counter median_us).
// BM_TefWaitCpu: the processor time this process spends on a whole exchange while the
//   manager takes 2 s to answer, as a share of one core. Target: below 0.5 % (cpu_percent).

#include "BenchSupport.h"
#include "SimulatedPeripherals.h"
#include "dialogs/Dialogs.h"
#include "receipt/tef/TefExchange.h"

#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <ctime>
#include <vector>

namespace {

// A TEF directory on simulated peripherals, served by the responder with `delayMs`.
class Bench
{
public:
    explicit Bench(int delayMs)
    {
        auto config = zel::SimulatorConfig::fromJson(
            QJsonObject{{QStringLiteral("tef"), QJsonObject{{QStringLiteral("dir"), QStringLiteral("tef")}}}},
            m_tmp.path());
        m_devices = std::make_shared<zel::SimulatedPeripherals>(config.value());
        zel::setPeripherals(m_devices);
        zel::setDialogs(std::make_shared<zel::bench::AnsweringDialogs>());
        m_responder.start(QStringLiteral(ZEL_TEF_RESPONDER),
                          {QStringLiteral("--dir"), m_devices->DirTef(), QStringLiteral("--delay-ms"),
                           QString::number(delayMs)});
        m_ok = m_responder.waitForStarted(5000) && m_responder.waitForReadyRead(5000) &&
               m_responder.readLine().startsWith("ready");
    }

    ~Bench()
    {
        m_responder.kill();
        m_responder.waitForFinished(5000);
        zel::setPeripherals(nullptr);
        zel::setDialogs(nullptr);
    }

    bool ok() const { return m_ok; }

    // When the responder renamed the response of the last exchange into place.
    qint64 lastRename()
    {
        while (!m_responder.canReadLine() && m_responder.waitForReadyRead(5000)) {
        }
        const QList<QByteArray> words = m_responder.readLine().trimmed().split(' ');
        return words.size() == 3 ? words[2].toLongLong() : -1;
    }

private:
    QTemporaryDir m_tmp;
    std::shared_ptr<zel::SimulatedPeripherals> m_devices;
    QProcess m_responder;
    bool m_ok = false;
};

void BM_TefResponseToReturn(benchmark::State& state)
{
    Bench bench(50); // the exchange is in its wait when the response comes
    if (!bench.ok()) {
        state.SkipWithError("the responder did not start");
        return;
    }
    std::vector<double> latenciesUs;
    for (auto _ : state) {
        const bool approved =
            zel::ExecutaTEF({zel::peripherals(), zel::dialogs(), {}}, QStringLiteral("C"), 10.0, QString());
        const qint64 returned = zel::bench::nowNs(CLOCK_MONOTONIC);
        const qint64 renamed = bench.lastRename();
        if (!approved || renamed < 0) {
            state.SkipWithError("the exchange was not approved");
            return;
        }
        latenciesUs.push_back(double(returned - renamed) / 1000.0);
        state.SetIterationTime(double(returned - renamed) / 1e9);
    }
    std::sort(latenciesUs.begin(), latenciesUs.end());
    const auto at = [&](double share) { return latenciesUs[size_t(share * double(latenciesUs.size() - 1))]; };
    state.counters["median_us"] = at(0.5);
    state.counters["p90_us"] = at(0.9);
    state.counters["max_us"] = latenciesUs.back();
    state.counters["target_median_us"] = 300;
}
BENCHMARK(BM_TefResponseToReturn)->UseManualTime()->Iterations(200)->Unit(benchmark::kMicrosecond);

void BM_TefWaitCpu(benchmark::State& state)
{
    Bench bench(2000);
    if (!bench.ok()) {
        state.SkipWithError("the responder did not start");
        return;
    }
    qint64 cpuNs = 0;
    qint64 wallNs = 0;
    for (auto _ : state) {
        const qint64 cpu0 = zel::bench::nowNs(CLOCK_PROCESS_CPUTIME_ID);
        const qint64 wall0 = zel::bench::nowNs(CLOCK_MONOTONIC);
        const bool approved =
            zel::ExecutaTEF({zel::peripherals(), zel::dialogs(), {}}, QStringLiteral("C"), 10.0, QString());
        const qint64 wall = zel::bench::nowNs(CLOCK_MONOTONIC) - wall0;
        cpuNs += zel::bench::nowNs(CLOCK_PROCESS_CPUTIME_ID) - cpu0;
        wallNs += wall;
        bench.lastRename();
        if (!approved) {
            state.SkipWithError("the exchange was not approved");
            return;
        }
        state.SetIterationTime(double(wall) / 1e9);
    }
    state.counters["cpu_percent"] = 100.0 * double(cpuNs) / double(std::max<qint64>(wallNs, 1));
    state.counters["cpu_ms_per_exchange"] = double(cpuNs) / 1e6 / double(state.iterations());
    state.counters["target_cpu_percent"] = 0.5;
}
BENCHMARK(BM_TefWaitCpu)->UseManualTime()->Iterations(3)->Unit(benchmark::kMillisecond);

} // namespace
