#include "corvane/patterns/Observable.h"

#include "corvane/Logging.h"

#include <algorithm>

namespace Corvane {

void Observable::subscribe(Observer* observer, std::uint16_t signal)
{
    {
        std::lock_guard lock(mutex_);
        std::vector<Observer*>& list = subscribers_[signal];
        if (std::find(list.begin(), list.end(), observer) != list.end())
            return;
        list.push_back(observer);
    }
    LOG4CPLUS_DEBUG(logging::logger(logging::category::observable), "Registered Observer");
}

void Observable::unsubscribe(Observer* observer, std::uint16_t signal)
{
    std::lock_guard lock(mutex_);
    const auto found = subscribers_.find(signal);
    if (found != subscribers_.end())
        std::erase(found->second, observer);
}

void Observable::unsubscribeAll(Observer* observer)
{
    std::lock_guard lock(mutex_);
    for (auto& [signal, list] : subscribers_)
        std::erase(list, observer);
}

bool Observable::isSubscribed(const Observer* observer, std::uint16_t signal) const
{
    std::lock_guard lock(mutex_);
    const auto found = subscribers_.find(signal);
    return found != subscribers_.end() &&
           std::find(found->second.begin(), found->second.end(), observer) != found->second.end();
}

bool Observable::isSubscribedAnywhere(const Observer* observer) const
{
    std::lock_guard lock(mutex_);
    return std::any_of(subscribers_.begin(), subscribers_.end(), [&](const auto& entry) {
        return std::find(entry.second.begin(), entry.second.end(), observer) != entry.second.end();
    });
}

void Observable::notify(const CvEventPtr& event)
{
    if (!event)
        return;
    std::lock_guard lock(mutex_);
    const auto found = subscribers_.find(event->sig);
    if (found == subscribers_.end())
        return; // nobody listens to this signal
    for (Observer* observer : found->second)
        observer->update(event);
}

} // namespace Corvane
