#include "corvane/ParameterStore.h"

namespace Corvane {

void ParameterStore::merge(const Dictionary& values)
{
    std::lock_guard lock(mutex_);
    values_.merge(values);
}

bool ParameterStore::copyTo(Dictionary& target, const char* key) const
{
    std::lock_guard lock(mutex_);
    return target.copyKey(values_, key);
}

Dictionary ParameterStore::snapshot() const
{
    std::lock_guard lock(mutex_);
    return values_;
}

} // namespace Corvane
