#pragma once
// Text between the code pages the SMS code names and UTF-16, on iconv. The "ANSI code
// page" is UTF-8 here; 949 is iconv's CP949.

#include "platform/Result.h"

#include <string>
#include <string_view>

namespace Os {

inline constexpr unsigned kCodePageAnsi = 0;     // the system's code page: UTF-8
inline constexpr unsigned kCodePageUtf16Le = 1200;
inline constexpr unsigned kCodePageUtf16Be = 1201;
inline constexpr unsigned kCodePageKorean = 949;
inline constexpr unsigned kCodePageUtf8 = 65001;

enum class Conversion {
    strict,  // a byte sequence or character without a counterpart fails the whole conversion
    replace, // ... becomes U+FFFD in UTF-16, '?' in a code page
};

// The iconv name of a code page; "" when there is none.
std::string charsetOfCodePage(unsigned codePage);
bool isValidCodePage(unsigned codePage);

// Between any two iconv charsets. Fails with kErrorInvalidParameter for an unknown
// charset, and, when strict, with kErrorNoUnicodeTranslation for input that does not
// convert.
Result<std::string> convertCharset(std::string_view bytes, const std::string& from, const std::string& to,
                                   Conversion conversion = Conversion::strict);

// Text of a code page to UTF-16 in host order, and back.
Result<std::u16string> toUtf16(std::string_view bytes, unsigned codePage, Conversion conversion = Conversion::strict);
Result<std::string> fromUtf16(std::u16string_view text, unsigned codePage, Conversion conversion = Conversion::strict);

} // namespace Os
