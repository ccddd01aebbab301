#pragma once
// Text in the GSM 7-bit alphabet, one septet per byte; characters of the extension table
// take two septets (the escape, then the character).

#include <cstddef>
#include <string>
#include <string_view>

namespace SMS {

class GsmString {
public:
    GsmString() = default;
    explicit GsmString(std::string septets) : septets_(std::move(septets)) {}

    // Characters without a septet are left out.
    static GsmString FromUtf8(std::string_view utf8);
    std::string ToUtf8() const;

    const std::string& septets() const noexcept { return septets_; }
    std::size_t size() const noexcept { return septets_.size(); }
    bool empty() const noexcept { return septets_.empty(); }

    // The longest start of at most `limit` septets that does not part an escape from its
    // character.
    std::size_t CutPoint(std::size_t start, std::size_t limit) const noexcept;

private:
    std::string septets_;
};

} // namespace SMS
