#pragma once
// The last value of every key the library reported to the client, so the client can ask
// for it at any time.

#include "corvane/types/Dictionary.h"

#include <mutex>

namespace Corvane {

class ParameterStore {
public:
    // Each key of `values` replaces the stored one, or is added.
    void merge(const Dictionary& values);
    // Copies the stored pair under `key` into `target`; false when the store lacks it.
    bool copyTo(Dictionary& target, const char* key) const;
    Dictionary snapshot() const;

private:
    // Guards values_: merged on the state machines' threads, read on the client's.
    mutable std::mutex mutex_;
    Dictionary values_;
};

} // namespace Corvane
