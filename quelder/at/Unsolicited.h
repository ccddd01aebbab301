#pragma once
// The results a card sends on its own, told apart from answers by how the line starts.
// The table is ordered: a line is of the first type whose prefix it starts with. The
// type is the index a handler table for these results is keyed by.

#include <optional>
#include <string_view>

namespace GSM {

enum class Unsolicited : int {
    ring, clip, colp, busy, noCarrier, creg, cgreg, cmti,                          // 0 - 7
    signalQuality, wcdmaSignalQuality, ccwa, statusReport, newMessage0, tgcvi,       // 8 - 13
    accessTechnology, ussd, stc, stud, sttone, cellType, pdpContext, hwRadioSwitch,  // 14 - 21
    idleText, antennaPosition, dataCallState, cellType3g, paTemperature, mrdy,       // 22 - 27
    bcmSignalQuality, bcmRadioTechnology, mtz, mstkev, mtsmenu, mtitem, mtsms, mtss, // 28 - 35
    mtussd, mtdisp, mtkey, mtgin, mtitxt, mttone, mtrsh, mtcall, mtlbr, pacsp0,      // 36 - 45
    pacsp1, huwSignalQuality, simst, srvst, boot, huwSystemMode, dsflowrpt,          // 46 - 52
};

inline constexpr std::size_t kUnsolicitedTypes = 53;

// The type of an unsolicited result line; nothing for any other line. A "_TWANCALL:"
// line counts only with exactly one comma: with more it is the answer to "AT_TWANCALL?".
std::optional<Unsolicited> UnsolicitedTypeOf(std::string_view line) noexcept;

// The prefix a line of `type` starts with ("+CREG:").
std::string_view UnsolicitedPrefixOf(Unsolicited type) noexcept;

// Types whose line announces a second one, the message itself, which is joined to it.
constexpr bool AnnouncesNextLine(Unsolicited type) noexcept
{
    return type == Unsolicited::statusReport || type == Unsolicited::newMessage0;
}

} // namespace GSM
