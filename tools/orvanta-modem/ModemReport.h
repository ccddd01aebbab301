#pragma once
// What orvanta-modem prints: the status, the networks found and each notice, as lines of
// text ("radio: on") or as one JSON object per line. Codes never appear: the PIN commands'
// records come back with a failure as "functionParameters", which is left out.

#include "ModemView.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace Orvanta::modem {

// "sim: PIN needed, 3 attempts left", "sim: ready", "sim: missing", ...
std::string simLine(const ModemView& view);
// The status lines: device, sim, pin lock, radio, registration, operator, mccmnc,
// technology, signal.
std::vector<std::string> statusLines(const ModemView& view);
nlohmann::json statusJson(const ModemView& view);

// "00101   current    umts  Orvanta Test Net (OTN)"
std::string networkLine(const client::FoundNetwork& network);
nlohmann::json networkJson(const client::FoundNetwork& network);

// "Orvanta Test Net (OTN)", the names there are.
std::string operatorText(const std::optional<std::string>& longName, const std::optional<std::string>& shortName);
// "00101 (MCC 001, MNC 01)"
std::string mccmncLine(std::int64_t mccmnc);
// "20 (-73 dBm)" for the 0 to 31 of the card's signal scale; "none" for 99.
std::string signalText(long long signal);

// The watch's line for a notice: the shared line, or for a notice it does not describe
// (an update) its known values as key=value.
std::string watchLine(const client::Notice& notice);
// {"notice":"clientRegistration","registrationState":3}: the callback and the values it
// carried that the library's key list names.
nlohmann::json noticeJson(const client::Notice& notice);

} // namespace Orvanta::modem
