#include "quelder/at/SmsCharacters.h"

#include "platform/Charset.h"
#include "quelder/at/Gsm7.h"
#include "quelder/at/LogText.h"

#include <new>
#include <string>

namespace {

constexpr int kAlphabet8Bit = 1;
constexpr int kAlphabetUcs2 = 2;

std::u16string utf16Of(char32_t c)
{
    if (c < 0x10000)
        return std::u16string(1, static_cast<char16_t>(c));
    c -= 0x10000;
    return {static_cast<char16_t>(0xD800 + (c >> 10)), static_cast<char16_t>(0xDC00 + (c & 0x3FF))};
}

} // namespace

int QdIsValid8BitChar(char32_t character, unsigned codePage)
{
    if (!Os::isValidCodePage(codePage)) {
        Nodekin::xlog(Nodekin::logError,
                      "QdIsValid8BitChar: Code page %d is not valid on this system! (Probably not installed?)",
                      static_cast<int>(codePage));
        return 0;
    }
    if (character > 0x10FFFF || (character >= 0xD800 && character <= 0xDFFF))
        return 0;
    try {
        const std::u16string text = utf16Of(character);
        const auto encoded = Os::fromUtf16(text, codePage, Os::Conversion::strict);
        if (!encoded)
            return 0;
        const auto decoded = Os::toUtf16(encoded.value(), codePage, Os::Conversion::strict);
        return decoded && decoded.value() == text ? 1 : 0;
    } catch (const std::bad_alloc&) {
        Nodekin::xlog(Nodekin::logError, "QdIsValid8BitChar: Out of memory");
        return 0;
    }
}

int QdIsValidSmsChar(char32_t character, int alphabet, unsigned codePage)
{
    if (alphabet == kAlphabet8Bit)
        return QdIsValid8BitChar(character, codePage);
    if (alphabet == kAlphabetUcs2)
        return 1;
    switch (GSM::Gsm7::Find(character).table) {
    case GSM::Gsm7::Table::standard:
        return 1;
    case GSM::Gsm7::Table::extension:
        return 2;
    case GSM::Gsm7::Table::none:
        break;
    }
    return 0;
}
