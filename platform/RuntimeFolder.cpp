#include "platform/RuntimeFolder.h"

#include "platform/Log.h"
#include "platform/SystemError.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <system_error>

namespace Os {
namespace {

const char* environment(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

} // namespace

int ensurePrivateFolder(const std::filesystem::path& folder)
{
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        const int error = lastSystemError();
        logFormat(LogLevel::error, "Cannot create folder %s (error %d)", folder.c_str(), error);
        return error;
    }
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0)
        return lastSystemError();
    if (!S_ISDIR(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & 077) != 0) {
        logFormat(LogLevel::error,
                  "Refusing folder %s: it must be a directory of this user closed to everybody else", folder.c_str());
        return kErrorAccessDenied;
    }
    return kErrorSuccess;
}

Result<std::filesystem::path> runtimeFolder()
{
    std::filesystem::path folder;
    // A relative runtime folder would depend on the working directory: ignore it.
    if (const char* base = environment("XDG_RUNTIME_DIR"); base != nullptr && base[0] == '/')
        folder = std::filesystem::path(base) / "orvanta";
    else
        folder = "/tmp/orvanta-" + std::to_string(::geteuid());
    if (const int error = ensurePrivateFolder(folder))
        return Failure{error};
    return folder;
}

Result<std::filesystem::path> simFolder()
{
    if (const char* chosen = environment("ORVANTA_SIM_DIR")) {
        // The user named it: create it if need be, but do not judge its permissions.
        std::error_code error;
        std::filesystem::create_directories(chosen, error);
        if (!std::filesystem::is_directory(chosen)) {
            logFormat(LogLevel::error, "ORVANTA_SIM_DIR %s is not a folder", chosen);
            return Failure{error ? systemErrorFromErrno(error.value()) : kErrorPathNotFound};
        }
        return std::filesystem::path(chosen);
    }
    auto base = runtimeFolder();
    if (!base)
        return Failure{base.error()};
    std::filesystem::path folder = base.value() / "sim";
    if (const int error = ensurePrivateFolder(folder))
        return Failure{error};
    return folder;
}

} // namespace Os
