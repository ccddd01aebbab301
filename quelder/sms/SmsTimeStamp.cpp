#include "quelder/sms/SmsTimeStamp.h"

#include <array>
#include <charconv>
#include <cstdlib>
#include <ctime>
#include <string>

namespace SMS {
namespace {

constexpr char kSeparators[] = "//,::+";
constexpr char kNibbles[] = "0123456789ABCDEF";
constexpr std::int64_t kFileTimePerSecond = 10000000;

// "%d/%d/%d,%d:%d:%d": what follows the sixth number is not looked at.
bool readFields(std::string_view text, int (&fields)[6])
{
    static constexpr char kFieldSeparators[] = "//,::";
    const char* position = text.data();
    const char* const end = text.data() + text.size();
    for (int i = 0; i < 6; ++i) {
        if (i > 0) {
            if (position == end || *position != kFieldSeparators[i - 1])
                return false;
            ++position;
        }
        const auto [next, error] = std::from_chars(position, end, fields[i]);
        if (error != std::errc{})
            return false;
        position = next;
    }
    return true;
}

// The start of a local hour in UTC. Asking the C library costs a look at the zone file
// each time, which would make it most of a decode: the last hours asked for are kept,
// for the zone they were asked in. Zones change their offset on the hour.
bool localHourStart(int year, int month, int day, int hour, std::time_t& utc)
{
    struct Hour {
        int year = -1, month = 0, day = 0, hour = 0;
        std::time_t start = 0;
    };
    struct Cache {
        std::array<Hour, 16> hours;
        std::size_t next = 0;
        std::string zone;
        bool hasZone = false;
    };
    thread_local Cache cache;
    const char* zone = std::getenv("TZ");
    if (cache.hasZone != (zone != nullptr) || (zone != nullptr && cache.zone != zone)) {
        cache = Cache{};
        cache.hasZone = zone != nullptr;
        cache.zone = zone ? zone : "";
    }
    for (const Hour& kept : cache.hours)
        if (kept.year == year && kept.month == month && kept.day == day && kept.hour == hour) {
            utc = kept.start;
            return true;
        }
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_isdst = -1;
    const std::time_t start = std::mktime(&local);
    if (start == static_cast<std::time_t>(-1))
        return false;
    cache.hours[cache.next] = Hour{year, month, day, hour, start};
    cache.next = (cache.next + 1) % cache.hours.size();
    utc = start;
    return true;
}

} // namespace

std::string TimeStampText(std::span<const std::uint8_t, 7> octets)
{
    std::string text;
    text.reserve(20);
    for (int i = 0; i < kTimeStampOctets; ++i) {
        unsigned tens = octets[i] & 0x0F;
        const unsigned units = octets[i] >> 4;
        if (i == kTimeStampOctets - 1 && tens > 7) {
            // The zone's sign bit: the "+" written before it turns into "-".
            text.back() = '-';
            tens -= 8;
        }
        text += kNibbles[tens];
        text += kNibbles[units];
        if (i < kTimeStampOctets - 1)
            text += kSeparators[i];
    }
    return text;
}

bool TextToFileTime(std::string_view text, std::int64_t& fileTime)
{
    fileTime = 0;
    int fields[6] = {};
    if (!readFields(text, fields))
        return false;
    auto [year, month, day, hour, minute, second] = fields;
    if (year < 0 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 60)
        return false;
    if (year < 100)
        year += year < 90 ? 2000 : 1900;
    std::time_t utc = 0;
    if (!localHourStart(year, month, day, hour, utc))
        return false;
    utc += minute * 60 + second;
    fileTime = static_cast<std::int64_t>(utc) * kFileTimePerSecond + kFileTimeOfUnixEpoch;
    return true;
}

} // namespace SMS
