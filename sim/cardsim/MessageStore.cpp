#include "sim/cardsim/MessageStore.h"

namespace Cardsim {

void MessageStore::setCapacity(int capacity)
{
    capacity_ = capacity;
    std::erase_if(messages_, [capacity](const auto& record) { return record.first > capacity; });
}

std::optional<int> MessageStore::add(MessageStatus status, PduText pdu)
{
    for (int index = 1; index <= capacity_; ++index)
        if (!messages_.contains(index)) {
            messages_[index] = StoredMessage{index, status, std::move(pdu)};
            return index;
        }
    return std::nullopt;
}

StoredMessage* MessageStore::find(int index)
{
    const auto found = messages_.find(index);
    return found == messages_.end() ? nullptr : &found->second;
}

const StoredMessage* MessageStore::find(int index) const
{
    const auto found = messages_.find(index);
    return found == messages_.end() ? nullptr : &found->second;
}

bool MessageStore::remove(int index) { return messages_.erase(index) > 0; }

std::vector<StoredMessage*> MessageStore::list(std::optional<MessageStatus> status)
{
    std::vector<StoredMessage*> out;
    for (auto& [index, message] : messages_)
        if (!status || message.status == *status)
            out.push_back(&message);
    return out;
}

std::vector<const StoredMessage*> MessageStore::list(std::optional<MessageStatus> status) const
{
    std::vector<const StoredMessage*> out;
    for (const auto& [index, message] : messages_)
        if (!status || message.status == *status)
            out.push_back(&message);
    return out;
}

} // namespace Cardsim
