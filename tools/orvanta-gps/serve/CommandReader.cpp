#include "CommandReader.h"

namespace Orvanta::gps {
namespace {

bool isCommandBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v';
}

std::string trimmedCommand(const std::string& text)
{
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isCommandBlank(text[first]))
        ++first;
    while (last > first && isCommandBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

} // namespace

std::vector<ClientInput> CommandReader::feed(std::string_view bytes)
{
    std::vector<ClientInput> inputs;
    for (const char c : bytes) {
        // A newline ends a command even inside a string: the JSON cannot hold one there.
        const bool ends = c == '\n' || (c == ';' && !inString_);
        if (ends) {
            finish(inputs);
            continue;
        }
        if (inString_) {
            if (escaped_)
                escaped_ = false;
            else if (c == '\\')
                escaped_ = true;
            else if (c == '"')
                inString_ = false;
        } else if (c == '"') {
            inString_ = true;
        }
        if (discarding_)
            continue;
        if (partial_.size() == kMostCommandBytes) {
            inputs.push_back(ClientInput{ClientInput::Kind::tooLong, {}});
            partial_.clear();
            discarding_ = true;
            continue;
        }
        partial_.push_back(c);
    }
    return inputs;
}

void CommandReader::finish(std::vector<ClientInput>& inputs)
{
    if (!discarding_) {
        std::string text = trimmedCommand(partial_);
        if (!text.empty())
            inputs.push_back(ClientInput{ClientInput::Kind::command, std::move(text)});
    }
    partial_.clear();
    discarding_ = false;
    inString_ = false;
    escaped_ = false;
}

} // namespace Orvanta::gps
