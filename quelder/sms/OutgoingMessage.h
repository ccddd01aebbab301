#pragma once
// The record of a message about to be sent. CreateOutgoing is declared with the record,
// in Tpdu.h.

#include "quelder/sms/Tpdu.h"

namespace SMS {

// 1 to 255, then round again: the 8-bit reference of a concatenated message.
int NextConcatenationReference() noexcept;

} // namespace SMS
