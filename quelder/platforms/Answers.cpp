#include "quelder/platforms/Answers.h"

#include "quelder/QdResult.h"
#include "quelder/at/Line.h"
#include "quelder/unsolicited/UnsolicitedFields.h"

#include <array>
#include <charconv>

namespace GSM {
namespace {

// Reads a decimal number at the front of `text` and moves past it.
std::optional<int> TakeNumber(std::string_view& text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end == text.data())
        return std::nullopt;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return value;
}

template <std::size_t N>
int RateOf(const std::array<int, N>& rates, int category) noexcept
{
    return category >= 0 && static_cast<std::size_t>(category) < N ? rates[static_cast<std::size_t>(category)] : 0;
}

constexpr std::array<int, 11> kHsdpaRates{0,       1200000, 1200000, 1800000, 1800000, 3600000,
                                          3600000, 7200000, 7200000, 10100000, 14000000};
constexpr std::array<int, 7> kHsupaRates{0, 730000, 1460000, 1460000, 2000000, 2000000, 5760000};

constexpr std::array<std::string_view, 16> kPinAnswers{
    "READY",     "SIM PIN",   "SIM PUK",     "PH-SIM PIN",  "PH-FSIM PIN",   "PH-FSIM PUK",
    "SIM PIN2",  "SIM PUK2",  "PH-NET PIN",  "PH-NET PUK",  "PH-NETSUB PIN", "PH-NETSUB PUK",
    "PH-SP PIN", "PH-SP PUK", "PH-CORP PIN", "PH-CORP PUK"};

} // namespace

std::optional<FirmwareVersion> FirmwareVersionOf(std::string_view text)
{
    FirmwareVersion version;
    for (int* part : {&version.major, &version.minor, &version.build}) {
        if (part != &version.major) {
            if (text.empty() || text.front() != '.')
                return std::nullopt;
            text.remove_prefix(1);
        }
        const auto number = TakeNumber(text);
        if (!number || *number < 0)
            return std::nullopt;
        *part = *number;
    }
    return version;
}

int PinPukStateOf(std::string_view answer) noexcept
{
    for (std::size_t i = 0; i < kPinAnswers.size(); ++i)
        if (answer == kPinAnswers[i])
            return static_cast<int>(i) + 1;
    return 0;
}

std::string IccidOf(std::string_view crsmAnswer)
{
    Line line{std::string(crsmAnswer)};
    const int sw1 = line.ReadInt();
    line.SkipIf(',');
    line.ReadInt();
    line.SkipIf(',');
    const std::string hex = line.ReadQuotedString().Text();
    constexpr int kNormalEnding = 144;
    if (sw1 != kNormalEnding)
        Raise(kQdNotAvailable);
    std::string digits;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        for (const char c : {hex[i + 1], hex[i]}) {
            if (c >= '0' && c <= '9')
                digits += c;
            else if (c != 'F' && c != 'f')
                Raise(kQdNotAvailable);
        }
    }
    return digits;
}

PinPukCounters PinPukCountersOf(std::string_view answer)
{
    Line line{std::string(answer)};
    const IntPair counters = ReadIntPair(line);
    // PIN2 and PUK2 may follow; anything else after PUK1 is not this answer.
    if (!line.AtEnd() && !line.SkipIf(','))
        Raise(kQdNotAvailable);
    if (counters.first < 0 || counters.second < 0)
        Raise(kQdNotAvailable);
    return {counters.first, counters.second};
}

std::string OwnNumberOf(std::string_view cnumAnswer)
{
    Line line{std::string(cnumAnswer)};
    line.ReadQuotedString();
    line.SkipIf(',');
    return line.ReadQuotedString().Text();
}

HsxpaRates HsxpaRatesOf(std::string_view categories)
{
    Line line{std::string(categories)};
    const int download = line.ReadInt();
    line.SkipIf(',');
    const int upload = line.ReadInt();
    return {RateOf(kHsdpaRates, download), RateOf(kHsupaRates, upload)};
}

} // namespace GSM
