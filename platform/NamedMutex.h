#pragma once
// A mutex shared by this user's processes, by name. Held through a lock the kernel
// releases when its holder dies: the next taker then gets it with WaitStatus::abandoned.
// Ownership belongs to this object (not to a thread); taking it again while held
// succeeds at once. One object may be used from several threads.

#include "platform/NamedObjectFile.h"
#include "platform/Waitable.h"

#include <chrono>
#include <filesystem>
#include <mutex>
#include <string_view>

namespace Os {

class NamedMutex final : public Waitable {
public:
    NamedMutex() = default;
    ~NamedMutex() override { close(); }

    // Opens or creates the mutex in runtimeFolder(), or in `folder`.
    int open(std::string_view name);
    int open(std::string_view name, const std::filesystem::path& folder);
    // Releases the mutex if held.
    void close();

    // signalled or abandoned: held now; timedOut; failed.
    WaitOutcome lock(std::chrono::milliseconds timeout) { return waitFor(*this, timeout); }
    // kErrorNotOwner when not held.
    int unlock();
    bool held() const;
    // Another handle holds it.
    bool heldElsewhere() const;
    // Another handle is open: the mutex would not be created fresh now.
    bool openElsewhere() const;
    bool createdFresh() const;

    WaitOutcome tryAcquire() override;
    int changeDescriptor() const override { return -1; }

private:
    mutable std::mutex mutex_; // guards file_ and held_
    NamedObjectFile file_;
    bool held_ = false;
};

} // namespace Os
