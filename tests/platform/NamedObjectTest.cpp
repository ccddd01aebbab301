// Named objects between two real processes: this test and the helper program.

#include "platform/NamedEvent.h"
#include "platform/NamedMutex.h"
#include "platform/Process.h"
#include "platform/SystemError.h"
#include "tests/platform/PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <csignal>

namespace Os {
namespace {

using namespace Orvanta::testing;
using namespace std::chrono_literals;

const std::string kMutexName = "NK_Exclusive_Object_{9611FE5D-FEC3-4e6d-9C20-C4AA33E3CE43}";
const std::string kEventName = "NK_Suspension_{3B1B5405-6DE5-4ba3-959E-A801E79800E0}";

class NamedObjects : public ::testing::Test {
protected:
    TestFolder folder;

    // Starts the helper and waits for its first line, which must be `expected`.
    std::unique_ptr<Process> helper(const std::vector<std::string>& arguments, const std::string& expected)
    {
        auto process = std::make_unique<Process>();
        std::vector<std::string> all = arguments;
        all.insert(all.begin() + 1, folder.path().string());
        EXPECT_EQ(process->spawn(ORVANTA_TEST_HELPER, all, {.pipeInput = true, .pipeOutput = true}), kErrorSuccess);
        EXPECT_EQ(readLine(process->outputFd()), expected);
        return process;
    }

    // The helper's answer to a one-shot question.
    std::string ask(const std::vector<std::string>& arguments)
    {
        Process process;
        std::vector<std::string> all = arguments;
        all.insert(all.begin() + 1, folder.path().string());
        EXPECT_EQ(process.spawn(ORVANTA_TEST_HELPER, all, {.pipeOutput = true}), kErrorSuccess);
        return readLine(process.outputFd()).value_or("(no answer)");
    }

    // The other process's view of the event: "set" or "reset", then "fresh" or "shared".
    std::pair<std::string, std::string> eventStateElsewhere()
    {
        Process process;
        EXPECT_EQ(process.spawn(ORVANTA_TEST_HELPER, {"event-state", folder.path().string(), kEventName},
                                {.pipeOutput = true}),
                  kErrorSuccess);
        const auto state = readLine(process.outputFd());
        const auto creation = readLine(process.outputFd());
        return {state.value_or("(no answer)"), creation.value_or("(no answer)")};
    }

    static void release(Process& process)
    {
        process.closeInput();
        ASSERT_EQ(process.waitForExit(5s).status, WaitStatus::signalled);
        EXPECT_EQ(process.exitStatus(), (ExitStatus{false, 0}));
    }
};

TEST_F(NamedObjects, MutexExcludesTheOtherProcess)
{
    auto holder = helper({"hold-mutex", kMutexName}, "held");
    NamedMutex mutex;
    ASSERT_EQ(mutex.open(kMutexName, folder.path()), kErrorSuccess);
    EXPECT_TRUE(mutex.heldElsewhere());
    EXPECT_TRUE(mutex.openElsewhere());
    EXPECT_EQ(mutex.lock(50ms).status, WaitStatus::timedOut);

    release(*holder);
    EXPECT_EQ(mutex.lock(5s).status, WaitStatus::signalled) << "released in order: not abandoned";
    EXPECT_EQ(ask({"try-mutex", kMutexName}), "busy");
    EXPECT_EQ(mutex.unlock(), kErrorSuccess);
    EXPECT_EQ(ask({"try-mutex", kMutexName}), "signalled");
    EXPECT_EQ(mutex.unlock(), kErrorNotOwner);
}

TEST_F(NamedObjects, MutexOfAKilledHolderIsAbandonedToTheWaiter)
{
    NamedMutex mutex;
    ASSERT_EQ(mutex.open(kMutexName, folder.path()), kErrorSuccess);
    auto holder = helper({"hold-mutex", kMutexName}, "held");
    ASSERT_EQ(holder->terminate(), kErrorSuccess);
    const WaitOutcome outcome = mutex.lock(5s);
    EXPECT_EQ(outcome.status, WaitStatus::abandoned);
    EXPECT_TRUE(mutex.held()) << "an abandoned mutex is taken all the same";
    EXPECT_EQ(holder->exitStatus(), (ExitStatus{true, SIGKILL}));
}

TEST_F(NamedObjects, LockFileOfAKilledHolderDoesNotBlockTheNextProcess)
{
    auto holder = helper({"hold-mutex", kMutexName}, "held");
    ASSERT_EQ(holder->terminate(), kErrorSuccess);
    ASSERT_EQ(holder->waitForExit(5s).status, WaitStatus::signalled);
    // Nobody had it open: the next process finds a fresh mutex, as after the last handle closed.
    EXPECT_EQ(ask({"try-mutex", kMutexName}), "signalled");
}

TEST_F(NamedObjects, EventSetInOneProcessWakesTheOther)
{
    auto waiter = helper({"wait-event", kEventName, "5000"}, "waiting");
    NamedEvent event;
    ASSERT_EQ(event.open(kEventName, folder.path()), kErrorSuccess);
    EXPECT_FALSE(event.isSet().value());
    ASSERT_EQ(event.set(), kErrorSuccess);
    EXPECT_EQ(readLine(waiter->outputFd()), "signalled");
    EXPECT_TRUE(event.isSet().value()) << "manual reset: waking a waiter does not reset it";
}

TEST_F(NamedObjects, EventSetByTheOtherProcessIsSeenHere)
{
    NamedEvent event;
    ASSERT_EQ(event.open(kEventName, folder.path()), kErrorSuccess);
    EXPECT_EQ(event.wait(20ms).status, WaitStatus::timedOut);
    auto setter = helper({"set-event", kEventName}, "set");
    EXPECT_EQ(event.wait(5s).status, WaitStatus::signalled);
    ASSERT_EQ(event.reset(), kErrorSuccess);
    EXPECT_EQ(event.wait(20ms).status, WaitStatus::timedOut);
    release(*setter);
}

TEST_F(NamedObjects, EventLeftSetByAKilledProcessIsFreshForTheNext)
{
    auto setter = helper({"set-event", kEventName}, "set");
    ASSERT_EQ(setter->terminate(), kErrorSuccess);
    ASSERT_EQ(setter->waitForExit(5s).status, WaitStatus::signalled);
    EXPECT_EQ(eventStateElsewhere(), std::make_pair(std::string("reset"), std::string("fresh")));
}

TEST_F(NamedObjects, EventLeftSetWhileOthersHoldItStaysSetUntilReset)
{
    NamedEvent event;
    ASSERT_EQ(event.open(kEventName, folder.path()), kErrorSuccess);
    auto setter = helper({"set-event", kEventName}, "set");
    ASSERT_EQ(setter->terminate(), kErrorSuccess);
    ASSERT_EQ(setter->waitForExit(5s).status, WaitStatus::signalled);
    // The event lives on with our handle; detection finds it stale and resets it.
    EXPECT_TRUE(event.isSet().value());
    EXPECT_FALSE(event.openElsewhere());
    ASSERT_EQ(event.reset(), kErrorSuccess);
    EXPECT_EQ(eventStateElsewhere(), std::make_pair(std::string("reset"), std::string("shared")));
}

TEST_F(NamedObjects, WaitOnSeveralAnswersTheFirstSignalledOrTimesOut)
{
    LocalEvent wake(LocalEvent::Reset::automatic);
    NamedEvent suspension;
    NamedMutex exclusive;
    ASSERT_EQ(suspension.open(kEventName, folder.path()), kErrorSuccess);
    ASSERT_EQ(exclusive.open(kMutexName, folder.path()), kErrorSuccess);
    auto holder = helper({"hold-mutex", kMutexName}, "held");
    Waitable* const objects[] = {&wake, &suspension, &exclusive};

    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(waitForAny(objects, 100ms).status, WaitStatus::timedOut);
    EXPECT_GE(std::chrono::steady_clock::now() - started, 100ms);

    release(*holder);
    WaitOutcome outcome = waitForAny(objects, 5s);
    EXPECT_EQ(outcome.status, WaitStatus::signalled);
    EXPECT_EQ(outcome.index, 2u);
    ASSERT_EQ(exclusive.unlock(), kErrorSuccess);

    wake.set();
    ASSERT_EQ(suspension.set(), kErrorSuccess);
    outcome = waitForAny(objects, 5s);
    EXPECT_EQ(outcome.index, 0u) << "lowest index first";
    outcome = waitForAny(objects, 5s);
    EXPECT_EQ(outcome.index, 1u) << "the automatic event was reset by the first wait";
}

TEST_F(NamedObjects, FolderAndFilesArePrivate)
{
    NamedMutex mutex;
    ASSERT_EQ(mutex.open(kMutexName, folder.path()), kErrorSuccess);
    struct stat info {};
    ASSERT_EQ(::stat((folder / (kMutexName + ".mutex")).c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);

    ASSERT_EQ(::chmod(folder.path().c_str(), 0755), 0);
    NamedEvent event;
    EXPECT_EQ(event.open(kEventName, folder.path()), kErrorAccessDenied) << "a folder others can read is refused";
}

struct BadName {
    const char* name;
    std::string objectName;
};

class NamedObjectNames : public ::testing::TestWithParam<BadName> {};

TEST_P(NamedObjectNames, AreRefusedAsInvalid)
{
    TestFolder folder;
    NamedMutex mutex;
    EXPECT_EQ(mutex.open(GetParam().objectName, folder.path()), kErrorInvalidName);
    NamedEvent event;
    EXPECT_EQ(event.open(GetParam().objectName, folder.path()), kErrorInvalidName);
}

INSTANTIATE_TEST_SUITE_P(NamedObjects, NamedObjectNames,
                         ::testing::Values(BadName{"Empty", ""}, BadName{"WithSlash", "../escape"},
                                           BadName{"Hidden", ".lock"}, BadName{"TooLong", std::string(201, 'n')}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace Os
