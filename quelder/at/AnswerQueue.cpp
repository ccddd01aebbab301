#include "quelder/at/AnswerQueue.h"

namespace GSM {

bool AnswerQueue::Push(AnswerLine line)
{
    bool room = true;
    {
        std::lock_guard lock(mutex_);
        if (lines_.size() >= kCapacity) {
            lines_.pop_front();
            room = false;
        }
        lines_.push_back(std::move(line));
    }
    arrived_.notify_all();
    return room;
}

void AnswerQueue::EndOfInput()
{
    {
        std::lock_guard lock(mutex_);
        ended_ = true;
    }
    arrived_.notify_all();
}

void AnswerQueue::Abort()
{
    {
        std::lock_guard lock(mutex_);
        aborted_ = true;
    }
    arrived_.notify_all();
}

void AnswerQueue::Reopen()
{
    std::lock_guard lock(mutex_);
    lines_.clear();
    ended_ = false;
    aborted_ = false;
}

AnswerQueue::Outcome AnswerQueue::Take(std::chrono::milliseconds timeout, std::optional<AnswerLine>& line)
{
    std::unique_lock lock(mutex_);
    if (!arrived_.wait_for(lock, timeout, [&] { return aborted_ || ended_ || !lines_.empty(); }))
        return Outcome::timedOut;
    if (aborted_ || lines_.empty())
        return Outcome::aborted;
    line.emplace(std::move(lines_.front()));
    lines_.pop_front();
    return Outcome::line;
}

void AnswerQueue::Clear()
{
    std::lock_guard lock(mutex_);
    lines_.clear();
}

std::size_t AnswerQueue::Size() const
{
    std::lock_guard lock(mutex_);
    return lines_.size();
}

} // namespace GSM
