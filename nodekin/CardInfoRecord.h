#pragma once
// Copying the card-information record out to a client, in whichever version (size) the
// client asks for.

#include "nodekin/Nodekin.h"

#include <cstdint>

namespace Nodekin {

bool isAcceptedCardInfoSize(std::uint32_t size) noexcept;

// Copies as many bytes of `current` as the size in the first word of `record` asks for
// and writes that size back: NkSuccess; NkErrorInsufficientBuffer for a null record or a
// size that is no version of the record; NkErrorNoCard when no card is known and the card
// is not suspended.
int copyCardInfo(const NkCardInfo& current, bool cardKnown, void* record) noexcept;

} // namespace Nodekin
