#pragma once
// The rig of the backend's unit tests: a device and a running communicator around card
// detection the test plays, the work the communicator hands over recorded, the client's
// events recorded. `Base` is the test's GoogleTest base: plain, or with parameters.

#include "tests/quelder/backend/BackendTestSupport.h"
#include "tests/quelder/support/BackendLog.h"

#include "platform/Clock.h"
#include "quelder/Quelder.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <string>

namespace Orvanta::testing {

template <class Base = ::testing::Test>
class DeviceFixture : public Base {
protected:
    void SetUp() override
    {
        host.queue = &communicator;
        ASSERT_EQ(communicator.Start(&ClientRecorder::OnEvent, &ClientRecorder::OnError), kQdSuccess);
    }
    void TearDown() override
    {
        device.Exit(0);
        communicator.Stop();
    }

    // Waits until the communicator has handed over everything posted so far.
    void Drain()
    {
        const std::size_t marks = work.Count(kMark);
        ASSERT_EQ(communicator.Post(kMark), kQdSuccess);
        ASSERT_TRUE(work.WaitForCount(kMark, marks + 1));
    }

    // A card of `type` found with its application port at `port` open, as the
    // communicator leaves it once detection reported the card.
    void OpenFound(const std::string& port, std::uint32_t type = kGx750)
    {
        host.SetCard(NkCardStarted, type, NkCapApplicationPort, port);
        device.UpdateCardState(NkReasonDeviceChange);
        ASSERT_EQ(device.Init(0), 1);
        ASSERT_EQ(device.State(), GSM::DeviceState::found);
    }

    static constexpr std::uint32_t kMark = 0x80FF; // a message no device work knows

    BackendLog log; // first in, last out: the device's threads log until they end
    Os::ManualClock clock;
    FakeHost host;
    RecordingWork work;
    ClientRecorder client;
    GSM::Device device{host};
    GSM::Communicator communicator{work, clock};
};

} // namespace Orvanta::testing
