#pragma once
// The device tree of the virtual card: nodes come from description files (*.json) in a
// folder. A file appearing, changing or disappearing is an arrival, change or removal of
// its nodes, seen through inotify. A file that cannot be read, is not a valid
// description, names a port that does not exist, or clashes with the other files is
// logged and ignored, and the tree stays as it was. Power events are lines appended to
// the file "power" in the same folder ("suspend", "resume"), read when the writer closes it.

#include "platform/DeviceNode.h"
#include "platform/PollThread.h"
#include "platform/SnapshotDeviceTree.h"
#include "platform/UniqueFd.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace Os {

class SimDeviceTree final : public SnapshotDeviceTree {
public:
    static constexpr const char* kPowerFileName = "power";

    // Creates the folder when missing, reads the descriptions in it and starts watching it.
    static Result<std::unique_ptr<SimDeviceTree>> open(const std::filesystem::path& folder);
    ~SimDeviceTree() override;

private:
    explicit SimDeviceTree(std::filesystem::path folder) : folder_(std::move(folder)) {}
    int start();

    // On the watcher thread (or in start(), before it runs).
    bool onFolderEvents(short revents);
    void onFileEvent(std::uint32_t mask, const std::string& name);
    void loadDescription(const std::string& fileName);
    void forgetDescription(const std::string& fileName);
    void readPowerEvents(bool fromStart);
    // Reads every description again and forgets those that are gone.
    void rescan();
    std::vector<DeviceNode> allNodesWith(const std::string& fileName, std::vector<DeviceNode> nodes) const;

    const std::filesystem::path folder_;
    UniqueFd inotify_;
    // The last accepted nodes of each file. Only the watcher thread touches these once it runs.
    std::map<std::string, std::vector<DeviceNode>> descriptions_;
    std::uint64_t powerOffset_ = 0;
    PollThread watcher_;
};

} // namespace Os
