#include "sim/cardsim/Track.h"

#include "sim/cardsim/Nmea.h"
#include "sim/cardsim/NoFix.h"

#include <fstream>
#include <iterator>
#include <system_error>

namespace Cardsim {

std::optional<Track> Track::parse(std::string_view text, std::string& problem)
{
    Track track;
    std::string_view leader;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        if (line.empty() || line.front() != '$' || line.size() > kMaxSentence)
            continue;
        const std::string_view type = Nmea::typeOf(line);
        if (leader.empty())
            leader = type.empty() ? std::string_view("?") : type;
        if (track.groups_.empty() || type == leader)
            track.groups_.emplace_back();
        track.groups_.back().emplace_back(line);
    }
    if (track.groups_.empty()) {
        problem = "no NMEA sentence in it";
        return std::nullopt;
    }
    return track;
}

std::optional<Track> Track::load(const std::filesystem::path& file, std::string& problem)
{
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(file, error);
    if (error) {
        problem = error.message();
        return std::nullopt;
    }
    if (size > kMaxFileBytes) {
        problem = "larger than " + std::to_string(kMaxFileBytes / (1024 * 1024)) + " MiB";
        return std::nullopt;
    }
    std::ifstream in(file, std::ios::binary);
    const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (!in && !in.eof()) {
        problem = "cannot be read";
        return std::nullopt;
    }
    return parse(text, problem);
}

std::vector<std::string> TrackPlayer::next(bool fix)
{
    const Track::Group& group = track_.group(position_);
    position_ = (position_ + 1) % track_.size();
    if (fix)
        return group;
    std::vector<std::string> searching;
    searching.reserve(group.size());
    for (const std::string& sentence : group)
        searching.push_back(withoutFix(sentence));
    return searching;
}

} // namespace Cardsim
