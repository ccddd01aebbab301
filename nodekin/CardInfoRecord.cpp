#include "nodekin/CardInfoRecord.h"

#include "platform/SystemError.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace Nodekin {

bool isAcceptedCardInfoSize(std::uint32_t size) noexcept
{
    return std::find(std::begin(NkCardInfoSizes), std::end(NkCardInfoSizes), size) != std::end(NkCardInfoSizes);
}

int copyCardInfo(const NkCardInfo& current, bool cardKnown, void* record) noexcept
{
    if (record == nullptr)
        return Os::kErrorInsufficientBuffer;
    std::uint32_t size = 0;
    std::memcpy(&size, record, sizeof size);
    if (!isAcceptedCardInfoSize(size))
        return Os::kErrorInsufficientBuffer;
    if (current.state != NkCardSuspended && !cardKnown)
        return Os::kErrorDevNotExist;
    std::memcpy(record, &current, size);
    std::memcpy(record, &size, sizeof size);
    return Os::kErrorSuccess;
}

} // namespace Nodekin
