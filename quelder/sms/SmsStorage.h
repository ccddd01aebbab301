#pragma once
// The device's copy of the messages on the SIM, by storage index: refilled from the
// list of all messages, extended by each message read, shrunk by each one deleted. The
// messages come in as the card stores them and are kept decoded.
//
// Whether the copy is kept at all is the device's choice (the "kept" flag); a copy that
// is not kept holds nothing. Each message added is told to the owner, outside the lock,
// so that it can pass it on.
//
// Threads: the client's (the Qd* functions) and the communicator's; one lock guards it.

#include "quelder/QdResult.h"
#include "quelder/sms/SmsRecords.h"
#include "quelder/sms/Tpdu.h"

#include <cstddef>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace GSM {

class SmsStorage {
public:
    using AddedFunction = std::function<void(const SMS::Tpdu& message)>;

    explicit SmsStorage(AddedFunction added = nullptr) : added_(std::move(added)) {}

    bool Kept() const;
    // Not kept any more drops what it holds.
    void SetKept(bool kept);

    // Decodes `physical` and keeps it at its index, in place of what stood there; the
    // decoder's code when it does not decode (logged), and nothing changes.
    QdResult Add(const QdPhysicalSms& physical, bool ndisCard);
    // Holds exactly the messages of `list` that decode, afterwards. Those that were not
    // there before (or stood there with another PDU) count as added.
    void Sync(std::span<const QdPhysicalSms> list, bool ndisCard);
    bool Contains(int index) const;
    void Remove(int index);
    void Clear();
    std::size_t Size() const;

    // The index of the message whose record is `message`: the index it names, while the
    // copy holds that very record there (byte for byte).
    std::optional<int> IndexOf(const SMS::Tpdu& message) const;
    // The messages added since the last call, in index order.
    std::vector<SMS::Tpdu> TakeNew();

    // "*** SmsStorage::Log ***" and one line per message.
    void Log() const;

private:
    struct Entry {
        QdPhysicalSms physical;
        SMS::Tpdu message;
        bool handedOut = false;
    };
    static std::optional<Entry> Converted(const QdPhysicalSms& physical, bool ndisCard, QdResult& rc);
    void TellAdded(const std::vector<SMS::Tpdu>& added) const;

    const AddedFunction added_;
    mutable std::mutex mutex_; // guards kept_ and entries_
    bool kept_ = true;
    std::map<int, Entry> entries_;
};

} // namespace GSM
