// A card that comes and goes while a client reads it, as a laptop's card does when it is
// pulled and pushed back, or when the machine sleeps: each time the card is back, the
// positions must come back too, and nothing may be left behind when the library closes.

#include "tests/stack/StackFixture.h"

#include "corvane/Keys.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <thread>

namespace Orvanta::testing {
namespace {

constexpr auto kResumeLimit = 5s;

const std::vector<std::string> kCard{"--ttff", "0", "--rate", "4"};

std::size_t entriesIn(const char* folder)
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++count;
    return count;
}

struct ProcessCounts {
    std::size_t descriptors;
    std::size_t threads;
    bool operator==(const ProcessCounts&) const = default;
};

ProcessCounts countsNow() { return {entriesIn("/proc/self/fd"), entriesIn("/proc/self/task")}; }

// A seed of the run's own, printed so that a failing run can be repeated with
// ORVANTA_TEST_SEED.
unsigned seedOfThisRun()
{
    if (const char* given = std::getenv("ORVANTA_TEST_SEED"))
        return static_cast<unsigned>(std::strtoul(given, nullptr, 10));
    return std::random_device{}();
}

class CardComesAndGoes : public StackTest {
protected:
    void SetUp() override
    {
        seed_ = seedOfThisRun();
        random_.seed(seed_);
        std::cout << "seed " << seed_ << " (ORVANTA_TEST_SEED repeats it)" << std::endl;
        RecordProperty("seed", static_cast<int>(seed_));
    }

    // Between 50 ms and 3 s, spread evenly over the orders of magnitude, so that both the
    // quick re-plugs that race the backend's release and the slow ones come often.
    std::chrono::milliseconds randomPause()
    {
        std::uniform_real_distribution<double> exponent(std::log(50.0), std::log(3000.0));
        return std::chrono::milliseconds(static_cast<long long>(std::exp(exponent(random_))));
    }

    // What orvanta-gps watch does: once the card is back (or `ready` already) and says it
    // has a receiver, ask for reading. The time from `back` to the first position that
    // follows.
    std::optional<std::chrono::milliseconds> readingResumes(client::Clock::time_point back, bool ready = false)
    {
        bool support = ready, initialised = ready;
        std::optional<std::size_t> asked;
        if (ready) {
            EXPECT_EQ(session->setGpsMode(Corvane::cGpsModeRead), Corvane::cNoError);
            asked = taken();
        }
        const bool positioned = waitFor(
            [&](const client::Notice& notice) {
                const std::string summary = summaryOf(notice);
                support = support || summary == "support 1";
                initialised = initialised || summary == "device 4";
                if (!asked && support && initialised) {
                    EXPECT_EQ(session->setGpsMode(Corvane::cGpsModeRead), Corvane::cNoError);
                    asked = taken();
                }
                return asked && taken() > *asked && notice.kind == client::NoticeKind::gpsData &&
                       notice.real(Corvane::key::gpsLatitude).has_value();
            },
            std::chrono::duration_cast<std::chrono::milliseconds>(back + kResumeLimit - client::Clock::now()));
        if (!positioned)
            return std::nullopt;
        return std::chrono::duration_cast<std::chrono::milliseconds>(client::Clock::now() - back);
    }

    // `away` and `back` (card control commands) `cycles` times, each after a random pause;
    // without `back`, `away` alone takes the card away and brings it back at once.
    void comeAndGo(const char* away, const char* back, int cycles)
    {
        std::chrono::milliseconds slowest{0};
        for (int cycle = 1; cycle <= cycles; ++cycle) {
            SCOPED_TRACE("cycle " + std::to_string(cycle) + ", seed " + std::to_string(seed_));
            // The card reads for a while, then goes; pauses pace the card, they wait for
            // nothing of ours.
            std::this_thread::sleep_for(randomPause());
            const std::size_t beforeAway = taken();
            ASSERT_EQ(card.control(away), "OK");
            const std::chrono::milliseconds absent = back != nullptr ? randomPause() : std::chrono::milliseconds(0);
            if (back != nullptr) {
                std::this_thread::sleep_for(absent);
                ASSERT_EQ(card.control(back), "OK");
            }
            const auto backAt = client::Clock::now();
            const auto took = readingResumes(backAt);
            ASSERT_TRUE(took) << "no position within " << kResumeLimit.count() << " s after " << (back != nullptr ? back : away) << " (away "
                              << absent.count() << " ms): " << ::testing::PrintToString(summaries(beforeAway));
            slowest = std::max(slowest, *took);
        }
        std::cout << cycles << " times " << away << (back != nullptr ? "/" : "") << (back != nullptr ? back : "")
                  << ": positions back within " << slowest.count()
                  << " ms at the slowest" << std::endl;
    }

    // The library closes; every thread and descriptor it had is gone again.
    void expectNothingLeftBehind(const ProcessCounts& before)
    {
        session.reset();
        // Short-lived threads of the library end on their own just after it closes.
        EXPECT_TRUE(waitUntil([&] { return countsNow() == before; }, 10s))
            << "before: " << before.descriptors << " descriptors, " << before.threads << " threads; after: "
            << countsNow().descriptors << ", " << countsNow().threads;
    }

    struct Phase {
        const char* away;
        const char* back;
        int cycles;
    };

    // A client reads while the card goes and comes back, phase after phase, and the
    // library lets go of everything at the end.
    void readThrough(std::initializer_list<Phase> phases)
    {
        startCard(kCard);
        const ProcessCounts before = countsNow();
        startLibrary();
        expectStartUp();
        ASSERT_TRUE(readingResumes(client::Clock::now(), true).has_value());
        for (const Phase& phase : phases) {
            comeAndGo(phase.away, phase.back, phase.cycles);
            if (HasFatalFailure())
                return;
        }
        expectNothingLeftBehind(before);
    }

    unsigned seed_ = 0;
    std::mt19937 random_;
};

// Pulled for a while, and pulled and pushed back at once, when the removal and the new
// card's arrival race each other through detection and the backend.
TEST_F(CardComesAndGoes, PositionsResumeAfterEachReplug)
{
    readThrough({{"unplug", "plug", 20}, {"replug", nullptr, 5}});
}

TEST_F(CardComesAndGoes, PositionsResumeAfterEachSuspend) { readThrough({{"suspend", "resume", 5}}); }

} // namespace
} // namespace Orvanta::testing
