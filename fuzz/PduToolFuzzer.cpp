// Arbitrary input through what orvanta-modem's PDU commands add around the codec: the
// text check must agree with the JSON library's own reading of UTF-8 (the text goes out
// in JSON lines), the TPDU length read from a PDU's hex must lie within it, and every
// record the codec decodes from the same bytes must print as one line of JSON.

#include "CodecMessages.h"
#include "MessageText.h"
#include "PduCommands.h"
#include "PduJson.h"

#include "quelder/sms/Tpdu.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace {

void require(bool condition, const char* what, std::string_view input)
{
    if (condition)
        return;
    std::fprintf(stderr, "%s for input of %zu bytes\n", what, input.size());
    __builtin_trap();
}

bool jsonTakesAsText(std::string_view input)
{
    try {
        (void)nlohmann::json(std::string(input)).dump();
        return true;
    } catch (const nlohmann::json::type_error&) {
        return false;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Orvanta::modem;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    require(isUtf8(input) == jsonTakesAsText(input), "the text check and the JSON library disagree", input);

    const int length = tpduLengthOf(input);
    require(length >= 0 && static_cast<std::size_t>(length) * 2 <= size, "a TPDU length beyond the hex", input);

    const CodecMessages log;
    if (!SMS::Validate(input, length))
        return 0;
    auto message = std::make_unique<SMS::Tpdu>();
    if (SMS::Decode(input, length, *message) != kQdSuccess)
        return 0;
    const std::string line = pduJson(*message).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    require(line.find('\n') == std::string::npos, "a decoded message on more than one line", input);
    require(nlohmann::json::parse(line).is_object(), "a decoded message that does not read back", input);
    return 0;
}
