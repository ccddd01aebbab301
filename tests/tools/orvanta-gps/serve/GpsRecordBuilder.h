#pragma once
// GPS records as the library's "gpsData" callback hands them, made up for the position
// server's tests: one builder per sentence type, with the keys that type fills.

#include "ClientNames.h"

#include "corvane/Corvane.h"
#include "corvane/Keys.h"

#include <cstdint>
#include <initializer_list>
#include <string>

namespace Orvanta::gps::testing {

class RecordBuilder {
public:
    RecordBuilder() : record_(Corvane::newParameters()) {}
    RecordBuilder(const RecordBuilder& other) : record_(copyOf(other.get())) {}
    RecordBuilder& operator=(const RecordBuilder& other)
    {
        record_ = copyOf(other.get());
        return *this;
    }
    RecordBuilder(RecordBuilder&&) noexcept = default;
    RecordBuilder& operator=(RecordBuilder&&) noexcept = default;
    RecordBuilder& integer(const char* key, std::int64_t value)
    {
        Corvane::setInteger(record_.get(), key, value);
        return *this;
    }
    RecordBuilder& real(const char* key, double value)
    {
        Corvane::setDouble(record_.get(), key, value);
        return *this;
    }
    RecordBuilder& text(const char* key, const std::string& value)
    {
        Corvane::setString(record_.get(), key, value.c_str());
        return *this;
    }
    RecordBuilder& item(const char* key, int index, const RecordBuilder& value)
    {
        Corvane::setArrayItem(record_.get(), key, index, value.record_.get());
        return *this;
    }
    const Corvane::CvParameters* get() const { return record_.get(); }
    Notice notice(NoticeKind kind = NoticeKind::gpsData) const { return Notice{kind, copyOf(get()), Clock::now()}; }

private:
    static Record copyOf(const Corvane::CvParameters* record)
    {
        Corvane::CvParameters* copy = nullptr;
        Corvane::copyParameters(record, &copy);
        return Record(copy);
    }

    Record record_;
};

// $GPGGA: a fix (`valid`) at `time` ms since midnight.
inline RecordBuilder gga(std::int64_t time, double latitude, double longitude, double altitude, bool valid = true)
{
    RecordBuilder record;
    record.real(Corvane::key::gpsLatitude, valid ? latitude : 0.0)
        .real(Corvane::key::gpsLongitude, valid ? longitude : 0.0)
        .real(Corvane::key::gpsAltitude, valid ? altitude : 0.0)
        .integer(Corvane::key::gpsSatInUse, valid ? 9 : 0)
        .integer(Corvane::key::gpsTime, time)
        .text(Corvane::key::gpsQuality, valid ? "1" : "0")
        .integer(Corvane::key::gpsFixValid, valid ? 1 : 0);
    return record;
}

// $GPRMC: speed in km/h; `date` 0 leaves the date out.
inline RecordBuilder rmc(std::int64_t time, std::int64_t date, double latitude, double longitude, double speed,
                         double track, bool valid = true)
{
    RecordBuilder record;
    record.real(Corvane::key::gpsLatitude, valid ? latitude : 0.0)
        .real(Corvane::key::gpsLongitude, valid ? longitude : 0.0)
        .real(Corvane::key::gpsSpeed, valid ? speed : 0.0)
        .real(Corvane::key::gpsDirection, valid ? track : 0.0)
        .integer(Corvane::key::gpsTime, time)
        .integer(Corvane::key::gpsFixValid, valid ? 1 : 0);
    if (date != 0)
        record.integer(Corvane::key::gpsDate, date);
    return record;
}

inline RecordBuilder gsa(const std::string& type, std::initializer_list<int> used, const std::string& pdop = "1.96",
                         const std::string& hdop = "1.11", const std::string& vdop = "1.61")
{
    RecordBuilder record;
    record.text(Corvane::key::gpsType, type);
    if (!pdop.empty())
        record.text(Corvane::key::gpsPdop, pdop);
    if (!hdop.empty())
        record.text(Corvane::key::gpsHdop, hdop);
    if (!vdop.empty())
        record.text(Corvane::key::gpsVdop, vdop);
    int index = 0;
    for (const int prn : used)
        record.item(Corvane::key::gpsSatUsed, index++, RecordBuilder().integer(Corvane::key::gpsSatPrn, prn));
    return record;
}

struct Sat {
    int prn, elevation, azimuth, snr;
};

inline RecordBuilder gsv(int message, int messages, int inView, std::initializer_list<Sat> satellites)
{
    RecordBuilder record;
    record.integer(Corvane::key::gpsSatInView, inView)
        .integer(Corvane::key::gpsSatMessage, message)
        .integer(Corvane::key::gpsSatMessages, messages);
    int index = 0;
    for (const Sat& sat : satellites)
        record.item(Corvane::key::gpsSatellites, index++,
                    RecordBuilder()
                        .integer(Corvane::key::gpsSatPrn, sat.prn)
                        .integer(Corvane::key::gpsSatElevation, sat.elevation)
                        .integer(Corvane::key::gpsSatAzimuth, sat.azimuth)
                        .integer(Corvane::key::gpsSatSnr, sat.snr));
    return record;
}

inline RecordBuilder vtg(double speed)
{
    RecordBuilder record;
    record.real(Corvane::key::gpsSpeed, speed);
    return record;
}

inline RecordBuilder sentence(const std::string& line)
{
    RecordBuilder record;
    record.text(Corvane::key::gpsSentence, line);
    return record;
}

} // namespace Orvanta::gps::testing
