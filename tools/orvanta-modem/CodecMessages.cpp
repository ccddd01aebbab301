#include "CodecMessages.h"

#include "nodekin/XLog.h"

#include <algorithm>
#include <string_view>

namespace Orvanta::modem {

CodecMessages::CodecMessages() : previousLevel_(Nodekin::logLevel())
{
    // The tool has no other use for the backend's log: no library is started around the
    // codec, so nothing else writes to it meanwhile.
    // Errors only: the codec says why it refuses at that level, and what it merely
    // notices (an unknown header element, a lossy conversion) is no reason.
    Nodekin::setLogLevel(Nodekin::logError);
    Nodekin::setLogFunction(&CodecMessages::take, this);
}

CodecMessages::~CodecMessages()
{
    Nodekin::setLogFunction(nullptr, nullptr);
    Nodekin::setLogLevel(previousLevel_);
}

void CodecMessages::take(const char* message, void* context)
{
    static_cast<CodecMessages*>(context)->lines_.emplace_back(message != nullptr ? message : "");
}

std::string CodecMessages::reason(const std::string& otherwise) const
{
    if (lines_.empty())
        return otherwise;
    std::string_view line = lines_.back();
    if (line.starts_with("Qd: "))
        line.remove_prefix(4);
    std::string text(line);
    std::replace_if(text.begin(), text.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text.empty() ? otherwise : text;
}

} // namespace Orvanta::modem
