// Costs of the state machine engine and of publishing to an active object.
// Targets: a handled event without transition under 50 ns; a replayed transition across
// three levels under 200 ns; publish -> processed on the object's thread, median under
// 30 microseconds.

#include "corvane/fsm/ActiveObject.h"
#include "corvane/fsm/CorvaneController.h"
#include "corvane/fsm/Publish.h"
#include "corvane/fsm/TracedHsm.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

using namespace Corvane;

namespace {

enum BenchSignal : std::uint16_t { TICK = 200, ACROSS, BACK };

//   top ─ left ─ left1 ─ left11      (TICK handled here; ACROSS -> right11)
//       └ right ─ right1 ─ right11   (BACK -> left11)
class BenchHsm : public QHsm {
public:
    BenchHsm() : QHsm(handler(&BenchHsm::initial)) {}

    std::uint64_t ticks = 0;
    std::uint64_t entries = 0;

    QState initial(const QEvent*)
    {
        initTran(handler(&BenchHsm::left));
        return handled();
    }
    QState left(const QEvent* e) { return composite(e, &BenchHsm::left1, &QHsm::top); }
    QState left1(const QEvent* e) { return composite(e, &BenchHsm::left11, &BenchHsm::left); }
    QState left11(const QEvent* e)
    {
        switch (e->sig) {
        case Q_ENTRY_SIG:
            ++entries;
            return handled();
        case TICK:
            ++ticks;
            return handled();
        case ACROSS:
            Q_TRAN(&BenchHsm::right11);
            return handled();
        }
        return super(&BenchHsm::left1);
    }
    QState right(const QEvent* e) { return composite(e, &BenchHsm::right1, &QHsm::top); }
    QState right1(const QEvent* e) { return composite(e, &BenchHsm::right11, &BenchHsm::right); }
    QState right11(const QEvent* e)
    {
        switch (e->sig) {
        case Q_ENTRY_SIG:
            ++entries;
            return handled();
        case BACK:
            Q_TRAN(&BenchHsm::left11);
            return handled();
        }
        return super(&BenchHsm::right1);
    }

private:
    template <class Parent>
    QState composite(const QEvent* e, QState (BenchHsm::*child)(const QEvent*), Parent parent)
    {
        switch (e->sig) {
        case Q_ENTRY_SIG:
        case Q_EXIT_SIG:
            ++entries;
            return handled();
        case Q_INIT_SIG:
            initTran(handler(child));
            return handled();
        }
        return super(parent);
    }
};

void BM_DispatchHandledEvent(benchmark::State& state)
{
    BenchHsm machine;
    machine.init();
    const QEvent tick{TICK};
    for (auto _ : state)
        machine.dispatch(&tick);
    benchmark::DoNotOptimize(machine.ticks);
}
BENCHMARK(BM_DispatchHandledEvent);

// Leaves three levels and enters three levels; the records are complete after the first
// round, so this measures replays.
void BM_ReplayedThreeLevelTransition(benchmark::State& state)
{
    BenchHsm machine;
    machine.init();
    const QEvent across{ACROSS};
    const QEvent back{BACK};
    for (auto _ : state) {
        machine.dispatch(&across);
        machine.dispatch(&back);
    }
    state.SetItemsProcessed(state.iterations() * 2);
    state.counters["ns_per_transition"] =
        benchmark::Counter(double(state.iterations() * 2), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    benchmark::DoNotOptimize(machine.entries);
}
BENCHMARK(BM_ReplayedThreeLevelTransition);

// A machine that notes when it received each event.
class StampHsm : public TracedHsm {
public:
    StampHsm() : TracedHsm(handler(&StampHsm::initial), "StampHsm", "corvane.bench.stamp", {}) {}
    static std::array<Signal, 1> subscriptions() { return {sigUpdate}; }

    std::mutex mutex; // guards received and latencies
    std::condition_variable changed;
    std::uint64_t received = 0;
    std::vector<double> latencies; // microseconds

    QState initial(const QEvent*)
    {
        initTran(handler(&StampHsm::waiting));
        return handled();
    }
    QState waiting(const QEvent* e)
    {
        if (e->sig == sigUpdate) {
            const auto sent = std::chrono::steady_clock::time_point(
                std::chrono::nanoseconds(parametersOf(e).integer("sentAt")));
            const double micros =
                std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - sent).count();
            std::lock_guard lock(mutex);
            latencies.push_back(micros);
            ++received;
            changed.notify_one();
            return handled();
        }
        return super(&QHsm::top);
    }
};

void BM_PublishToProcessedOnTheObjectsThread(benchmark::State& state)
{
    CorvaneController& controller = CorvaneController::instance();
    {
        ActiveObject<StampHsm> active(controller.hub());
        active.subscribe();
        active.start();
        StampHsm& machine = active.machine();
        std::uint64_t sent = 0;
        Dictionary values;
        for (auto _ : state) {
            values.setInteger("sentAt", std::chrono::steady_clock::now().time_since_epoch().count());
            publish(sigUpdate, values);
            ++sent;
            std::unique_lock lock(machine.mutex);
            machine.changed.wait(lock, [&] { return machine.received == sent; });
        }
        std::lock_guard lock(machine.mutex);
        std::vector<double>& l = machine.latencies;
        std::sort(l.begin(), l.end());
        if (!l.empty()) {
            state.counters["median_us"] = l[l.size() / 2];
            state.counters["p99_us"] = l[l.size() * 99 / 100];
        }
    }
    CorvaneController::destroyInstance();
}
BENCHMARK(BM_PublishToProcessedOnTheObjectsThread)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
