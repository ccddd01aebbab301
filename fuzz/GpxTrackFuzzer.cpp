// Arbitrary notices through the GPX writer of "watch --gpx": whatever the receiver's
// values and the file's name, the file must be a well-formed document with one point per
// point written, each with coordinates in range and numbers without exponents.
//
// The input is text: the first line is the track's name, each further line a notice,
//   g TIME LAT LON ALT | r TIME DATE LAT LON   GGA, RMC (a field "-" is left out; "v0"
//                                              after them says the fix is not valid)
//   s STATE | u SUPPORT | d DEVICE | x TEXT    state, support, device state, a sentence

#include "GpxTrackWriter.h"

#include "corvane/Corvane.h"
#include "corvane/Keys.h"

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

using namespace Orvanta::gps;

namespace {

void require(bool condition, const char* what, const std::string& document)
{
    if (condition)
        return;
    std::fprintf(stderr, "%s in:\n%s\n", what, document.c_str());
    __builtin_trap();
}

// The length of the XML character at the start of `text`, 0 for none; written apart from
// the writer's own escaping, as a second opinion.
std::size_t xmlCharAt(std::string_view text)
{
    const auto b = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    if (b(0) < 0x80)
        return b(0) >= 0x20 || b(0) == '\t' || b(0) == '\n' || b(0) == '\r' ? 1 : 0;
    std::size_t length = b(0) >= 0xF0 ? 4 : b(0) >= 0xE0 ? 3 : b(0) >= 0xC0 ? 2 : 0;
    if (length == 0 || b(0) >= 0xF8 || text.size() < length)
        return 0;
    std::uint32_t code = b(0) & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((b(i) & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (b(i) & 0x3F);
    }
    const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) || code == 0xFFFE ||
        code == 0xFFFF)
        return 0;
    return length;
}

bool startsWithEntity(std::string_view text)
{
    for (std::string_view entity : {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;", "&#9;", "&#10;", "&#13;"})
        if (text.starts_with(entity))
            return true;
    return false;
}

bool isNumber(std::string_view text)
{
    if (text.starts_with('-'))
        text.remove_prefix(1);
    return !text.empty() && text.find_first_not_of("0123456789.") == std::string_view::npos &&
           text.find('.') == text.rfind('.') && text.front() != '.' && text.back() != '.';
}

// Checks the document as an XML parser would for the little of XML it uses: elements,
// attributes in double quotes, character data, entities, and the declaration.
void checkDocument(const std::string& document, std::size_t pointsWritten)
{
    constexpr std::string_view declaration = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    require(document.starts_with(declaration), "no declaration", document);
    std::string_view rest = std::string_view(document).substr(declaration.size());
    std::vector<std::string> open;
    bool rootSeen = false;
    std::size_t points = 0;
    std::string lastTag;
    while (!rest.empty()) {
        const std::size_t length = xmlCharAt(rest);
        require(length > 0, "not an XML character", document);
        if (rest.front() != '<') {
            require(rest.front() != '>', "a bare >", document);
            require(rest.front() != '&' || startsWithEntity(rest), "a bare &", document);
            require(!open.empty() || rest.front() == '\n', "text outside the root", document);
            rest.remove_prefix(length);
            continue;
        }
        rest.remove_prefix(1);
        const bool closing = rest.starts_with('/');
        if (closing)
            rest.remove_prefix(1);
        const std::size_t nameEnd = rest.find_first_not_of("abcdefghijklmnopqrstuvwxyz:ABCDEFGHIJKLMNOPQRSTUVWXYZ");
        require(nameEnd != 0 && nameEnd != std::string_view::npos, "no element name", document);
        const std::string name(rest.substr(0, nameEnd));
        rest.remove_prefix(nameEnd);
        if (closing) {
            require(rest.starts_with('>'), "an end tag not closed", document);
            require(!open.empty() && open.back() == name, "an end tag out of place", document);
            require(name != "trkseg" || lastTag == "trkpt", "an empty segment", document);
            open.pop_back();
            rest.remove_prefix(1);
            lastTag = name;
            continue;
        }
        require(!open.empty() || !rootSeen, "a second root", document);
        rootSeen = true;
        // Attributes.
        while (rest.starts_with(' ')) {
            rest.remove_prefix(1);
            const std::size_t equals = rest.find("=\"");
            require(equals != std::string_view::npos && equals > 0, "an attribute without value", document);
            const std::string attribute(rest.substr(0, equals));
            rest.remove_prefix(equals + 2);
            const std::size_t quote = rest.find('"');
            require(quote != std::string_view::npos, "an attribute not closed", document);
            const std::string_view value = rest.substr(0, quote);
            require(value.find('<') == std::string_view::npos, "a < in an attribute", document);
            for (std::size_t at = value.find('&'); at != std::string_view::npos; at = value.find('&', at + 1))
                require(startsWithEntity(value.substr(at)), "a bare & in an attribute", document);
            if (name == "trkpt") {
                require(isNumber(value), "a coordinate that is no decimal", document);
                const double degrees = std::strtod(std::string(value).c_str(), nullptr);
                require(attribute == "lat" ? degrees >= -90 && degrees <= 90 : degrees >= -180 && degrees <= 180,
                        "a coordinate out of range", document);
            }
            rest.remove_prefix(quote + 1);
        }
        require(rest.starts_with('>'), "a start tag not closed", document);
        rest.remove_prefix(1);
        if (name == "ele")
            require(isNumber(rest.substr(0, rest.find('<'))), "an altitude that is no decimal", document);
        if (name == "trkpt") {
            require(!open.empty() && open.back() == "trkseg", "a point outside a segment", document);
            ++points;
        }
        open.push_back(name);
        lastTag = name;
    }
    require(rootSeen && open.empty(), "elements not closed", document);
    require(points == pointsWritten, "not the points written", document);
}

std::optional<double> realField(const std::string& word)
{
    if (word.empty() || word == "-")
        return std::nullopt;
    return std::strtod(word.c_str(), nullptr);
}

std::optional<std::int64_t> integerField(const std::string& word)
{
    if (word.empty() || word == "-")
        return std::nullopt;
    return std::strtoll(word.c_str(), nullptr, 10);
}

Notice noticeOf(const std::string& line)
{
    Notice notice{NoticeKind::gpsData, Record(Corvane::newParameters()), Clock::time_point()};
    Corvane::CvParameters* record = notice.record.get();
    std::istringstream words(line);
    std::string what;
    words >> what;
    std::vector<std::string> fields;
    for (std::string word; words >> word;)
        fields.push_back(word);
    fields.resize(6);
    const auto setReal = [&](const char* key, const std::string& word) {
        if (const auto value = realField(word))
            Corvane::setDouble(record, key, *value);
    };
    const auto setInteger = [&](const char* key, const std::string& word) {
        if (const auto value = integerField(word))
            Corvane::setInteger(record, key, *value);
    };
    if (what == "g" || what == "r") {
        const bool gga = what == "g";
        const std::size_t at = gga ? 1 : 2;
        setInteger(Corvane::key::gpsTime, fields[0]);
        if (!gga)
            setInteger(Corvane::key::gpsDate, fields[1]);
        setReal(Corvane::key::gpsLatitude, fields[at]);
        setReal(Corvane::key::gpsLongitude, fields[at + 1]);
        if (gga)
            setReal(Corvane::key::gpsAltitude, fields[at + 2]);
        if (fields[4].starts_with('v'))
            setInteger(Corvane::key::gpsFixValid, fields[4].substr(1));
    } else if (what == "x") {
        Corvane::setString(record, Corvane::key::gpsSentence, line.size() > 2 ? line.c_str() + 2 : "");
    } else {
        const auto kind = what == "s" ? NoticeKind::gpsState : what == "u" ? NoticeKind::gpsSupport : NoticeKind::deviceState;
        notice.kind = kind;
        const char* key = kind == NoticeKind::gpsState     ? Corvane::key::gpsState
                          : kind == NoticeKind::gpsSupport ? Corvane::key::gpsSupport
                                                           : Corvane::key::deviceState;
        setInteger(key, fields[0]);
    }
    return notice;
}

std::string fileText(const std::filesystem::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

const std::filesystem::path& scratchFile()
{
    static const std::filesystem::path file =
        std::filesystem::temp_directory_path() / ("gpx_track_fuzzer." + std::to_string(::getpid()) + ".gpx");
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input(reinterpret_cast<const char*>(data), size);
    std::istringstream lines(input);
    std::string name;
    std::getline(lines, name);

    std::FILE* messages = std::fopen("/dev/null", "w");
    std::size_t written = 0;
    {
        std::optional<RecordingFile> file = RecordingFile::create(scratchFile().string(), messages);
        if (!file)
            __builtin_trap();
        GpxTrackWriter writer(std::move(*file), GpxHeader{name, name, std::chrono::system_clock::time_point()});
        Clock::time_point arrived;
        for (std::string line; std::getline(lines, line);) {
            Notice notice = noticeOf(line);
            // A second a notice, so that the receiver's clock may run ahead of it or not.
            arrived += std::chrono::milliseconds(line.size() * 100);
            notice.arrived = arrived;
            writer.take(notice);
        }
        if (!writer.finish())
            __builtin_trap();
        written = writer.pointsWritten();
    }
    std::fclose(messages);
    checkDocument(fileText(scratchFile()), written);
    std::filesystem::remove(scratchFile());
    return 0;
}
