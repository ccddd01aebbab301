#include "quelder/sms/Tpdu.h"

#include "quelder/BackendLog.h"
#include "quelder/sms/PduHex.h"

#include <new>

namespace SMS {

QdResult Tpdu::binary(const SubmitPdu& pdu, std::vector<std::uint8_t>& octets, int& tpduLength)
{
    octets.clear();
    tpduLength = 0;
    try {
        // The service-centre field must leave exactly the TPDU the length counts.
        if (!HexToOctets(pdu.hex, octets) || octets.empty() || pdu.tpduLength <= 0 ||
            static_cast<std::size_t>(octets[0]) + 1 + static_cast<std::size_t>(pdu.tpduLength) != octets.size()) {
            octets.clear();
            GSM::xlog(GSM::logError, "Qd: Tpdu::binary(): Wrong PDU length");
            return kQdMalformedPdu;
        }
    } catch (const std::bad_alloc&) {
        octets.clear();
        GSM::xlog(GSM::logError, "Qd: Tpdu::binary(): Out of memory");
        return kQdOutOfMemory;
    }
    tpduLength = pdu.tpduLength;
    return kQdSuccess;
}

} // namespace SMS
