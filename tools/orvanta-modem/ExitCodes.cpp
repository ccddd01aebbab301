#include "ExitCodes.h"

#include <cstdio>

namespace Orvanta::modem {

int finish(const Outcome& outcome)
{
    if (std::fflush(stdout) != 0 && !outcome) {
        std::fputs("orvanta-modem: cannot write the output\n", stderr);
        return static_cast<int>(ExitCode::failed);
    }
    if (!outcome)
        return static_cast<int>(ExitCode::success);
    std::fprintf(stderr, "orvanta-modem: %s\n", outcome->reason.c_str());
    return static_cast<int>(outcome->code);
}

} // namespace Orvanta::modem
