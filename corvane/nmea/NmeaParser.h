#pragma once
// The one place where NMEA is interpreted. Five sentence types of the card's GPS receiver
// are understood; each is checked against its checksum and its shape, and what the
// application needs (position, altitude, satellites, speed, course) is published as a
// record with sigGpsUpdate. $GPRMC also tells the GPS state machine whether the receiver
// has a fix (sigReadGps or sigGpsSearch, first). Any other text is ignored without a word;
// a rejected sentence writes its one message line and publishes nothing.
//
// Every sentence stands alone: a record holds only the values of the sentence it came
// from. A parser serves one thread at a time (the backend's communicator); it keeps its
// records' buffers from one sentence to the next, so a steady stream allocates nothing.
//
// With NmeaRecordDetail::extended the records also carry the fix's time, date and
// validity, the satellites, and $GPGSA's fix type and dilutions (see Corvane.h), for
// clients that pass positions on to other programs.

#include "corvane/nmea/ScanfScanner.h"
#include "corvane/traits/SignalPublisher.h"

#include <log4cplus/logger.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

namespace Corvane {

enum class NmeaSentenceType : std::uint8_t { gga, gsa, gsv, rmc, vtg };
inline constexpr std::size_t nmeaSentenceTypeCount = 5;

// "GPGGA", "GPGSA", "GPGSV", "GPRMC", "GPVTG".
std::string_view nmeaSentenceName(NmeaSentenceType type) noexcept;

// The scanf-style format a type's sentences are read with.
std::string_view nmeaScanFormat(NmeaSentenceType type) noexcept;

enum class NmeaRecordDetail : std::uint8_t { basic, extended };

enum class NmeaVerdict : std::uint8_t { ignored, accepted, rejected };

struct NmeaOutcome {
    NmeaVerdict verdict = NmeaVerdict::ignored;
    NmeaSentenceType type = NmeaSentenceType::gga; // meaningless for an ignored text
};

class NmeaParser {
public:
    // Rejection lines go to `messages`, the process's standard error unless a caller
    // wants them elsewhere.
    explicit NmeaParser(SignalPublisher& publisher = SignalPublisher::middleware(), std::FILE* messages = stderr,
                        NmeaRecordDetail detail = NmeaRecordDetail::basic);
    NmeaParser(const NmeaParser&) = delete;
    NmeaParser& operator=(const NmeaParser&) = delete;

    // One sentence, from its "$" up to and including its checksum digits, without line
    // terminator; it ends at its first NUL, as the text the backend hands over does.
    // Classifies it and hands it to its type's parser. True in every case.
    bool parseSentence(std::string_view text);
    // The same, telling what became of the sentence.
    NmeaOutcome parse(std::string_view text);
    // The parser of one type: whether the sentence was accepted.
    bool parseAs(NmeaSentenceType type, std::string_view text);

private:
    friend std::string_view nmeaScanFormat(NmeaSentenceType type) noexcept;
    struct SentenceKind;
    static const SentenceKind kinds_[nmeaSentenceTypeCount];

    bool parseKind(const SentenceKind& kind, std::string_view text);
    bool reject(std::string_view message, std::string_view text);
    bool deliver(Dictionary& record, bool built, std::string_view text);
    bool extended() const noexcept { return detail_ == NmeaRecordDetail::extended; }
    // The extension's time field (field `field` of the text, scanned as conversion
    // `conversion`), left out when the sentence has none.
    bool addTimeOfDay(Dictionary& record, const ScannedFields& fields, int conversion, std::string_view text,
                      int field);

    // Per-type checks and output, after checksum and shape have passed.
    bool publishGga(const ScannedFields& fields, std::string_view text);
    bool publishGsa(const ScannedFields& fields, std::string_view text);
    bool publishGsv(const ScannedFields& fields, std::string_view text);
    bool publishRmc(const ScannedFields& fields, std::string_view text);
    bool publishVtg(const ScannedFields& fields, std::string_view text);

    SignalPublisher& publisher_;
    std::FILE* messages_;
    NmeaRecordDetail detail_;
    log4cplus::Logger logger_;
    std::array<ScanFormat, nmeaSentenceTypeCount> formats_; // kinds_' formats, taken apart
    // Reused from sentence to sentence: every value is written anew each time.
    Dictionary ggaRecord_;
    Dictionary gsaRecord_; // extended records only
    Dictionary gsvRecord_;
    Dictionary rmcRecord_;
    Dictionary vtgRecord_;
};

// A ddmm.mmmm (dddmm.mmmm) field in degrees, negative unless `positive`.
double nmeaDegrees(double field, bool positive) noexcept;

} // namespace Corvane
