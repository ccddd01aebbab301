#pragma once
// Cuts what a client of the position server sends into commands. A command ends with ';'
// or a newline (clients send either, or both, and several commands in one packet); a ';'
// inside a JSON string does not end it. A command longer than kMostCommandBytes is
// reported once and thrown away up to its end, so that the client can go on.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace Orvanta::gps {

inline constexpr std::size_t kMostCommandBytes = 1024;

struct ClientInput {
    enum class Kind { command, tooLong };
    Kind kind;
    std::string text; // the command without its end, blanks around it removed
};

class CommandReader {
public:
    // The commands that `bytes` completed, in order; empty commands are left out.
    std::vector<ClientInput> feed(std::string_view bytes);

private:
    void finish(std::vector<ClientInput>& inputs);

    std::string partial_;
    bool discarding_ = false; // the command was too long: the rest of it is dropped
    bool inString_ = false;   // within a JSON string of the command
    bool escaped_ = false;    // the last character was a backslash within a string
};

} // namespace Orvanta::gps
