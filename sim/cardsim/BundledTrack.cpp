#include "sim/cardsim/Track.h"

#include <cstdint>

// The walk is linked into the program, so the card plays it wherever it is started from.
// CARDSIM_TRACK_FILE is the absolute path of sim/cardsim/tracks/walk.nmea.
asm(".pushsection .rodata\n"
    ".balign 8\n"
    ".global cardsimTrackSize\n"
    ".hidden cardsimTrackSize\n"
    "cardsimTrackSize:\n"
    ".quad cardsimTrackEnd - cardsimTrack\n"
    ".global cardsimTrack\n"
    ".hidden cardsimTrack\n"
    "cardsimTrack:\n"
    ".incbin \"" CARDSIM_TRACK_FILE "\"\n"
    "cardsimTrackEnd:\n"
    ".popsection\n");

extern "C" const char cardsimTrack[];
extern "C" const std::uint64_t cardsimTrackSize;

namespace Cardsim {

std::string_view bundledTrackText() { return {cardsimTrack, static_cast<std::size_t>(cardsimTrackSize)}; }

} // namespace Cardsim
