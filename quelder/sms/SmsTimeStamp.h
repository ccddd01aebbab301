#pragma once
// Service-centre time stamps (3GPP TS 23.040, 9.2.3.11): seven octets of swapped
// semi-octets, their text form, and the text back as a file time.

#include "quelder/sms/Tpdu.h"

#include <cstdint>

namespace SMS {

inline constexpr int kTimeStampOctets = 7;
// 100 ns intervals from 1601-01-01 to 1970-01-01.
inline constexpr std::int64_t kFileTimeOfUnixEpoch = 116444736000000000;

// TimeStampText and TextToFileTime are declared with the record, in Tpdu.h.

} // namespace SMS
