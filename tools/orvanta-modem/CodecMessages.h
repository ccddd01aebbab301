#pragma once
// What the SMS codec logs while it works on a PDU. The codec says why it refuses one only
// in its log, so the PDU commands hold its lines for the one-line reason they print.

#include <string>
#include <vector>

namespace Orvanta::modem {

// Takes the backend's log for as long as it lives; one at a time, on one thread.
class CodecMessages {
public:
    CodecMessages();
    ~CodecMessages();
    CodecMessages(const CodecMessages&) = delete;
    CodecMessages& operator=(const CodecMessages&) = delete;

    const std::vector<std::string>& lines() const noexcept { return lines_; }
    // The last line, without the backend's "Qd: " prefix, on one line; `otherwise` when
    // nothing was logged.
    std::string reason(const std::string& otherwise) const;

private:
    static void take(const char* message, void* context);

    std::vector<std::string> lines_;
    int previousLevel_;
};

} // namespace Orvanta::modem
