#include "sim/cardsim/SecretMask.h"

#include <array>
#include <cctype>

namespace Cardsim {
namespace {

struct CodeCommand {
    std::string_view name;  // as the command ends before its '='
    std::size_t firstCode;  // arguments from this one on are codes
};

// +CPIN="<pin>"[,"<newpin>"], +CLCK=<fac>,<mode>,"<passwd>", +CPWD=<fac>,"<old>","<new>".
constexpr std::array kCodeCommands{
    CodeCommand{"+CPIN", 0},
    CodeCommand{"+CLCK", 2},
    CodeCommand{"+CPWD", 1},
};

// Enough of a command's tail to tell the commands above.
constexpr std::size_t kCommandTail = 16;

} // namespace

void SecretMask::endCommand()
{
    command_.clear();
    inArguments_ = false;
    carriesCodes_ = false;
    argument_ = 0;
    inQuotes_ = false;
}

std::string SecretMask::mask(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        if (c == '\r' || c == '\n') {
            endCommand();
            out += c;
            continue;
        }
        if (inQuotes_) {
            inQuotes_ = c != '"';
            out += inQuotes_ && carriesCodes_ ? 'X' : c;
            continue;
        }
        if (c == '"') {
            inQuotes_ = true;
            out += c;
            continue;
        }
        if (c == ';') {
            endCommand();
            out += c;
            continue;
        }
        if (!inArguments_) {
            if (c == '=') {
                inArguments_ = true;
                for (const CodeCommand& row : kCodeCommands)
                    if (std::string_view(command_).ends_with(row.name)) {
                        carriesCodes_ = true;
                        firstCode_ = row.firstCode;
                    }
            } else {
                command_ += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
                if (command_.size() > kCommandTail)
                    command_.erase(0, command_.size() - kCommandTail);
            }
            out += c;
            continue;
        }
        if (c == ',')
            ++argument_;
        const bool digit = c >= '0' && c <= '9';
        out += carriesCodes_ && digit && argument_ >= firstCode_ ? 'X' : c;
    }
    return out;
}

std::string maskSecrets(std::string_view text) { return SecretMask().mask(text); }

} // namespace Cardsim
