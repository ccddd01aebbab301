#include "quelder/sms/OctetReader.h"

#include "quelder/BackendLog.h"

namespace SMS {

void RaiseCorruptedPdu()
{
    GSM::xlog(GSM::logError, "Qd: Invalid nibble conversion parameters, probably corrupted PDU (%s)",
              "too big offset");
    GSM::Raise(kQdMalformedPdu);
}

std::uint8_t OctetReader::Octet()
{
    if (position_ >= octets_.size())
        RaiseCorruptedPdu();
    return octets_[position_++];
}

std::span<const std::uint8_t> OctetReader::Take(std::size_t count)
{
    if (count > Remaining())
        RaiseCorruptedPdu();
    const auto taken = octets_.subspan(position_, count);
    position_ += count;
    return taken;
}

} // namespace SMS
