// What a user is told about a port that could not be opened: read off the node itself,
// with the hint that fits who may open it.

#include "platform/PortAccess.h"

#include "platform/SystemError.h"
#include "tests/platform/PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

namespace Os {
namespace {

using namespace Orvanta::testing;

constexpr gid_t kNoGroup = 65534; // a group the tests' user does not carry

struct AccessCase {
    const char* name;
    mode_t mode;
    bool foreignGroup; // owned by a group this process does not carry (needs privileges)
    const char* says;
};

class DeniedPort : public ::testing::TestWithParam<AccessCase> {};

TEST_P(DeniedPort, NamesTheNodeItsOwnersAndWhatToDo)
{
    const AccessCase& c = GetParam();
    TestFolder folder;
    const std::string node = (folder / "ttyUSB2").string();
    std::ofstream(node).put('\n');
    ASSERT_EQ(::chmod(node.c_str(), c.mode), 0);
    if (c.foreignGroup && ::chown(node.c_str(), static_cast<uid_t>(-1), kNoGroup) != 0)
        GTEST_SKIP() << "giving the node to another group needs privileges";

    const std::string text = describeOpenFailure(node, kErrorAccessDenied);
    EXPECT_EQ(text.rfind("permission denied on " + node + " (owner ", 0), 0u) << text;
    EXPECT_NE(text.find(c.says), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Modes, DeniedPort,
    ::testing::Values(AccessCase{"OwnerOnly", 0600, false, ": only its owner "},
                      AccessCase{"GroupNotJoined", 0660, true, ": join the group "},
                      AccessCase{"GroupNotJoinedShowsTheCommand", 0660, true, "(sudo usermod -aG "},
                      AccessCase{"GroupCarriedAlready", 0660, false, ", mode 0660)"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PortAccess, NodeFactsComeFromTheNode)
{
    TestFolder folder;
    const std::string node = (folder / "ttyACM0").string();
    std::ofstream(node).put('\n');
    ASSERT_EQ(::chmod(node.c_str(), 0640), 0);
    const NodeAccess access = nodeAccess(node);
    EXPECT_TRUE(access.exists);
    EXPECT_EQ(access.mode, 0640u);
    EXPECT_FALSE(access.groupMayOpen) << "read alone does not open a port";
    EXPECT_TRUE(access.inGroupNow) << "a new file gets this process's group";
    EXPECT_FALSE(nodeAccess((folder / "gone").string()).exists);
}

struct ErrorCase {
    const char* name;
    int error;
    const char* says;
};

class OtherFailures : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(OtherFailures, SayWhatHappenedInPlainWords)
{
    EXPECT_EQ(describeOpenFailure("/dev/ttyUSB2", GetParam().error), GetParam().says);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, OtherFailures,
    ::testing::Values(ErrorCase{"HeldByAnotherProgram", kErrorSharingViolation, "/dev/ttyUSB2 is in use by another program"},
                      ErrorCase{"Missing", kErrorFileNotFound, "/dev/ttyUSB2 does not exist"},
                      ErrorCase{"Pulled", kErrorDeviceRemoved, "/dev/ttyUSB2 has gone (the card was removed)"},
                      ErrorCase{"Other", kErrorInvalidFunction, "/dev/ttyUSB2 could not be opened (system error 1)"}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace Os
