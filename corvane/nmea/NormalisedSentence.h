#pragma once
// A sentence with its empty fields filled in, so that a scan reads them as the number 0,
// or as the letter '0' where a letter is expected: every ",," becomes ",0," (a run of
// empty fields becomes a run of zeros), then the first ",*" becomes ",0*".

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace Corvane::nmea {

class NormalisedSentence {
public:
    // Receivers write at most 82 characters; anything longer still works, from the heap.
    static constexpr std::size_t inlineCapacity = 256;

    explicit NormalisedSentence(std::string_view text);
    NormalisedSentence(const NormalisedSentence&) = delete;
    NormalisedSentence& operator=(const NormalisedSentence&) = delete;

    std::string_view text() const noexcept { return text_; }

private:
    std::array<char, inlineCapacity> inline_;
    std::string spill_;
    std::string_view text_;
};

} // namespace Corvane::nmea
