// Feeds arbitrary bytes to the reader of the virtual card's tracks (a capture file given
// on the command line), and writes every group with and without a fix.

#include "sim/cardsim/Garbler.h"
#include "sim/cardsim/Nmea.h"
#include "sim/cardsim/NoFix.h"
#include "sim/cardsim/Track.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::string problem;
    const auto track = Cardsim::Track::parse(std::string_view(reinterpret_cast<const char*>(data), size), problem);
    if (!track) {
        if (problem.empty())
            __builtin_trap();
        return 0;
    }
    for (std::size_t i = 0; i < track->size(); ++i) {
        if (track->group(i).empty())
            __builtin_trap();
        for (const std::string& sentence : track->group(i)) {
            if (sentence.empty() || sentence.front() != '$' || sentence.size() > Cardsim::Track::kMaxSentence ||
                sentence.find('\n') != std::string::npos)
                __builtin_trap();
            const std::string searching = Cardsim::withoutFix(sentence);
            // A sentence the receiver rewrites comes out with its checksum right.
            if (searching != sentence && !Cardsim::Nmea::hasValidChecksum(searching))
                __builtin_trap();
            if (Cardsim::garbled(sentence).size() != sentence.size())
                __builtin_trap();
        }
    }
    return 0;
}
