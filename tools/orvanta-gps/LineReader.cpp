#include "LineReader.h"

#include <cstdlib>
#include <stdio.h>

namespace Orvanta::gps {

LineReader::~LineReader() { std::free(buffer_); }

std::optional<std::string_view> LineReader::next()
{
    const ssize_t length = ::getline(&buffer_, &capacity_, input_);
    if (length < 0)
        return std::nullopt;
    std::string_view line(buffer_, static_cast<std::size_t>(length));
    if (line.ends_with('\n')) {
        line.remove_suffix(1);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
    }
    return line;
}

bool LineReader::failed() const noexcept { return std::ferror(input_) != 0; }

} // namespace Orvanta::gps
