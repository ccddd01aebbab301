#include "quelder/sms/SmsStorage.h"

#include "quelder/BackendLog.h"
#include "quelder/sms/MessageFields.h"

#include <cstring>
#include <string_view>

namespace GSM {

bool SmsStorage::Kept() const
{
    std::lock_guard lock(mutex_);
    return kept_;
}

void SmsStorage::SetKept(bool kept)
{
    std::lock_guard lock(mutex_);
    kept_ = kept;
    if (!kept)
        entries_.clear();
}

std::optional<SmsStorage::Entry> SmsStorage::Converted(const QdPhysicalSms& physical, bool ndisCard, QdResult& rc)
{
    const std::string_view pdu(physical.pdu, strnlen(physical.pdu, sizeof physical.pdu));
    Entry entry{physical, {}, false};
    rc = SMS::Validate(pdu, physical.tpduLength, ndisCard) ? SMS::Decode(pdu, physical.tpduLength, entry.message, ndisCard)
                                                           : kQdNotAvailable;
    if (rc != kQdSuccess) {
        xlog(logWarning, "Qd: SmsStorage::AddMessage(): Could not convert physical message at index #%d to logical",
             physical.index);
        return std::nullopt;
    }
    entry.message.storage = SMS::kStorageSim;
    entry.message.storageIndex = physical.index;
    return entry;
}

QdResult SmsStorage::Add(const QdPhysicalSms& physical, bool ndisCard)
{
    QdResult rc = kQdSuccess;
    std::optional<Entry> entry = Converted(physical, ndisCard, rc);
    if (!entry)
        return rc;
    {
        std::lock_guard lock(mutex_);
        if (!kept_)
            return kQdSuccess;
        entries_.insert_or_assign(physical.index, *entry);
    }
    TellAdded({entry->message});
    return kQdSuccess;
}

void SmsStorage::Sync(std::span<const QdPhysicalSms> list, bool ndisCard)
{
    std::map<int, Entry> fresh;
    for (const QdPhysicalSms& physical : list) {
        QdResult rc = kQdSuccess;
        if (std::optional<Entry> entry = Converted(physical, ndisCard, rc))
            fresh.insert_or_assign(physical.index, *std::move(entry));
    }
    std::vector<SMS::Tpdu> added;
    {
        std::lock_guard lock(mutex_);
        if (!kept_)
            return;
        for (auto& [index, entry] : fresh) {
            const auto old = entries_.find(index);
            if (old != entries_.end() && std::strcmp(old->second.physical.pdu, entry.physical.pdu) == 0)
                entry.handedOut = old->second.handedOut; // the same message: already told
            else
                added.push_back(entry.message);
        }
        entries_ = std::move(fresh);
    }
    TellAdded(added);
}

bool SmsStorage::Contains(int index) const
{
    std::lock_guard lock(mutex_);
    return entries_.contains(index);
}

void SmsStorage::Remove(int index)
{
    std::lock_guard lock(mutex_);
    entries_.erase(index);
}

void SmsStorage::Clear()
{
    std::lock_guard lock(mutex_);
    entries_.clear();
}

std::size_t SmsStorage::Size() const
{
    std::lock_guard lock(mutex_);
    return entries_.size();
}

std::optional<int> SmsStorage::IndexOf(const SMS::Tpdu& message) const
{
    std::lock_guard lock(mutex_);
    // The record names its index; it must still be the message that stands there.
    const auto entry = entries_.find(message.storageIndex);
    if (message.storage != SMS::kStorageSim || entry == entries_.end() ||
        std::memcmp(&entry->second.message, &message, sizeof message) != 0)
        return std::nullopt;
    return message.storageIndex;
}

std::vector<SMS::Tpdu> SmsStorage::TakeNew()
{
    std::vector<SMS::Tpdu> messages;
    std::lock_guard lock(mutex_);
    for (auto& [index, entry] : entries_)
        if (!entry.handedOut) {
            entry.handedOut = true;
            messages.push_back(entry.message);
        }
    return messages;
}

void SmsStorage::Log() const
{
    std::lock_guard lock(mutex_);
    xlog(logVerbose, "*** SmsStorage::Log ***");
    if (entries_.empty()) {
        xlog(logVerbose, "storage is empty");
        return;
    }
    xlog(logVerbose, "storage has %d members:", static_cast<int>(entries_.size()));
    int position = 0;
    for (const auto& [index, entry] : entries_) {
        const SMS::Tpdu& m = entry.message;
        xlog(logVerbose, "#%d: index=%d type=%d conc=%d condId=%d phone#=[%s] sca=[%s] text=[%s]", position++, index,
             SmsFields::Type(m), SmsFields::ConcatenationTotal(m), SmsFields::ConcatenationReference(m),
             SmsFields::Number(m).c_str(), SmsFields::ServiceCentre(m).c_str(), SmsFields::Text(m).c_str());
    }
}

void SmsStorage::TellAdded(const std::vector<SMS::Tpdu>& added) const
{
    if (!added_)
        return;
    for (const SMS::Tpdu& message : added)
        added_(message);
}

} // namespace GSM
