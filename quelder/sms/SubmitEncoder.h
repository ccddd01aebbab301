#pragma once
// SMS-SUBMIT PDUs (3GPP TS 23.040, 9.2.2.2) for the record of an outgoing message.

#include "quelder/sms/Tpdu.h"

#include <cstddef>
#include <string_view>
#include <vector>

namespace SMS {

// What one PDU holds of a coding's units (septets, octets or UTF-16 units), alone or as
// a segment of a concatenated message, with a reply address of `replyDigits` digits
// (0: none).
struct UserDataCapacity {
    std::size_t single = 0;
    std::size_t segment = 0;
};
UserDataCapacity CapacityOf(int coding, int replyDigits) noexcept;

// The PDUs of `text` sent with the settings and addresses of `message` (its own text is
// not looked at), so that a text longer than the record holds can be sent too. Without
// `concatenation`, a text longer than one PDU holds is cut to it. Raises the result
// code of a failure.
void EncodeSubmitText(const Tpdu& message, std::string_view text, bool concatenation, std::vector<SubmitPdu>& pdus);

} // namespace SMS
