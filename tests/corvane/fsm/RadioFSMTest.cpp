#include "corvane/fsm/RadioFSM.h"

#include "corvane/Enumerations.h"
#include "corvane/Keys.h"
#include "tests/corvane/support/LibraryFixture.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace Corvane::testing {
namespace {

using Orvanta::testing::LogCapture;
using Summary = std::vector<std::string>;

class RadioMachine : public LibraryFixture {};

const std::vector<Signal> toRadioSupport{sigRadioSupport};
const std::vector<Signal> toRadioOn{sigRadioSupport, sigRadioOn};
const std::vector<Signal> toSwitchOff{sigRadioSupport, sigRadioOn, sigRadioOff};
const std::vector<Signal> toRadioOff{sigRadioSupport, sigRadioOff};
const std::vector<Signal> toSwitchOn{sigRadioSupport, sigRadioOff, sigRadioOn};
const std::vector<Signal> toAntennaIn{sigRadioSupport, sigAntennaIn};

const Summary radioOnEntered{"radio 1", "trait:readNetworkInfo"};

// The done the trait's radio thread publishes once it has switched the radio.
Dictionary switchedTo(std::int64_t radioState)
{
    Dictionary done;
    done.setInteger(key::radioState, radioState);
    return done;
}
const Dictionary switchedOn = switchedTo(cRadioOn);
const Dictionary switchedOff = switchedTo(cRadioOff);
const Summary radioOffEntered{"radio 2"};

struct RadioCase {
    const char* name;
    std::vector<Signal> path; // from "noRadioSupport"
    Signal signal;
    Summary seen;
    const char* end;
    Dictionary parameters = {}; // of `signal`
};

class RadioTransitions : public RadioMachine, public ::testing::WithParamInterface<RadioCase> {};

TEST_P(RadioTransitions, ClientAndTraitSeeExactlyThis)
{
    const RadioCase& c = GetParam();
    RadioFSM radio(*controller);
    radio.init();
    for (Signal s : c.path)
        send(radio, s);
    journal.clear();

    send(radio, c.signal, c.parameters);
    EXPECT_EQ(journal.summary(), c.seen);
    EXPECT_EQ(radio.currentStateName(), std::string("RadioFSM::") + c.end);
}

INSTANTIATE_TEST_SUITE_P(
    Table, RadioTransitions,
    ::testing::Values(
        // The network machine starts with the radio support and says it is not registered.
        RadioCase{"SupportStartsTheNetworkMachine", {}, sigRadioSupport, {"trait:initNetwork", "registration 0"},
                  "radioSupport"},
        RadioCase{"RadioOnBeforeSupportIsDropped", {}, sigRadioOn, {}, "noRadioSupport"},
        RadioCase{"RadioOffBeforeSupportIsDropped", {}, sigRadioOff, {}, "noRadioSupport"},
        RadioCase{"AntennaBeforeSupportIsDropped", {}, sigAntennaIn, {}, "noRadioSupport"},
        RadioCase{"DoneBeforeSupportIsDropped", {}, sigDone, {}, "noRadioSupport"},
        RadioCase{"SupportedRadioOn", toRadioSupport, sigRadioOn, radioOnEntered, "radioOn"},
        RadioCase{"SupportedAntennaOut", toRadioSupport, sigAntennaOut, radioOnEntered, "radioOn"},
        RadioCase{"SupportedRadioOff", toRadioSupport, sigRadioOff, radioOffEntered, "antennaOutNoRadio"},
        RadioCase{"SupportedAntennaIn", toRadioSupport, sigAntennaIn, {}, "antennaIn"},
        RadioCase{"SupportedDoneIsDropped", toRadioSupport, sigDone, {}, "radioSupport"},
        RadioCase{"SupportAgainIsDropped", toRadioSupport, sigRadioSupport, {}, "radioSupport"},
        RadioCase{"RadioOnAgainChangesNothing", toRadioOn, sigRadioOn, {}, "radioOn"},
        RadioCase{"RadioOnSwitchedOff", toRadioOn, sigRadioOff, {"trait:setRadioState"}, "switchOff"},
        RadioCase{"AntennaOutWhileOnEntersRadioOnAgain", toRadioOn, sigAntennaOut, radioOnEntered, "radioOn"},
        RadioCase{"AntennaInWhileOn", toRadioOn, sigAntennaIn, {}, "antennaIn"},
        RadioCase{"DoneWhileOnIsDropped", toRadioOn, sigDone, {}, "radioOn"},
        // Only the radio thread's own done ends a switch: read before the card has
        // switched, the radio would still be on and the reading would switch it back.
        RadioCase{"SwitchOffDone", toSwitchOff, sigDone, {"trait:readRadioInfo", "radio 2"}, "antennaOutNoRadio",
                  switchedOff},
        RadioCase{"SwitchOffKeepsWaitingThroughAnotherWorkersDone", toSwitchOff, sigDone, {}, "switchOff"},
        RadioCase{"SwitchOffKeepsWaitingThroughADoneOfSwitchingOn", toSwitchOff, sigDone, {}, "switchOff",
                  switchedOn},
        RadioCase{"SwitchOffEndedByRadioOn", toSwitchOff, sigRadioOn, radioOnEntered, "radioOn"},
        RadioCase{"SwitchOffEndedByRadioOff", toSwitchOff, sigRadioOff, radioOffEntered, "antennaOutNoRadio"},
        RadioCase{"SwitchOffEndedByAntennaIn", toSwitchOff, sigAntennaIn, {}, "antennaIn"},
        RadioCase{"SwitchOnDone", toSwitchOn, sigDone,
                  {"trait:readRadioInfo", "radio 1", "trait:readNetworkInfo"}, "radioOn", switchedOn},
        RadioCase{"SwitchOnKeepsWaitingThroughAnotherWorkersDone", toSwitchOn, sigDone, {}, "switchOn"},
        RadioCase{"SwitchOnKeepsWaitingThroughADoneOfSwitchingOff", toSwitchOn, sigDone, {}, "switchOn",
                  switchedOff},
        RadioCase{"SwitchOnEndedByAntennaOut", toSwitchOn, sigAntennaOut, radioOnEntered, "radioOn"},
        RadioCase{"SwitchOnEndedByRadioOff", toSwitchOn, sigRadioOff, radioOffEntered, "antennaOutNoRadio"},
        RadioCase{"RadioOffSwitchedOn", toRadioOff, sigRadioOn, {"trait:setRadioState"}, "switchOn"},
        RadioCase{"RadioOffAgainChangesNothing", toRadioOff, sigRadioOff, {}, "antennaOutNoRadio"},
        RadioCase{"AntennaInWhileOff", toRadioOff, sigAntennaIn, {}, "antennaIn"},
        RadioCase{"AntennaOutWhileOff", toRadioOff, sigAntennaOut, radioOnEntered, "radioOn"},
        RadioCase{"DoneWhileOffIsDropped", toRadioOff, sigDone, {}, "antennaOutNoRadio"},
        RadioCase{"AntennaInIgnoresRadioOn", toAntennaIn, sigRadioOn, {}, "antennaIn"},
        RadioCase{"AntennaInIgnoresRadioOff", toAntennaIn, sigRadioOff, {}, "antennaIn"},
        RadioCase{"AntennaPulledOut", toAntennaIn, sigAntennaOut, radioOnEntered, "radioOn"},
        RadioCase{"AntennaInAgain", toAntennaIn, sigAntennaIn, {}, "antennaIn"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RadioMachine, SwitchingAsksTheTraitForTheRadioStateWanted)
{
    RadioFSM radio(*controller);
    radio.init();
    send(radio, {sigRadioSupport, sigRadioOn, sigRadioOff});
    send(radio, sigDone, switchedOff);
    send(radio, sigRadioOn);

    std::vector<std::int64_t> wanted;
    for (const JournalEntry& entry : journal.entries())
        if (entry.what == "trait:setRadioState")
            wanted.push_back(entry.record.integer(key::radioState));
    EXPECT_EQ(wanted, (std::vector<std::int64_t>{2, 1}));
}

TEST_F(RadioMachine, StartsByInitialisingTheRadio)
{
    RadioFSM radio(*controller);
    radio.init();
    EXPECT_EQ(journal.summary(), Summary{"trait:initRadio"});
    EXPECT_EQ(radio.currentStateName(), "RadioFSM::noRadioSupport");
    EXPECT_FALSE(radio.hasNetworkMachine());
}

TEST_F(RadioMachine, OneNetworkMachineLivesAsLongAsTheRadioMachine)
{
    RadioFSM radio(*controller);
    radio.init();
    send(radio, {sigRadioSupport, sigRadioOn, sigAntennaOut, sigRadioOff});
    send(radio, sigDone, switchedOff);
    send(radio, {sigAntennaIn, sigAntennaOut, sigRadioSupport});
    EXPECT_TRUE(radio.hasNetworkMachine());
    const Summary seen = journal.summary();
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "trait:initNetwork"), 1);
    EXPECT_EQ(std::count(seen.begin(), seen.end(), "trait:initRadio"), 1); // never back to noRadioSupport
}

TEST_F(RadioMachine, TheFlightModeNotificationCarriesTheRadioState)
{
    RadioFSM radio(*controller);
    radio.init();
    send(radio, {sigRadioSupport, sigRadioOn, sigRadioOff});
    send(radio, sigDone, switchedOff);

    std::vector<std::int64_t> states;
    for (const JournalEntry& entry : journal.entries())
        if (entry.what == key::clientFlightMode) {
            states.push_back(entry.record.integer(key::radioState));
            EXPECT_EQ(entry.record.address(key::clientContext), &clientContext);
        }
    EXPECT_EQ(states, (std::vector<std::int64_t>{1, 2}));
}

TEST_F(RadioMachine, TracesAndDestructorLine)
{
    LogCapture log("corvane.fsm.radio");
    {
        RadioFSM radio(*controller);
        radio.init();
        send(radio, {sigRadioSupport, sigRadioOn});
    }
    const std::vector<std::string> expected = {"RadioFSM::Corvane::RadioFSM::initial",
                                               "Corvane::RadioFSM::noRadioSupport: entry",
                                               "Corvane::RadioFSM::noRadioSupport: radioSupport",
                                               "Corvane::RadioFSM::noRadioSupport: exit",
                                               "Corvane::RadioFSM::radioSupport: entry",
                                               "Corvane::RadioFSM::radioSupport: sigRadioOn/antennaOut",
                                               "Corvane::RadioFSM::radioOn: entry",
                                               "~RadioFSM() - Exit"};
    EXPECT_EQ(log.messages(log4cplus::DEBUG_LOG_LEVEL), expected);
}

} // namespace
} // namespace Corvane::testing
