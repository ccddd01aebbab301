#include "platform/SystemError.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace Os {
namespace {

struct ErrnoCase {
    const char* name;
    int errnoValue;
    int expected;
};

class ErrnoMapping : public ::testing::TestWithParam<ErrnoCase> {};

// The numbers the detection library and the backend compare against.
TEST_P(ErrnoMapping, GivesTheNumberTheLayersAboveTestFor)
{
    EXPECT_EQ(systemErrorFromErrno(GetParam().errnoValue), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Errors, ErrnoMapping,
    ::testing::Values(ErrnoCase{"PermissionIsAccessDenied", EACCES, 5},
                      ErrnoCase{"ExclusivelyOpenTtyIsASharingViolation", EBUSY, 32},
                      ErrnoCase{"ClosedDescriptorIsInvalidHandle", EBADF, 6},
                      ErrnoCase{"IoErrorOnPulledCardIsDeviceRemoved", EIO, 1617},
                      ErrnoCase{"NoSuchDeviceIsDeviceRemoved", ENODEV, 1617},
                      ErrnoCase{"NoSuchDeviceAddressIsDeviceRemoved", ENXIO, 1617},
                      ErrnoCase{"BadStateIsInvalidHandleState", EBADFD, 1609},
                      ErrnoCase{"PeerResetIsConnectionReset", ECONNRESET, 10054},
                      ErrnoCase{"TimeOutIsWaitTimeout", ETIMEDOUT, 258},
                      ErrnoCase{"UnmappedErrnoKeepsItsValue", EDOM, kErrnoBit | EDOM}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SystemError, BothRemovalNumbersCountAsRemoval)
{
    EXPECT_TRUE(isDeviceRemoval(kErrorDeviceRemoved));
    EXPECT_TRUE(isDeviceRemoval(kErrorInvalidHandleState));
    EXPECT_FALSE(isDeviceRemoval(kErrorAccessDenied));
}

TEST(SystemError, NoFailureMapsToSuccess)
{
    for (int e = 1; e < 134; ++e)
        EXPECT_NE(systemErrorFromErrno(e), kErrorSuccess) << "errno " << e;
}

} // namespace
} // namespace Os
