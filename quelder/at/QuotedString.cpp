#include "quelder/at/QuotedString.h"

#include "platform/Charset.h"
#include "platform/HexDigits.h"
#include "quelder/at/Gsm7.h"
#include "quelder/at/LogText.h"
#include "quelder/at/Utf8.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace GSM {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint8_t kSimUcs2 = 0x80;
constexpr std::uint8_t kSimHalfPage = 0x81;
constexpr std::uint8_t kSimBase16 = 0x82;
constexpr std::uint8_t kSimPadding = 0xFF;

void appendHex(std::string& out, std::uint8_t byte)
{
    constexpr char kDigits[] = "0123456789ABCDEF";
    out += kDigits[byte >> 4];
    out += kDigits[byte & 0x0F];
}

std::string toHex(const Bytes& bytes)
{
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const std::uint8_t byte : bytes)
        appendHex(out, byte);
    return out;
}

// Hex digits only, an even number of them.
std::optional<Bytes> fromHex(std::string_view hex)
{
    if (hex.size() % 2 != 0)
        return std::nullopt;
    Bytes bytes;
    bytes.reserve(hex.size() / 2);
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = Os::hexDigitValue(hex[i]);
        const int low = Os::hexDigitValue(hex[i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return bytes;
}

std::optional<std::u16string> toUtf16(std::string_view utf8)
{
    auto units = Os::toUtf16(utf8, Os::kCodePageUtf8, Os::Conversion::strict);
    if (!units)
        return std::nullopt;
    return std::move(units).value();
}

std::string fromUtf16(std::u16string_view units)
{
    // Cards do send lone surrogates; they read as U+FFFD rather than failing the text.
    auto text = Os::fromUtf16(units, Os::kCodePageUtf8, Os::Conversion::replace);
    return text ? std::move(text).value() : std::string();
}

void appendUnitsBigEndian(Bytes& out, std::u16string_view units)
{
    for (const char16_t unit : units) {
        out.push_back(static_cast<std::uint8_t>(unit >> 8));
        out.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    }
}

// UCS2 from big-endian byte pairs, up to the first padding unit 0xFFFF.
std::optional<std::u16string> unitsBigEndian(const std::uint8_t* bytes, std::size_t size, bool stopAtPadding)
{
    if (size % 2 != 0)
        return std::nullopt;
    std::u16string units;
    for (std::size_t i = 0; i < size; i += 2) {
        const auto unit = static_cast<char16_t>(bytes[i] << 8 | bytes[i + 1]);
        if (stopAtPadding && unit == 0xFFFF)
            break;
        units += unit;
    }
    return units;
}

// The one-byte-per-character forms 0x81 and 0x82: `count` octets after the header, each
// a septet of the default alphabet (bit 8 clear) or an offset from the base (bit 8 set).
std::optional<std::string> decodeFromBase(const Bytes& bytes, std::size_t header, char16_t base)
{
    const std::size_t count = bytes[1];
    if (bytes.size() < header + count)
        return std::nullopt;
    std::string text;
    std::string septets; // a run of default-alphabet octets, escapes included
    const auto flushSeptets = [&] {
        text += Gsm7::ToUtf8(septets);
        septets.clear();
    };
    for (std::size_t i = header; i < header + count; ++i) {
        const std::uint8_t octet = bytes[i];
        if ((octet & 0x80) == 0) {
            septets += static_cast<char>(octet);
            continue;
        }
        flushSeptets();
        const char16_t unit = static_cast<char16_t>(base + (octet & 0x7F));
        text += fromUtf16(std::u16string_view(&unit, 1));
    }
    flushSeptets();
    return text;
}

// The most compact form that holds the text: default-alphabet septets when every
// character has one; else one byte per character from a base (0x81, 0x82) when the
// other characters fit in one window of 128; else UCS2 (0x80).
std::optional<Bytes> encodeSimAlpha(std::string_view utf8)
{
    std::vector<char32_t> characters;
    bool allGsm = true;
    for (std::size_t position = 0; position < utf8.size();) {
        const std::size_t start = position;
        const char32_t c = Utf8::Next(utf8, position);
        if (c == 0xFFFD && utf8.substr(start, position - start) != "\xEF\xBF\xBD")
            return std::nullopt; // not UTF-8
        characters.push_back(c);
        allGsm = allGsm && Gsm7::Find(c).table != Gsm7::Table::none;
    }
    if (allGsm) {
        const std::string septets = Gsm7::FromUtf8(utf8);
        return Bytes(septets.begin(), septets.end());
    }

    char32_t lowest = 0x10FFFF;
    char32_t highest = 0;
    for (const char32_t c : characters)
        if (Gsm7::Find(c).table != Gsm7::Table::standard) {
            lowest = std::min(lowest, c);
            highest = std::max(highest, c);
        }
    const auto oneByteEach = [&](std::uint8_t form, char32_t base) {
        Bytes bytes{form, static_cast<std::uint8_t>(characters.size())};
        if (form == kSimHalfPage) {
            bytes.push_back(static_cast<std::uint8_t>(base >> 7));
        } else {
            bytes.push_back(static_cast<std::uint8_t>(base >> 8));
            bytes.push_back(static_cast<std::uint8_t>(base & 0xFF));
        }
        for (const char32_t c : characters) {
            const Gsm7::Septet septet = Gsm7::Find(c);
            bytes.push_back(septet.table == Gsm7::Table::standard ? septet.value
                                                                  : static_cast<std::uint8_t>(0x80 | (c - base)));
        }
        return bytes;
    };
    const char32_t halfPage = lowest & ~char32_t{0x7F};
    if (characters.size() <= 0xFF && highest < 0x8000 && highest - halfPage < 0x80)
        return oneByteEach(kSimHalfPage, halfPage);
    if (characters.size() <= 0xFF && highest <= 0xFFFF && highest - lowest < 0x80)
        return oneByteEach(kSimBase16, lowest);

    const auto units = toUtf16(utf8);
    if (!units)
        return std::nullopt;
    Bytes bytes{kSimUcs2};
    appendUnitsBigEndian(bytes, *units);
    return bytes;
}

std::string withoutQuotesAndControls(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c != '"' && byte >= 0x20 && byte != 0x7F)
            out += c;
    }
    return out;
}

} // namespace

std::optional<std::string> QuotedString::ToUcs2Hex(std::string_view utf8)
{
    const auto units = toUtf16(utf8);
    if (!units)
        return std::nullopt;
    Bytes bytes;
    appendUnitsBigEndian(bytes, *units);
    return toHex(bytes);
}

std::optional<std::string> QuotedString::FromUcs2Hex(std::string_view hex)
{
    const auto bytes = fromHex(hex);
    if (!bytes)
        return std::nullopt;
    const auto units = unitsBigEndian(bytes->data(), bytes->size(), false);
    if (!units)
        return std::nullopt;
    return fromUtf16(*units);
}

std::optional<std::string> QuotedString::ToSimAlphaHex(std::string_view utf8)
{
    const auto bytes = encodeSimAlpha(utf8);
    if (!bytes)
        return std::nullopt;
    return toHex(*bytes);
}

std::optional<std::string> QuotedString::FromSimAlphaHex(std::string_view hex)
{
    const auto bytes = fromHex(hex);
    if (!bytes)
        return std::nullopt;
    if (bytes->empty())
        return std::string();
    switch ((*bytes)[0]) {
    case kSimUcs2: {
        const std::size_t size = (bytes->size() - 1) & ~std::size_t{1}; // an odd last byte can only be padding
        const auto units = unitsBigEndian(bytes->data() + 1, size, true);
        if (!units || (size + 1 < bytes->size() && bytes->back() != kSimPadding))
            return std::nullopt;
        return fromUtf16(*units);
    }
    case kSimHalfPage:
        if (bytes->size() < 3)
            return std::nullopt;
        return decodeFromBase(*bytes, 3, static_cast<char16_t>((*bytes)[2] << 7));
    case kSimBase16:
        if (bytes->size() < 4)
            return std::nullopt;
        return decodeFromBase(*bytes, 4, static_cast<char16_t>((*bytes)[2] << 8 | (*bytes)[3]));
    default: {
        const auto end = std::find(bytes->begin(), bytes->end(), kSimPadding);
        return Gsm7::ToUtf8(std::string(bytes->begin(), end));
    }
    }
}

std::string QuotedString::Encode() const
{
    std::optional<std::string> coded;
    switch (mode_) {
    case Mode::plain:
        coded = withoutQuotesAndControls(text_);
        break;
    case Mode::ucs2:
        coded = ToUcs2Hex(text_);
        break;
    case Mode::simAlpha:
        coded = ToSimAlphaHex(text_);
        break;
    }
    if (!coded) {
        Nodekin::xlog(Nodekin::logError, "Qd: QuotedString::Encode(): Could not encode string %s to UCS2",
                      Printable(text_).c_str());
        coded.emplace();
    }
    return '"' + *coded + '"';
}

QuotedString QuotedString::Decode(std::string_view quoted, Mode mode, bool* ok)
{
    std::optional<std::string> text;
    switch (mode) {
    case Mode::plain:
        text.emplace(quoted);
        break;
    case Mode::ucs2:
        text = FromUcs2Hex(quoted);
        break;
    case Mode::simAlpha:
        text = FromSimAlphaHex(quoted);
        break;
    }
    if (ok != nullptr)
        *ok = text.has_value();
    if (!text) {
        Nodekin::xlog(Nodekin::logError, "Qd: QuotedString::Decode(): Could not decode UCS2 string %s",
                      Printable(quoted).c_str());
        text.emplace();
    }
    return QuotedString(std::move(*text), mode);
}

} // namespace GSM
