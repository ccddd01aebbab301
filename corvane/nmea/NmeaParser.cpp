#include "corvane/nmea/NmeaParser.h"

#include "corvane/Keys.h"
#include "corvane/Logging.h"
#include "corvane/nmea/NmeaChecksum.h"
#include "corvane/nmea/NmeaFieldValues.h"
#include "corvane/nmea/NormalisedSentence.h"
#include "corvane/nmea/ScanfScanner.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <string>

namespace Corvane {

namespace {

constexpr double kilometresPerNauticalMile = 1.852;

// Where the checksum a sentence carries is read from.
enum class ChecksumSource : std::uint8_t {
    word,            // the scanned word after "*"; an unscanned word reads as 0
    wordWhenPresent, // the same, but a sentence without the word is not compared
    restOfText,      // everything after the first "*"
};

template <int Short, int Full>
bool countIs(const ScannedFields& fields) noexcept
{
    return fields.count() == Short || fields.count() == Full;
}

// A message carries up to four satellites: those that remain after the messages before
// it, at most four. A message numbered past the last carries none, so it must still hold
// the three header values; without that floor a sentence cut after its message number
// would pass and publish a satellite count it never contained.
bool gsvShapeFits(const ScannedFields& fields) noexcept
{
    const std::int64_t message = fields.integer(1);
    const std::int64_t inView = fields.integer(2);
    const std::int64_t carried = std::clamp<std::int64_t>(inView - 4 * (message - 1), 0, 4);
    return fields.count() >= 3 + 4 * carried && fields.count() <= 19;
}

// Log lines quote at most this much of a rejected text.
constexpr std::size_t quotedLength = 120;

} // namespace

struct NmeaParser::SentenceKind {
    std::string_view tag;
    NmeaSentenceType type;
    std::string_view format;
    ChecksumSource checksum;
    int wordIndex; // the conversion that holds the checksum word, for the word sources
    bool (*shapeFits)(const ScannedFields&) noexcept;
    std::string_view badChecksum;
    std::string_view malformed;
    bool (NmeaParser::*publish)(const ScannedFields&, std::string_view text);
};

// In the order of NmeaSentenceType.
const NmeaParser::SentenceKind NmeaParser::kinds_[nmeaSentenceTypeCount] = {
    {"$GPGGA", NmeaSentenceType::gga, "$GPGGA,%lf,%lf,%c,%lf,%c,%d,%d,%lf,%lf,%c,%lf,%c,%lf,%d*%s",
     ChecksumSource::word, 14, &countIs<14, 15>, "Incalid Checksum in GPGGA Package!", "GPGGA Package malformed!",
     &NmeaParser::publishGga},
    {"$GPGSA", NmeaSentenceType::gsa, "$GPGSA,%c,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%lf,%lf,%lf*%s",
     ChecksumSource::word, 17, &countIs<17, 18>, "Incalid Checksum in GPGSA Package!", "GPGSA Package malformed!",
     &NmeaParser::publishGsa},
    {"$GPGSV", NmeaSentenceType::gsv,
     "$GPGSV,%d,%d,%d,        %d,%d,%d,%d,        %d,%d,%d,%d,        %d,%d,%d,%d,        %d,%d,%d,%d*",
     ChecksumSource::restOfText, -1, &gsvShapeFits, "Incalid Checksum in GPGSV Package!", "GPGSV Package malformed!",
     &NmeaParser::publishGsv},
    {"$GPRMC", NmeaSentenceType::rmc, "$GPRMC,%lf,%c,%lf,%c,%lf,%c,%lf,%lf,%d,%lf,%c,%c*%s",
     ChecksumSource::wordWhenPresent, 12, &countIs<12, 13>, "Incalid Checksum in GPRMC Package!",
     "GPRMC Package malformed!", &NmeaParser::publishRmc},
    {"$GPVTG", NmeaSentenceType::vtg, "$GPVTG,%lf,%c,%lf,%c,%lf,%c,%lf,%c,%c*%s", ChecksumSource::word, 9,
     &countIs<9, 10>, "Incalid Checksum in GPVTG Package!", "GPVTG Package malformed!", &NmeaParser::publishVtg},
};

std::string_view nmeaSentenceName(NmeaSentenceType type) noexcept
{
    constexpr std::string_view names[nmeaSentenceTypeCount] = {"GPGGA", "GPGSA", "GPGSV", "GPRMC", "GPVTG"};
    return names[static_cast<std::size_t>(type)];
}

std::string_view nmeaScanFormat(NmeaSentenceType type) noexcept
{
    return NmeaParser::kinds_[static_cast<std::size_t>(type)].format;
}

double nmeaDegrees(double field, bool positive) noexcept
{
    const double value = positive ? field : -field;
    // Truncated in floating point, so that no field is too large to convert.
    const double wholeDegrees = std::trunc(value / 100);
    // The sign is the field's also for zero: an empty field with its '0' hemisphere is
    // negative zero, which the subtraction alone would turn into positive zero.
    return std::copysign(wholeDegrees + (value - 100 * wholeDegrees) / 60, value);
}

NmeaParser::NmeaParser(SignalPublisher& publisher, std::FILE* messages, NmeaRecordDetail detail)
    : publisher_(publisher),
      messages_(messages),
      detail_(detail),
      logger_(logging::logger(logging::category::parser)),
      formats_{ScanFormat(kinds_[0].format), ScanFormat(kinds_[1].format), ScanFormat(kinds_[2].format),
               ScanFormat(kinds_[3].format), ScanFormat(kinds_[4].format)}
{
    static_assert(nmeaSentenceTypeCount == 5, "one format per sentence type");
}

bool NmeaParser::parseSentence(std::string_view text)
{
    parse(text);
    return true;
}

NmeaOutcome NmeaParser::parse(std::string_view text)
{
    text = text.substr(0, text.find('\0'));
    if (!text.starts_with("$GP"))
        return {};
    for (const SentenceKind& kind : kinds_)
        if (text.starts_with(kind.tag))
            return {parseKind(kind, text) ? NmeaVerdict::accepted : NmeaVerdict::rejected, kind.type};
    return {};
}

bool NmeaParser::parseAs(NmeaSentenceType type, std::string_view text)
{
    return parseKind(kinds_[static_cast<std::size_t>(type)], text.substr(0, text.find('\0')));
}

bool NmeaParser::parseKind(const SentenceKind& kind, std::string_view text)
{
    // Without "*" there is no end to the checksum range, and no checksum to compare.
    const auto computed = nmea::computedChecksum(text);
    if (!computed)
        return reject(kind.malformed, text);

    try {
        const nmea::NormalisedSentence normalised(text);
        const ScannedFields fields = ScanfScanner::scan(normalised.text(), formats_[static_cast<std::size_t>(kind.type)]);

        std::int64_t transmitted = 0;
        bool compare = true;
        if (kind.checksum == ChecksumSource::restOfText) {
            transmitted = nmea::transmittedChecksum(text.substr(text.find('*') + 1));
        } else {
            const std::string_view word = fields.word(kind.wordIndex);
            compare = kind.checksum == ChecksumSource::word || !word.empty();
            transmitted = nmea::transmittedChecksum(word);
        }
        if (compare && transmitted != *computed)
            return reject(kind.badChecksum, text);
        if (!kind.shapeFits(fields))
            return reject(kind.malformed, text);
        return (this->*kind.publish)(fields, text);
    } catch (const std::bad_alloc&) {
        // Only a text far longer than any sentence needs memory of its own.
        LOG4CPLUS_ERROR(logger_, "Out of memory reading a sentence of " << text.size() << " characters");
        return false;
    }
}

bool NmeaParser::reject(std::string_view message, std::string_view text)
{
    std::fprintf(messages_, "%.*s\n", static_cast<int>(message.size()), message.data());
    LOG4CPLUS_DEBUG(logger_, std::string(message) << " (\"" << std::string(text.substr(0, quotedLength)) << "\")");
    return false;
}

bool NmeaParser::deliver(Dictionary& record, bool built, std::string_view text)
{
    if (!built) {
        record.clear(); // the next sentence builds it afresh, keys in their order
        LOG4CPLUS_ERROR(logger_, "Out of memory for the record of \"" << std::string(text.substr(0, quotedLength))
                                                                      << "\"");
        return true;
    }
    publisher_.publish(sigGpsUpdate, record);
    return true;
}

// $GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47
// The fix quality is not looked at: a sentence without a fix is published with the
// values of its empty, hence zero, fields.
bool NmeaParser::publishGga(const ScannedFields& fields, std::string_view text)
{
    // Extended records may leave keys out, so they are built afresh each time.
    if (extended())
        ggaRecord_.clear();
    bool built = ggaRecord_.setDouble(key::gpsLatitude, nmeaDegrees(fields.real(1), fields.letter(2) == 'N')) &&
                 ggaRecord_.setDouble(key::gpsLongitude, nmeaDegrees(fields.real(3), fields.letter(4) == 'E')) &&
                 ggaRecord_.setDouble(key::gpsAltitude, fields.real(8)) &&
                 ggaRecord_.setInteger(key::gpsSatInUse, fields.integer(6));
    if (built && extended()) {
        const int quality = fields.integer(5);
        built = addTimeOfDay(ggaRecord_, fields, 0, text, 1) &&
                ggaRecord_.setString(key::gpsQuality, std::to_string(quality).c_str()) &&
                ggaRecord_.setInteger(key::gpsFixValid, quality > 0 ? 1 : 0);
    }
    return deliver(ggaRecord_, built, text);
}

bool NmeaParser::addTimeOfDay(Dictionary& record, const ScannedFields& fields, int conversion, std::string_view text,
                              int field)
{
    if (nmea::sentenceField(text, field).empty())
        return true;
    const std::optional<std::int64_t> milliseconds = nmea::millisecondsOfDay(fields.real(conversion));
    return !milliseconds || record.setInteger(key::gpsTime, *milliseconds);
}

// $GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39
// Checked like the others; only extended records publish what it says.
bool NmeaParser::publishGsa(const ScannedFields& fields, std::string_view text)
{
    if (!extended())
        return true;
    gsaRecord_.clear();
    bool built = gsaRecord_.setString(key::gpsType, std::to_string(fields.integer(1)).c_str());
    constexpr struct {
        const char* key;
        int conversion;
    } dilutions[] = {{key::gpsPdop, 14}, {key::gpsHdop, 15}, {key::gpsVdop, 16}};
    for (const auto& dilution : dilutions) {
        if (!built || nmea::sentenceField(text, dilution.conversion + 1).empty())
            continue;
        char value[32];
        std::snprintf(value, sizeof value, "%g", fields.real(dilution.conversion));
        built = gsaRecord_.setString(dilution.key, value);
    }
    std::uint32_t slot = 0;
    for (int conversion = 2; built && conversion <= 13; ++conversion) {
        if (const int prn = fields.integer(conversion); prn > 0) {
            Dictionary satellite;
            built = satellite.setInteger(key::gpsSatPrn, prn) && gsaRecord_.setArrayItem(key::gpsSatUsed, slot++, satellite);
        }
    }
    return deliver(gsaRecord_, built, text);
}

// $GPGSV,2,1,08,01,40,083,46,02,17,308,41,12,07,344,39,14,22,228,45*75
bool NmeaParser::publishGsv(const ScannedFields& fields, std::string_view text)
{
    if (extended())
        gsvRecord_.clear();
    bool built = gsvRecord_.setInteger(key::gpsSatInView, fields.integer(2));
    if (built && extended()) {
        built = gsvRecord_.setInteger(key::gpsSatMessage, fields.integer(1)) &&
                gsvRecord_.setInteger(key::gpsSatMessages, fields.integer(0));
        // The shape check has made sure that the carried satellites were all scanned.
        const std::int64_t carried =
            std::clamp<std::int64_t>(std::int64_t{fields.integer(2)} - 4 * (std::int64_t{fields.integer(1)} - 1), 0, 4);
        for (int index = 0; built && index < carried; ++index) {
            const int first = 3 + 4 * index;
            Dictionary satellite;
            built = satellite.setInteger(key::gpsSatPrn, fields.integer(first)) &&
                    satellite.setInteger(key::gpsSatElevation, fields.integer(first + 1)) &&
                    satellite.setInteger(key::gpsSatAzimuth, fields.integer(first + 2)) &&
                    satellite.setInteger(key::gpsSatSnr, fields.integer(first + 3)) &&
                    gsvRecord_.setArrayItem(key::gpsSatellites, static_cast<std::uint32_t>(index), satellite);
        }
    }
    return deliver(gsvRecord_, built, text);
}

// $GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W,A*07
// The fix signal comes first, so that the GPS state machine is in its new state when the
// position arrives; a sentence without a fix still delivers its (possibly zero) values.
bool NmeaParser::publishRmc(const ScannedFields& fields, std::string_view text)
{
    if (extended())
        rmcRecord_.clear();
    bool built =
        rmcRecord_.setDouble(key::gpsLatitude, nmeaDegrees(fields.real(2), fields.letter(3) == 'N')) &&
        rmcRecord_.setDouble(key::gpsLongitude, nmeaDegrees(fields.real(4), fields.letter(5) == 'E')) &&
        rmcRecord_.setDouble(key::gpsSpeed, fields.real(6) * kilometresPerNauticalMile) &&
        rmcRecord_.setDouble(key::gpsDirection, fields.real(7));
    if (built && extended()) {
        built = addTimeOfDay(rmcRecord_, fields, 0, text, 1) &&
                rmcRecord_.setInteger(key::gpsFixValid, fields.letter(1) == 'A' ? 1 : 0);
        if (built && !nmea::sentenceField(text, 9).empty())
            if (const std::optional<std::int64_t> date = nmea::calendarDate(fields.integer(8)))
                built = rmcRecord_.setInteger(key::gpsDate, *date);
    }
    static const Dictionary noRecord;
    if (built)
        publisher_.publish(fields.letter(1) == 'A' ? sigReadGps : sigGpsSearch, noRecord);
    return deliver(rmcRecord_, built, text);
}

// $GPVTG,054.7,T,034.4,M,005.5,N,010.2,K,A*25
bool NmeaParser::publishVtg(const ScannedFields& fields, std::string_view text)
{
    if (fields.letter(1) != 'T' || fields.letter(3) != 'M' || fields.letter(5) != 'N' || fields.letter(7) != 'K')
        return reject("GPVTG Package malformed (format error)!", text);
    return deliver(vtgRecord_, vtgRecord_.setDouble(key::gpsSpeed, fields.real(6)), text);
}

} // namespace Corvane
