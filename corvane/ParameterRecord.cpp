#include "corvane/ParameterRecord.h"

#include "corvane/types/Allocation.h"

#include <cstring>
#include <new>

namespace Corvane::record {

const CvParameters* checked(const CvParameters* pointer) noexcept
{
    if (pointer == nullptr)
        return nullptr;
    // Only the first four bytes are read: the pointer may be anything a client passed.
    const auto* first = reinterpret_cast<const unsigned char*>(pointer);
    return std::memcmp(first, CvParameters::recordMagic.data(), CvParameters::recordMagic.size()) == 0 ? pointer
                                                                                                       : nullptr;
}

CvParameters* checked(CvParameters* pointer) noexcept
{
    return const_cast<CvParameters*>(checked(static_cast<const CvParameters*>(pointer)));
}

CvParameters* allocate(Dictionary values) noexcept
{
    void* memory = memory::allocate(sizeof(CvParameters));
    if (memory == nullptr)
        return nullptr;
    return ::new (memory) CvParameters(std::move(values));
}

void release(CvParameters* record) noexcept
{
    record->~CvParameters();
    memory::release(record);
}

} // namespace Corvane::record
