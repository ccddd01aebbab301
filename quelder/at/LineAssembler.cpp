#include "quelder/at/LineAssembler.h"

namespace GSM {

namespace {
constexpr std::uint8_t kCr = '\r';
constexpr std::uint8_t kLf = '\n';
} // namespace

void LineAssembler::SetQuoteTracking(bool on) noexcept
{
    quoteTracking_ = on;
    if (!on)
        insideQuotes_ = false;
}

void LineAssembler::Reset() noexcept
{
    const bool tracking = quoteTracking_;
    *this = LineAssembler();
    quoteTracking_ = tracking;
}

void LineAssembler::Discard(std::uint8_t c) noexcept
{
    if (c == kLf && crPending_)
        discarding_ = false;
    crPending_ = c == kCr;
}

void LineAssembler::Push(std::uint8_t c, Consumer& consumer)
{
    if (discarding_) {
        Discard(c);
        return;
    }
    if (length_ >= kBufferSize) {
        consumer.LineTooLong();
        length_ = 0;
        insideQuotes_ = false;
        continuation_ = false; // the line it was to be joined with is gone
        startOfAnswer_ = false;
        discarding_ = true;
        Discard(c);
        return;
    }

    if (quoteTracking_ && (insideQuotes_ || c == '"')) {
        if (crPending_) {
            crPending_ = false;
            Store(kCr);
            if (length_ >= kBufferSize)
                return Push(c, consumer); // the CR filled the line: drop it
        }
        if (c == '"')
            insideQuotes_ = !insideQuotes_;
        Store(c);
        return;
    }

    if (startOfAnswer_ && c == ' ' && length_ == 1 && buffer_[0] == '>' && !crPending_) {
        Store(c);
        Complete(consumer);
        return;
    }

    if (c == kCr) {
        if (crPending_)
            Store(kCr);
        else
            crPending_ = true;
        return;
    }
    if (c == kLf && crPending_) {
        crPending_ = false;
        Complete(consumer);
        return;
    }
    if (crPending_) {
        crPending_ = false;
        Store(kCr);
        if (length_ >= kBufferSize)
            return Push(c, consumer);
    }
    Store(c);
}

void LineAssembler::Complete(Consumer& consumer)
{
    if (continuation_ && length_ > 0 && buffer_[length_ - 1] == ';')
        --length_; // the line joined on was empty
    if (length_ == 0) {
        startOfAnswer_ = true;
        return;
    }
    startOfAnswer_ = false;
    bool joinNext = continuation_;
    try {
        consumer.LineComplete(std::string_view(buffer_.data(), length_), joinNext);
    } catch (...) {
        // The line is gone either way, and nothing is to be joined to it.
        continuation_ = false;
        length_ = 0;
        throw;
    }
    continuation_ = joinNext;
    if (joinNext)
        Store(';'); // a line handed over holds at most 1023 bytes: there is room
    else
        length_ = 0;
}

} // namespace GSM
