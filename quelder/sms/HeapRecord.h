#pragma once
// Records handed to the client in blocks of the local heap, which it releases with
// QdFreeMemory.

#include <cstdlib>
#include <cstring>
#include <type_traits>

namespace GSM {

// A heap copy of `record`, or null when there is no memory for it.
template <class Record>
Record* HeapRecord(const Record& record) noexcept
{
    static_assert(std::is_trivially_copyable_v<Record>);
    void* block = std::malloc(sizeof(Record));
    if (block != nullptr)
        std::memcpy(block, &record, sizeof(Record));
    return static_cast<Record*>(block);
}

} // namespace GSM
