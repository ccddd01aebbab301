#include "quelder/sms/Tpdu.h"

namespace SMS {

QdResult Tpdu::binary(const SubmitPdu&, std::vector<std::uint8_t>& octets, int& tpduLength)
{
    octets.clear();
    tpduLength = 0;
    return kQdNotSupported;
}

QdResult CreateOutgoing(const char*, const char*, const char*, int, int, int, int, int, Tpdu& message)
{
    message = Tpdu{};
    return kQdNotSupported;
}

QdResult EncodeSubmit(const Tpdu&, std::vector<SubmitPdu>& pdus)
{
    pdus.clear();
    return kQdNotSupported;
}

int CountSegments(std::string_view, int) { return 0; }

bool Validate(std::string_view, int, bool) { return false; }

QdResult Decode(std::string_view, int, Tpdu& message, bool)
{
    message = Tpdu{};
    return kQdNotSupported;
}

std::string TimeStampText(std::span<const std::uint8_t, 7>) { return {}; }

bool TextToFileTime(std::string_view, std::int64_t& fileTime)
{
    fileTime = 0;
    return false;
}

} // namespace SMS
