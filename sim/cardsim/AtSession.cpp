#include "sim/cardsim/AtSession.h"

#include <algorithm>
#include <cassert>
#include <iterator>

namespace Cardsim {
namespace {

constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr char kBackspace = '\b';
constexpr char kDelete = 0x7f;
constexpr char kCtrlZ = 0x1a;
constexpr char kEscape = 0x1b;

void echo(char c, std::vector<Emission>& out)
{
    if (out.empty() || out.back().kind != Emission::Kind::echo)
        out.push_back({Emission::Kind::echo, {}});
    out.back().text += c;
}

void emitLines(std::vector<std::string>& lines, std::vector<Emission>& out)
{
    for (std::string& line : lines)
        out.push_back({Emission::Kind::line, std::move(line)});
    lines.clear();
}

} // namespace

AtSession::AtSession(const Dialect& dialect, const CardFacts& facts, Receiver* receiver, FaultRules& faults,
                     CardState* card, const AlarmMaker& alarms)
    : dialect_(dialect), facts_(facts), receiver_(receiver), faults_(faults), card_(card)
{
    if (alarms)
        alarm_ = alarms([this] { finishDeferred(); });
}

CommandContext AtSession::contextFor(std::vector<std::string>& lines)
{
    return CommandContext{settings_, facts_, receiver_, card_, lines};
}

void AtSession::feed(std::span<const std::uint8_t> bytes, std::vector<Emission>& out)
{
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (busy()) {
            const std::size_t room = kMaxHeldInput - std::min(held_.size(), kMaxHeldInput);
            const std::size_t take = std::min(room, bytes.size() - i);
            held_.append(reinterpret_cast<const char*>(bytes.data() + i), take);
            return;
        }
        const char c = static_cast<char>(bytes[i]);
        if (prompting()) {
            promptInput(c, out);
            continue;
        }
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

void AtSession::promptInput(char c, std::vector<Emission>& out)
{
    if (c == kCtrlZ || c == kEscape) {
        Prompting prompting = std::move(*prompting_);
        prompting_.reset();
        std::vector<std::string> lines;
        FinalResult result = FinalResult::ok();
        if (c == kCtrlZ) {
            CommandContext context = contextFor(lines);
            inCommand_ = true;
            result = prompting.overlong ? FinalResult::cms(kCmsInvalidPduParameter)
                                        : prompting.prompt.finish(context, prompting.prompt.arguments, prompting.text);
            inCommand_ = false;
        } else {
            prompting.rest.clear(); // a cancelled command ends its line
        }
        proceed(prompting.rest, result, lines, out);
        return;
    }
    // A host may break a long text into lines; they are not part of it.
    if (c == kCarriageReturn || c == kLineFeed)
        return;
    if (settings_.echo)
        echo(c, out);
    if (prompting_->text.size() < kMaxPromptText)
        prompting_->text += c;
    else
        prompting_->overlong = true;
}

void AtSession::endOfLine(std::vector<Emission>& out)
{
    const bool overlong = overlong_;
    const auto commands = parseCommandLine(line_);
    line_.clear();
    overlong_ = false;
    if (!commands && !overlong)
        return; // no "AT": not meant for the modem
    std::vector<std::string> lines;
    if (overlong)
        proceed({}, FinalResult::error(), lines, out);
    else
        proceed(*commands, FinalResult::ok(), lines, out);
}

void AtSession::proceed(std::span<const AtCommand> commands, FinalResult result, std::vector<std::string>& lines,
                        std::vector<Emission>& out)
{
    CommandContext context = contextFor(lines);
    if (!result.failed()) {
        inCommand_ = true;
        result = dialect_.run(commands, context, faults_);
        inCommand_ = false;
    }
    emitLines(lines, out);
    if (context.prompt && !result.failed()) {
        prompting_ = Prompting{std::move(*context.prompt), {commands.begin(), commands.end()}, {}, false};
        out.push_back({Emission::Kind::prompt, std::string(kPrompt)});
        return; // the reports raised so far wait for the final result
    }
    if (context.deferral && !result.failed()) {
        assert(alarm_ && "a deferred answer in a session without alarms");
        deferred_ = Deferred{context.deferral->finish, {commands.begin(), commands.end()}};
        alarm_->set(context.deferral->delay);
    } else {
        out.push_back({Emission::Kind::line, resultText(result, settings_.errorReporting)});
    }
    out.insert(out.end(), std::make_move_iterator(heldReports_.begin()), std::make_move_iterator(heldReports_.end()));
    heldReports_.clear();
}

void AtSession::finishDeferred()
{
    if (!deferred_)
        return;
    const Deferred deferred = std::move(*deferred_);
    deferred_.reset();
    std::vector<Emission> out;
    std::vector<std::string> lines;
    CommandContext context = contextFor(lines);
    inCommand_ = true;
    const FinalResult result = deferred.finish(context, {});
    inCommand_ = false;
    proceed(deferred.rest, result, lines, out);
    if (!busy()) {
        const std::string held = std::move(held_);
        held_.clear();
        feed({reinterpret_cast<const std::uint8_t*>(held.data()), held.size()}, out);
    }
    if (lateOutput_)
        lateOutput_(out);
}

void AtSession::report(CardEvent event, std::vector<Emission>& out)
{
    const ReportContext context{settings_, facts_, receiver_, card_};
    std::vector<Emission>& into = inCommand_ || prompting() ? heldReports_ : out;
    for (std::string& line : dialect_.unsolicited(event, context))
        into.push_back({Emission::Kind::line, std::move(line)});
}

void AtSession::dropPartialLine()
{
    line_.clear();
    overlong_ = false;
    held_.clear();
    prompting_.reset();
    heldReports_.clear();
}

} // namespace Cardsim
