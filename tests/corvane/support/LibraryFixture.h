#pragma once
// A library controller with a recording device trait and recording client callbacks, for
// tests that drive state machines directly on the test's thread.

#include "corvane/fsm/CorvaneController.h"
#include "corvane/fsm/Events.h"
#include "corvane/fsm/QHsm.h"
#include "tests/corvane/support/ClientJournal.h"
#include "tests/corvane/support/RecordingDeviceTrait.h"

#include <gtest/gtest.h>

#include <initializer_list>

namespace Corvane::testing {

class LibraryFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        controller = &CorvaneController::instance();
        controller->setDeviceTrait(trait);
        controller->setConnectionMachines(connectionMachines);
        controller->setSmsModuleState(smsModuleState);
        controller->traits().install(TraitKind::client, ClientJournal::clientTrait(&clientContext));
        controller->traits().install(TraitKind::gps, ClientJournal::gpsTrait(&gpsContext));
    }
    void TearDown() override { CorvaneController::destroyInstance(); }

    static void send(QHsm& machine, Signal signal, const Dictionary& parameters = {})
    {
        const CvEvent event(signal, parameters);
        machine.dispatch(&event);
    }
    static void send(QHsm& machine, std::initializer_list<Signal> signals)
    {
        for (Signal signal : signals)
            send(machine, signal);
    }

    ClientJournal journal;
    RecordingDeviceTrait trait;
    RecordingConnectionMachines connectionMachines;
    RecordingSmsModuleState smsModuleState;
    CorvaneController* controller = nullptr;
    int clientContext = 0;
    int gpsContext = 0;
};

} // namespace Corvane::testing
