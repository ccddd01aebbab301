#include "NoticeScript.h"

#include "corvane/Corvane.h"
#include "corvane/Keys.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

namespace Orvanta::gps::testing {
namespace {

std::optional<std::int64_t> scriptTime(const std::string& word)
{
    if (word == "-")
        return std::nullopt;
    if (word.find(':') == std::string::npos)
        return std::stoll(word);
    int hours = 0, minutes = 0;
    double seconds = 0;
    char colon = 0;
    std::istringstream(word) >> hours >> colon >> minutes >> colon >> seconds;
    return (hours * 3600 + minutes * 60) * 1000LL + static_cast<std::int64_t>(seconds * 1000 + 0.5);
}

std::optional<std::int64_t> scriptDate(const std::string& word)
{
    if (word == "-")
        return std::nullopt;
    return std::stoll(word);
}

void setOptional(Corvane::CvParameters* record, const char* key, const std::optional<std::int64_t>& value)
{
    if (value)
        Corvane::setInteger(record, key, *value);
}

// The position part of a GGA or RMC line: "LAT LON [ALT]" or "nofix", then "legacy".
void fillPosition(Corvane::CvParameters* record, std::istringstream& words, bool gga,
                  const std::optional<std::int64_t>& time, const std::optional<std::int64_t>& date)
{
    std::string first;
    words >> first;
    const bool fix = first != "nofix";
    double latitude = 0, longitude = 0, altitude = 0;
    if (fix) {
        latitude = std::stod(first);
        words >> longitude;
        if (gga)
            words >> altitude;
    }
    std::string rest;
    words >> rest;
    const bool legacy = rest == "legacy";
    Corvane::setDouble(record, Corvane::key::gpsLatitude, latitude);
    Corvane::setDouble(record, Corvane::key::gpsLongitude, longitude);
    if (gga) {
        Corvane::setDouble(record, Corvane::key::gpsAltitude, altitude);
        Corvane::setInteger(record, Corvane::key::gpsSatInUse, fix ? 9 : 0);
    } else {
        Corvane::setDouble(record, Corvane::key::gpsSpeed, fix ? 5.3 : 0);
        Corvane::setDouble(record, Corvane::key::gpsDirection, fix ? 109.25 : 0);
    }
    if (legacy)
        return;
    if (gga)
        Corvane::setString(record, Corvane::key::gpsQuality, fix ? "1" : "0");
    Corvane::setInteger(record, Corvane::key::gpsFixValid, fix ? 1 : 0);
    setOptional(record, Corvane::key::gpsTime, time);
    setOptional(record, Corvane::key::gpsDate, date);
}

} // namespace

Notice NoticeScript::notice(const std::string& line)
{
    std::istringstream words(line);
    std::string what;
    words >> what;
    if (what.starts_with('@')) {
        arrival_ = start_ + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(std::stod(what.substr(1))));
        words >> what;
    }
    Notice notice{NoticeKind::gpsData, Record(Corvane::newParameters()), arrival_};
    Corvane::CvParameters* record = notice.record.get();
    if (what == "gga" || what == "rmc") {
        std::string time, date = "-";
        words >> time;
        if (what == "rmc")
            words >> date;
        fillPosition(record, words, what == "gga", scriptTime(time), scriptDate(date));
    } else if (what == "gsv") {
        long long count = 0;
        words >> count;
        Corvane::setInteger(record, Corvane::key::gpsSatInView, count);
    } else if (what == "sentence") {
        std::string text;
        std::getline(words, text);
        Corvane::setString(record, Corvane::key::gpsSentence, text.empty() ? "" : text.c_str() + 1);
    } else {
        long long value = 0;
        words >> value;
        if (what == "state") {
            notice.kind = NoticeKind::gpsState;
            Corvane::setInteger(record, Corvane::key::gpsState, value);
        } else if (what == "support") {
            notice.kind = NoticeKind::gpsSupport;
            Corvane::setInteger(record, Corvane::key::gpsSupport, value);
        } else if (what == "device") {
            notice.kind = NoticeKind::deviceState;
            Corvane::setInteger(record, Corvane::key::deviceState, value);
        } else {
            throw std::invalid_argument("no such notice in a script: " + line);
        }
    }
    return notice;
}

std::string fileText(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

MessageCapture::MessageCapture() : stream_(open_memstream(&buffer_, &size_))
{
    if (stream_ == nullptr)
        throw std::bad_alloc();
}

MessageCapture::~MessageCapture()
{
    std::fclose(stream_);
    std::free(buffer_);
}

std::string MessageCapture::text()
{
    std::fflush(stream_);
    return std::string(buffer_, size_);
}

} // namespace Orvanta::gps::testing
