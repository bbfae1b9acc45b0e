// The dataset layer at restaurant scale, each at three sizes so that growth shows. Every
// benchmark reports the median of its iterations as a counter (median_ms / median_us), and the
// goal it is held to.
//
// BM_FindClient / BM_FindConsumer: findClient by external code (after the taxpayer-number try)
//   and findConsumer by external consumer code (after the identification and consumer codes),
//   in tables of 1k/10k/100k clients with two consumers each. Goal at 100k clients and 200k
//   consumers: below 1 ms.
// BM_ConsumerSearchRows: what the consumer search does before it shows: one client's rows out
//   of 2k/20k/200k consumers into the search copy, filtered. Goal at 200k: below 20 ms.
// BM_QuoteForeignPayment: the quote file's work for one foreign payment (open, find, store the
//   typed quote, close with its save) in a movindic.cds of 1, 10 and 100 years of 5 currencies
//   (1,825 / 18,250 / 182,500 rows). Goal: below 5 ms, flat in the file's size.
// BM_PostUnique: appending rows to a dataset with a unique index, 10k/100k/1M rows. Goal:
//   linear, 1M rows below 10 s.
// BM_SaveOneChange: one row changed and saved after loading a file of 10k/100k/1M rows (8
//   fields); CPU time of the save. Goal: below 3 ms CPU, flat.
// BM_LoadedRowBytes: heap bytes per row held by a dataset loaded from a file of 10k/100k/1M rows
//   of 8 fields (bytes_per_row). Goal: below 400 B.
// BM_FourTerminalsSave: four processes, each having loaded a file of 1k/10k/100k rows and
//   appended one row, save at once; the slowest save. Goal: below 250 ms, no row lost.

#include "BenchSupport.h"
#include "consumer/ConsumerLookup.h"
#include "dataset/DataSet.h"
#include "receipt/payment/QuoteFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <map>
#include <memory>
#include <random>
#include <vector>

using namespace zel;
using namespace zel::bench;

namespace {

QTemporaryDir& scratch()
{
    static QTemporaryDir dir;
    return dir;
}

void reportMedian(benchmark::State& state, std::vector<double>& ms, const char* goal)
{
    const double m = median(ms);
    state.counters["median_ms"] = m;
    state.counters["median_us"] = m * 1000;
    state.SetLabel(goal);
}

FieldDef text(const char* name, int size)
{
    return FieldDef{QString::fromLatin1(name), FieldType::String, size};
}

QString code(const char* before, const QString& n, const char* after = "")
{
    return QString::fromLatin1(before) + n + QString::fromLatin1(after);
}

// Clients C<i> with external code E<i>; consumers K<i>a, K<i>b of each client, shuffled.
struct Tables
{
    DataSet clientes;
    DataSet consumidores;
};

Tables& tables(int clients)
{
    static std::map<int, std::unique_ptr<Tables>> made;
    auto& t = made[clients];
    if (t)
        return *t;
    t = std::make_unique<Tables>();
    DataPacket c{{text("CDCLIENTE", 21), text("IDTPIJURCLIE", 1), text("NRINSJURCLIE", 20),
                  text("CDEXCLIENTE", 20), text("NMRAZSOCCLIE", 50), text("NMFANTCLIE", 50)},
                 {}};
    DataPacket k{{text("CDCLIENTE", 21), text("CDIDCONSUMID", 20), text("CDCONSUMIDOR", 21),
                  text("CDEXCONSUMID", 20), text("NMCONSUMIDOR", 50)},
                 {}};
    for (int i = 0; i < clients; ++i) {
        const QString n = QString::number(i);
        c.rows.append({code("C", n), QStringLiteral("J"),
                       QStringLiteral("%1").arg(i, 14, 10, QLatin1Char('0')), code("E", n),
                       code("Cliente ", n, " Ltda"), code("Cliente ", n)});
        for (const char* s : {"a", "b"})
            k.rows.append(
                {code("C", n), code("I", n, s), code("K", n, s), code("X", n, s), code("Consumidor ", n, s)});
    }
    std::mt19937 rng(7);
    std::shuffle(k.rows.begin(), k.rows.end(), rng);
    t->clientes.setData(c);
    t->consumidores.setData(k);
    return *t;
}

void BM_FindClient(benchmark::State& state)
{
    const int clients = int(state.range(0));
    DataSet& clientes = tables(clients).clientes;
    std::mt19937 rng(1);
    findClient(clientes, QStringLiteral("E0")); // the key maps are built once, on first use
    std::vector<double> ms;
    for (auto _ : state) {
        const QString typed = code("E", QString::number(int(rng() % unsigned(clients))));
        const qint64 t0 = nowNs();
        auto found = findClient(clientes, typed);
        ms.push_back((nowNs() - t0) / 1e6);
        if (!found)
            state.SkipWithError("client not found");
    }
    reportMedian(state, ms, "goal < 1 ms at 100k clients");
}

void BM_FindConsumer(benchmark::State& state)
{
    const int clients = int(state.range(0));
    DataSet& consumidores = tables(clients).consumidores;
    std::mt19937 rng(2);
    findConsumer(consumidores, QStringLiteral("C0"), QStringLiteral("X0a"));
    std::vector<double> ms;
    for (auto _ : state) {
        const QString n = QString::number(int(rng() % unsigned(clients)));
        const qint64 t0 = nowNs();
        auto found = findConsumer(consumidores, code("C", n), code("X", n, "b"));
        ms.push_back((nowNs() - t0) / 1e6);
        if (!found || found->key != ConsumerKey::ExternalCode)
            state.SkipWithError("consumer not found by its external code");
    }
    reportMedian(state, ms, "goal < 1 ms at 200k consumers");
}

void BM_ConsumerSearchRows(benchmark::State& state)
{
    const int clients = int(state.range(0));
    DataSet& consumidores = tables(clients).consumidores;
    std::mt19937 rng(3);
    consumerRowsOfClient(consumidores, QStringLiteral("C0"));
    DataSet search(consumerSearchFields());
    std::vector<double> ms;
    for (auto _ : state) {
        const QString cdCliente = code("C", QString::number(int(rng() % unsigned(clients))));
        const qint64 t0 = nowNs();
        search.setRows(consumerRowsOfClient(consumidores, cdCliente));
        search.setFilter(consumersOfClient(cdCliente), consumersOfClientText(cdCliente));
        search.setFiltered(true);
        ms.push_back((nowNs() - t0) / 1e6);
        if (search.recordCount() != 2)
            state.SkipWithError("the client's two consumers are not shown");
        search.close();
    }
    reportMedian(state, ms, "goal < 20 ms at 200k consumers");
}

const QStringList kCurrencies{"USD", "EUR", "ARS", "UYU", "PYG"};
const QDate kFirstDay(2000, 1, 1);

// movindic.cds with `days` days of the five currencies, in a folder of its own.
QString quoteFolder(int days)
{
    const QString dir = scratch().filePath(QStringLiteral("quotes%1").arg(days));
    if (QFile::exists(quotes::filePath(dir)))
        return dir;
    QDir().mkpath(dir);
    DataSet table;
    if (!quotes::open(table, dir) || !table.loadFromFile(quotes::filePath(dir)))
        return {};
    for (int d = 0; d < days; ++d) {
        for (const QString& c : kCurrencies) {
            table.append();
            table.fieldByName(QStringLiteral("CDINDICE")).setString(c);
            table.fieldByName(QStringLiteral("DTREFIND")).setDate(kFirstDay.addDays(d));
            table.fieldByName(QStringLiteral("VRINDICE")).setFloat(1 + d % 97 / 10.0);
            table.post();
        }
    }
    return quotes::close(table) ? dir : QString();
}

void BM_QuoteForeignPayment(benchmark::State& state)
{
    const int days = int(state.range(0));
    const QString dir = quoteFolder(days);
    if (dir.isEmpty()) {
        state.SkipWithError("quote file not made");
        return;
    }
    std::mt19937 rng(4);
    std::vector<double> ms, cpuMs;
    for (auto _ : state) {
        const QString currency = kCurrencies[int(rng() % 5)];
        const QDate day = kFirstDay.addDays(int(rng() % unsigned(days)));
        const qint64 t0 = nowNs(), c0 = nowNs(CLOCK_PROCESS_CPUTIME_ID);
        DataSet table;
        if (!quotes::open(table, dir) || !quotes::find(table, currency, day))
            state.SkipWithError("quote not found");
        quotes::add(table, currency, day, 2.5 + double(rng() % 100) / 100);
        if (!quotes::close(table))
            state.SkipWithError("quote not stored");
        ms.push_back((nowNs() - t0) / 1e6);
        cpuMs.push_back((nowNs(CLOCK_PROCESS_CPUTIME_ID) - c0) / 1e6);
    }
    // The wall clock also counts the disk's syncs of the crash-safe save (BM_SaveOneChange's
    // wall time shows the same).
    state.counters["cpu_median_ms"] = median(cpuMs);
    reportMedian(state, ms, "goal < 5 ms, flat");
}

QList<FieldDef> eightFields()
{
    return {text("CODE", 10),
            text("NAME", 40),
            FieldDef{QStringLiteral("QTY"), FieldType::Integer},
            FieldDef{QStringLiteral("PRICE"), FieldType::Float},
            FieldDef{QStringLiteral("DAY"), FieldType::Date},
            FieldDef{QStringLiteral("AT"), FieldType::DateTime},
            FieldDef{QStringLiteral("PAID"), FieldType::Boolean},
            text("NOTE", 20)};
}

Row eightValues(int i)
{
    return {QStringLiteral("%1").arg(i, 8, 10, QLatin1Char('0')),
            QStringLiteral("Item %1 of the menu").arg(i),
            qint64(i % 50),
            12.5 + i % 100,
            QDate(2026, 1, 1).addDays(i % 365),
            QDateTime(QDate(2026, 1, 1), QTime(12, 0)).addSecs(i),
            i % 2 == 0,
            QStringLiteral("mesa %1").arg(i % 40)};
}

void BM_PostUnique(benchmark::State& state)
{
    const int rows = int(state.range(0));
    std::vector<double> ms, cpuMs;
    for (auto _ : state) {
        DataSet ds(eightFields());
        ds.addIndex(IndexDef{QStringLiteral("byCode"), {QStringLiteral("CODE")}, {}, false, true});
        ds.createDataSet();
        std::vector<Field> fields;
        for (const FieldDef& f : ds.fieldDefs())
            fields.push_back(ds.fieldByName(f.name));
        qint64 wall = 0, cpu = 0;
        for (int i = 0; i < rows; ++i) {
            const Row values = eightValues(i); // made outside the timed part
            const qint64 t0 = nowNs(), c0 = nowNs(CLOCK_PROCESS_CPUTIME_ID);
            ds.append();
            for (size_t f = 0; f < fields.size(); ++f)
                fields[f].setValue(values[qsizetype(f)]);
            ds.post();
            cpu += nowNs(CLOCK_PROCESS_CPUTIME_ID) - c0;
            wall += nowNs() - t0;
        }
        ms.push_back(wall / 1e6);
        cpuMs.push_back(cpu / 1e6);
    }
    state.counters["cpu_median_ms"] = median(cpuMs);
    state.counters["rows_per_s"] = rows / (median(ms) / 1000);
    reportMedian(state, ms, "goal linear, 1M rows < 10 s");
}

// A data file of `rows` rows of the eight fields.
QString eightFieldFile(int rows)
{
    const QString path = scratch().filePath(QStringLiteral("rows%1.cds").arg(rows));
    if (QFile::exists(path))
        return path;
    DataPacket p{eightFields(), {}};
    p.rows.reserve(rows);
    for (int i = 0; i < rows; ++i)
        p.rows.append(eightValues(i));
    DataSet ds;
    ds.setData(p);
    return ds.saveToFile(path, SaveMode::ReplaceRows) ? path : QString();
}

void BM_SaveOneChange(benchmark::State& state)
{
    const int rows = int(state.range(0));
    const QString path = eightFieldFile(rows);
    DataSet ds;
    if (path.isEmpty() || !ds.loadFromFile(path)) {
        state.SkipWithError("file not loaded");
        return;
    }
    std::mt19937 rng(5);
    std::vector<double> ms, wallMs;
    for (auto _ : state) {
        ds.setRecNo(int(rng() % unsigned(rows)) + 1);
        ds.edit();
        ds.fieldByName(QStringLiteral("QTY"))
            .setInteger(ds.fieldByName(QStringLiteral("QTY")).asInteger() + 1);
        ds.post();
        const qint64 t0 = nowNs(CLOCK_PROCESS_CPUTIME_ID), w0 = nowNs();
        if (!ds.saveToFile(path))
            state.SkipWithError("save failed");
        ms.push_back((nowNs(CLOCK_PROCESS_CPUTIME_ID) - t0) / 1e6);
        wallMs.push_back((nowNs() - w0) / 1e6);
    }
    state.counters["wall_median_ms"] = median(wallMs);
    reportMedian(state, ms, "goal < 3 ms CPU, flat");
}

qint64 heapInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return qint64(m.uordblks + m.hblkhd);
}

void BM_LoadedRowBytes(benchmark::State& state)
{
    const int rows = int(state.range(0));
    const QString path = eightFieldFile(rows);
    double perRow = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const qint64 before = heapInUse();
        auto ds = std::make_unique<DataSet>();
        if (!ds->loadFromFile(path))
            state.SkipWithError("file not loaded");
        perRow = double(heapInUse() - before) / rows;
    }
    state.counters["bytes_per_row"] = perRow;
    state.SetLabel("goal < 400 B");
}

// Rows of the terminals' file: TAG only.
QString terminalsFile(int rows)
{
    const QString path = scratch().filePath(QStringLiteral("terminals%1.cds").arg(rows));
    DataPacket p{{text("TAG", 20)}, {}};
    for (int i = 0; i < rows; ++i)
        p.rows.append({QStringLiteral("seed")});
    DataSet ds;
    ds.setData(p);
    return ds.saveToFile(path, SaveMode::ReplaceRows) ? path : QString();
}

void BM_FourTerminalsSave(benchmark::State& state)
{
    const int rows = int(state.range(0));
    const QString path = terminalsFile(rows);
    std::vector<double> ms;
    int expected = rows;
    for (auto _ : state) {
        std::vector<std::unique_ptr<QProcess>> terminals;
        for (int t = 0; t < 4; ++t) {
            terminals.push_back(std::make_unique<QProcess>());
            terminals.back()->start(QStringLiteral(ZEL_DATASET_TERMINAL),
                                    {path, QStringLiteral("T%1").arg(t)});
        }
        for (auto& p : terminals) {
            while (!p->canReadLine() && p->waitForReadyRead(30000)) {
            }
            if (p->readLine().trimmed() != "ready")
                state.SkipWithError("a terminal did not load the file");
        }
        for (auto& p : terminals)
            p->write("go\n");
        double slowest = 0;
        for (auto& p : terminals) {
            p->waitForFinished(60000);
            const QByteArray out = p->readAllStandardOutput().trimmed();
            bool ok = false;
            const double us = out.toDouble(&ok);
            if (!ok)
                state.SkipWithError(("a save failed: " + out).constData());
            slowest = std::max(slowest, us / 1000);
        }
        ms.push_back(slowest);
        expected += 4;
    }
    DataSet check;
    if (!check.loadFromFile(path) || check.recordCount() != expected)
        state.SkipWithError("rows were lost");
    state.counters["rows_lost"] = expected - check.recordCount();
    reportMedian(state, ms, "goal < 250 ms, no row lost");
}

} // namespace

BENCHMARK(BM_FindClient)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindConsumer)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ConsumerSearchRows)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_QuoteForeignPayment)->Arg(365)->Arg(3650)->Arg(36500)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PostUnique)->Arg(10000)->Arg(100000)->Arg(1000000)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveOneChange)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(20)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadedRowBytes)
    ->Arg(10000)
    ->Arg(100000)
    ->Arg(1000000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FourTerminalsSave)
    ->Arg(1000)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond);
