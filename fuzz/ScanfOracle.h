#pragma once
// The C library's sscanf as the reference for ScanfScanner: runs a format of "%lf",
// "%d", "%c" and "%s" conversions over a text and tells where the scanner differs.
// Shared by the NMEA fuzz target and the scanner's tests.

#include "corvane/traits/ScanfScanner.h"

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
    std::vector<std::string> words(most, std::string(text.size() + 1, '\0'));
    std::array<void*, most> targets{};
    for (std::size_t i = 0; i < conversions.size(); ++i) {
        switch (conversions[i]) {
        case Conversion::real: targets[i] = &reals[i]; break;
        case Conversion::integer: targets[i] = &integers[i]; break;
        case Conversion::letter: targets[i] = &letters[i]; break;
        case Conversion::word: targets[i] = words[i].data(); break;
        }
    }
    const int count = std::sscanf(text.c_str(), format.c_str(), targets[0], targets[1], targets[2], targets[3],
                                  targets[4], targets[5], targets[6], targets[7], targets[8], targets[9],
                                  targets[10], targets[11], targets[12], targets[13], targets[14], targets[15],
                                  targets[16], targets[17], targets[18], targets[19]);

    const Corvane::ScannedFields fields = Corvane::ScanfScanner::scan(text, format);
    std::ostringstream difference;
    if (fields.count() != count) {
        difference << "count " << fields.count() << ", sscanf " << count;
        return difference.str();
    }
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        switch (conversions[at]) {
        case Conversion::real: {
            const double ours = fields.real(i);
            const double theirs = reals[at];
            const bool same = std::isnan(ours) ? std::isnan(theirs) && std::signbit(ours) == std::signbit(theirs)
                                               : std::memcmp(&ours, &theirs, sizeof ours) == 0;
            if (!same)
                difference << "conversion " << i << ": " << ours << ", sscanf " << theirs;
            break;
        }
        case Conversion::integer:
            if (fields.integer(i) != integers[at])
                difference << "conversion " << i << ": " << fields.integer(i) << ", sscanf " << integers[at];
            break;
        case Conversion::letter:
            if (fields.letter(i) != letters[at])
                difference << "conversion " << i << ": '" << fields.letter(i) << "', sscanf '" << letters[at] << "'";
            break;
        case Conversion::word:
            if (fields.word(i) != std::string_view(words[at].c_str()))
                difference << "conversion " << i << ": \"" << fields.word(i) << "\", sscanf \"" << words[at].c_str()
                           << "\"";
            break;
        }
        if (!difference.str().empty())
            return difference.str();
    }
    return {};
}

} // namespace Orvanta::oracle
