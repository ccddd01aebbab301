#pragma once
// Why a device node could not be opened, in words for the person at the keyboard, with
// what to do about it. On Linux a card's ports usually belong to a group (dialout on
// Debian) that a new user is not in; the system's answer, "permission denied", tells
// neither which group nor that joining it only takes effect at the next login.

#include <string>

namespace Os {

// Who may open a node, read off the node itself.
struct NodeAccess {
    bool exists = false;
    std::string owner; // the user name, or the uid as a number
    std::string group; // the group name, or the gid as a number
    unsigned mode = 0; // permission bits
    bool groupMayOpen = false; // the group has read and write permission
    bool inGroupNow = false;   // this process carries the group
    bool inGroupListed = false; // the group lists this process's user (a login away)
};

NodeAccess nodeAccess(const std::string& path);

// "permission denied on /dev/ttyUSB2 (owner root, group dialout, mode 0660): join the
// group dialout (sudo usermod -aG dialout $USER) and log in again", and likewise for a
// port held by another program or gone; the system's own words for other errors.
// `error` is a system error number of SystemError.h.
std::string describeOpenFailure(const std::string& path, int error);

} // namespace Os
