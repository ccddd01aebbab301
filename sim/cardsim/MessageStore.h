#pragma once
// The SIM's message store ("SM"): numbered records from 1 to its capacity, each a PDU with
// its status (3GPP TS 27.005: 0 received unread, 1 received read, 2 stored unsent, 3 stored
// sent). A new record takes the lowest free number, as a SIM fills its records.

#include "sim/cardsim/SmsPdu.h"

#include <map>
#include <optional>
#include <vector>

namespace Cardsim {

enum class MessageStatus { receivedUnread = 0, receivedRead = 1, storedUnsent = 2, storedSent = 3 };

struct StoredMessage {
    int index = 0;
    MessageStatus status = MessageStatus::receivedUnread;
    PduText pdu;
};

class MessageStore {
public:
    static constexpr int kDefaultCapacity = 20;
    static constexpr int kMaxCapacity = 255;

    explicit MessageStore(int capacity = kDefaultCapacity) : capacity_(capacity) {}

    int capacity() const { return capacity_; }
    int used() const { return static_cast<int>(messages_.size()); }
    bool full() const { return used() >= capacity_; }
    int room() const { return capacity_ - used(); }
    bool isIndex(int index) const { return index >= 1 && index <= capacity_; }

    // A smaller store loses the records above its new capacity.
    void setCapacity(int capacity);
    // The record's number; none when the store is full.
    std::optional<int> add(MessageStatus status, PduText pdu);
    StoredMessage* find(int index);
    const StoredMessage* find(int index) const;
    bool remove(int index);
    // The records, by number; those of one status, or all.
    std::vector<StoredMessage*> list(std::optional<MessageStatus> status = std::nullopt);
    std::vector<const StoredMessage*> list(std::optional<MessageStatus> status = std::nullopt) const;
    void clear() { messages_.clear(); }

private:
    int capacity_;
    std::map<int, StoredMessage> messages_;
};

} // namespace Cardsim
