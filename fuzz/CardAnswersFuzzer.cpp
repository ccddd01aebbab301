// Feeds arbitrary text, as a card might answer, through what the start-up, identity,
// network, SIM, SMS and phonebook operations make of the answers (a list's lines split at
// LF). The first byte picks the interpreter; the result of
// each is checked against what it promises.

#include "quelder/QdResult.h"
#include "quelder/platforms/Answers.h"
#include "quelder/platforms/NetworkAnswers.h"
#include "quelder/sms/SmsAnswers.h"

#include <algorithm>
#include <array>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// A message read from a list or one read alone: a PDU that fits its record, with a TPDU
// length it holds.
void checkMessage(const QdPhysicalSms& m)
{
    const std::size_t length = strnlen(m.pdu, sizeof m.pdu);
    if (length == sizeof m.pdu || !GSM::IsStorablePdu(std::string_view(m.pdu, length)) || m.index < 0 ||
        m.status < 0 || m.status > 3 || m.tpduLength < 1 || static_cast<std::size_t>(m.tpduLength) > length / 2)
        __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    try {
        switch (data[0] % 17) {
        case 0:
            if (const auto version = GSM::FirmwareVersionOf(text))
                if (version->major < 0 || version->minor < 0 || version->build < 0)
                    __builtin_trap();
            break;
        case 1:
            if (const int state = GSM::PinPukStateOf(text); state < 0 || state > 16)
                __builtin_trap();
            break;
        case 2:
            for (const char c : GSM::IccidOf(text))
                if (c < '0' || c > '9')
                    __builtin_trap();
            break;
        case 3:
            GSM::OwnNumberOf(text);
            break;
        case 4: {
            const GSM::HsxpaRates rates = GSM::HsxpaRatesOf(text);
            if (rates.download < 0 || rates.upload < 0)
                __builtin_trap();
            break;
        }
        case 5:
            // Every operator fits its record, whatever its names.
            for (const GSM::NetworkEntry& entry : GSM::OperatorListOf(text)) {
                std::array<unsigned char, GSM::kNetworkEntrySize + 1> record{};
                record.back() = 0xA5;
                GSM::WriteNetworkEntry(entry, record.data());
                if (record.back() != 0xA5 || record[8 + 32] != 0 || record[41 + 18] != 0 || entry.technology < 0 ||
                    entry.technology > 2)
                    __builtin_trap();
            }
            break;
        case 6:
            GSM::CurrentOperatorOf(text);
            break;
        case 7: {
            const GSM::CellTypes types = GSM::CellTypesOfZpas(text);
            if (types.type2g < 0 || types.type2g > 3 || types.type3g < 0 || types.type3g > 3)
                __builtin_trap();
            break;
        }
        case 8:
            GSM::BandStateOf(text);
            break;
        case 9:
            if (const GSM::PinPukCounters counters = GSM::PinPukCountersOf(text); counters.pin < 0 || counters.puk < 0)
                __builtin_trap();
            break;
        case 10: {
            std::vector<std::string> lines;
            for (std::size_t start = 0; start <= text.size();) {
                const std::size_t end = std::min(text.find('\n', start), text.size());
                lines.emplace_back(text.substr(start, end - start));
                start = end + 1;
            }
            for (const QdPhysicalSms& m : GSM::PhysicalMessageListOf(lines))
                checkMessage(m);
            break;
        }
        case 11: {
            // The header, then the PDU after the first LF.
            const std::size_t split = std::min(text.find('\n'), text.size());
            checkMessage(GSM::PhysicalMessageOf(1, text.substr(0, split), text.substr(std::min(split + 1, text.size()))));
            break;
        }
        case 12:
            for (const GSM::StorageCount& count : GSM::StorageCountsOf(text))
                if (count.used < 0 || count.used > count.total)
                    __builtin_trap();
            break;
        case 13:
            GSM::ServiceCentreOf(text);
            break;
        case 14:
            if (const GSM::PhonebookRange range = GSM::PhonebookRangeOf(text);
                range.first < 0 || range.first > range.last || range.numberLength < 0 || range.textLength < 0)
                __builtin_trap();
            break;
        case 15:
            if (const GSM::PhonebookCount count = GSM::PhonebookCountOf(text); count.used < 0 || count.used > count.total)
                __builtin_trap();
            break;
        case 16:
            if (GSM::PhonebookLineOf(text).index < 1)
                __builtin_trap();
            break;
        }
    } catch (const GSM::ResultError&) {
        // A malformed answer is a result code, as the operations return it.
    }
    return 0;
}
