// Two programs that use card detection at once: this test process and a helper process.

#include "tests/nodekin/DetectionFixture.h"

#include "platform/Process.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <unistd.h>

namespace Nodekin::testing {
namespace {

using namespace std::chrono_literals;
using Orvanta::testing::readLine;

// The other program: detection in a helper process on the same folders.
class OtherProgram {
public:
    OtherProgram(const std::filesystem::path& simFolder, const std::filesystem::path& objectFolder)
    {
        Os::Process::Options options;
        options.pipeInput = true;
        options.pipeOutput = true;
        started_ = process_.spawn(NODEKIN_TEST_HELPER, {simFolder.string(), objectFolder.string()}, options) == 0 &&
                   expect("ready");
    }
    bool started() const { return started_; }

    bool send(const std::string& command)
    {
        const std::string line = command + "\n";
        return ::write(process_.inputFd(), line.data(), line.size()) == static_cast<ssize_t>(line.size());
    }
    // Sends a command and waits for the answer that starts with `answer`.
    std::optional<std::string> ask(const std::string& command, const std::string& answer)
    {
        return send(command) ? lineStartingWith(answer) : std::nullopt;
    }
    std::optional<std::string> lineStartingWith(const std::string& prefix)
    {
        for (;;) {
            std::optional<std::string> line = readLine(process_.outputFd(), 10s);
            if (!line || line->rfind(prefix, 0) == 0)
                return line;
        }
    }
    void kill() { process_.terminate(); }

private:
    bool expect(const std::string& text) { return lineStartingWith(text).has_value(); }

    Os::Process process_;
    bool started_ = false;
};

class SuspensionBetweenPrograms : public DetectionTest {
protected:
    // This program runs with the card Started; the other program then asks for exclusive
    // access and gets it once this one has acknowledged its suspension.
    void handCardToOtherProgram()
    {
        plug("card.json", card);
        start();
        registerRecorder();
        ASSERT_TRUE(waitFor(NkCardStarted, NkReasonRegistered));
        // Started only now, so that this program holds the mutex in normal mode first.
        other.emplace(simFolder.path(), objectFolder.path());
        ASSERT_TRUE(other->started());
        // The other program waits for the mutex until this one, suspended, lets go of it.
        ASSERT_TRUE(other->send("exclusive"));
        ASSERT_TRUE(waitFor(NkCardSuspended, NkReasonDeviceChange));
        EXPECT_EQ(NkRequestExclusiveAccess(100), NkErrorClaimedElsewhere);
        EXPECT_EQ(NkAcknowledgeSuspension(), 0);
        EXPECT_EQ(other->lineStartingWith("exclusive"), "exclusive 0");
    }

    const SimCard card = SimCard::gpsCard(); // its ports live as long as the test
    std::optional<OtherProgram> other;
};

TEST_F(SuspensionBetweenPrograms, ExclusiveAccessElsewhereSuspendsAndReleasingWakesUp)
{
    ASSERT_NO_FATAL_FAILURE(handCardToOtherProgram());
    EXPECT_EQ(other->ask("release", "released"), "released 0");
    ASSERT_TRUE(waitFor(NkCardStarted, NkReasonSuspensionEnded));
    EXPECT_EQ(other->ask("quit", "never"), std::nullopt);
}

TEST_F(SuspensionBetweenPrograms, HolderKilledWhileExclusiveDoesNotBlockThisProgram)
{
    ASSERT_NO_FATAL_FAILURE(handCardToOtherProgram());
    other->kill(); // its mutex goes with it; its request stays signalled
    ASSERT_TRUE(waitFor(NkCardStarted, NkReasonSuspensionEnded));
    EXPECT_FALSE(NkIsCardClaimedElsewhere());
}

} // namespace
} // namespace Nodekin::testing
