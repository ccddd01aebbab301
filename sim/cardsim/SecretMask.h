#pragma once
// What the card's log may show of the AT commands that carry a PIN, PUK or new PIN
// (+CPIN=, +CLCK=, +CPWD=): every character between double quotes becomes X, and so do
// the digits of a code given without quotes. Other commands pass as they are.
//
// A command line may come in several reads, cut anywhere; the mask keeps its place in the
// line from one read to the next.

#include <cstddef>
#include <string>
#include <string_view>

namespace Cardsim {

class SecretMask {
public:
    // `text` as it may be logged, the next piece of what came.
    std::string mask(std::string_view text);

private:
    void endCommand();

    std::string command_;         // the present command before its '=', upper case, its tail only
    bool inArguments_ = false;    // after the command's '='
    std::size_t firstCode_ = 0;   // of the present command's arguments, the first that is a code
    bool carriesCodes_ = false;   // the present command is one of those above
    std::size_t argument_ = 0;    // the index of the argument being read
    bool inQuotes_ = false;
};

// The whole of `text` masked, as one piece: for a line of its own (a control command).
std::string maskSecrets(std::string_view text);

} // namespace Cardsim
