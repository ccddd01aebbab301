#include "quelder/at/CommandText.h"

#include "quelder/at/Gsm7.h"
#include "quelder/at/Utf8.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace GSM {

std::string ToCardCharacters(std::string_view command)
{
    std::string out;
    out.reserve(command.size());
    bool inside = false;
    for (std::size_t position = 0; position < command.size();) {
        const char c = command[position];
        if (c == '"') {
            inside = !inside;
            out += c;
            ++position;
            continue;
        }
        if (!inside) {
            out += c;
            ++position;
            continue;
        }
        const Gsm7::Septet septet = Gsm7::Find(Utf8::Next(command, position));
        const bool lineEnd = septet.table != Gsm7::Table::none && (septet.value == '\r' || septet.value == '\n');
        if (septet.table == Gsm7::Table::none || lineEnd)
            continue;
        if (septet.table == Gsm7::Table::extension)
            out += static_cast<char>(Gsm7::kEscape);
        out += static_cast<char>(septet.value);
    }
    return out;
}

bool CarriesSecret(std::string_view command) noexcept
{
    // Setting commands only: "AT+CPIN?" asks for the state and carries nothing. Found
    // anywhere in the line, so that a command joined to another with ";" counts too.
    static constexpr std::array<std::string_view, 5> kSecretCarriers = {
        "+CPIN=",    // PIN, or PUK and new PIN
        "+CLCK=",    // facility lock with its password
        "+CPWD=",    // old and new password
        "_TPDPP=",   // data-call authentication: user and password
        "$QCPDPP=",  // the same on other cards
    };
    std::string upper(command);
    std::transform(upper.begin(), upper.end(), upper.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return std::any_of(kSecretCarriers.begin(), kSecretCarriers.end(),
                       [&](std::string_view carrier) { return upper.find(carrier) != std::string::npos; });
}

} // namespace GSM
