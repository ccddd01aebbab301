// The folder where this user's processes meet: used only when nobody else can get in.

#include "platform/RuntimeFolder.h"
#include "platform/SystemError.h"
#include "tests/platform/PlatformTestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

namespace Os {
namespace {

using namespace Orvanta::testing;

// Points XDG_RUNTIME_DIR at `base` while it lives.
class RuntimeBase {
public:
    explicit RuntimeBase(const std::string& base)
    {
        if (const char* old = std::getenv("XDG_RUNTIME_DIR"))
            previous_ = old;
        ::setenv("XDG_RUNTIME_DIR", base.c_str(), 1);
    }
    ~RuntimeBase()
    {
        if (previous_)
            ::setenv("XDG_RUNTIME_DIR", previous_->c_str(), 1);
        else
            ::unsetenv("XDG_RUNTIME_DIR");
    }
    RuntimeBase(const RuntimeBase&) = delete;
    RuntimeBase& operator=(const RuntimeBase&) = delete;

private:
    std::optional<std::string> previous_;
};

struct FolderCase {
    const char* name;
    const char* prepared; // "missing", "file", "link", or the mode of an existing folder
    bool usable;
};

class RuntimeFolder : public ::testing::TestWithParam<FolderCase> {};

TEST_P(RuntimeFolder, IsUsedOnlyWhenPrivate)
{
    const FolderCase& c = GetParam();
    TestFolder base;
    const std::filesystem::path folder = base / "orvanta";
    const std::string prepared = c.prepared;
    if (prepared == "file") {
        std::ofstream(folder).put('x');
    } else if (prepared == "link") {
        ASSERT_EQ(::mkdir((base / "elsewhere").c_str(), 0700), 0);
        std::filesystem::create_directory_symlink(base / "elsewhere", folder);
    } else if (prepared != "missing") {
        ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
        ASSERT_EQ(::chmod(folder.c_str(), mode_t(std::stoul(prepared, nullptr, 8))), 0);
    }

    RuntimeBase environment(base.path().string());
    const Result<std::filesystem::path> found = runtimeFolder();
    ASSERT_EQ(found.ok(), c.usable);
    if (!c.usable)
        return;
    EXPECT_EQ(found.value(), folder);
    struct stat info {};
    ASSERT_EQ(::stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, mode_t(0700));
}

INSTANTIATE_TEST_SUITE_P(Folders, RuntimeFolder,
                         ::testing::Values(FolderCase{"MissingIsCreated", "missing", true},
                                           FolderCase{"Private", "0700", true},
                                           FolderCase{"OthersMayEnter", "0755", false},
                                           FolderCase{"GroupMayWrite", "0770", false},
                                           FolderCase{"AFile", "file", false},
                                           FolderCase{"ALinkToAFolder", "link", false}),
                         [](const ::testing::TestParamInfo<FolderCase>& info) { return info.param.name; });

} // namespace
} // namespace Os
