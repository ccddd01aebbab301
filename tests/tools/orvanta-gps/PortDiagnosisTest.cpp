// What orvanta-gps says about a card's ports that this user cannot open, with the access
// check played by the test: a test run as root is never refused for a mode.

#include "PortDiagnosis.h"

#include "platform/PortAccess.h"
#include "platform/SystemError.h"
#include "tests/platform/PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace Orvanta::gps {
namespace {

void name(char (&field)[NkNameSize], const char* text)
{
    std::strncpy(field, text, NkNameSize - 1);
}

NkCardInfo cardWithPorts()
{
    NkCardInfo card{};
    card.size = sizeof card;
    name(card.applicationPort, "/dev/ttyUSB1");
    name(card.gpsControlPort, "/dev/ttyUSB2");
    name(card.gpsDataPort, "/dev/ttyUSB3");
    name(card.modemName, "Roamex Modem Interface (ttyUSB0)");
    return card;
}

struct Refusals {
    const char* name;
    std::map<std::string, int> errors; // by path; every other path opens
    std::vector<PortProblem> expected;  // words: those of Os::describeOpenFailure
};

class PortProblems : public ::testing::TestWithParam<Refusals> {};

TEST_P(PortProblems, NameEachRefusedPortWithItsReasonInRecordOrder)
{
    const Refusals& refusals = GetParam();
    std::vector<std::string> asked;
    const AccessCheck check = [&](const std::string& path) {
        asked.push_back(path);
        const auto found = refusals.errors.find(path);
        return found == refusals.errors.end() ? 0 : found->second;
    };
    const std::vector<PortProblem> problems = portProblems(cardWithPorts(), check);

    // The ports the record names, and nothing else (the modem is a name, not a node).
    EXPECT_EQ(asked, (std::vector<std::string>{"/dev/ttyUSB1", "/dev/ttyUSB2", "/dev/ttyUSB3"}));
    ASSERT_EQ(problems.size(), refusals.expected.size());
    for (std::size_t i = 0; i < problems.size(); ++i) {
        EXPECT_STREQ(problems[i].label, refusals.expected[i].label);
        EXPECT_EQ(problems[i].words, refusals.expected[i].words);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cards, PortProblems,
    ::testing::Values(
        Refusals{"EveryPortOpens", {}, {}},
        Refusals{"OnlyTheDeniedPortIsNamed",
                 {{"/dev/ttyUSB3", Os::kErrorAccessDenied}},
                 {{"GPS data port", Os::describeOpenFailure("/dev/ttyUSB3", Os::kErrorAccessDenied)}}},
        Refusals{"EachPortWithItsOwnReason",
                 {{"/dev/ttyUSB2", Os::kErrorSharingViolation}, {"/dev/ttyUSB1", Os::kErrorFileNotFound}},
                 {{"application port", "/dev/ttyUSB1 does not exist"},
                  {"GPS control port", "/dev/ttyUSB2 is in use by another program"}}}),
    [](const ::testing::TestParamInfo<Refusals>& info) { return std::string(info.param.name); });

TEST(PortAccessCheck, AnswersAsAnOpenWouldWithoutOpening)
{
    const Orvanta::testing::TestFolder folder;
    const std::string node = (folder / "port").string();
    folder.write("port", "");
    EXPECT_EQ(checkPortAccess(node), Os::kErrorSuccess);
    EXPECT_EQ(checkPortAccess((folder / "gone").string()), Os::kErrorFileNotFound);
    ASSERT_EQ(::chmod(node.c_str(), 0400), 0);
    if (::geteuid() == 0)
        EXPECT_EQ(checkPortAccess(node), Os::kErrorSuccess); // root is not kept out by a mode
    else
        EXPECT_EQ(checkPortAccess(node), Os::kErrorAccessDenied);
}

} // namespace
} // namespace Orvanta::gps
