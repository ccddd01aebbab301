#pragma once
// What "orvanta-modem pdu" prints: a decoded message, or one segment of an encoded one,
// as a JSON object.

#include "quelder/sms/Tpdu.h"

#include <nlohmann/json.hpp>

#include <cstddef>

namespace Orvanta::modem {

nlohmann::json pduJson(const SMS::Tpdu& message);

// Segment `number` of `count` (from 1).
nlohmann::json segmentJson(const SMS::SubmitPdu& segment, std::size_t number, std::size_t count);

} // namespace Orvanta::modem
