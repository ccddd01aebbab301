#include "corvane/fsm/QHsm.h"

#include "tests/corvane/fsm/ReferenceHsm.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Corvane::testing {
namespace {

using Orvanta::testing::LogCapture;
using Actions = std::vector<std::string>;

TEST(QHsmInit, EntersAndInitsDownToALeaf)
{
    ReferenceHsm machine;
    EXPECT_EQ(machine.state(), QHsm::handler(&QHsm::top));
    machine.init();
    EXPECT_EQ(machine.actions, (Actions{"a:entry", "a:init", "a1:entry", "a1:init", "a11:entry"}));
    EXPECT_EQ(machine.state(), QHsm::handler(&ReferenceHsm::a11));
    EXPECT_TRUE(machine.isIn(QHsm::handler(&ReferenceHsm::a)));
    EXPECT_FALSE(machine.isIn(QHsm::handler(&ReferenceHsm::a2)));
}

// What a transition path kept by its site does on the second run.
enum class Kept { noTransition, recorded, tooLongToRecord };

struct TransitionCase {
    const char* name;
    const char* start;
    std::uint16_t signal;
    Actions actions;
    const char* end;
    Kept kept;
};

class ReferenceTransitions : public ::testing::TestWithParam<TransitionCase> {};

// Each row runs twice on fresh machines: the first run works the path out (in a fresh
// process), the second replays what the site recorded, and both must act alike.
TEST_P(ReferenceTransitions, RunTheExactActionsAndReplayThem)
{
    const TransitionCase& c = GetParam();
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        ReferenceHsm machine;
        machine.init();
        machine.goTo(ReferenceHsm::byName(c.start));
        ASSERT_EQ(machine.state(), ReferenceHsm::byName(c.start));

        const std::uint64_t computedBefore = QHsm::computedTransitions();
        const QEvent event{c.signal};
        machine.dispatch(&event);
        const std::uint64_t computed = QHsm::computedTransitions() - computedBefore;

        EXPECT_EQ(machine.actions, c.actions);
        EXPECT_EQ(machine.state(), ReferenceHsm::byName(c.end));
        switch (c.kept) {
        case Kept::noTransition:
            EXPECT_EQ(computed, 0u);
            break;
        case Kept::recorded:
            // The first run computes, unless an earlier test in this process already did;
            // the second always replays.
            EXPECT_LE(computed, 1u);
            if (run == 2) {
                EXPECT_EQ(computed, 0u);
            }
            break;
        case Kept::tooLongToRecord:
            EXPECT_EQ(computed, 1u);
            break;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ReferenceTransitions,
    ::testing::Values(
        TransitionCase{"SelfTransitionOfALeaf", "a11", SELF_LEAF, {"a11:exit", "a11:entry"}, "a11", Kept::recorded},
        TransitionCase{"SelfTransitionOfACompositeLeavesItAndInitsAgain",
                       "a211",
                       SELF,
                       {"a211:exit", "a21:exit", "a2:exit", "a2:entry", "a2:init", "a21:entry", "a21:init", "a211:entry"},
                       "a211",
                       Kept::recorded},
        TransitionCase{"ToTheDirectSuperstateRunsItsInitButNotItsEntry",
                       "a212",
                       UP,
                       {"a212:exit", "a21:init", "a211:entry"},
                       "a211",
                       Kept::recorded},
        TransitionCase{"ToADirectSubstateFromAnEnclosingHandler", "a11", DOWN, {"a11:exit", "a12:entry"}, "a12",
                       Kept::recorded},
        TransitionCase{"ToASibling", "a11", SIBLING, {"a11:exit", "a12:entry"}, "a12", Kept::recorded},
        TransitionCase{"ToACousinThroughTheCommonAncestor",
                       "a12",
                       COUSIN,
                       {"a12:exit", "a1:exit", "a2:entry", "a21:entry", "a212:entry"},
                       "a212",
                       Kept::recorded},
        TransitionCase{"ToACompositeSiblingWithInitsOnSeveralLevels",
                       "a11",
                       DEEP,
                       {"a11:exit", "a1:exit", "a2:entry", "a2:init", "a21:entry", "a21:init", "a211:entry"},
                       "a211",
                       Kept::recorded},
        TransitionCase{"IntoADescendantSeveralLevelsDown",
                       "a11",
                       INTO,
                       {"a11:exit", "a1:exit", "a2:entry", "a21:entry", "a212:entry"},
                       "a212",
                       Kept::recorded},
        TransitionCase{"ToAnEnclosingStateLeavesUpToItAndInitsIt",
                       "a211",
                       OUT,
                       {"a211:exit", "a21:exit", "a2:exit", "a:init", "a1:entry", "a1:init", "a11:entry"},
                       "a11",
                       Kept::recorded},
        TransitionCase{"ToATargetInsideTheSourcesSuperstate",
                       "a12",
                       NIECE,
                       {"a12:exit", "a1:exit", "a2:entry", "a21:entry", "a21:init", "a211:entry"},
                       "a211",
                       Kept::recorded},
        TransitionCase{"UpTwoLevelsAndAcross",
                       "a212",
                       AUNT,
                       {"a212:exit", "a21:exit", "a2:exit", "a1:entry", "a1:init", "a11:entry"},
                       "a11",
                       Kept::recorded},
        TransitionCase{"PathLongerThanARecordHoldsIsWorkedOutEachTime",
                       "a2211",
                       OUT_FAR,
                       {"a2211:exit", "a221:exit", "a22:exit", "a2:exit", "a:init", "a1:entry", "a1:init",
                        "a11:entry"},
                       "a11",
                       Kept::tooLongToRecord},
        TransitionCase{"InternalTransitionRunsNoEntryOrExit", "a12", INTERNAL, {"a1:INTERNAL"}, "a12",
                       Kept::noTransition},
        TransitionCase{"EventNobodyHandlesIsDroppedAtTop", "a212", UNHANDLED, {}, "a212", Kept::noTransition}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(QHsmTrace, NamesStatesForDispatchLinesAndTraces)
{
    LogCapture log("corvane.test.reference");
    ReferenceHsm machine;
    EXPECT_EQ(machine.currentStateName(), "<UNKNOWN-STATE>"); // top is no state of the machine
    machine.init();
    EXPECT_EQ(machine.currentStateName(), "ReferenceHsm::a11");
    const std::vector<std::string> expected = {
        "ReferenceHsm::Corvane::ReferenceHsm::initial", "Corvane::ReferenceHsm::a: entry",
        "Corvane::ReferenceHsm::a: init",               "Corvane::ReferenceHsm::a1: entry",
        "Corvane::ReferenceHsm::a1: init",              "Corvane::ReferenceHsm::a11: entry"};
    EXPECT_EQ(log.messages(log4cplus::DEBUG_LOG_LEVEL), expected);
}

TEST(Signals, NamesComeFromTheCatalogue)
{
    EXPECT_EQ(signalName(Q_NO_SIGNAL), "Q_NO_SIGNAL");
    EXPECT_EQ(signalName(sigError), "sigError");
    EXPECT_EQ(signalName(sigConfigureGps), "sigConfigureGps");
    EXPECT_EQ(signalName(sigGpsSearch), "sigGpsSearch");
    EXPECT_EQ(signalName(58), "unknownEnumValue(58)");
    EXPECT_EQ(signalName(-1), "unknownEnumValue(-1)");
}

} // namespace
} // namespace Corvane::testing
