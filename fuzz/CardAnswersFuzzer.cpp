// Feeds arbitrary text, as a card might answer, through what the start-up and identity
// operations make of the answers. The first byte picks the interpreter; the result of
// each is checked against what it promises.

#include "quelder/QdResult.h"
#include "quelder/platforms/Answers.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    try {
        switch (data[0] % 5) {
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
        }
    } catch (const GSM::ResultError&) {
        // A malformed answer is a result code, as the operations return it.
    }
    return 0;
}
