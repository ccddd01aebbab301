#include "platform/OpenFault.h"

#include <map>
#include <mutex>

namespace Os {
namespace {

struct Faults {
    std::mutex mutex; // guards byPath: tests set faults while library threads open ports
    std::map<std::string, int> byPath;
};

Faults& faults()
{
    static Faults instance;
    return instance;
}

} // namespace

OpenFault::OpenFault(std::string path, int errnoValue) : path_(std::move(path))
{
    std::lock_guard lock(faults().mutex);
    faults().byPath[path_] = errnoValue;
}

OpenFault::~OpenFault()
{
    std::lock_guard lock(faults().mutex);
    faults().byPath.erase(path_);
}

int injectedOpenFailure(const std::string& path)
{
    std::lock_guard lock(faults().mutex);
    const auto found = faults().byPath.find(path);
    return found == faults().byPath.end() ? 0 : found->second;
}

} // namespace Os
