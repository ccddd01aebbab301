#pragma once
// Cuts the bytes a card sends into lines, one byte at a time, with no thread or I/O of
// its own.
//
// CR LF ends a line; a CR inside a line survives (so an echo "AT\r" followed by the
// answer's CR LF reads as the line "AT\r"); an empty line ends nothing but marks the
// start of an answer, after which ">" and a blank are a line of their own: the prompt
// for a message body, which the card does not end with CR LF. With quote tracking on,
// bytes between double quotes are taken as they are, line ends included. A consumer can
// ask for the next line to be joined to the one just ended, with ";" between them.
//
// A line may hold 1023 bytes. A longer one is dropped whole, up to its CR LF: its tail
// is no line of its own, so the end of a flood can never pass for an answer.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace GSM {

class LineAssembler {
public:
    static constexpr std::size_t kBufferSize = 1024;

    class Consumer {
    public:
        // A line without its CR LF, never empty. `continuation` comes in set when this
        // line was joined to the one before; set it to have the next line joined to this.
        virtual void LineComplete(std::string_view line, bool& continuation) = 0;
        // A line grew past the buffer and is being dropped.
        virtual void LineTooLong() = 0;

    protected:
        ~Consumer() = default;
    };

    void Push(std::uint8_t c, Consumer& consumer);
    void Push(std::span<const std::uint8_t> bytes, Consumer& consumer)
    {
        for (const std::uint8_t c : bytes)
            Push(c, consumer);
    }

    // Called from LineComplete: what follows starts an answer, as after an empty line
    // (an echo that was just dropped is followed by the answer).
    void MarkStartOfAnswer() noexcept { startOfAnswer_ = true; }
    void SetQuoteTracking(bool on) noexcept;
    // Forgets everything, as for a port just opened.
    void Reset() noexcept;

private:
    void Store(std::uint8_t c) noexcept { buffer_[length_++] = static_cast<char>(c); }
    void Complete(Consumer& consumer);
    void Discard(std::uint8_t c) noexcept;

    std::array<char, kBufferSize> buffer_{};
    std::size_t length_ = 0;
    bool crPending_ = false;
    bool startOfAnswer_ = false;
    bool quoteTracking_ = false;
    bool insideQuotes_ = false;
    bool continuation_ = false;
    bool discarding_ = false; // inside a line that was too long, until its CR LF
};

} // namespace GSM
