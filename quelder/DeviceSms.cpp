// The device's SMS and phonebook work: setting both up when the SIM becomes ready,
// keeping the copy of the SIM's messages, and reading the messages the card announces.

#include "quelder/Device.h"

#include "nodekin/CardTraits.h"
#include "quelder/BackendLog.h"

#include <cstdlib>

namespace GSM {

bool Device::NdisCard() const { return Nodekin::isNdisKind(Card()); }

bool Device::StartSms()
{
    const QdResult rc = CurrentPlatform().QdInitializeSms();
    if (rc == kQdNotSupported)
        return true; // no SMS on this way to the card: nothing to set up
    if (rc != kQdSuccess) {
        xlog(logError, "Qd: Initializing SMS failed with 0x%x", static_cast<unsigned>(rc));
        return false;
    }
    if (!smsStorage_.Kept())
        return true;
    xlog(logNormal, "Qd: Syncing with the SIM SMSs...");
    QdPhysicalSms* list = nullptr;
    int count = 0;
    const QdResult listed = CurrentPlatform().QdReadAllPhysicalSmsMessages(&list, &count);
    if (listed != kQdSuccess) {
        xlog(logError, "Qd: Syncing the SIM SMSs failed with 0x%x", static_cast<unsigned>(listed));
        return false;
    }
    AfterSmsListRead(list, count);
    std::free(list);
    return true;
}

void Device::StartPhonebook()
{
    const QdResult rc = CurrentPlatform().InitializePhonebook();
    if (rc == kQdNotSupported)
        return;
    if (rc != kQdSuccess) {
        xlog(logError, "Qd: Initializing SIM phonebook failed with 0x%x", static_cast<unsigned>(rc));
        return;
    }
    Set(Value::phonebookInitialized, 1);
}

void Device::AfterSmsRead(int index, const QdPhysicalSms& message)
{
    if (!smsStorage_.Kept() || smsStorage_.Contains(index))
        return;
    if (const QdResult rc = smsStorage_.Add(message, NdisCard()); rc != kQdSuccess)
        xlog(logWarning, "Qd: Adding the new SMS at index %d to the SIM SMS shadow copy failed with 0x%x", index,
             static_cast<unsigned>(rc));
}

void Device::AfterSmsListRead(const QdPhysicalSms* list, int count)
{
    if (!smsStorage_.Kept())
        return;
    if (count < 0 || (count > 0 && list == nullptr)) {
        xlog(logWarning, "Qd: Syncing the SIM SMS shadow copy failed with 0x%x", static_cast<unsigned>(kQdNullPointer));
        return;
    }
    smsStorage_.Sync(std::span<const QdPhysicalSms>(list, static_cast<std::size_t>(count)), NdisCard());
    smsStorage_.Log();
}

void Device::AfterSmsDeleted(int index) { smsStorage_.Remove(index); }

void Device::ReadNewSms(int index)
{
    if (!smsStorage_.Kept() || smsStorage_.Contains(index))
        return;
    QdPhysicalSms message{};
    if (const QdResult rc = CurrentPlatform().QdReadPhysicalSmsMessage(index, &message); rc != kQdSuccess) {
        xlog(logWarning, "Qd: Failed to read the new physical SMS message at index #%d with 0x%x - already deleted?",
             index, static_cast<unsigned>(rc));
        return;
    }
    AfterSmsRead(index, message);
    // The storage may be full now.
    int used = 0;
    CurrentPlatform().QdGetSmsStorageUsedCount(&used);
}

} // namespace GSM
