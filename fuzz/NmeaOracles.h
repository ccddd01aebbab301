#pragma once
// Plain references for the NMEA parser's building blocks, shared by its fuzz target and
// its tests: the C library's sscanf for ScanfScanner, and the empty-field rule carried
// out literally, by repeated replacement, for NormalisedSentence.

#include "corvane/nmea/ScanfScanner.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace Orvanta::oracle {

enum class Conversion { real, integer, letter, word };

inline std::vector<Conversion> conversionsOf(std::string_view format)
{
    std::vector<Conversion> conversions;
    for (std::size_t i = 0; i + 1 < format.size(); ++i) {
        if (format[i] != '%')
            continue;
        switch (format[++i]) {
        case 'l': conversions.push_back(Conversion::real), ++i; break;
        case 'd': conversions.push_back(Conversion::integer); break;
        case 'c': conversions.push_back(Conversion::letter); break;
        case 's': conversions.push_back(Conversion::word); break;
        default: break;
        }
    }
    return conversions;
}

// The rule as written: ",," becomes ",0,", searching again from each replacement, then
// the first ",*" becomes ",0*".
inline std::string normalisedByReplacing(std::string text)
{
    for (std::size_t at = text.find(",,"); at != std::string::npos; at = text.find(",,", at))
        text.replace(at, 2, ",0,");
    if (const std::size_t at = text.find(",*"); at != std::string::npos)
        text.replace(at, 2, ",0*");
    return text;
}

// The first difference between the scanner and sscanf on `text` (which must hold no NUL),
// or an empty text when they agree on the count and on every converted value.
inline std::string differenceFromLibc(const std::string& text, const std::string& format)
{
    constexpr std::size_t most = Corvane::ScannedFields::capacity;
    const std::vector<Conversion> conversions = conversionsOf(format);
    if (conversions.size() > most)
        return "format has too many conversions";

    std::array<double, most> reals{};
    std::array<int, most> integers{};
    std::array<char, most> letters{};
    std::array<std::string, most> words;
    std::array<void*, most> targets{};
    for (std::size_t i = 0; i < conversions.size(); ++i) {
        switch (conversions[i]) {
        case Conversion::real: targets[i] = &reals[i]; break;
        case Conversion::integer: targets[i] = &integers[i]; break;
        case Conversion::letter: targets[i] = &letters[i]; break;
        case Conversion::word:
            words[i].assign(text.size() + 1, '\0');
            targets[i] = words[i].data();
            break;
        }
    }
    const int count = std::sscanf(text.c_str(), format.c_str(), targets[0], targets[1], targets[2], targets[3],
                                  targets[4], targets[5], targets[6], targets[7], targets[8], targets[9],
                                  targets[10], targets[11], targets[12], targets[13], targets[14], targets[15],
                                  targets[16], targets[17], targets[18], targets[19]);

    const Corvane::ScannedFields fields = Corvane::ScanfScanner::scan(text, format);
    auto differs = [](auto what, auto ours, auto theirs) {
        std::ostringstream difference;
        difference << what << ": " << ours << ", sscanf " << theirs;
        return difference.str();
    };
    if (fields.count() != count)
        return differs("count", fields.count(), count);
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const std::string conversion = "conversion " + std::to_string(i);
        switch (conversions[at]) {
        case Conversion::real: {
            const double ours = fields.real(i);
            const double theirs = reals[at];
            const bool same = std::isnan(ours) ? std::isnan(theirs) && std::signbit(ours) == std::signbit(theirs)
                                               : std::memcmp(&ours, &theirs, sizeof ours) == 0;
            if (!same)
                return differs(conversion, ours, theirs);
            break;
        }
        case Conversion::integer:
            if (fields.integer(i) != integers[at])
                return differs(conversion, fields.integer(i), integers[at]);
            break;
        case Conversion::letter:
            if (fields.letter(i) != letters[at])
                return differs(conversion, int(fields.letter(i)), int(letters[at]));
            break;
        case Conversion::word:
            if (fields.word(i) != std::string_view(words[at].c_str()))
                return differs(conversion, fields.word(i), words[at].c_str());
            break;
        }
    }
    return {};
}

} // namespace Orvanta::oracle
