#pragma once
// A manual-reset event shared by this user's processes, by name. Its state is one byte
// of its file; waiters learn of changes through inotify. An event that nobody else has
// open is created fresh, not signalled, whatever a dead process left in the file.

#include "platform/NamedObjectFile.h"
#include "platform/Result.h"
#include "platform/Waitable.h"

#include <chrono>
#include <filesystem>
#include <string_view>

namespace Os {

class NamedEvent final : public Waitable {
public:
    // Opens or creates the event in runtimeFolder(), or in `folder`.
    int open(std::string_view name);
    int open(std::string_view name, const std::filesystem::path& folder);
    void close();

    int set();
    int reset();
    Result<bool> isSet() const;
    WaitOutcome wait(std::chrono::milliseconds timeout) { return waitFor(*this, timeout); }
    // Another handle is open.
    bool openElsewhere() const { return file_.openElsewhere(); }
    bool createdFresh() const { return file_.createdFresh(); }

    WaitOutcome tryAcquire() override;
    int changeDescriptor() const override { return inotify_.get(); }
    void consumeChange() override;

private:
    int write(char state);

    NamedObjectFile file_;
    UniqueFd inotify_;
};

} // namespace Os
