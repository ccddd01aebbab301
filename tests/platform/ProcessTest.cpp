#include "platform/Process.h"

#include "platform/SystemError.h"
#include "tests/platform/PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>

namespace Os {
namespace {

using namespace Orvanta::testing;
using namespace std::chrono_literals;

TEST(Process, PassesItsArgumentsAndReportsTheExitCode)
{
    Process process;
    ASSERT_EQ(process.spawn("sh", {"-c", "echo \"$1|$2\"; exit 3", "sh", "--ipc 4711", "two"}, {.pipeOutput = true}),
              kErrorSuccess);
    EXPECT_EQ(readLine(process.outputFd()), "--ipc 4711|two") << "each argument arrives whole";
    ASSERT_EQ(process.waitForExit(5s).status, WaitStatus::signalled);
    EXPECT_FALSE(process.running());
    EXPECT_EQ(process.exitStatus(), (ExitStatus{false, 3}));
}

TEST(Process, TerminateEndsARunningChild)
{
    Process process;
    ASSERT_EQ(process.spawn("sleep", {"600"}), kErrorSuccess);
    EXPECT_TRUE(process.running());
    EXPECT_EQ(process.waitForExit(20ms).status, WaitStatus::timedOut);
    ASSERT_EQ(process.terminate(), kErrorSuccess);
    ASSERT_EQ(process.waitForExit(5s).status, WaitStatus::signalled);
    EXPECT_EQ(process.exitStatus(), (ExitStatus{true, SIGKILL}));
    EXPECT_EQ(process.terminate(), kErrorSuccess) << "terminating an ended child is no failure";
}

TEST(Process, ExitIsSeenAlongsideAStopEvent)
{
    LocalEvent stop(LocalEvent::Reset::manual);
    Process process;
    ASSERT_EQ(process.spawn("sh", {"-c", "read line"}, {.pipeInput = true}), kErrorSuccess);
    Waitable* const objects[] = {&process, &stop};
    EXPECT_EQ(waitForAny(objects, 20ms).status, WaitStatus::timedOut);
    process.closeInput();
    const WaitOutcome outcome = waitForAny(objects, 5s);
    EXPECT_EQ(outcome.status, WaitStatus::signalled);
    EXPECT_EQ(outcome.index, 0u);
}

TEST(Process, MissingProgramIsFileNotFound)
{
    Process process;
    EXPECT_EQ(process.spawn("orvanta-no-such-program", {}), kErrorFileNotFound);
    EXPECT_EQ(process.terminate(), kErrorInvalidHandle);
}

TEST(Process, ChildStillRunningWhenItsProcessGoesIsKilled)
{
    pid_t pid = -1;
    {
        Process process;
        ASSERT_EQ(process.spawn("sleep", {"600"}), kErrorSuccess);
        pid = process.pid();
    }
    EXPECT_NE(::kill(pid, 0), 0) << "neither running nor a zombie";
}

} // namespace
} // namespace Os
