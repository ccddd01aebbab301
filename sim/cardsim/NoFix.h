#pragma once
// How a receiver without a fix writes the sentences of a track: RMC with status V, no
// position, speed or course; GGA with fix quality 0; GSA with fix type 1; VTG and GLL
// without values. Satellites in view (GSV) stay as they are: the receiver sees them, it
// just has no solution yet.

#include <string>
#include <string_view>

namespace Cardsim {

// `sentence` as written without a fix, checksum recomputed; unchanged when its type
// carries nothing that depends on the fix, or when it is not a sentence at all.
std::string withoutFix(std::string_view sentence);

} // namespace Cardsim
