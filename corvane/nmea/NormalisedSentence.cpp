#include "corvane/nmea/NormalisedSentence.h"

namespace Corvane::nmea {

namespace {

// Calls put(c) for each character of the normalised text. The ",," replacements never
// create or remove a ",*", so the first ",*" of the result is the first of `text`.
template <class Put>
void normalise(std::string_view text, Put&& put)
{
    bool commaStarSeen = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        put(text[i]);
        if (text[i] != ',' || i + 1 == text.size())
            continue;
        if (text[i + 1] == ',') {
            put('0');
        } else if (text[i + 1] == '*' && !commaStarSeen) {
            commaStarSeen = true;
            put('0');
        }
    }
}

} // namespace

NormalisedSentence::NormalisedSentence(std::string_view text)
{
    // Filling in can at most double the text; only a text that might not fit is measured.
    char* out = inline_.data();
    if (text.size() > inline_.size() / 2) {
        std::size_t length = 0;
        normalise(text, [&](char) { ++length; });
        if (length > inline_.size()) {
            spill_.resize(length);
            out = spill_.data();
        }
    }
    std::size_t length = 0;
    normalise(text, [&](char c) { out[length++] = c; });
    text_ = {out, length};
}

} // namespace Corvane::nmea
