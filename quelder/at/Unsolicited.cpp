#include "quelder/at/Unsolicited.h"

#include <algorithm>
#include <array>

namespace GSM {
namespace {

struct UnsolicitedPrefix {
    Unsolicited type;
    std::string_view prefix;
};

constexpr std::array<UnsolicitedPrefix, kUnsolicitedTypes> kTable = {{
    {Unsolicited::ring, "RING"},
    {Unsolicited::clip, "+CLIP:"},
    {Unsolicited::colp, "+COLP:"},
    {Unsolicited::busy, "BUSY"},
    {Unsolicited::noCarrier, "NO CARRIER"},
    {Unsolicited::creg, "+CREG:"},
    {Unsolicited::cgreg, "+CGREG:"},
    {Unsolicited::cmti, "+CMTI:"},
    {Unsolicited::signalQuality, "_TSIGQ:"},
    {Unsolicited::wcdmaSignalQuality, "_TEANT:"},
    {Unsolicited::ccwa, "+CCWA:"},
    {Unsolicited::statusReport, "+CDS:"},
    {Unsolicited::newMessage0, "+CMT:"},
    {Unsolicited::tgcvi, "_TGCVI:"},
    {Unsolicited::accessTechnology, "_TSSYSI:"},
    {Unsolicited::ussd, "+CUSD:"},
    {Unsolicited::stc, "+STC:"},
    {Unsolicited::stud, "+STUD:"},
    {Unsolicited::sttone, "+STTONE:"},
    {Unsolicited::cellType, "_TCTI:"},
    {Unsolicited::pdpContext, "_TGACT:"},
    {Unsolicited::hwRadioSwitch, "_TWSTAT:"},
    {Unsolicited::idleText, "_TIDLETEXT:"},
    {Unsolicited::antennaPosition, "_TANTPOSI:"},
    {Unsolicited::dataCallState, "_TWANCALL:"},
    {Unsolicited::cellType3g, "_TUWCTI:"},
    {Unsolicited::paTemperature, "_TPATEMP:"},
    {Unsolicited::mrdy, "*MRDY:"},
    {Unsolicited::bcmSignalQuality, "*MCSQ:"},
    {Unsolicited::bcmRadioTechnology, "*MRINFO:"},
    {Unsolicited::mtz, "*MTZ:"},
    {Unsolicited::mstkev, "*MSTKEV:"},
    {Unsolicited::mtsmenu, "*MTSMENU:"},
    {Unsolicited::mtitem, "*MTITEM:"},
    {Unsolicited::mtsms, "*MTSMS:"},
    {Unsolicited::mtss, "*MTSS:"},
    {Unsolicited::mtussd, "*MTUSSD:"},
    {Unsolicited::mtdisp, "*MTDISP:"},
    {Unsolicited::mtkey, "*MTKEY:"},
    {Unsolicited::mtgin, "*MTGIN:"},
    {Unsolicited::mtitxt, "*MTITXT:"},
    {Unsolicited::mttone, "*MTTONE:"},
    {Unsolicited::mtrsh, "*MTRSH:"},
    {Unsolicited::mtcall, "*MTCALL:"},
    {Unsolicited::mtlbr, "*MTLBR:"},
    {Unsolicited::pacsp0, "+PACSP0"},
    {Unsolicited::pacsp1, "+PACSP1"},
    {Unsolicited::huwSignalQuality, "^RSSI:"},
    {Unsolicited::simst, "^SIMST:"},
    {Unsolicited::srvst, "^SRVST:"},
    {Unsolicited::boot, "^BOOT:"},
    {Unsolicited::huwSystemMode, "^MODE:"},
    {Unsolicited::dsflowrpt, "^DSFLOWRPT:"},
}};

// The table's index is the type: a row out of place would change what a type means.
static_assert([] {
    for (std::size_t i = 0; i < kUnsolicitedTypes; ++i)
        if (static_cast<std::size_t>(kTable[i].type) != i)
            return false;
    return true;
}());

} // namespace

std::optional<Unsolicited> UnsolicitedTypeOf(std::string_view line) noexcept
{
    for (const UnsolicitedPrefix& entry : kTable) {
        if (!line.starts_with(entry.prefix))
            continue;
        if (entry.type == Unsolicited::dataCallState && std::count(line.begin(), line.end(), ',') != 1)
            return std::nullopt;
        return entry.type;
    }
    return std::nullopt;
}

} // namespace GSM

namespace GSM {

std::string_view UnsolicitedPrefixOf(Unsolicited type) noexcept
{
    const auto index = static_cast<std::size_t>(type);
    return index < kTable.size() ? kTable[index].prefix : std::string_view{};
}

} // namespace GSM
