#pragma once
// Received PDUs (3GPP TS 23.040, 9.2.2): SMS-DELIVER, SMS-SUBMIT and SMS-STATUS-REPORT
// into the message record. Decode is declared with the record, in Tpdu.h.

#include "quelder/sms/Tpdu.h"

#include <cstdint>
#include <span>

namespace SMS {

// The octets of a PDU, service-centre field first; raises kQdMalformedPdu (logged) for
// one that is cut short or not recognised, leaving `message` partly filled.
void DecodeOctets(std::span<const std::uint8_t> octets, Tpdu& message);

} // namespace SMS
