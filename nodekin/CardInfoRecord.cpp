#include "nodekin/CardInfoRecord.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace Nodekin {

namespace {
constexpr int insufficientBuffer = 122;
constexpr int noCard = 55;
} // namespace

bool isAcceptedCardInfoSize(std::uint32_t size) noexcept
{
    return std::find(std::begin(NkCardInfoSizes), std::end(NkCardInfoSizes), size) != std::end(NkCardInfoSizes);
}

int copyCardInfo(const NkCardInfo& current, bool cardKnown, void* record) noexcept
{
    if (record == nullptr)
        return insufficientBuffer;
    std::uint32_t size = 0;
    std::memcpy(&size, record, sizeof size);
    if (!isAcceptedCardInfoSize(size))
        return insufficientBuffer;
    if (current.state != NkCardSuspended && !cardKnown)
        return noCard;
    std::memcpy(record, &current, size);
    std::memcpy(record, &size, sizeof size);
    return 0;
}

} // namespace Nodekin
