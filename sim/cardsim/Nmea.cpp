#include "sim/cardsim/Nmea.h"

#include "platform/HexDigits.h"

#include <cstdio>

namespace Cardsim::Nmea {
namespace {

std::string_view body(std::string_view sentence)
{
    if (sentence.empty() || (sentence.front() != '$' && sentence.front() != '!'))
        return {};
    const std::size_t star = sentence.find('*');
    return sentence.substr(1, star == std::string_view::npos ? std::string_view::npos : star - 1);
}

} // namespace

std::uint8_t checksumOf(std::string_view sentence)
{
    std::uint8_t sum = 0;
    for (const char c : body(sentence))
        sum ^= static_cast<std::uint8_t>(c);
    return sum;
}

std::optional<std::uint8_t> transmittedChecksum(std::string_view sentence)
{
    const std::size_t star = sentence.find('*');
    if (star == std::string_view::npos || sentence.size() != star + 3)
        return std::nullopt;
    const int high = Os::hexDigitValue(sentence[star + 1]);
    const int low = Os::hexDigitValue(sentence[star + 2]);
    if (high < 0 || low < 0)
        return std::nullopt;
    return static_cast<std::uint8_t>(high * 16 + low);
}

bool hasValidChecksum(std::string_view sentence)
{
    const auto transmitted = transmittedChecksum(sentence);
    return transmitted && !body(sentence).empty() && *transmitted == checksumOf(sentence);
}

std::string_view typeOf(std::string_view sentence)
{
    // "$" + two talker letters + three type letters, then a comma or the end of the body.
    const std::string_view text = body(sentence);
    if (text.size() < 5 || (text.size() > 5 && text[5] != ','))
        return {};
    return text.substr(2, 3);
}

std::vector<std::string> fieldsOf(std::string_view sentence)
{
    std::vector<std::string> fields;
    const std::string_view text = body(sentence);
    if (text.empty())
        return fields;
    fields.emplace_back(1, sentence.front());
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        fields.back() += text.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        if (comma == std::string_view::npos)
            break;
        fields.emplace_back();
        start = comma + 1;
    }
    return fields;
}

std::string sentenceOf(const std::vector<std::string>& fields)
{
    std::string text;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            text += ',';
        text += fields[i];
    }
    char checksum[4];
    std::snprintf(checksum, sizeof checksum, "*%02X", checksumOf(text));
    return text + checksum;
}

} // namespace Cardsim::Nmea
