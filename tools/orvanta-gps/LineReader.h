#pragma once
// Lines of a text stream, with their LF or CR LF terminator taken off. A last line
// without terminator is a line too. The buffer is reused, so a line is valid until the
// next one is read.

#include <cstdio>
#include <optional>
#include <string_view>

namespace Orvanta::gps {

class LineReader {
public:
    explicit LineReader(std::FILE* input) noexcept : input_(input) {}
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Nothing at the end of the input or on a read error (see failed()).
    std::optional<std::string_view> next();
    bool failed() const noexcept;

private:
    std::FILE* input_;
    char* buffer_ = nullptr;
    std::size_t capacity_ = 0;
};

} // namespace Orvanta::gps
