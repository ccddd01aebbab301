#include "JsonSignalPrinter.h"

#include <algorithm>
#include <charconv>
#include <cmath>

#include <cstdint>
#include <string_view>

namespace Orvanta::gps {

namespace {

bool needsEscape(char c) noexcept { return c == '"' || c == '\\' || static_cast<unsigned char>(c) < 0x20; }

void appendString(std::string& out, std::string_view text)
{
    constexpr char hex[] = "0123456789abcdef";
    out += '"';
    // Keys and signal names never need escaping: take them whole.
    if (std::none_of(text.begin(), text.end(), needsEscape)) {
        out += text;
        out += '"';
        return;
    }
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
        if (const double value = record.real(key); std::isfinite(value)) {
            appendNumber(out, value);
            return;
        }
        break;
    case Corvane::tagInteger:
        appendNumber(out, record.integer(key));
        return;
    case Corvane::tagString:
        if (const char* text = record.string(key)) {
            appendString(out, text);
            return;
        }
        break;
    default: break;
    }
    out += "null";
}

} // namespace

void JsonSignalPrinter::publish(Corvane::Signal signal, const Corvane::Dictionary& record)
{
    line_.assign("{\"signal\":");
    if (signal < signalNames_.size()) {
        std::string& name = signalNames_[signal];
        if (name.empty())
            name = Corvane::signalName(signal);
        appendString(line_, name);
    } else {
        appendString(line_, Corvane::signalName(signal));
    }
    for (const Corvane::VarEntry entry : record.pairs()) {
        const Corvane::Dictionary::Pair pair = Corvane::Dictionary::pairOf(entry);
        line_ += ',';
        appendString(line_, pair.key);
        line_ += ':';
        // The key lies in the buffer with its terminator after it.
        appendValue(line_, record, pair.key.data(), pair.tag);
    }
    line_ += "}\n";
    std::fwrite(line_.data(), 1, line_.size(), output_);
}

} // namespace Orvanta::gps
