#include "corvane/fsm/NetworkFSM.h"

#include "corvane/ErrorCode.h"
#include "corvane/Keys.h"
#include "tests/corvane/support/LibraryFixture.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace Corvane::testing {
namespace {

using Orvanta::testing::LogCapture;
using Summary = std::vector<std::string>;

class NetworkMachine : public LibraryFixture {};

struct Substate {
    const char* name;
    std::vector<Signal> path; // from "notRegistered"
};

const Substate notRegistered{"notRegistered", {}};
const Substate registering{"registering", {sigSearch}};
const Substate registered{"registered", {sigRegister}};
const Substate denied{"registrationDenied", {sigDenied}};

// What leaving a substate does, and what arriving in "registered" does.
Summary leaving(const Substate& from)
{
    if (std::string_view(from.name) == registered.name)
        return {"trait:readNetworkInfo", "connection:delete", "smsModule 3"};
    return {"trait:readNetworkInfo"};
}
Summary joined(Summary first, const Summary& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}
const Summary arriveRegistered{"connection:create", "smsModule 2"};

struct NetworkCase {
    std::string name;
    Substate from;
    Signal signal;
    Summary seen;
    std::string end;
};

std::vector<NetworkCase> registrationRows()
{
    const auto to = [](const Substate& from, Signal signal, const char* name, const Substate& target,
                       const Summary& arriving, const char* announcement = nullptr) {
        Summary seen;
        if (announcement != nullptr)
            seen.push_back(announcement);
        return NetworkCase{name, from, signal, joined(joined(seen, leaving(from)), arriving), target.name};
    };
    const auto dropped = [](const Substate& from, Signal signal, const char* name) {
        return NetworkCase{name, from, signal, {}, from.name};
    };
    return {
        to(notRegistered, sigSearch, "NotRegisteredSearching", registering, {"registration 1"}),
        to(notRegistered, sigRegister, "NotRegisteredRegisters", registered, arriveRegistered, "registration 3"),
        to(notRegistered, sigRoaming, "NotRegisteredRoams", registered, arriveRegistered, "registration 4"),
        to(notRegistered, sigDenied, "NotRegisteredDenied", denied, {"registration 2"}),
        dropped(notRegistered, sigDeregister, "NotRegisteredDeregisterIsDropped"),
        to(registering, sigRegister, "RegisteringRegisters", registered, arriveRegistered, "registration 3"),
        to(registering, sigRoaming, "RegisteringRoamsAndStartsTheConnectionMachine", registered, arriveRegistered,
           "registration 4"),
        to(registering, sigDeregister, "RegisteringGivesUp", notRegistered, {"registration 0"}),
        to(registering, sigDenied, "RegisteringDenied", denied, {"registration 2"}),
        dropped(registering, sigSearch, "RegisteringSearchIsDropped"),
        to(registered, sigSearch, "RegisteredSearchesAgain", registering, {"registration 1"}),
        to(registered, sigDeregister, "RegisteredDeregisters", notRegistered, {"registration 0"}),
        // The connection machine and the SMS module go before the client hears of the denial.
        to(registered, sigDenied, "RegisteredDeniedEndsTheConnectionMachineFirst", denied, {"registration 2"}),
        dropped(registered, sigRegister, "RegisteredRegisterIsDropped"),
        dropped(registered, sigRoaming, "RegisteredRoamingIsNotAnnounced"),
        to(denied, sigSearch, "DeniedSearchesAgain", registering, {"registration 1"}),
        to(denied, sigRegister, "DeniedRegisters", registered, arriveRegistered, "registration 3"),
        to(denied, sigRoaming, "DeniedRoams", registered, arriveRegistered, "registration 4"),
        to(denied, sigDeregister, "DeniedDeregisters", notRegistered, {"registration 0"}),
        dropped(denied, sigDenied, "DeniedAgainIsDropped"),
    };
}

// The client's commands and the technology change are served in every substate.
std::vector<NetworkCase> serviceRows()
{
    struct Service {
        const char* name;
        Signal signal;
        Summary seen;
    };
    const Service services[] = {
        {"TechnologyChangeReadsTheNetwork", sigTechnologyChange, {"trait:readNetworkInfo"}},
        {"ScanStarts", sigScan, {"scan 1", "trait:scanNetworks"}},
        {"ScanFinishedListsTheNetworks", sigScanFinished, {"networks"}},
        {"SwitchTechnology", sigSwitchTechnology, {"trait:setNetworkTechnology"}},
        {"SelectNetwork", sigSelectNetwork, {"trait:selectNetwork"}},
    };
    std::vector<NetworkCase> rows;
    for (const Substate& from : {notRegistered, registering, registered, denied})
        for (const Service& service : services)
            rows.push_back({std::string(from.name) + service.name, from, service.signal, service.seen, from.name});
    return rows;
}

class NetworkTransitions : public NetworkMachine, public ::testing::WithParamInterface<NetworkCase> {};

TEST_P(NetworkTransitions, ClientTraitAndSeamsSeeExactlyThis)
{
    const NetworkCase& c = GetParam();
    NetworkFSM network(*controller);
    network.init();
    for (Signal s : c.from.path)
        send(network, s);
    journal.clear();

    send(network, c.signal);
    EXPECT_EQ(journal.summary(), c.seen);
    EXPECT_EQ(network.currentStateName(), "NetworkFSM::" + c.end);
    EXPECT_EQ(network.hasConnectionMachine(), c.end == registered.name);
}

INSTANTIATE_TEST_SUITE_P(Registration, NetworkTransitions, ::testing::ValuesIn(registrationRows()),
                         [](const auto& info) { return info.param.name; });
INSTANTIATE_TEST_SUITE_P(Services, NetworkTransitions, ::testing::ValuesIn(serviceRows()),
                         [](const auto& info) { return info.param.name; });

TEST_F(NetworkMachine, StartsByInitialisingTheNetworkNotRegistered)
{
    NetworkFSM network(*controller);
    network.init();
    EXPECT_EQ(journal.summary(), (Summary{"trait:initNetwork", "registration 0"}));
    EXPECT_EQ(network.currentStateName(), "NetworkFSM::notRegistered");
}

Dictionary scanList(std::int64_t mccmnc)
{
    Dictionary network = buildDictionary("I", key::mccmnc, mccmnc);
    Dictionary list;
    list.setArrayItem(key::list, 0, network);
    list.setInteger(key::listCount, 1);
    return list;
}

TEST_F(NetworkMachine, ASecondScanWhileOneRunsIsDropped)
{
    NetworkFSM network(*controller);
    network.init();
    journal.clear();
    send(network, {sigScan, sigScan});
    EXPECT_TRUE(network.scanRunning());
    send(network, sigScanFinished, scanList(26201));
    EXPECT_FALSE(network.scanRunning());
    EXPECT_EQ(journal.summary(), (Summary{"scan 1", "trait:scanNetworks", "networks"}));

    // Once the list is in, the next scan starts.
    journal.clear();
    send(network, sigScan);
    EXPECT_EQ(journal.summary(), (Summary{"scan 1", "trait:scanNetworks"}));
}

TEST_F(NetworkMachine, TheListTravelsWithItsScanFinished)
{
    NetworkFSM network(*controller);
    network.init();
    send(network, sigScan);
    journal.clear();
    send(network, sigScanFinished, scanList(310410));

    const auto entries = journal.entries();
    ASSERT_EQ(entries.size(), 1u);
    const Dictionary& record = entries[0].record;
    EXPECT_EQ(record.integer(key::networkScanActive), 0);
    const Dictionary list = record.dictionary(key::list);
    EXPECT_EQ(list.integer(key::listCount), 1);
    EXPECT_EQ(list.arrayItem(key::list, 0).integer(key::mccmnc), 310410);
}

TEST_F(NetworkMachine, AScanThatCannotStartEndsAtOnce)
{
    trait.react("scanNetworks", [](Dictionary&) { return static_cast<int>(cErrorInitFailed); });
    NetworkFSM network(*controller);
    network.init();
    journal.clear();
    send(network, sigScan);
    EXPECT_EQ(journal.summary(), (Summary{"scan 1", "trait:scanNetworks", "networks"}));
    EXPECT_FALSE(network.scanRunning());
    const auto entries = journal.entries();
    EXPECT_EQ(entries.back().record.integer(key::networkScanActive), 0);
}

TEST_F(NetworkMachine, CommandsCarryTheClientsRecord)
{
    NetworkFSM network(*controller);
    network.init();
    journal.clear();
    send(network, sigSelectNetwork, buildDictionary("II", key::networkSelectionMode, std::int64_t{1}, key::mccmnc,
                                                    std::int64_t{26202}));
    send(network, sigSwitchTechnology, buildDictionary("I", key::networkTechnology, std::int64_t{2}));
    const auto entries = journal.entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].record.integer(key::mccmnc), 26202);
    EXPECT_EQ(entries[1].record.integer(key::networkTechnology), 2);
}

TEST_F(NetworkMachine, GoingWhileRegisteredEndsTheConnectionMachineAndTheSmsModule)
{
    {
        NetworkFSM network(*controller);
        network.init();
        send(network, sigRoaming);
        ASSERT_TRUE(network.hasConnectionMachine());
        journal.clear();
    }
    EXPECT_EQ(journal.summary(), (Summary{"connection:delete", "smsModule 3"}));

    {
        NetworkFSM network(*controller);
        network.init();
        send(network, {sigRegister, sigDeregister});
        journal.clear();
    }
    EXPECT_EQ(journal.summary(), Summary{}); // ended already, with the registration
}

TEST_F(NetworkMachine, TracesAndDestructorLine)
{
    LogCapture log("corvane.fsm.network");
    {
        NetworkFSM network(*controller);
        network.init();
        send(network, {sigSearch, sigScan, sigScan});
    }
    const std::vector<std::string> expected = {"NetworkFSM::Corvane::NetworkFSM::initial",
                                               "Corvane::NetworkFSM::network: entry",
                                               "Corvane::NetworkFSM::network: init",
                                               "Corvane::NetworkFSM::notRegistered: entry",
                                               "Corvane::NetworkFSM::notRegistered: search",
                                               "Corvane::NetworkFSM::notRegistered: exit",
                                               "Corvane::NetworkFSM::registering: entry",
                                               "Corvane::NetworkFSM::network: scan",
                                               "Corvane::NetworkFSM::network: scan",
                                               "A network scan is already running; this request is dropped",
                                               "~NetworkFSM() - Exit"};
    EXPECT_EQ(log.messages(log4cplus::DEBUG_LOG_LEVEL), expected);
}

} // namespace
} // namespace Corvane::testing
