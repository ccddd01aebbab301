#pragma once
// Address fields (3GPP TS 23.040, 9.1.2.5): the service centre's, counted in octets, and
// the others, counted in digits; digits as semi-octets, low nibble first.

#include "quelder/sms/OctetReader.h"
#include "quelder/sms/Tpdu.h"

#include <cstdint>
#include <string_view>
#include <vector>

namespace SMS {

inline constexpr int kTypeInternational = 1;
inline constexpr int kTypeAlphanumeric = 5;

// Raise kQdMalformedPdu (logged) for a length whose text would not fit an Address.
void ReadServiceCentreAddress(OctetReader& reader, Address& address);
void ReadAddress(OctetReader& reader, Address& address);

// A dialled number: an optional "+" and semi-octet digits ("0123456789*#abc"). False,
// with the address cleared, for anything else or a number too long for the field.
bool ParseNumber(std::string_view number, Address& address);
// The service centre's field; the single octet 0 for an empty address.
void AppendServiceCentreAddress(std::vector<std::uint8_t>& out, const Address& address);
void AppendAddress(std::vector<std::uint8_t>& out, const Address& address);
// The number of semi-octet digits of an address as it is sent.
int AddressDigitCount(const Address& address) noexcept;

// Copies text into a fixed field, cut at a character boundary so that it stays UTF-8.
void CopyText(std::string_view text, char* field, std::size_t capacity) noexcept;

} // namespace SMS
