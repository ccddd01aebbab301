#include "NoticeText.h"

#include "FoundNetworks.h"

#include "corvane/Enumerations.h"
#include "corvane/ErrorCode.h"
#include "corvane/Keys.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <limits>
#include <string_view>

namespace Orvanta::client {
namespace {

template <std::size_t count>
const char* textOf(const std::array<const char*, count>& texts, long long value)
{
    return value >= 0 && static_cast<unsigned long long>(value) < count ? texts[static_cast<std::size_t>(value)]
                                                                       : "unknown";
}

constexpr std::array<const char*, 4> kLibraryStates{"starting", "open", "failed to start", "closed"};
constexpr std::array<const char*, 8> kDeviceStates{"removed",     "arrived",     "initialising", "initialisation failed",
                                                   "initialised", "SIM missing", "SIM blocked",  "busy"};
std::string labelled(const char* label, const std::string& value)
{
    return std::string(label) + ": " + value;
}

constexpr std::array<const char*, 5> kPinStates{"checking", "accepted", "rejected", "needed", "SIM blocked"};
constexpr std::array<const char*, 5> kRegistrationStates{"not registered", "searching", "denied", "home", "roaming"};
constexpr std::array<const char*, 3> kRadioStates{"unknown", "on", "off"};
constexpr std::array<const char*, 3> kTechnologies{"unknown", "gsm", "umts"};
constexpr std::array<const char*, 4> kNetworkStates{"unknown", "available", "current", "forbidden"};
constexpr std::array<const char*, 4> kConnectionStates{"connecting", "connected", "disconnecting", "disconnected"};

std::string attemptsText(std::optional<long long> count)
{
    if (!count)
        return "attempts not known";
    return std::to_string(*count) + (*count == 1 ? " attempt left" : " attempts left");
}

std::string scanLine(const Notice& notice)
{
    if (notice.integer(Corvane::key::networkScanActive).value_or(0) != 0)
        return labelled("scan", "started");
    const std::size_t count = foundNetworks(notice).size();
    return labelled("scan", "finished, " + std::to_string(count) + (count == 1 ? " network" : " networks"));
}

std::string valueOf(const std::optional<long long>& value)
{
    return value ? std::to_string(*value) : std::string("?");
}

// Tenths of a second for the short gaps of a card pulled and put back; minutes, then
// hours, for a machine that slept.
std::string durationText(std::chrono::steady_clock::duration length)
{
    const long long tenths = (std::chrono::duration_cast<std::chrono::milliseconds>(length).count() + 50) / 100;
    const long long seconds = (tenths + 5) / 10;
    char text[32];
    if (tenths < 600)
        std::snprintf(text, sizeof text, "%lld.%lld s", tenths / 10, tenths % 10);
    else if (seconds < 3600)
        std::snprintf(text, sizeof text, "%lld min %lld s", seconds / 60, seconds % 60);
    else
        std::snprintf(text, sizeof text, "%lld h %lld min", seconds / 3600, seconds % 3600 / 60);
    return text;
}

} // namespace

std::string gapLine(std::chrono::steady_clock::duration length, GapCause cause)
{
    return labelled("gap", "no position for " + durationText(length) +
                               (cause == GapCause::suspended ? " (suspended)" : " (card removed)"));
}

std::string gpsStateText(long long state)
{
    // A number beyond int would wrap onto a state.
    if (state < 0 || state > std::numeric_limits<int>::max())
        return "unknown";
    constexpr std::string_view prefix = "gps";
    const std::string_view name = Corvane::enumName(static_cast<Corvane::GpsState>(state));
    if (name.size() <= prefix.size() || !name.starts_with(prefix))
        return "unknown";
    std::string text(name.substr(prefix.size()));
    text.front() = static_cast<char>(std::tolower(static_cast<unsigned char>(text.front())));
    return text;
}

std::string deviceStateText(long long state) { return textOf(kDeviceStates, state); }
std::string pinStateText(long long state) { return textOf(kPinStates, state); }
std::string registrationText(long long state) { return textOf(kRegistrationStates, state); }
std::string radioStateText(long long state) { return textOf(kRadioStates, state); }
std::string technologyText(long long technology) { return textOf(kTechnologies, technology); }
std::string networkStateText(long long state) { return textOf(kNetworkStates, state); }
std::string connectionStateText(long long state) { return textOf(kConnectionStates, state); }

std::string pinRequestText(const Notice& notice)
{
    const long long kind = notice.integer(Corvane::key::pinKind).value_or(Corvane::cPinKindUnknown);
    if (kind == Corvane::cPinKindPinRequired)
        return "PIN, " + attemptsText(notice.integer(Corvane::key::pinCount));
    if (kind == Corvane::cPinKindPukRequired)
        return "PUK, " + attemptsText(notice.integer(Corvane::key::pukCount));
    // The other codes a card may ask for (PIN2, the personalisation keys) keep their names.
    if (kind < 0 || kind > std::numeric_limits<int>::max())
        return "unknown";
    return std::string(Corvane::enumName(static_cast<Corvane::PinKind>(kind)));
}

std::string noticeLine(const Notice& notice)
{
    switch (notice.kind) {
    case NoticeKind::libraryState:
        return labelled("library", textOf(kLibraryStates, notice.integer(Corvane::key::libraryState).value_or(-1)));
    case NoticeKind::deviceState:
        return labelled("device", textOf(kDeviceStates, notice.integer(Corvane::key::deviceState).value_or(-1)));
    case NoticeKind::update:
        if (const auto port = notice.text(Corvane::key::gpsDataPort))
            return labelled("gps data port", *port);
        return {};
    case NoticeKind::traitError: {
        const auto code = notice.integer(Corvane::key::lastError);
        const std::string name = code ? std::string(Corvane::errorName(static_cast<int>(*code))) : "?";
        return labelled("error", name + " (" + valueOf(code) + ")");
    }
    case NoticeKind::pinState:
        return labelled("pin", pinStateText(notice.integer(Corvane::key::pinState).value_or(-1)));
    case NoticeKind::enterPin:
        return labelled("pin request", pinRequestText(notice));
    case NoticeKind::registration:
        return labelled("registration",
                        registrationText(notice.integer(Corvane::key::registrationState).value_or(-1)));
    case NoticeKind::flightMode:
        return labelled("radio", radioStateText(notice.integer(Corvane::key::radioState).value_or(-1)));
    case NoticeKind::networkScan:
        return scanLine(notice);
    case NoticeKind::connectionChange:
        return labelled("connection", connectionStateText(notice.integer(Corvane::key::connectionState).value_or(-1)));
    case NoticeKind::connectionHistory:
        return "connection history: a row";
    case NoticeKind::gpsSupport:
        return labelled("gps support", notice.integer(Corvane::key::gpsSupport).value_or(0) != 0 ? "yes" : "no");
    case NoticeKind::gpsState:
        return labelled("gps", gpsStateText(notice.integer(Corvane::key::gpsState).value_or(-1)));
    case NoticeKind::gpsData: {
        const auto latitude = notice.real(Corvane::key::gpsLatitude);
        const auto longitude = notice.real(Corvane::key::gpsLongitude);
        // Without a fix the receiver leaves the fields empty and they read as zero; like
        // the tray tool, a zero coordinate is taken as no position at all.
        if (!latitude || !longitude || *latitude == 0.0 || *longitude == 0.0)
            return {};
        // Six decimals, as the map links use: about 10 cm.
        char text[64];
        std::snprintf(text, sizeof text, "%.6f %.6f", *latitude, *longitude);
        return labelled("position", text);
    }
    }
    return {};
}

} // namespace Orvanta::client
