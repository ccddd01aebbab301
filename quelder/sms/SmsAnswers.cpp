#include "quelder/sms/SmsAnswers.h"

#include "quelder/BackendLog.h"
#include "quelder/QdResult.h"
#include "quelder/at/Line.h"

#include <charconv>
#include <cstring>

namespace GSM {
namespace {

std::string_view TrimSmsBlanks(std::string_view text) noexcept
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// A whole field as a number: nothing but digits (and blanks around them); no sign, as
// no count or index is negative.
int WholeSmsNumber(std::string_view field)
{
    const std::string_view digits = TrimSmsBlanks(field);
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || digits.front() < '0' || digits.front() > '9' || error != std::errc() ||
        end != digits.data() + digits.size())
        Raise(kQdNotAvailable);
    return value;
}

// The fields of a line, split at the commas outside double quotes.
std::vector<std::string_view> SmsFieldsOf(std::string_view text)
{
    std::vector<std::string_view> fields;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"')
            quoted = !quoted;
        else if (text[i] == ',' && !quoted) {
            fields.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    if (quoted)
        Raise(kQdNotAvailable); // a quote that never closes: the line was cut
    fields.push_back(text.substr(start));
    return fields;
}

bool IsQuotedField(std::string_view field) noexcept
{
    const std::string_view text = TrimSmsBlanks(field);
    return text.size() >= 2 && text.front() == '"' && text.back() == '"';
}

std::string UnquotedField(std::string_view field)
{
    if (!IsQuotedField(field))
        Raise(kQdNotAvailable);
    const std::string_view text = TrimSmsBlanks(field);
    return std::string(text.substr(1, text.size() - 2));
}

constexpr std::string_view kListPrefix = "+CMGL:";

// "+CMGL: 3,1,,23": the index, then the fields a "+CMGR:" header holds.
std::optional<QdPhysicalSms> ListEntryOf(std::string_view header, std::string_view pdu)
{
    const std::string_view fields = header.substr(kListPrefix.size());
    const std::size_t comma = fields.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    try {
        return PhysicalMessageOf(WholeSmsNumber(fields.substr(0, comma)), fields.substr(comma + 1), pdu);
    } catch (const ResultError&) {
        return std::nullopt;
    }
}

} // namespace

bool IsStorablePdu(std::string_view pdu) noexcept
{
    if (pdu.empty() || pdu.size() % 2 != 0 || pdu.size() >= sizeof(QdPhysicalSms::pdu))
        return false;
    return pdu.find_first_not_of("0123456789ABCDEFabcdef") == std::string_view::npos;
}

MessageHeader MessageHeaderOf(std::string_view text)
{
    // status,alpha,length - the alpha field (empty, or a quoted name) is left out by some firmware.
    const std::vector<std::string_view> fields = SmsFieldsOf(text);
    if (fields.size() != 2 && fields.size() != 3)
        Raise(kQdNotAvailable);
    if (fields.size() == 3 && !TrimSmsBlanks(fields[1]).empty() && !IsQuotedField(fields[1]))
        Raise(kQdNotAvailable);
    MessageHeader header{WholeSmsNumber(fields.front()), WholeSmsNumber(fields.back())};
    if (header.status < QdSmsReceivedUnread || header.status > QdSmsStoredSent)
        Raise(kQdNotAvailable);
    return header;
}

QdPhysicalSms PhysicalMessageOf(int index, std::string_view header, std::string_view pdu)
{
    const MessageHeader fields = MessageHeaderOf(header);
    pdu = TrimSmsBlanks(pdu);
    // The TPDU cannot be longer than the PDU it is part of.
    if (index < 0 || !IsStorablePdu(pdu) || fields.tpduLength < 1 ||
        static_cast<std::size_t>(fields.tpduLength) > pdu.size() / 2)
        Raise(kQdNotAvailable);
    QdPhysicalSms message{};
    message.index = index;
    message.status = fields.status;
    message.tpduLength = fields.tpduLength;
    std::memcpy(message.pdu, pdu.data(), pdu.size());
    return message;
}

std::vector<QdPhysicalSms> PhysicalMessageListOf(std::span<const std::string> lines)
{
    std::vector<QdPhysicalSms> messages;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].starts_with(kListPrefix))
            continue; // a stray line: an unknown report, a second echo
        // The PDU is the next line, unless the card went on with the next entry.
        const bool hasPdu = i + 1 < lines.size() && !lines[i + 1].starts_with(kListPrefix);
        const std::optional<QdPhysicalSms> message = hasPdu ? ListEntryOf(lines[i], lines[i + 1]) : std::nullopt;
        if (message)
            messages.push_back(*message);
        else
            xlog(logWarning, "Qd: Skipping unreadable message list entry [%s]", lines[i].c_str());
        if (hasPdu)
            ++i;
    }
    return messages;
}

std::vector<StorageCount> StorageCountsOf(std::string_view answer)
{
    const std::vector<std::string_view> fields = SmsFieldsOf(answer);
    std::vector<StorageCount> counts;
    for (std::size_t i = 0; i < fields.size();) {
        StorageCount count;
        if (IsQuotedField(fields[i]))
            count.name = UnquotedField(fields[i++]);
        if (i + 2 > fields.size())
            Raise(kQdNotAvailable);
        count.used = WholeSmsNumber(fields[i]);
        count.total = WholeSmsNumber(fields[i + 1]);
        i += 2;
        if (count.used > count.total)
            Raise(kQdNotAvailable);
        counts.push_back(std::move(count));
    }
    return counts;
}

std::string ServiceCentreOf(std::string_view cscaAnswer)
{
    const std::vector<std::string_view> fields = SmsFieldsOf(cscaAnswer);
    return UnquotedField(fields.front());
}

PhonebookRange PhonebookRangeOf(std::string_view answer)
{
    const std::vector<std::string_view> fields = SmsFieldsOf(answer);
    const std::string_view range = TrimSmsBlanks(fields.front());
    const std::size_t dash = range.find('-');
    if (fields.size() < 3 || range.size() < 5 || range.front() != '(' || range.back() != ')' ||
        dash == std::string_view::npos)
        Raise(kQdNotAvailable);
    PhonebookRange result{WholeSmsNumber(range.substr(1, dash - 1)), WholeSmsNumber(range.substr(dash + 1, range.size() - dash - 2)),
                          WholeSmsNumber(fields[1]), WholeSmsNumber(fields[2])};
    if (result.first > result.last)
        Raise(kQdNotAvailable);
    return result;
}

PhonebookCount PhonebookCountOf(std::string_view answer)
{
    const std::vector<StorageCount> counts = StorageCountsOf(answer);
    if (counts.size() != 1)
        Raise(kQdNotAvailable);
    return {counts.front().used, counts.front().total};
}

PhonebookLine PhonebookLineOf(std::string_view fields)
{
    Line line{std::string(fields)};
    PhonebookLine entry;
    entry.index = line.ReadInt();
    if (!line.SkipIf(','))
        Raise(kQdNotAvailable);
    entry.number = line.ReadQuotedString().Text();
    if (!line.SkipIf(','))
        Raise(kQdNotAvailable);
    entry.type = line.ReadInt();
    if (!line.SkipIf(','))
        Raise(kQdNotAvailable);
    // The text runs to the last quote of the line: a name may hold a quote of its own.
    const std::string_view rest = TrimSmsBlanks(line.Rest());
    const std::size_t close = rest.rfind('"');
    if (rest.empty() || rest.front() != '"' || close == 0 || close == std::string_view::npos)
        Raise(kQdNotAvailable);
    entry.text = std::string(rest.substr(1, close - 1));
    if (entry.index < 1)
        Raise(kQdNotAvailable);
    return entry;
}

} // namespace GSM
