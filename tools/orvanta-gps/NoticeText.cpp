#include "NoticeText.h"

#include "corvane/Enumerations.h"
#include "corvane/ErrorCode.h"
#include "corvane/Keys.h"

#include <array>
#include <cctype>
#include <cstdio>
#include <limits>
#include <string_view>

namespace Orvanta::gps {
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

} // namespace Orvanta::gps
