#pragma once
// A text that travels between double quotes in a command or an answer, in one of three
// codings: plain; UCS2, written as four hex digits per 16-bit character; or the SIM's
// alpha coding (3GPP TS 31.102, annex A), written as hex. Texts are UTF-8.

#include <optional>
#include <string>
#include <string_view>

namespace GSM {

class QuotedString {
public:
    enum class Mode : int {
        plain = 0,
        ucs2 = 1,     // "004100420043"
        simAlpha = 2, // first byte 0x80 (UCS2), 0x81 or 0x82 (one byte per character from a base), else GSM 7-bit
    };

    QuotedString() = default;
    explicit QuotedString(std::string text, Mode mode = Mode::plain) : text_(std::move(text)), mode_(mode) {}

    const std::string& Text() const noexcept { return text_; }
    Mode Coding() const noexcept { return mode_; }

    // The text in its coding, between double quotes, as it goes into a command. A plain
    // text loses the double quotes and control characters it holds: they would end the
    // string or the command early and let the rest of the text be read as a command.
    // A text that cannot be coded is logged and sent as "".
    std::string Encode() const;

    // What stood between the quotes of an answer, in `mode`. Hex that does not decode is
    // logged and yields an empty text, with *ok (when given) false.
    static QuotedString Decode(std::string_view quoted, Mode mode, bool* ok = nullptr);

    // The codings on their own, without quotes or logging; nothing when they fail.
    static std::optional<std::string> ToUcs2Hex(std::string_view utf8);
    static std::optional<std::string> FromUcs2Hex(std::string_view hex);
    static std::optional<std::string> ToSimAlphaHex(std::string_view utf8);
    static std::optional<std::string> FromSimAlphaHex(std::string_view hex);

    friend bool operator==(const QuotedString&, const QuotedString&) = default;

private:
    std::string text_;
    Mode mode_ = Mode::plain;
};

} // namespace GSM
