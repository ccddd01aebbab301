#pragma once
// What the NMEA tests share: a publisher that records, a stream that keeps the rejection
// lines, and sentences given their checksum. The fuzz target uses the publisher too, so
// it stays in this header and needs nothing but the library.

#include "corvane/traits/SignalPublisher.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace Corvane::testing {

struct PublishedSignal {
    Signal signal;
    Dictionary record;
};

class RecordingPublisher final : public SignalPublisher {
public:
    void publish(Signal signal, const Dictionary& record) override { published.push_back({signal, record}); }

    std::vector<PublishedSignal> published;
};

// A memory stream for the parser's rejection lines.
class MessageStream {
public:
    MessageStream();
    ~MessageStream();
    MessageStream(const MessageStream&) = delete;
    MessageStream& operator=(const MessageStream&) = delete;

    std::FILE* file() const noexcept { return file_; }
    // Everything written so far, one entry per line.
    std::vector<std::string> lines();

private:
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* file_ = nullptr;
};

// "$GPRMC,...,A" becomes "$GPRMC,...,A*07": the body with "*" and its checksum.
std::string withChecksum(std::string_view body);

} // namespace Corvane::testing
