#pragma once
// The file behind a named mutex or event in a private folder (mode 0700, files 0600).
//
// Every handle holds a shared lock on byte 1 of the file for as long as it is open. The
// kernel drops such locks when a process dies, so an opener can tell whether any other
// handle is open: when none is, the object is created fresh and whatever a dead process
// left in the file is void, as a kernel object dies with its last handle. This is what
// keeps a lock or event file left by a killed process from blocking the next process.

#include "platform/UniqueFd.h"

#include <filesystem>
#include <string_view>

namespace Os {

class NamedObjectFile {
public:
    // Opens or creates `folder`/`name``suffix`. kErrorInvalidName for a name that is empty,
    // longer than 200 characters, starts with '.' or holds '/'; kErrorAccessDenied for a
    // folder or file that is not private to this user.
    int open(const std::filesystem::path& folder, std::string_view name, std::string_view suffix);
    void close();

    int fd() const { return fd_.get(); }
    bool isOpen() const { return fd_.valid(); }
    // No other handle was open when this one was opened.
    bool createdFresh() const { return createdFresh_; }
    // Another handle, in this process or another, is open now.
    bool openElsewhere() const;
    const std::filesystem::path& path() const { return path_; }

    // Byte-range locks of this handle on byte `byte`: write (exclusive) or read (shared).
    // Answer false when another handle holds a conflicting lock.
    bool tryLock(int byte, bool exclusive) const;
    void unlock(int byte) const;
    bool lockedElsewhere(int byte) const;

private:
    UniqueFd fd_;
    bool createdFresh_ = false;
    std::filesystem::path path_;
};

} // namespace Os
