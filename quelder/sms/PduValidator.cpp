#include "quelder/sms/Tpdu.h"

#include "platform/HexDigits.h"
#include "quelder/BackendLog.h"

namespace SMS {

bool Validate(std::string_view hex, int tpduLength, bool ndisCard)
{
    const std::size_t n = hex.size();
    if (n < 2 || n % 2 != 0) {
        GSM::xlog(GSM::logError, "PDU is too short or has an odd length");
        return false;
    }
    for (const char c : hex)
        if (Os::hexDigitValue(c) < 0) {
            GSM::xlog(GSM::logError, "PDU contains not only hexadecimal characters");
            return false;
        }
    // 64-bit sums: a reported length near INT_MAX must not wrap into a match.
    const long long length = tpduLength;
    const long long characters = static_cast<long long>(n);
    const long long serviceCentre = Os::hexDigitValue(hex[0]) << 4 | Os::hexDigitValue(hex[1]);
    if (length >= 0 && (characters == 2 * length || characters == 2 * (serviceCentre + length + 1) ||
                        (ndisCard && characters == 2 * length + 2 * serviceCentre)))
        return true;
    GSM::xlog(GSM::logError, "PDU length is invalid (its reported size does not match the real length)");
    return false;
}

} // namespace SMS
