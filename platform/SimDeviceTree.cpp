#include "platform/SimDeviceTree.h"

#include "platform/DeviceDescription.h"
#include "platform/Log.h"
#include "platform/SystemError.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string_view>
#include <system_error>

namespace Os {
namespace {

bool isDescriptionName(std::string_view name)
{
    return !name.empty() && name.front() != '.' && name.size() > 5 && name.substr(name.size() - 5) == ".json";
}

// Up to `limit` bytes of a regular file from `offset` on, or a system error number.
Result<std::string> readFilePart(const std::filesystem::path& path, std::uint64_t offset, std::size_t limit)
{
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC | O_NONBLOCK));
    if (!fd)
        return Failure{lastSystemError()};
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return Failure{lastSystemError()};
    if (!S_ISREG(info.st_mode))
        return Failure{kErrorAccessDenied};
    std::string text(limit, '\0');
    std::size_t have = 0;
    while (have < limit) {
        const ssize_t got = ::pread(fd.get(), text.data() + have, limit - have, static_cast<off_t>(offset + have));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return Failure{lastSystemError()};
        if (got == 0)
            break;
        have += static_cast<std::size_t>(got);
    }
    text.resize(have);
    return text;
}

// The whole file, or kErrorInvalidData when it is larger than `limit`.
Result<std::string> readWholeFile(const std::filesystem::path& path, std::size_t limit)
{
    auto text = readFilePart(path, 0, limit + 1);
    if (text && text.value().size() > limit)
        return Failure{kErrorInvalidData};
    return text;
}

bool isCharacterDevice(const std::string& path)
{
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISCHR(info.st_mode);
}

} // namespace

Result<std::unique_ptr<SimDeviceTree>> SimDeviceTree::open(const std::filesystem::path& folder)
{
    std::unique_ptr<SimDeviceTree> tree(new SimDeviceTree(folder));
    if (const int error = tree->start())
        return Failure{error};
    return tree;
}

SimDeviceTree::~SimDeviceTree() { watcher_.stop(); }

int SimDeviceTree::start()
{
    std::error_code ignored;
    std::filesystem::create_directories(folder_, ignored);
    inotify_.reset(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC));
    if (!inotify_)
        return lastSystemError();
    // Watch first, then read: a file written in between is read twice, never missed.
    constexpr std::uint32_t kMask = IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_CREATE | IN_MODIFY |
                                    IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
    if (::inotify_add_watch(inotify_.get(), folder_.c_str(), kMask) < 0) {
        const int error = lastSystemError();
        logFormat(LogLevel::error, "Cannot watch the simulated device folder %s (error %d)", folder_.c_str(), error);
        return error;
    }
    rescan();
    // Power events written before we looked are history, not news.
    struct stat info {};
    if (::stat((folder_ / kPowerFileName).c_str(), &info) == 0)
        powerOffset_ = static_cast<std::uint64_t>(info.st_size);
    return watcher_.start(inotify_.get(), POLLIN, [this](short revents) { return onFolderEvents(revents); });
}

bool SimDeviceTree::onFolderEvents(short)
{
    alignas(inotify_event) char buffer[16 * (sizeof(inotify_event) + NAME_MAX + 1)];
    for (;;) {
        const ssize_t got = ::read(inotify_.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN)
                return true;
            logFormat(LogLevel::error, "Reading the simulated device folder's events failed (error %d)",
                      lastSystemError());
            return false;
        }
        for (ssize_t at = 0; at < got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if ((event->mask & IN_Q_OVERFLOW) != 0) {
                logMessage(LogLevel::warning, "Missed events of the simulated device folder; reading it again");
                rescan();
                continue;
            }
            if ((event->mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED)) != 0) {
                logFormat(LogLevel::warning, "The simulated device folder %s is gone; its devices are removed",
                          folder_.c_str());
                descriptions_.clear();
                [[maybe_unused]] const int error = replaceNodes({});
                return false;
            }
            if (event->len > 0)
                onFileEvent(event->mask, event->name);
        }
    }
}

void SimDeviceTree::onFileEvent(std::uint32_t mask, const std::string& name)
{
    if (name == kPowerFileName) {
        // Lines are read when their writer closes the file, not when it writes: the file
        // is read at the time its event is handled, and reading on a write could pick up
        // lines appended after later description changes and post them out of order.
        if ((mask & (IN_DELETE | IN_MOVED_FROM | IN_CREATE)) != 0)
            powerOffset_ = 0;
        else if ((mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) != 0)
            readPowerEvents((mask & IN_MOVED_TO) != 0);
        return;
    }
    if (!isDescriptionName(name))
        return;
    if ((mask & (IN_DELETE | IN_MOVED_FROM)) != 0)
        forgetDescription(name);
    else if ((mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) != 0)
        loadDescription(name);
}

std::vector<DeviceNode> SimDeviceTree::allNodesWith(const std::string& fileName, std::vector<DeviceNode> nodes) const
{
    std::vector<DeviceNode> all;
    bool placed = false;
    for (const auto& [name, described] : descriptions_) {
        if (!placed && name >= fileName) {
            all.insert(all.end(), nodes.begin(), nodes.end());
            placed = true;
        }
        if (name != fileName)
            all.insert(all.end(), described.begin(), described.end());
    }
    if (!placed)
        all.insert(all.end(), nodes.begin(), nodes.end());
    return all;
}

void SimDeviceTree::loadDescription(const std::string& fileName)
{
    auto text = readWholeFile(folder_ / fileName, kMaxDescriptionBytes);
    if (!text) {
        if (text.error() != kErrorFileNotFound) // gone again: its removal event follows
            logFormat(LogLevel::warning, "Ignoring device description %s: cannot read it (error %d)", fileName.c_str(),
                      text.error());
        return;
    }
    std::string problem;
    auto nodes = parseDeviceDescription(text.value(), problem);
    if (!nodes) {
        logFormat(LogLevel::warning, "Ignoring device description %s: %s", fileName.c_str(), problem.c_str());
        return;
    }
    for (const DeviceNode& node : nodes.value()) {
        const auto port = node.properties.find(DeviceProperty::portName);
        if (port != node.properties.end() && !isCharacterDevice(devicePathOf(port->second))) {
            logFormat(LogLevel::warning, "Ignoring device description %s: port %s does not exist", fileName.c_str(),
                      devicePathOf(port->second).c_str());
            return;
        }
    }
    if (replaceNodes(allNodesWith(fileName, nodes.value())) != kErrorSuccess) {
        logFormat(LogLevel::warning, "Ignoring device description %s: it does not fit the other descriptions",
                  fileName.c_str());
        return;
    }
    descriptions_[fileName] = std::move(nodes).value();
}

void SimDeviceTree::forgetDescription(const std::string& fileName)
{
    if (descriptions_.erase(fileName) == 0)
        return;
    // Removing nodes cannot break the tree: orphans move below the root.
    [[maybe_unused]] const int error = replaceNodes(allNodesWith(fileName, {}));
}

void SimDeviceTree::readPowerEvents(bool fromStart)
{
    constexpr std::size_t kChunk = 4096;
    const std::filesystem::path path = folder_ / kPowerFileName;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return;
    const auto size = static_cast<std::uint64_t>(info.st_size);
    if (fromStart || size < powerOffset_)
        powerOffset_ = 0; // a new or truncated file starts over
    // Only what the file held when this event is taken: a line appended meanwhile comes
    // with its own event, and reading it now could post it ahead of the description
    // changes its writer made before it (the first post may already have woken that writer).
    while (powerOffset_ < size) {
        const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, size - powerOffset_));
        auto text = readFilePart(path, powerOffset_, want);
        if (!text || text.value().empty())
            return;
        std::string_view lines = text.value();
        const std::size_t end = lines.rfind('\n');
        if (end == std::string_view::npos) {
            if (lines.size() < kChunk)
                return; // the rest of a line still being written comes with the next event
            logMessage(LogLevel::warning, "Ignoring an over-long line in the power event file");
            powerOffset_ += lines.size();
            continue;
        }
        lines = lines.substr(0, end + 1);
        powerOffset_ += lines.size();
        while (!lines.empty()) {
            const std::size_t newline = lines.find('\n');
            const std::string_view line = lines.substr(0, newline);
            lines.remove_prefix(newline + 1);
            if (line == "suspend")
                postPowerEvent(kPbtApmSuspend);
            else if (line == "resume")
                postPowerEvent(kPbtApmResumeSuspend);
            else if (!line.empty())
                logFormat(LogLevel::warning, "Ignoring power event \"%.*s\"",
                          static_cast<int>(std::min<std::size_t>(line.size(), 64)), line.data());
        }
    }
}

void SimDeviceTree::rescan()
{
    std::error_code ignored;
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder_, ignored))
        if (isDescriptionName(entry.path().filename().native()))
            names.push_back(entry.path().filename());
    std::sort(names.begin(), names.end());
    std::vector<std::string> gone;
    for (const auto& [name, nodes] : descriptions_)
        if (!std::binary_search(names.begin(), names.end(), name))
            gone.push_back(name);
    for (const std::string& name : gone)
        forgetDescription(name);
    for (const std::string& name : names)
        loadDescription(name);
}

} // namespace Os
