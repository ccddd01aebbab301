#pragma once
// "orvanta-modem pdu decode|encode": the backend's SMS codec on its own, without a card.

#include "CommandLine.h"
#include "ExitCodes.h"

#include <cstdio>
#include <string_view>

namespace Orvanta::modem {

// Reads a text to encode from `input`, prints on `output`, warns on `messages`.
Outcome runPduCommand(const Request& request, std::FILE* input, std::FILE* output, std::FILE* messages);

// The TPDU length of a PDU whose own length octets are all there is: its octets after
// the service-centre field. 0 when the hex does not say (too short, not hex, or a
// service-centre field longer than the PDU), which the codec then refuses.
int tpduLengthOf(std::string_view hex) noexcept;

} // namespace Orvanta::modem
