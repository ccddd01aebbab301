// cardsim_trackgen: writes the virtual card's bundled walk to standard output, or to the
// file named on the command line.

#include "sim/cardsim/trackgen/WalkTrack.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv)
{
    const std::string track = Cardsim::generateWalkTrack();
    if (argc < 2) {
        std::fwrite(track.data(), 1, track.size(), stdout);
        return 0;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << track;
    if (!out) {
        std::fprintf(stderr, "cardsim_trackgen: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
