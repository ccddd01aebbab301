#include "quelder/sms/MessageFields.h"

#include <cstring>

namespace GSM::SmsFields {
namespace {

template <std::size_t N>
std::string FieldText(const char (&field)[N])
{
    return std::string(field, strnlen(field, N));
}

std::string AddressText(const SMS::Address& address)
{
    return FieldText(address.text); // "+" in front already when international
}

} // namespace

bool IsStatusReport(const SMS::Tpdu& message) noexcept { return message.statusReport != 0; }
int Type(const SMS::Tpdu& message) noexcept { return message.messageType; }
int ConcatenationTotal(const SMS::Tpdu& message) noexcept { return message.concatTotal; }
int ConcatenationReference(const SMS::Tpdu& message) noexcept { return message.concatReference; }
std::string Number(const SMS::Tpdu& message) { return AddressText(message.address); }
std::string ServiceCentre(const SMS::Tpdu& message) { return AddressText(message.serviceCentre); }
std::string Text(const SMS::Tpdu& message) { return FieldText(message.text); }
std::int64_t DischargeTime(const SMS::Tpdu& message)
{
    std::int64_t fileTime = 0;
    return SMS::TextToFileTime(FieldText(message.dischargeTime), fileTime) ? fileTime : 0;
}
int Status(const SMS::Tpdu& message) noexcept { return message.status; }

} // namespace GSM::SmsFields
