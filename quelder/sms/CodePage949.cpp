#include "quelder/sms/CodePage949.h"

#include "platform/Charset.h"
#include "platform/SystemError.h"
#include "quelder/BackendLog.h"
#include "quelder/QdResult.h"
#include "quelder/at/LogText.h"
#include "quelder/sms/Ucs2Text.h"

namespace SMS {
namespace {

void requireCodePage()
{
    if (Os::isValidCodePage(kCodePage8bit))
        return;
    GSM::xlog(GSM::logError, "Code page %d is not valid on this system! (Probably not installed?)",
              static_cast<int>(kCodePage8bit));
    GSM::Raise(kQdCodePageMissing);
}

std::span<const std::uint8_t> bytesOf(std::u16string_view text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size() * sizeof(char16_t)};
}

std::span<const std::uint8_t> bytesOf(std::string_view text)
{
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

// A conversion that fails for any other reason than a missing character leaves the
// system without the code page after all.
[[noreturn]] void raiseConversion(int error)
{
    GSM::Raise(error == Os::kErrorInvalidParameter ? kQdCodePageMissing : qdSystemError(error));
}

} // namespace

std::string Utf8ToCodePage949(std::string_view utf8)
{
    requireCodePage();
    const std::u16string unicode = Utf8ToUtf16(utf8);
    GSM::xlog(GSM::logVerbose, "Input Unicode SMS string (%d characters):", static_cast<int>(unicode.size()));
    GSM::LogHexDump("16-bit: ", bytesOf(unicode));
    auto converted = Os::fromUtf16(unicode, kCodePage8bit, Os::Conversion::strict);
    if (!converted && converted.error() == Os::kErrorNoUnicodeTranslation) {
        GSM::xlog(GSM::logWarning, "Warning, Unicode text could not fully be translated to 8-bit MBCS string!");
        converted = Os::fromUtf16(unicode, kCodePage8bit, Os::Conversion::replace);
    }
    if (!converted)
        raiseConversion(converted.error());
    std::string text = std::move(converted).value();
    GSM::xlog(GSM::logVerbose, "Output 8-bit SMS string (%d characters):", static_cast<int>(text.size()));
    GSM::LogHexDump("8-bit: ", bytesOf(text));
    return text;
}

std::string CodePage949ToUtf8(std::span<const std::uint8_t> octets)
{
    requireCodePage();
    const std::string_view bytes(reinterpret_cast<const char*>(octets.data()), octets.size());
    GSM::xlog(GSM::logVerbose, "Input 8-bit SMS string (%d chars):", static_cast<int>(bytes.size()));
    GSM::LogHexDump("8-bit: ", octets);
    auto unicode = Os::toUtf16(bytes, kCodePage8bit, Os::Conversion::replace);
    if (!unicode)
        raiseConversion(unicode.error());
    GSM::xlog(GSM::logVerbose, "Output Unicode SMS string (%d chars):", static_cast<int>(unicode.value().size()));
    GSM::LogHexDump("16-bit: ", bytesOf(std::u16string_view(unicode.value())));
    return Utf16ToUtf8(unicode.value());
}

std::size_t CodePage949CutPoint(std::string_view text, std::size_t start, std::size_t limit) noexcept
{
    if (start >= text.size())
        return 0;
    std::size_t taken = 0;
    while (taken < limit && start + taken < text.size()) {
        const auto octet = static_cast<unsigned char>(text[start + taken]);
        const std::size_t width = octet >= 0x81 && octet <= 0xFE && start + taken + 1 < text.size() ? 2 : 1;
        if (taken + width > limit)
            break;
        taken += width;
    }
    return taken;
}

} // namespace SMS
