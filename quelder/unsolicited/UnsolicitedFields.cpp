#include "quelder/unsolicited/UnsolicitedFields.h"

#include "quelder/ModemStates.h"

#include <algorithm>
#include <cctype>

namespace GSM {
namespace {

// A hexadecimal field, in double quotes or bare, of at most `limit`.
int ReadHexField(Line& line, std::uint32_t limit)
{
    const std::string_view rest = line.Rest();
    std::size_t at = rest.find_first_not_of(" \t");
    const bool quoted = at != std::string_view::npos && rest[at] == '"';
    if (quoted)
        ++at;
    std::uint32_t value = 0;
    std::size_t digits = 0;
    while (at != std::string_view::npos && at + digits < rest.size() && value <= limit &&
           std::isxdigit(static_cast<unsigned char>(rest[at + digits])) != 0) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(rest[at + digits])));
        value = value * 16 + static_cast<std::uint32_t>(c <= '9' ? c - '0' : c - 'a' + 10);
        ++digits;
    }
    const std::size_t end = at == std::string_view::npos ? rest.size() : at + digits;
    const bool closed = !quoted || (end < rest.size() && rest[end] == '"');
    if (digits == 0 || value > limit || !closed)
        Raise(kQdNotAvailable);
    line.Skip(end + (quoted ? 1 : 0));
    return static_cast<int>(value);
}

void ExpectComma(Line& line)
{
    if (!line.SkipIf(','))
        Raise(kQdNotAvailable);
}

} // namespace

int ReadLastInt(Line& line)
{
    int value = line.ReadInt();
    const std::size_t afterFirst = line.Position();
    if (line.SkipIf(',')) {
        try {
            value = line.ReadInt();
        } catch (const ResultError&) {
            // A comma and no int: what follows is no number of this convention (a location).
            line.Seek(afterFirst);
        }
    }
    return value;
}

IntPair ReadIntPair(Line& line)
{
    IntPair pair;
    pair.first = line.ReadInt();
    ExpectComma(line);
    pair.second = line.ReadInt();
    return pair;
}

void SkipIntAndComma(Line& line)
{
    (void)line.ReadInt();
    ExpectComma(line);
}

int CheckedNetworkState(int state)
{
    if (state < kNotRegistered || state > kRegisteredRoaming)
        Raise(kQdNotAvailable);
    return state;
}

PacketSwitchedReport ReadPacketSwitchedReport(Line& line)
{
    PacketSwitchedReport report;
    report.state = line.ReadInt();
    if (line.SkipIf(',')) {
        const auto commas = std::count(line.Rest().begin(), line.Rest().end(), ',');
        if (commas == 0 || commas == 2) {
            report.state = line.ReadInt();
            if (commas == 2)
                ExpectComma(line);
        }
        if (commas >= 1) {
            CellLocation location;
            location.lac = ReadHexField(line, kLacLimit);
            ExpectComma(line);
            location.cellId = ReadHexField(line, kCellIdLimit);
            report.location = location;
        }
    }
    report.state = CheckedNetworkState(report.state);
    return report;
}

UssdReport ReadUssdReport(Line& line)
{
    UssdReport report;
    report.status = line.ReadInt();
    if (line.SkipIf(',')) {
        report.text = line.ReadQuotedString().Text();
        report.hasText = true;
        // The coding scheme; some cards leave it out, and it changes nothing here.
        if (line.SkipIf(','))
            (void)line.ReadInt();
    }
    return report;
}

CellTypes CellTypesOfSystemMode(int system, int subMode) noexcept
{
    CellTypes types;
    constexpr int kGsmSystem = 3, kWcdmaSystem = 5;
    if (system == kGsmSystem && subMode >= 1 && subMode <= 3)
        types.type2g = subMode; // GSM, GPRS, EDGE
    if (system == kWcdmaSystem) {
        switch (subMode) {
        case 4:
            types.type3g = kCellTypeWcdma;
            break;
        case 5:
            types.type3g = kCellTypeHsdpa;
            break;
        case 6:
            types.type3g = kCellTypeHsupa;
            break;
        case 7:
        case 8:
        case 9:
            types.type3g = kCellTypeHspa;
            break;
        default:
            break;
        }
    }
    return types;
}

} // namespace GSM
