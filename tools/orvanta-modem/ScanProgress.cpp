#include "ScanProgress.h"

#include <unistd.h>

namespace Orvanta::modem {
namespace {

constexpr char kSpinner[] = {'|', '/', '-', '\\'};

} // namespace

ScanProgress::ScanProgress(std::FILE* stream) : ScanProgress(stream, ::isatty(::fileno(stream)) == 1) {}

ScanProgress::ScanProgress(std::FILE* stream, bool terminal) : stream_(stream), terminal_(terminal) {}

ScanProgress::~ScanProgress()
{
    finish();
}

void ScanProgress::show(std::chrono::steady_clock::duration elapsed)
{
    if (!terminal_)
        return;
    const long long seconds = std::chrono::duration_cast<std::chrono::seconds>(elapsed).count();
    // Carriage return and erase to the end of the line: the line is drawn again in place.
    std::fprintf(stream_, "\r%c scanning for networks, %lld s\033[K", kSpinner[frame_++ % sizeof kSpinner], seconds);
    std::fflush(stream_);
    drawn_ = true;
}

void ScanProgress::finish()
{
    if (!drawn_)
        return;
    std::fputs("\r\033[K", stream_);
    std::fflush(stream_);
    drawn_ = false;
}

} // namespace Orvanta::modem
