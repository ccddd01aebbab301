#include "tests/quelder/support/BackendLog.h"

#include <algorithm>

namespace Orvanta::testing {

BackendLog::BackendLog(int level) : previousLevel_(Nodekin::logLevel())
{
    Nodekin::setLogFunction(&BackendLog::Record, this);
    Nodekin::setLogLevel(level);
}

BackendLog::~BackendLog()
{
    Nodekin::setLogLevel(previousLevel_);
    Nodekin::setLogFunction(nullptr, nullptr);
}

void BackendLog::Record(const char* message, void* context)
{
    auto* self = static_cast<BackendLog*>(context);
    std::lock_guard lock(self->mutex_);
    self->messages_.emplace_back(message);
    self->logged_.notify_all();
}

std::vector<std::string> BackendLog::Messages() const
{
    std::lock_guard lock(mutex_);
    return messages_;
}

std::size_t BackendLog::Count(std::string_view fragment) const
{
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count_if(messages_.begin(), messages_.end(), [&](const std::string& message) {
        return message.find(fragment) != std::string::npos;
    }));
}

bool BackendLog::Contains(std::string_view fragment) const { return Count(fragment) > 0; }

bool BackendLog::WaitFor(std::string_view fragment, std::chrono::milliseconds timeout)
{
    return WaitForCount(fragment, 1, timeout);
}

bool BackendLog::WaitForCount(std::string_view fragment, std::size_t count, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(mutex_);
    std::size_t checked = 0; // each message is looked at once, however many come
    std::size_t found = 0;
    return logged_.wait_for(lock, timeout, [&] {
        for (; checked < messages_.size(); ++checked)
            if (messages_[checked].find(fragment) != std::string::npos)
                ++found;
        return found >= count;
    });
}

} // namespace Orvanta::testing
