#include "quelder/unsolicited/MessageReports.h"

#include "nodekin/CardTraits.h"
#include "quelder/BackendLog.h"
#include "quelder/Device.h"
#include "quelder/Quelder.h"
#include "quelder/sms/HeapRecord.h"
#include "quelder/sms/MessageFields.h"
#include "quelder/sms/SmsRecords.h"
#include "quelder/sms/Tpdu.h"

#include <algorithm>
#include <cstring>

namespace GSM {
namespace {

std::string PduAfterSeparator(Line& line)
{
    if (!line.SkipIf(';'))
        Raise(kQdNotAvailable);
    std::string_view pdu = line.Rest();
    while (!pdu.empty() && pdu.front() == ' ')
        pdu.remove_prefix(1);
    while (!pdu.empty() && pdu.back() == ' ')
        pdu.remove_suffix(1);
    return std::string(pdu);
}

QdSmsStatusReport StatusReportOf(const SMS::Tpdu& message)
{
    QdSmsStatusReport report{};
    report.timeStamp = SmsFields::DischargeTime(message);
    const std::string number = SmsFields::Number(message);
    const std::size_t length = std::min(number.size(), sizeof report.recipient - 1);
    std::memcpy(report.recipient, number.data(), length);
    report.status = static_cast<std::uint8_t>(SmsFields::Status(message));
    return report;
}

template <class Record>
QdResult Tell(Device& device, int event, const Record& record)
{
    Record* copy = HeapRecord(record);
    if (copy == nullptr)
        return kQdOutOfMemory;
    device.RaiseEvent(event, copy);
    return kQdSuccess;
}

} // namespace

PduReport ReadDeliveredReport(Line& line, bool ndisCard)
{
    // The alpha field: a name in quotes, or nothing.
    if (line.HasPrefix("\"") || line.HasPrefix(" \""))
        line.ReadQuotedString();
    if (!line.SkipIf(','))
        Raise(kQdNotAvailable);
    PduReport report;
    report.tpduLength = line.ReadInt();
    if (ndisCard)
        line.SkipIf(' ');
    report.pdu = PduAfterSeparator(line);
    return report;
}

PduReport ReadStatusReport(Line& line)
{
    PduReport report;
    report.tpduLength = line.ReadInt();
    report.pdu = PduAfterSeparator(line);
    return report;
}

QdResult ProcessTemporaryMessage(Device& device, const PduReport& report, TemporaryKind kind)
{
    const bool ndis = Nodekin::isNdisKind(device.Card());
    if (!SMS::Validate(report.pdu, report.tpduLength, ndis))
        return kQdMalformedPdu;
    SMS::Tpdu message{};
    if (const QdResult rc = SMS::Decode(report.pdu, report.tpduLength, message, ndis); rc != kQdSuccess)
        return rc;
    if (kind == TemporaryKind::statusReport || SmsFields::IsStatusReport(message))
        return Tell(device, QdEventSmsStatusReport, StatusReportOf(message));
    return Tell(device, QdEventTemporarySms, message);
}

} // namespace GSM
