#include "quelder/sms/SmsTimeStamp.h"

#include <cstdio>
#include <ctime>

namespace SMS {
namespace {

constexpr char kSeparators[] = "//,::+";
constexpr char kNibbles[] = "0123456789ABCDEF";
constexpr std::int64_t kFileTimePerSecond = 10000000;

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
    // sscanf needs the end marked; a time stamp's text is short.
    char buffer[64];
    if (text.size() >= sizeof buffer)
        return false;
    text.copy(buffer, text.size());
    buffer[text.size()] = '\0';
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (std::sscanf(buffer, "%d/%d/%d,%d:%d:%d", &year, &month, &day, &hour, &minute, &second) != 6)
        return false;
    if (year < 0 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 60)
        return false;
    if (year < 100)
        year += year < 90 ? 2000 : 1900;
    std::tm local{};
    local.tm_year = year - 1900;
    local.tm_mon = month - 1;
    local.tm_mday = day;
    local.tm_hour = hour;
    local.tm_min = minute;
    local.tm_sec = second;
    local.tm_isdst = -1;
    const std::time_t utc = std::mktime(&local);
    if (utc == static_cast<std::time_t>(-1))
        return false;
    fileTime = static_cast<std::int64_t>(utc) * kFileTimePerSecond + kFileTimeOfUnixEpoch;
    return true;
}

} // namespace SMS
