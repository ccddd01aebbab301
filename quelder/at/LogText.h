#pragma once
// How the AT engine puts card traffic into the log: the backend's leveled log of
// nodekin/XLog.h with its "Qd: " texts, hex dumps of raw blocks, and lines made safe to
// print.

#include "nodekin/XLog.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace GSM {

// Bytes a card sent may be anything: printable ASCII passes, every other byte is
// written as \xNN, so a log line never carries control sequences or cut-off text.
std::string Printable(std::string_view bytes);

// Every character between double quotes replaced by X, quotes kept ("AT+CPIN=\"XXXX\"");
// a quote that is not closed hides everything after it.
std::string MaskQuoted(std::string_view command);

// `bytes` as hex, 64 bytes to a log line, each line "<title>0x%04x: " with "%02x " per
// byte, at the verbose level. Builds nothing when the log would drop it.
void LogHexDump(const char* title, std::span<const std::uint8_t> bytes);

// True when messages of `level` reach the log, to skip building them otherwise.
inline bool LogWanted(int level) noexcept { return Nodekin::passesLogFilter(level, Nodekin::logLevel()); }

} // namespace GSM
