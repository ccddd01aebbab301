#include "platform/Charset.h"

#include "platform/SystemError.h"

#include <iconv.h>

#include <bit>
#include <cerrno>
#include <cstring>

namespace Os {
namespace {

const char* hostUtf16() { return std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE"; }

bool isUtf16(const std::string& charset) { return charset.rfind("UTF-16", 0) == 0; }

class Converter {
public:
    Converter(const std::string& from, const std::string& to) : handle_(::iconv_open(to.c_str(), from.c_str())) {}
    ~Converter()
    {
        if (valid())
            ::iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t get() const { return handle_; }

private:
    iconv_t handle_;
};

// The length of the character at the front of `bytes` in `charset`: the shortest prefix
// that converts on its own. One code unit when no prefix does (the input is invalid there).
std::size_t characterLength(const std::string& charset, const char* bytes, std::size_t left, std::size_t unit)
{
    const Converter probe(charset, "UTF-32LE");
    for (std::size_t length = unit; probe.valid() && length <= std::min<std::size_t>(left, 4); length += unit) {
        ::iconv(probe.get(), nullptr, nullptr, nullptr, nullptr);
        char* in = const_cast<char*>(bytes);
        std::size_t inLeft = length;
        char out[16];
        char* put = out;
        std::size_t room = sizeof out;
        if (::iconv(probe.get(), &in, &inLeft, &put, &room) != static_cast<std::size_t>(-1) && inLeft == 0)
            return length;
    }
    return std::min(unit, left);
}

} // namespace

std::string charsetOfCodePage(unsigned codePage)
{
    switch (codePage) {
    case kCodePageAnsi:
    case 1: // the OEM code page
    case 3: // the thread's code page
    case kCodePageUtf8: return "UTF-8";
    case kCodePageUtf16Le: return "UTF-16LE";
    case kCodePageUtf16Be: return "UTF-16BE";
    case 20127: return "ASCII";
    case 28591: return "ISO-8859-1";
    case 936: return "GBK";
    case 950: return "BIG5";
    default: return "CP" + std::to_string(codePage);
    }
}

bool isValidCodePage(unsigned codePage) { return Converter(charsetOfCodePage(codePage), "UTF-8").valid(); }

Result<std::string> convertCharset(std::string_view bytes, const std::string& from, const std::string& to,
                                   Conversion conversion)
{
    const Converter converter(from, to);
    if (!converter.valid())
        return Failure{kErrorInvalidParameter};
    const std::string replacement = isUtf16(to) ? (to == "UTF-16BE" ? std::string("\xff\xfd", 2) : std::string("\xfd\xff", 2))
                                                : std::string("?");
    // The unit skipped past bad input: one code unit of the source.
    const std::size_t unit = isUtf16(from) ? 2 : 1;

    std::string out;
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char buffer[1024];
    for (;;) {
        char* put = buffer;
        std::size_t room = sizeof buffer;
        // A last call without input flushes the converter's state.
        const std::size_t rc = inLeft > 0 ? ::iconv(converter.get(), &in, &inLeft, &put, &room)
                                          : ::iconv(converter.get(), nullptr, nullptr, &put, &room);
        const int failure = errno;
        out.append(buffer, static_cast<std::size_t>(put - buffer));
        if (rc != static_cast<std::size_t>(-1)) {
            if (inLeft == 0 && put == buffer)
                return out;
            continue;
        }
        if (failure == E2BIG)
            continue;
        if (failure != EILSEQ && failure != EINVAL)
            return Failure{systemErrorFromErrno(failure)};
        // EILSEQ: bad or unconvertible input; EINVAL: input cut in the middle of a character.
        if (conversion == Conversion::strict)
            return Failure{kErrorNoUnicodeTranslation};
        out += replacement;
        const std::size_t skip = failure == EINVAL ? inLeft : characterLength(from, in, inLeft, unit);
        in += skip;
        inLeft -= skip;
    }
}

Result<std::u16string> toUtf16(std::string_view bytes, unsigned codePage, Conversion conversion)
{
    auto converted = convertCharset(bytes, charsetOfCodePage(codePage), hostUtf16(), conversion);
    if (!converted)
        return Failure{converted.error()};
    const std::string& raw = converted.value();
    std::u16string text(raw.size() / 2, u'\0');
    std::memcpy(text.data(), raw.data(), text.size() * 2);
    return text;
}

Result<std::string> fromUtf16(std::u16string_view text, unsigned codePage, Conversion conversion)
{
    const std::string_view raw(reinterpret_cast<const char*>(text.data()), text.size() * 2);
    return convertCharset(raw, hostUtf16(), charsetOfCodePage(codePage), conversion);
}

} // namespace Os
