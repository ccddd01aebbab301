#pragma once
// One line a card sent, what kind it is, and reading it field by field.
//
// Classification is a pure function of the bytes, in this order: "OK" (the whole line)
// is the final result 0; a line starting with "+CME ERROR:" or "+CMS ERROR:" is a final
// error whose number, alone on the rest of the line, makes the code (without one it is
// kQdMalformedError); "ERROR" (the whole line) is kQdModemError; a line starting with an
// unsolicited prefix is that unsolicited result; anything else is an information line.
// So "OK " with a trailing blank is information, not the end of an answer.

#include "quelder/QdResult.h"
#include "quelder/at/QuotedString.h"
#include "quelder/at/Unsolicited.h"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace GSM {

enum class LineKind : int { information = 0, finalResult = 1, unsolicited = 2 };

struct Classification {
    LineKind kind = LineKind::information;
    QdResult code = kQdSuccess;             // of a final result: 0 for "OK"
    std::optional<Unsolicited> unsolicited; // of an unsolicited result

    friend bool operator==(const Classification&, const Classification&) = default;
};

Classification ClassifyLine(std::string_view line) noexcept;

class Line {
public:
    Line() = default;
    explicit Line(std::string text) : text_(std::move(text)) {}

    const std::string& Text() const noexcept { return text_; }
    std::size_t Length() const noexcept { return text_.size(); }
    LineKind Kind() const noexcept { return classification_.kind; }
    bool IsFinal() const noexcept { return classification_.kind == LineKind::finalResult; }
    bool IsUnsolicited() const noexcept { return classification_.kind == LineKind::unsolicited; }
    // The code of a final result: 0 for "OK", negative for an error.
    QdResult Code() const noexcept { return classification_.code; }
    std::optional<Unsolicited> UnsolicitedType() const noexcept { return classification_.unsolicited; }

    // Reading, from the parse position on. Blanks before a field are skipped. A read
    // that does not find what it asks for raises kQdNotAvailable and leaves the position
    // where it was.
    std::size_t Position() const noexcept { return position_; }
    bool AtEnd() const noexcept { return position_ >= text_.size(); }
    std::string_view Rest() const noexcept { return std::string_view(text_).substr(std::min(position_, text_.size())); }
    bool HasPrefix(std::string_view prefix) const noexcept { return Rest().starts_with(prefix); }
    // Skips `prefix`, which must stand at the position ("+CPIN:").
    void ExpectPrefix(std::string_view prefix);
    // A decimal number with an optional sign, within the range of int.
    int ReadInt();
    // The next character as it is, blank or not.
    char ReadChar();
    // Up to the first of `separators` or the end of the line; the separator is consumed.
    std::string ReadToken(std::string_view separators = ",");
    // The text between the next pair of double quotes, decoded from `mode`.
    QuotedString ReadQuotedString(QuotedString::Mode mode = QuotedString::Mode::plain);
    // Consumes `c` when it comes next (after blanks) and says whether it did.
    bool SkipIf(char c) noexcept;
    void Skip(std::size_t count = 1);
    // Back (or on) to `position`, one that an earlier Position() gave.
    void Seek(std::size_t position) noexcept { position_ = std::min(position, text_.size()); }

protected:
    void SkipBlanks() noexcept;

    std::string text_;
    Classification classification_;
    std::size_t position_ = 0;
};

// A line as it comes from the card: classified when made.
class AnswerLine : public Line {
public:
    explicit AnswerLine(std::string text) : Line(std::move(text)) { classification_ = ClassifyLine(text_); }
};

} // namespace GSM
