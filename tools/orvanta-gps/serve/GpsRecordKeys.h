#pragma once
// The keys of the GPS records that the client API's Keys.h does not spell (yet): the raw
// sentence record, the fix's validity, and the satellites of GSA and GSV. The names are
// the library's; only the spelling lives here.

namespace Orvanta::gps::recordKey {

inline constexpr char gpsSentence[] = "gpsSentence";
inline constexpr char gpsFixValid[] = "gpsFixValid";
inline constexpr char gpsSatUsed[] = "gpsSatUsed";
inline constexpr char gpsSatPrn[] = "gpsSatPrn";
inline constexpr char gpsSatMessage[] = "gpsSatMessage";
inline constexpr char gpsSatMessages[] = "gpsSatMessages";
inline constexpr char gpsSatellites[] = "gpsSatellites";
inline constexpr char gpsSatElevation[] = "gpsSatElevation";
inline constexpr char gpsSatAzimuth[] = "gpsSatAzimuth";
inline constexpr char gpsSatSnr[] = "gpsSatSnr";

} // namespace Orvanta::gps::recordKey
