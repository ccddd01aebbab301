// Feeds arbitrary bytes, as a client of "orvanta-gps serve" might send them, through the
// command reader, the command parser and the WATCH settings, and builds each answer's
// report as the server would. The first byte cuts the input into packets of that many
// bytes (0: one packet), as the network may deliver it.

#include "ClientCommand.h"
#include "CommandReader.h"
#include "ProtocolReports.h"
#include "WatchSettings.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

void answerCommand(const Orvanta::gps::ClientInput& input, Orvanta::gps::WatchSettings& settings)
{
    using namespace Orvanta::gps;
    if (input.kind == ClientInput::Kind::tooLong) {
        if (!input.text.empty())
            __builtin_trap();
        return;
    }
    // The reader hands over commands within the bound, never empty, never with a newline.
    if (input.text.empty() || input.text.size() > kMostCommandBytes || input.text.find('\n') != std::string::npos)
        __builtin_trap();
    const ClientCommand command = parseClientCommand(input.text);
    if ((command.kind == ClientCommand::Kind::error) == command.problem.empty())
        __builtin_trap();
    std::string line;
    if (command.kind == ClientCommand::Kind::error) {
        line = reportLine(errorReport(command.problem));
    } else if (command.kind == ClientCommand::Kind::watch && command.argument) {
        const WatchSettings before = settings;
        const std::string problem = applyWatchRequest(settings, *command.argument);
        if (!problem.empty() && (settings.enable != before.enable || settings.raw != before.raw))
            __builtin_trap(); // a refused request changes nothing
        if (settings.raw < 0 || settings.raw > 2)
            __builtin_trap();
        line = reportLine(problem.empty() ? watchReport(settings) : errorReport(problem));
    } else {
        line = reportLine(watchReport(settings));
    }
    // Every report is one line: the client reads it up to its CR LF.
    if (!line.ends_with("\r\n") || line.find('\n') != line.size() - 1)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::size_t packet = data[0] == 0 ? size : data[0];
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    Orvanta::gps::CommandReader reader;
    Orvanta::gps::WatchSettings settings;
    for (std::size_t at = 0; at < bytes.size(); at += packet)
        for (const Orvanta::gps::ClientInput& input : reader.feed(bytes.substr(at, std::min(packet, bytes.size() - at))))
            answerCommand(input, settings);
    return 0;
}
