// Feeds arbitrary text, as a card might answer, through what the start-up, identity,
// network and SIM operations make of the answers. The first byte picks the interpreter; the result of
// each is checked against what it promises.

#include "quelder/QdResult.h"
#include "quelder/platforms/Answers.h"
#include "quelder/platforms/NetworkAnswers.h"

#include <array>

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    try {
        switch (data[0] % 10) {
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
        }
    } catch (const GSM::ResultError&) {
        // A malformed answer is a result code, as the operations return it.
    }
    return 0;
}
