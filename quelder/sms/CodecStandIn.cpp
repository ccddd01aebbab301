// Provisional stand-in for the codec, replaced when the codec is merged.
#include "quelder/sms/Tpdu.h"

#include <cstring>

namespace SMS {

QdResult CreateOutgoing(const char* destination, const char* text, const char*, int, int coding, int, int, int,
                        Tpdu& message)
{
    message = {};
    std::strncpy(message.address.digits, destination, sizeof message.address.digits - 1);
    std::strncpy(message.text, text, sizeof message.text - 1);
    message.coding = coding;
    return kQdSuccess;
}

QdResult EncodeSubmit(const Tpdu& message, std::vector<SubmitPdu>& pdus)
{
    const std::size_t length = std::strlen(message.text);
    for (std::size_t i = 0; i == 0 || i < length; i += 10)
        pdus.push_back({"0011000B916407281553F80000AA0" + std::to_string(i % 10) , 15});
    return kQdSuccess;
}

int CountSegments(std::string_view utf8Text, int) { return utf8Text.size() <= 160 ? 1 : static_cast<int>((utf8Text.size() + 151) / 152); }

bool Validate(std::string_view hex, int tpduLength, bool)
{
    return hex.size() >= 2 && hex.size() % 2 == 0 && tpduLength > 0;
}

QdResult Decode(std::string_view hex, int, Tpdu& message, bool)
{
    message = {};
    if (hex.starts_with("FF"))
        return qdLibraryError(17);
    std::strncpy(message.text, std::string(hex).c_str(), sizeof message.text - 1);
    message.statusReport = hex.starts_with("0006") ? 1 : 0;
    return kQdSuccess;
}

} // namespace SMS
