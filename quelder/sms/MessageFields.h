#pragma once
// What the backend reads of a decoded message record, in one place, so that the rest of
// the backend does not depend on how the record lays out its fields.

#include "quelder/sms/Tpdu.h"

#include <cstdint>
#include <string>

namespace GSM::SmsFields {

bool IsStatusReport(const SMS::Tpdu& message) noexcept;
int Type(const SMS::Tpdu& message) noexcept;
int ConcatenationTotal(const SMS::Tpdu& message) noexcept;
int ConcatenationReference(const SMS::Tpdu& message) noexcept;
// The originating or destination address ("+" in front when international), the
// service centre's, and the text (UTF-8).
std::string Number(const SMS::Tpdu& message);
std::string ServiceCentre(const SMS::Tpdu& message);
std::string Text(const SMS::Tpdu& message);
// A status report's discharge time as 100 ns since 1601-01-01 UTC (0 when it does not
// read), and its TP-Status.
std::int64_t DischargeTime(const SMS::Tpdu& message);
int Status(const SMS::Tpdu& message) noexcept;

} // namespace GSM::SmsFields
