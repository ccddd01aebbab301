#include "sim/cardsim/Garbler.h"

namespace Cardsim {

void Garbler::arm(int count, std::optional<PortRole> port)
{
    remaining_ = count > 0 ? count : 0;
    port_ = port;
}

bool Garbler::take(PortRole port)
{
    if (remaining_ == 0 || (port_ && *port_ != port))
        return false;
    --remaining_;
    return true;
}

std::string garbled(std::string_view line)
{
    std::string text(line);
    if (text.empty())
        return text;
    // The middle of a sentence is inside its checksummed part, away from '$' and '*'.
    char& victim = text[text.size() / 2];
    victim = victim == '#' ? '%' : '#';
    return text;
}

} // namespace Cardsim
