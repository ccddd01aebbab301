#include "sim/cardsim/AtSession.h"

namespace Cardsim {
namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kBackspace = '\b';
constexpr char kDelete = 0x7f;

void echo(char c, std::vector<Emission>& out)
{
    if (out.empty() || out.back().kind != Emission::Kind::echo)
        out.push_back({Emission::Kind::echo, {}});
    out.back().text += c;
}

} // namespace

void AtSession::feed(std::span<const std::uint8_t> bytes, std::vector<Emission>& out)
{
    for (const std::uint8_t byte : bytes) {
        const char c = static_cast<char>(byte);
        if (c == kLineFeed)
            continue;
        // The echo follows the setting in force when the byte came, so the echo of
        // "ATE0" still appears and the answer to it does not carry one.
        if (settings_.echo)
            echo(c, out);
        if (c == kCarriageReturn) {
            endOfLine(out);
        } else if (c == kBackspace || c == kDelete) {
            if (!line_.empty())
                line_.pop_back();
        } else if (line_.size() < kMaxCommandLine) {
            line_ += c;
        } else {
            overlong_ = true;
        }
    }
}

void AtSession::endOfLine(std::vector<Emission>& out)
{
    const bool overlong = overlong_;
    const auto commands = parseCommandLine(line_);
    dropPartialLine();
    if (!commands && !overlong)
        return; // no "AT": not meant for the modem
    std::vector<std::string> lines;
    CommandContext context{settings_, facts_, receiver_, lines};
    const FinalResult result = overlong ? FinalResult::error() : dialect_.run(*commands, context, faults_);
    for (std::string& line : lines)
        out.push_back({Emission::Kind::line, std::move(line)});
    out.push_back({Emission::Kind::line, resultText(result, settings_.errorReporting)});
}

void AtSession::report(CardEvent event, std::vector<Emission>& out) const
{
    for (std::string& line : dialect_.unsolicited(event, settings_, facts_, receiver_))
        out.push_back({Emission::Kind::line, std::move(line)});
}

void AtSession::dropPartialLine()
{
    line_.clear();
    overlong_ = false;
}

} // namespace Cardsim
