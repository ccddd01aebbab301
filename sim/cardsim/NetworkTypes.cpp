#include "sim/cardsim/NetworkTypes.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace Cardsim {
namespace {

struct RegistrationNameRow {
    Registration state;
    std::string_view name;
};

constexpr std::array<RegistrationNameRow, 6> kRegistrationNames{{
    {Registration::notRegistered, "none"},
    {Registration::home, "home"},
    {Registration::searching, "searching"},
    {Registration::denied, "denied"},
    {Registration::unknown, "unknown"},
    {Registration::roaming, "roaming"},
}};

constexpr std::array<TechnologyTraits, 5> kTechnologies{{
    {Technology::gsm, "gsm", 0, 1, 0, 0},
    {Technology::gprs, "gprs", 0, 2, 0, 0},
    {Technology::edge, "edge", 0, 3, 0, 3},
    {Technology::umts, "umts", 2, 0, 1, 2},
    {Technology::hsdpa, "hsdpa", 2, 0, 2, 4},
}};

} // namespace

std::string_view registrationName(Registration state)
{
    for (const RegistrationNameRow& row : kRegistrationNames)
        if (row.state == state)
            return row.name;
    return "?";
}

std::optional<Registration> registrationFromName(std::string_view name)
{
    for (const RegistrationNameRow& row : kRegistrationNames)
        if (row.name == name)
            return row.state;
    return std::nullopt;
}

std::optional<Domain> domainFromName(std::string_view name)
{
    if (name == "cs")
        return Domain::circuit;
    if (name == "ps")
        return Domain::packet;
    if (name == "both")
        return Domain::both;
    return std::nullopt;
}

const TechnologyTraits& traitsOf(Technology technology)
{
    for (const TechnologyTraits& traits : kTechnologies)
        if (traits.technology == technology)
            return traits;
    return kTechnologies.front();
}

std::optional<Technology> technologyFromName(std::string_view name)
{
    for (const TechnologyTraits& traits : kTechnologies)
        if (traits.name == name)
            return traits.technology;
    return std::nullopt;
}

const std::string& OperatorInfo::name(OperatorFormat format) const
{
    switch (format) {
    case OperatorFormat::longName: return longName;
    case OperatorFormat::shortName: return shortName;
    case OperatorFormat::numeric: return numeric;
    }
    return numeric;
}

bool isOperatorNumber(std::string_view text)
{
    return (text.size() == 5 || text.size() == 6) &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool isOperatorName(std::string_view text)
{
    return !text.empty() && text.size() <= 32 && std::all_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x7f && c != '"';
    });
}

const OperatorInfo& defaultHomeOperator()
{
    static const OperatorInfo info{"00101", "Orvanta Test Net", "OTN", true};
    return info;
}

const OperatorInfo& defaultRoamingOperator()
{
    static const OperatorInfo info{"00102", "Orvanta Roaming Partner", "ORP", false};
    return info;
}

const OperatorInfo& defaultVirtualHomeOperator()
{
    static const OperatorInfo info{"302720", "Orvanta Partner North", "OPN", false};
    return info;
}

std::string hexOf(std::uint32_t value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(value));
    return text;
}

} // namespace Cardsim
