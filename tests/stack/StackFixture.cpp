#include "tests/stack/StackFixture.h"

#include "corvane/Keys.h"

#include <cstdlib>

namespace Orvanta::testing {

std::string summaryOf(const client::Notice& notice)
{
    using client::NoticeKind;
    auto number = [&](const char* key) { return std::to_string(notice.integer(key).value_or(-1)); };
    switch (notice.kind) {
    case NoticeKind::libraryState: return "library " + number(Corvane::key::libraryState);
    case NoticeKind::deviceState: return "device " + number(Corvane::key::deviceState);
    case NoticeKind::update: {
        const auto port = notice.text(Corvane::key::gpsDataPort);
        return port ? "port " + *port : "update";
    }
    case NoticeKind::traitError: return "error " + number(Corvane::key::lastError);
    case NoticeKind::pinState: return "pin " + number(Corvane::key::pinState);
    case NoticeKind::enterPin: return "enter pin " + number(Corvane::key::pinKind);
    case NoticeKind::registration: return "registration " + number(Corvane::key::registrationState);
    case NoticeKind::flightMode: return "radio " + number(Corvane::key::radioState);
    case NoticeKind::networkScan: return "scan " + number(Corvane::key::networkScanActive);
    case NoticeKind::connectionChange: return "connection " + number(Corvane::key::connectionState);
    case NoticeKind::connectionHistory: return "history";
    case NoticeKind::gpsSupport: return "support " + number(Corvane::key::gpsSupport);
    case NoticeKind::gpsState: return "gps " + number(Corvane::key::gpsState);
    case NoticeKind::gpsData: return "position";
    }
    return "?";
}

void StackTest::startStack(const std::vector<std::string>& cardArguments)
{
    startCard(cardArguments);
    if (!::testing::Test::HasFatalFailure())
        startLibrary();
}

void StackTest::startCard(const std::vector<std::string>& cardArguments)
{
    ASSERT_TRUE(card.start(cardArguments));
}

void StackTest::startLibrary(Corvane::InitMode mode)
{
    // Set before the library starts any thread. The runtime folder keeps this test's
    // named objects away from every other test's.
    ::setenv("XDG_RUNTIME_DIR", runtimeFolder_.path().c_str(), 1);
    ::setenv("ORVANTA_DEVICES", "sim", 1);
    ::setenv("ORVANTA_SIM_DIR", card.simDir().c_str(), 1);
    session = std::make_unique<client::ClientSession>(mode);
    ASSERT_TRUE(session->registered());
}

void StackTest::TearDown()
{
    session.reset();
}

bool StackTest::waitFor(const std::function<bool(const client::Notice&)>& wanted, std::chrono::milliseconds patience)
{
    const auto deadline = client::Clock::now() + patience;
    while (std::optional<client::Notice> notice = session->next(deadline)) {
        notices_.push_back(std::move(*notice));
        if (wanted(notices_.back()))
            return true;
    }
    return false;
}

bool StackTest::waitForSummary(const std::string& summary, std::chrono::milliseconds patience)
{
    return waitFor([&](const client::Notice& notice) { return summaryOf(notice) == summary; }, patience);
}

std::vector<std::string> StackTest::summaries(std::size_t first) const
{
    std::vector<std::string> result;
    for (std::size_t i = first; i < notices_.size(); ++i)
        result.push_back(summaryOf(notices_[i]));
    return result;
}

void StackTest::expectStartUp(std::size_t from)
{
    // The three come in no fixed order: the GPS check, the device information and the
    // end of the device's initialisation are published by different threads.
    auto complete = [this, from] {
        bool support = false, port = false, initialised = false;
        for (const std::string& entry : summaries(from)) {
            support = support || entry == "support 1";
            port = port || entry.rfind("port ", 0) == 0;
            initialised = initialised || entry == "device 4";
        }
        return support && port && initialised;
    };
    if (!complete())
        waitFor([&](const client::Notice&) { return complete(); });
    ASSERT_TRUE(complete()) << ::testing::PrintToString(summaries(from));
}

bool containsInOrder(const std::vector<std::string>& sequence, const std::vector<std::string>& expected)
{
    std::size_t next = 0;
    for (const std::string& entry : sequence)
        if (next < expected.size() && entry == expected[next])
            ++next;
    return next == expected.size();
}

} // namespace Orvanta::testing
