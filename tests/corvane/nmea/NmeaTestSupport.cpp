#include "NmeaTestSupport.h"

#include "corvane/nmea/NmeaChecksum.h"

#include <cstdlib>
#include <stdexcept>

namespace Corvane::testing {

MessageStream::MessageStream() : file_(::open_memstream(&buffer_, &size_))
{
    if (file_ == nullptr)
        throw std::runtime_error("open_memstream failed");
}

MessageStream::~MessageStream()
{
    std::fclose(file_);
    std::free(buffer_);
}

std::vector<std::string> MessageStream::lines()
{
    std::fflush(file_);
    std::vector<std::string> lines;
    std::string_view text(buffer_, size_);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.emplace_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

std::string withChecksum(std::string_view body)
{
    std::string sentence(body);
    sentence += '*';
    const unsigned sum = *nmea::computedChecksum(sentence);
    constexpr char digits[] = "0123456789ABCDEF";
    sentence += digits[sum >> 4];
    sentence += digits[sum & 0xF];
    return sentence;
}

} // namespace Corvane::testing
