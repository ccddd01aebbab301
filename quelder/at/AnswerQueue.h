#pragma once
// The lines of an answer, from the receiver thread that reads them to the caller that
// waits for them, oldest first.
//
// The queue is bounded: a card that floods lines nobody asked for (a command is not
// waiting, or its caller has given up) costs at most kCapacity lines; the oldest go
// first, as the next command drops them anyway. A closed port aborts the queue:
// waiting callers wake at once and fail. A receiver that has ended (the peer closed, the
// card was pulled) lets callers take the lines that came before, then fails them.

#include "quelder/at/Line.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>

namespace GSM {

class AnswerQueue {
public:
    static constexpr std::size_t kCapacity = 4096;

    enum class Outcome {
        line,     // the oldest line was taken
        timedOut, // none came in time
        aborted,  // the port closed, or no line can come any more
    };

    // Receiver side. False when the oldest line was dropped to make room.
    bool Push(AnswerLine line);
    // No more lines will come: waiting callers take what is queued, then fail.
    void EndOfInput();
    // The port closes: callers fail at once, queued lines or not.
    void Abort();
    // Starts over for a port just opened: empty, neither ended nor aborted.
    void Reopen();

    // Caller side. Waits up to `timeout` for a line and takes the oldest into `line`.
    Outcome Take(std::chrono::milliseconds timeout, std::optional<AnswerLine>& line);
    void Clear();
    std::size_t Size() const;

private:
    mutable std::mutex mutex_; // guards lines_, ended_ and aborted_: the receiver adds, the caller takes
    std::condition_variable arrived_;
    std::deque<AnswerLine> lines_;
    bool ended_ = false;
    bool aborted_ = false;
};

} // namespace GSM
