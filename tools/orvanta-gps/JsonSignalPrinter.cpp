#include "JsonSignalPrinter.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <string_view>

namespace Orvanta::gps {

namespace {

void appendString(std::string& out, std::string_view text)
{
    constexpr char hex[] = "0123456789abcdef";
    out += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += hex[byte >> 4];
            out += hex[byte & 0xF];
        } else {
            out += c;
        }
    }
    out += '"';
}

template <class Number>
void appendNumber(std::string& out, Number value)
{
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}

void appendValue(std::string& out, const Corvane::Dictionary& record, const char* key, std::uint8_t tag)
{
    switch (tag) {
    case Corvane::tagDouble:
        if (const double value = record.real(key); std::isfinite(value))
            appendNumber(out, value);
        else
            out += "null";
        return;
    case Corvane::tagInteger:
        appendNumber(out, record.integer(key));
        return;
    case Corvane::tagString:
        if (const char* text = record.string(key))
            appendString(out, text);
        else
            out += "null";
        return;
    default:
        out += "null";
        return;
    }
}

} // namespace

void JsonSignalPrinter::publish(Corvane::Signal signal, const Corvane::Dictionary& record)
{
    line_.assign("{\"signal\":");
    appendString(line_, Corvane::signalName(signal));
    for (const Corvane::VarEntry entry : record.pairs()) {
        const Corvane::Dictionary::Pair pair = Corvane::Dictionary::pairOf(entry);
        const std::string key(pair.key);
        line_ += ',';
        appendString(line_, key);
        line_ += ':';
        appendValue(line_, record, key.c_str(), pair.tag);
    }
    line_ += "}\n";
    std::fwrite(line_.data(), 1, line_.size(), output_);
}

} // namespace Orvanta::gps
