#pragma once
// "orvanta-gps decode FILE|-": replays NMEA lines through the parser, printing what it
// publishes on `output`, its rejection lines and the closing summary on `messages`.

#include <cstdio>

namespace Orvanta::gps {

// 0 when the whole input was read, 1 on a read error.
int decode(std::FILE* input, std::FILE* output, std::FILE* messages);

} // namespace Orvanta::gps
