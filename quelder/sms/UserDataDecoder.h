#pragma once
// A received PDU's data coding scheme (already in the record), user-data length and
// user data: the header's information elements, then the text.

#include "quelder/sms/OctetReader.h"
#include "quelder/sms/Tpdu.h"

#include <cstdint>
#include <span>

namespace SMS {

// Raises kQdMalformedPdu (logged) for user data the PDU does not hold.
void DecodeUserData(OctetReader& reader, Tpdu& message);
// The elements of a header (its length octet excluded) into the record.
void ReadUserDataHeader(std::span<const std::uint8_t> elements, Tpdu& message);

} // namespace SMS
