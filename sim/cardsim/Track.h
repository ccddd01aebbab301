#pragma once
// A track: NMEA sentences in groups, one group per fix. Read from the bundled walk or a
// capture file; lines that are not sentences (comments, blank lines) are skipped. A group
// starts at each sentence of the type that opens the file, so a capture that starts with
// GGA is cut at every GGA, one that starts with RMC at every RMC.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Cardsim {

class Track {
public:
    using Group = std::vector<std::string>;

    // The longest sentence taken; longer lines are skipped, as the host would drop them.
    static constexpr std::size_t kMaxSentence = 1023;
    static constexpr std::uintmax_t kMaxFileBytes = 64u * 1024 * 1024;

    // Nothing, with the reason in `problem`, when the text holds no sentence.
    static std::optional<Track> parse(std::string_view text, std::string& problem);
    static std::optional<Track> load(const std::filesystem::path& file, std::string& problem);

    std::size_t size() const { return groups_.size(); }
    const Group& group(std::size_t index) const { return groups_[index]; }

private:
    std::vector<Group> groups_;
};

// The walk that ships inside the program (sim/cardsim/tracks/walk.nmea).
std::string_view bundledTrackText();

// Plays a track in a loop.
class TrackPlayer {
public:
    explicit TrackPlayer(Track track) : track_(std::move(track)) {}

    // The next group as the receiver writes it, with or without a fix.
    std::vector<std::string> next(bool fix);
    std::size_t position() const { return position_; }

private:
    Track track_;
    std::size_t position_ = 0;
};

} // namespace Cardsim
