#include "platform/PortAccess.h"

#include "platform/SystemError.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace Os {
namespace {

std::string userName(uid_t uid)
{
    std::vector<char> buffer(4096);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(uid, &entry, buffer.data(), buffer.size(), &found) == 0 && found != nullptr)
        return found->pw_name;
    return std::to_string(uid);
}

struct GroupFacts {
    std::string name;
    bool listsUser = false;
};

GroupFacts groupFacts(gid_t gid)
{
    // Large groups list many members; the buffer grows until the entry fits.
    for (std::size_t size = 4096; size <= (1u << 20); size *= 4) {
        std::vector<char> buffer(size);
        group entry{};
        group* found = nullptr;
        const int rc = ::getgrgid_r(gid, &entry, buffer.data(), buffer.size(), &found);
        if (rc == ERANGE)
            continue;
        if (rc != 0 || found == nullptr)
            break;
        GroupFacts facts{found->gr_name};
        const std::string me = userName(::geteuid());
        for (char** member = found->gr_mem; member != nullptr && *member != nullptr; ++member)
            facts.listsUser = facts.listsUser || me == *member;
        return facts;
    }
    return {std::to_string(gid)};
}

bool carriesGroup(gid_t gid)
{
    if (::getegid() == gid)
        return true;
    const int count = ::getgroups(0, nullptr);
    if (count <= 0)
        return false;
    std::vector<gid_t> groups(static_cast<std::size_t>(count));
    const int got = ::getgroups(count, groups.data());
    return got > 0 && std::find(groups.begin(), groups.begin() + got, gid) != groups.begin() + got;
}

std::string format(const char* pattern, const std::string& a, const std::string& b = {}, const std::string& c = {},
                   const std::string& d = {})
{
    char text[1024];
    std::snprintf(text, sizeof text, pattern, a.c_str(), b.c_str(), c.c_str(), d.c_str());
    return text;
}

} // namespace

NodeAccess nodeAccess(const std::string& path)
{
    NodeAccess access;
    struct stat info{};
    if (::stat(path.c_str(), &info) != 0)
        return access;
    access.exists = true;
    access.owner = userName(info.st_uid);
    const GroupFacts facts = groupFacts(info.st_gid);
    access.group = facts.name;
    access.mode = static_cast<unsigned>(info.st_mode & 07777);
    access.groupMayOpen = (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    access.inGroupNow = carriesGroup(info.st_gid);
    access.inGroupListed = facts.listsUser;
    return access;
}

std::string describeOpenFailure(const std::string& path, int error)
{
    switch (error) {
    case kErrorAccessDenied: {
        const NodeAccess access = nodeAccess(path);
        if (!access.exists)
            return "permission denied on " + path;
        char mode[8];
        std::snprintf(mode, sizeof mode, "%04o", access.mode);
        const std::string facts = format("(owner %s, group %s, mode %s)", access.owner, access.group, mode);
        if (!access.groupMayOpen)
            return format("permission denied on %s %s: only its owner %s may open it", path, facts, access.owner);
        if (access.inGroupNow) // the group is not what keeps this user out
            return format("permission denied on %s %s", path, facts);
        if (access.inGroupListed)
            return format("permission denied on %s %s: you are in the group %s, but this session began before you "
                          "joined it; log out and in again",
                          path, facts, access.group);
        return format("permission denied on %s %s: join the group %s (sudo usermod -aG %s $USER) and log in again",
                      path, facts, access.group, access.group);
    }
    case kErrorSharingViolation:
        return path + " is in use by another program";
    case kErrorFileNotFound:
    case kErrorPathNotFound:
        return path + " does not exist";
    case kErrorDeviceRemoved:
        return path + " has gone (the card was removed)";
    default:
        return format("%s could not be opened (system error %s)", path, std::to_string(error));
    }
}

} // namespace Os
