// Arbitrary lines through the NMEA parser. Nothing may crash or read past the text; an
// accepted sentence publishes exactly what its type promises and a rejected or ignored
// one nothing. The parser with extended records judges every text alike and publishes
// the same values, its own beside them, and at most four satellites a message. Below the parser, the scanner must count and read as sscanf does and the
// empty fields must fill in as the rule, carried out literally, says.

#include "corvane/nmea/NmeaParser.h"
#include "corvane/nmea/NormalisedSentence.h"

#include "NmeaOracles.h"
#include "tests/corvane/nmea/NmeaTestSupport.h"

#include <log4cplus/initializer.h>
#include <log4cplus/logger.h>
#include <log4cplus/nullappender.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

using namespace Corvane;

namespace {

using Corvane::testing::PublishedSignal;
using Corvane::testing::RecordingPublisher;

void require(bool condition, const char* what, std::string_view text)
{
    if (condition)
        return;
    std::fprintf(stderr, "%s: \"%.*s\"\n", what, static_cast<int>(text.size()), text.data());
    __builtin_trap();
}

bool hasKeys(const Dictionary& record, std::initializer_list<const char*> keys)
{
    if (record.count() != keys.size())
        return false;
    std::uint32_t i = 0;
    for (const char* key : keys)
        if (record.keyAt(i++) != key)
            return false;
    return true;
}

void checkPublished(NmeaOutcome outcome, const std::vector<PublishedSignal>& events, std::string_view text)
{
    if (outcome.verdict != NmeaVerdict::accepted) {
        require(events.empty(), "published for a sentence not accepted", text);
        return;
    }
    auto update = [&](std::size_t at, std::initializer_list<const char*> keys) {
        require(events.size() == at + 1 && events[at].signal == sigGpsUpdate && hasKeys(events[at].record, keys),
                "wrong record", text);
    };
    switch (outcome.type) {
    case NmeaSentenceType::gga: update(0, {"gpsLatitude", "gpsLongitude", "gpsAltitude", "gpsSatInUse"}); break;
    case NmeaSentenceType::gsa: require(events.empty(), "GSA published", text); break;
    case NmeaSentenceType::gsv: update(0, {"gpsSatInView"}); break;
    case NmeaSentenceType::vtg: update(0, {"gpsSpeed"}); break;
    case NmeaSentenceType::rmc:
        require(!events.empty() && (events[0].signal == sigReadGps || events[0].signal == sigGpsSearch) &&
                    events[0].record.isEmpty(),
                "RMC without its fix signal first", text);
        update(1, {"gpsLatitude", "gpsLongitude", "gpsSpeed", "gpsDirection"});
        break;
    }
}

// The extended parser's records hold the basic ones as their first keys, with the same
// values; only GSA publishes where the basic parser does not.
void checkExtended(NmeaOutcome basicOutcome, const std::vector<PublishedSignal>& basic, NmeaOutcome outcome,
                   const std::vector<PublishedSignal>& extended, std::string_view text)
{
    require(outcome.verdict == basicOutcome.verdict && outcome.type == basicOutcome.type,
            "extended records judged differently", text);
    const bool gsa = outcome.verdict == NmeaVerdict::accepted && outcome.type == NmeaSentenceType::gsa;
    require(extended.size() == basic.size() + (gsa ? 1 : 0), "extended records published differently", text);
    if (gsa) {
        require(extended[0].record.string("gpsType") != nullptr, "GSA without its fix type", text);
        return;
    }
    for (std::size_t i = 0; i < basic.size(); ++i) {
        const Dictionary& mine = extended[i].record;
        const Dictionary& theirs = basic[i].record;
        require(extended[i].signal == basic[i].signal && mine.count() >= theirs.count(), "extended record short", text);
        for (std::uint32_t k = 0; k < theirs.count(); ++k) {
            const std::string key(theirs.keyAt(k));
            const auto a = Dictionary::pairOf(mine.pairs().entry(k));
            const auto b = Dictionary::pairOf(theirs.pairs().entry(k));
            require(mine.keyAt(k) == key && a.valueLength == b.valueLength &&
                        std::equal(a.value, a.value + a.valueLength, b.value),
                    "extended record differs", text);
        }
        require(mine.arrayCount("gpsSatellites") <= 4, "more than four satellites in a message", text);
    }
}

// The building blocks against their references, on the text as a C string sees it.
void checkAgainstReferences(std::string_view text)
{
    const std::string line(text.substr(0, text.find('\0')));
    const std::string normalised = Orvanta::oracle::normalisedByReplacing(line);
    require(nmea::NormalisedSentence(line).text() == normalised, "normalised differently", text);
    for (std::size_t type = 0; type < nmeaSentenceTypeCount; ++type) {
        const std::string format(nmeaScanFormat(static_cast<NmeaSentenceType>(type)));
        // The whole format, and the fields alone, so that text without the tag is
        // scanned as deep.
        for (const std::string& f : {format, format.substr(7)}) {
            const std::string difference = Orvanta::oracle::differenceFromLibc(normalised, f);
            if (!difference.empty())
                std::fprintf(stderr, "format %s: %s\n", f.c_str(), difference.c_str());
            require(difference.empty(), "scanned differently from sscanf", normalised);
        }
    }
}

std::FILE* discarded = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static log4cplus::Initializer logging;
    log4cplus::Logger::getRoot().addAppender(log4cplus::SharedAppenderPtr(new log4cplus::NullAppender));
    discarded = std::fopen("/dev/null", "w");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    RecordingPublisher publisher;
    NmeaParser parser(publisher, discarded);
    RecordingPublisher extendedPublisher;
    NmeaParser extendedParser(extendedPublisher, discarded, NmeaRecordDetail::extended);
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // The whole input as one line (every byte in it), then line by line as the tool reads.
    std::vector<std::string_view> lines{input};
    for (std::size_t start = 0; start < input.size();) {
        const std::size_t end = std::min(input.find('\n', start), input.size());
        lines.push_back(input.substr(start, end - start));
        start = end + 1;
    }
    for (const std::string_view line : lines) {
        publisher.published.clear();
        const NmeaOutcome outcome = parser.parse(line);
        checkPublished(outcome, publisher.published, line);
        extendedPublisher.published.clear();
        checkExtended(outcome, publisher.published, extendedParser.parse(line), extendedPublisher.published, line);
    }
    // Line ends are white space to a scan, so the whole input tests the scanner as well
    // as its lines would, at a tenth of the cost.
    checkAgainstReferences(input);
    return 0;
}
