// Closing the library from the wrong thread, and closing it while a card has stopped
// answering in the middle of a command: neither may hang the client or its process.

#include "corvane/Corvane.h"

#include "corvane/ParameterRecord.h"
#include "corvane/threads/ShutdownPatience.h"
#include "corvane/traits/QdClient.h"
#include "corvane/traits/QdDeviceTrait.h"
#include "tests/corvane/support/ClientJournal.h"
#include "tests/corvane/traits/QdTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>

namespace Corvane::testing {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr auto kPatience = 300ms;

struct RecordDeleter {
    void operator()(CvParameters* record) const { deleteParameters(record); }
};
using Record = std::unique_ptr<CvParameters, RecordDeleter>;

Record recordOf(const Dictionary& values) { return Record{record::allocate(values)}; }

std::atomic<int> closedFromCallback{-1};

// A client that quits as soon as the library is open: it closes the library from inside
// the callback that tells it so.
void closeOnceOpen(const CvParameters* record)
{
    if (record->dictionary.integer(key::libraryState) == lmInitialised)
        closedFromCallback = closeLibrary();
    ClientJournal::note(key::clientLibraryState, record->dictionary); // after: the test waits for it

}

// The real library and device trait over a scripted backend.
class ClosingTheLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        setShutdownPatience(kPatience);
        closedFromCallback = -1;
    }
    void TearDown() override
    {
        backend.release();
        closeLibrary();
        // Whatever was left behind ends now that the backend answers again.
        EXPECT_TRUE(QdDeviceTrait::instance().waitForThreads(10s));
        setShutdownPatience(10s);
    }

    bool start() { return start(ClientJournal::clientTrait(&context)); }
    bool start(const Dictionary& clientTrait)
    {
        Dictionary traits;
        traits.setDictionary(key::clientTrait, clientTrait);
        traits.setDictionary(key::gpsTrait, ClientJournal::gpsTrait(&context));
        return registerClient(recordOf(traits).get()) == cNoError &&
               initialise(recordOf(buildDictionary("I", key::libraryInitMode, std::int64_t{2})).get()) == cNoError;
    }

    // A card with a receiver arrives, and the client asks to read it while the card stops
    // answering the switch-on: the device machine's thread stays in the backend.
    void switchOnAStuckReceiver()
    {
        backend.setOutput("QdGetDeviceState", 2);
        backend.setOutput("QdIsGpsSupported", 1);
        ASSERT_TRUE(start());
        ASSERT_TRUE(journal.waitForInOrder({"library 1"}));
        QdClient::eventCallback(0, nullptr); // the backend reports the card
        ASSERT_TRUE(journal.waitUntil([](const auto& entries) {
            for (const auto& entry : entries)
                if (entry.what == key::gpsSupport && entry.record.integer(key::gpsSupport) == 1)
                    return true;
            return false;
        }));
        backend.hang("QdSetGpsState");
        ASSERT_EQ(setGpsMode(recordOf(buildDictionary("I", key::gpsMode, std::int64_t{cGpsModeRead})).get()), cNoError);
        ASSERT_TRUE(backend.waitUntilHanging());
    }

    FakeQdBackend backend;
    ScopedQdBackend installed{backend};
    ClientJournal journal;
    int context = 0;
};

TEST_F(ClosingTheLibrary, FromAClientCallbackIsRefusedAndWorksFromTheClientsThread)
{
    Dictionary client = ClientJournal::clientTrait(&context);
    client.setCallback(key::clientLibraryState, &closeOnceOpen);
    ASSERT_TRUE(start(client));
    ASSERT_TRUE(journal.waitForInOrder({"library 0", "library 1"}));
    EXPECT_EQ(closedFromCallback, cErrorOperationNotAllowed);

    // The library went on, and closes normally from here.
    EXPECT_EQ(closeLibrary(), cNoError);
    EXPECT_TRUE(journal.waitForInOrder({"library 0", "library 1", "library 3"}));
    EXPECT_EQ(backend.calls().back(), "QdShutdown()");
}

TEST_F(ClosingTheLibrary, WhileTheCardNeverAnswersEndsWithinItsBound)
{
    switchOnAStuckReceiver();
    const auto began = Clock::now();
    EXPECT_EQ(closeLibrary(), cNoError);
    const auto took = Clock::now() - began;
    // The trait's start and threads, the device machine and the controller: each waited
    // for once, at most the patience.
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
    EXPECT_LT(took, 4 * kPatience + 1s) << ms;
    std::cout << "closed in " << ms << " ms with a patience of " << kPatience.count() << " ms" << std::endl;
    EXPECT_TRUE(journal.waitForInOrder({"library 3"}));

    // A library started again works, the old machine's thread still in the backend.
    journal.clear();
    ASSERT_TRUE(start());
    EXPECT_TRUE(journal.waitForInOrder({"library 0", "device 0", "library 1"}));
}

TEST_F(ClosingTheLibrary, TheProcessEndsAlthoughAThreadIsStuckInTheBackend)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const auto began = Clock::now();
    EXPECT_EXIT(
        {
            switchOnAStuckReceiver();
            closeLibrary();
            std::exit(0); // the static objects go; the stuck thread is still in the backend
        },
        ::testing::ExitedWithCode(0), "");
    const auto took = Clock::now() - began;
    // The child starts this program anew; its close is bounded as above, and the exit
    // itself waits for nobody.
    EXPECT_LT(took, 4 * kPatience + 10s) << std::chrono::duration_cast<std::chrono::milliseconds>(took).count();
}

} // namespace
} // namespace Corvane::testing
