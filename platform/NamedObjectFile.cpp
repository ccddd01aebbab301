#include "platform/NamedObjectFile.h"

#include "platform/Log.h"
#include "platform/RuntimeFolder.h"
#include "platform/SystemError.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace Os {
namespace {

constexpr int kHandleByte = 1;
constexpr std::size_t kMaxNameLength = 200;

flock rangeOf(int byte, short type)
{
    flock range {};
    range.l_type = type;
    range.l_whence = SEEK_SET;
    range.l_start = byte;
    range.l_len = 1;
    return range;
}

bool validName(std::string_view name)
{
    return !name.empty() && name.size() <= kMaxNameLength && name.front() != '.' &&
           name.find('/') == std::string_view::npos && name.find('\0') == std::string_view::npos;
}

} // namespace

bool NamedObjectFile::tryLock(int byte, bool exclusive) const
{
    flock range = rangeOf(byte, exclusive ? F_WRLCK : F_RDLCK);
    return ::fcntl(fd_.get(), F_OFD_SETLK, &range) == 0;
}

void NamedObjectFile::unlock(int byte) const
{
    flock range = rangeOf(byte, F_UNLCK);
    ::fcntl(fd_.get(), F_OFD_SETLK, &range);
}

bool NamedObjectFile::lockedElsewhere(int byte) const
{
    flock range = rangeOf(byte, F_WRLCK);
    return ::fcntl(fd_.get(), F_OFD_GETLK, &range) == 0 && range.l_type != F_UNLCK;
}

bool NamedObjectFile::openElsewhere() const { return lockedElsewhere(kHandleByte); }

int NamedObjectFile::open(const std::filesystem::path& folder, std::string_view name, std::string_view suffix)
{
    close();
    if (!validName(name))
        return kErrorInvalidName;
    if (const int error = ensurePrivateFolder(folder))
        return error;
    std::filesystem::path path = folder / (std::string(name) + std::string(suffix));
    UniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd)
        return lastSystemError();
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return lastSystemError();
    if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid() || (info.st_mode & 077) != 0) {
        logFormat(LogLevel::error, "Refusing %s: it must be a file of this user closed to everybody else",
                  path.c_str());
        return kErrorAccessDenied;
    }
    fd_ = std::move(fd);
    path_ = std::move(path);

    // Alone: the exclusive lock succeeds and turns shared in place. Otherwise wait for the
    // shared lock, which another opener blocks only while it does the same.
    createdFresh_ = tryLock(kHandleByte, true);
    using namespace std::chrono_literals;
    const auto giveUp = std::chrono::steady_clock::now() + 2s;
    while (!tryLock(kHandleByte, false)) {
        if (std::chrono::steady_clock::now() > giveUp) {
            close();
            return kErrorWaitTimeout;
        }
        std::this_thread::sleep_for(1ms);
    }
    return kErrorSuccess;
}

void NamedObjectFile::close()
{
    fd_.reset();
    createdFresh_ = false;
    path_.clear();
}

} // namespace Os
