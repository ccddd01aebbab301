// The text form of dictionaries, used in log lines and handed to clients:
//   (dict (name "Tom") (age 42) (pos (dict (lat 48.1173))) (list #2(#f (dict (a 1)))))

#include "corvane/types/Dictionary.h"

#include <charconv>
#include <cinttypes>
#include <cstdio>
#include <cstring>

namespace Corvane {

namespace {

// Buffers from outside may nest dictionaries as deep as their bytes allow; the text stops
// descending well before the stack would run out.
constexpr int maxNesting = 100;

void appendDictionary(std::string& out, const Dictionary& dictionary, int depth);

void appendAddress(std::string& out, const char* prefix, const Dictionary::Pair& pair)
{
    void* address = nullptr;
    if (pair.valueLength >= sizeof address)
        std::memcpy(&address, pair.value, sizeof address);
    char text[32];
    std::snprintf(text, sizeof text, "%s%08" PRIXPTR, prefix, reinterpret_cast<std::uintptr_t>(address));
    out += text;
}

void appendInteger(std::string& out, const Dictionary::Pair& pair)
{
    std::uint64_t value = 0;
    for (std::uint32_t i = 0; i < pair.valueLength && i < 8; ++i)
        value = (value << 8) | pair.value[i];
    out += std::to_string(static_cast<std::int64_t>(value));
}

void appendDouble(std::string& out, const Dictionary::Pair& pair)
{
    double value = 0.0;
    if (pair.valueLength >= sizeof value)
        std::memcpy(&value, pair.value, sizeof value);
    // Six significant digits like a default stream, but never a locale's decimal comma.
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::general, 6);
    out.append(text, result.ptr);
}

void appendNested(std::string& out, const std::uint8_t* bytes, std::uint32_t length, int depth)
{
    if (depth >= maxNesting) {
        out += "(dict ...)";
        return;
    }
    appendDictionary(out, length == 0 ? Dictionary{} : Dictionary::view(bytes, length), depth + 1);
}

void appendArray(std::string& out, const Dictionary::Pair& pair, int depth)
{
    const VarArray items = pair.valueLength == 0 ? VarArray{} : VarArray::view(pair.value, pair.valueLength);
    out += '#';
    out += std::to_string(items.count());
    out += '(';
    bool first = true;
    for (VarEntry item : items) {
        if (!first)
            out += ' ';
        first = false;
        if (item.empty())
            out += "#f";
        else
            appendNested(out, item.data, item.length, depth);
    }
    out += ')';
}

void appendValue(std::string& out, const Dictionary::Pair& pair, int depth)
{
    switch (pair.tag) {
    case tagString: {
        const auto* text = reinterpret_cast<const char*>(pair.value);
        out += '"';
        out.append(text, ::strnlen(text, pair.valueLength));
        out += '"';
        break;
    }
    case tagInteger:
        appendInteger(out, pair);
        break;
    case tagDouble:
        appendDouble(out, pair);
        break;
    case tagCallback:
        appendAddress(out, "callback@", pair);
        break;
    case tagPointer:
        appendAddress(out, "void@", pair);
        break;
    case tagDictionary:
        appendNested(out, pair.value, pair.valueLength, depth);
        break;
    case tagArray:
        appendArray(out, pair, depth);
        break;
    default:
        out += "???";
        break;
    }
}

void appendDictionary(std::string& out, const Dictionary& dictionary, int depth)
{
    out += "(dict";
    for (VarEntry entry : dictionary.pairs()) {
        const Dictionary::Pair pair = Dictionary::pairOf(entry);
        out += " (";
        out += pair.key;
        out += ' ';
        appendValue(out, pair, depth);
        out += ')';
    }
    out += ')';
}

} // namespace

std::string Dictionary::toString() const
{
    std::string out;
    appendDictionary(out, *this, 0);
    return out;
}

} // namespace Corvane
