#include "quelder/sms/DataCodingScheme.h"

#include "quelder/BackendLog.h"
#include "quelder/sms/Tpdu.h"

namespace SMS {
namespace {

int alphabetOf(unsigned bits) noexcept
{
    switch (bits) {
    case 1: return kCoding8bit;
    case 2: return kCodingUcs2;
    default: return kCodingGsm7;
    }
}

} // namespace

DataCoding ClassifyDataCoding(std::uint8_t dcs)
{
    DataCoding result;
    const unsigned group = dcs >> 4;
    // Groups 0 to 7 are the general coding groups (4 to 7 the same, marked for automatic
    // deletion): bit 4 says whether bits 1-0 give a class.
    const bool generalGroup = group <= 0x7;
    if ((generalGroup && (dcs & 0x10) != 0) || group == 0xF)
        result.messageClass = (dcs & 0x03) + 1;
    if (!generalGroup && group != 0xF && group != 0x8) {
        // Message waiting groups, and the reserved ones read as the default alphabet.
        result.coding = group == 0xE ? kCodingUcs2 : kCodingGsm7;
        return result;
    }
    result.coding = alphabetOf(group == 0xF ? (dcs >> 2) & 0x01u : (dcs >> 2) & 0x03u);
    if (group == 0x8 && result.coding == kCodingGsm7) {
        result.cdma7bit = true;
        GSM::xlog(GSM::logVerbose, "CDMA 7-bit message detected!");
    }
    return result;
}

std::uint8_t SubmitDataCoding(int messageClass, int coding) noexcept
{
    std::uint8_t dcs = 0;
    if (messageClass >= 1 && messageClass <= 4)
        dcs = static_cast<std::uint8_t>(0x10 | (messageClass - 1));
    if (coding == kCoding8bit)
        dcs |= 0x04;
    else if (coding == kCodingUcs2)
        dcs |= 0x08;
    return dcs;
}

} // namespace SMS
