// The Qd* functions of short messages: the message records (create, send, delete, the
// new ones, segment counts) and the physical operations on the SIM's store, which keep
// the device's copy of it up to date.

#include "quelder/Backend.h"
#include "quelder/BackendLog.h"
#include "quelder/Quelder.h"
#include "quelder/at/Gsm7.h"
#include "quelder/at/Utf8.h"
#include "quelder/sms/HeapRecord.h"
#include "quelder/sms/Tpdu.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <string_view>
#include <vector>

using GSM::Backend;

namespace {

Backend& SmsBackend() { return Backend::Instance(); }

// The capacities of one message and of one segment of a concatenated one, in the units
// of each coding: septets, octets, UCS2 characters.
struct Capacity {
    int single;
    int segment;
};
constexpr Capacity kCapacities[] = {{160, 152}, {140, 134}, {70, 67}};

// The text's length in the units of its coding.
int UnitsOf(std::string_view text, int coding)
{
    if (coding == SMS::kCodingGsm7)
        return static_cast<int>(GSM::Gsm7::FromUtf8(text).size());
    int units = 0;
    for (std::size_t position = 0; position < text.size();) {
        const char32_t c = GSM::Utf8::Next(text, position);
        if (coding == SMS::kCodingUcs2)
            units += c > 0xFFFF ? 2 : 1; // a surrogate pair
        else
            units += c < 0x80 ? 1 : 2;   // the 8-bit code page takes two bytes for all but ASCII
    }
    return units;
}

} // namespace

int QdCreateOutgoingSmsMessage(const char* destination, const char* text, const char* serviceCentre, int messageClass,
                               int coding, int validityPeriod, int statusReportRequest, int replyPath,
                               SMS::Tpdu** message)
{
    if (message == nullptr || destination == nullptr || text == nullptr)
        return kQdNullPointer;
    *message = nullptr;
    SMS::Tpdu record{};
    if (const QdResult rc = SMS::CreateOutgoing(destination, text, serviceCentre, messageClass, coding, validityPeriod,
                                                statusReportRequest, replyPath, record);
        rc != kQdSuccess)
        return rc;
    *message = GSM::HeapRecord(record);
    return *message != nullptr ? kQdSuccess : kQdOutOfMemory;
}

int QdSendSmsMessage(const SMS::Tpdu* message)
{
    if (!SmsBackend().IsInitialized())
        return kQdNotInitialized;
    if (message == nullptr)
        return kQdNullPointer;
    std::vector<SMS::SubmitPdu> pdus;
    try {
        // A card that cannot join segments gets the message cut to one.
        const bool concatenation = SmsBackend().TheDevice().Features().smsConcatenation;
        if (const QdResult rc = SMS::EncodeSubmit(*message, pdus, concatenation); rc != kQdSuccess)
            return rc;
    } catch (const std::bad_alloc&) {
        return kQdOutOfMemory;
    }
    for (const SMS::SubmitPdu& pdu : pdus) {
        QdPhysicalSms physical{};
        physical.index = -1;
        physical.status = QdSmsStoredUnsent;
        physical.tpduLength = pdu.tpduLength;
        if (pdu.hex.size() >= sizeof physical.pdu)
            return kQdInvalidParameter;
        std::memcpy(physical.pdu, pdu.hex.data(), pdu.hex.size());
        int reference = 0;
        if (const int rc = QdSendPhysicalSmsMessage(&physical, &reference); rc != kQdSuccess)
            return rc;
    }
    return kQdSuccess;
}

int QdDeleteSmsMessage(const SMS::Tpdu* message)
{
    if (!SmsBackend().IsInitialized())
        return kQdNotInitialized;
    if (message == nullptr)
        return kQdNullPointer;
    const std::optional<int> index = SmsBackend().TheDevice().SmsShadowCopy().IndexOf(*message);
    if (!index)
        return kQdNotAvailable;
    const int rc = QdDeletePhysicalSmsMessage(*index);
    if (rc != kQdSuccess)
        GSM::xlog(GSM::logError, "Qd: QdDeleteSmsMessage(): Deletion of physical SMS message at index #%d failed with 0x%x",
                  *index, static_cast<unsigned>(rc));
    return rc;
}

int QdGetNewSmsMessages(SMS::Tpdu*** list, int* count)
{
    GSM::Device& device = SmsBackend().TheDevice();
    if (!SmsBackend().IsInitialized())
        return kQdNotInitialized;
    if (const int rc = device.CheckAccess(true); rc != kQdSuccess)
        return rc;
    if (list == nullptr || count == nullptr)
        return kQdNullPointer;
    *list = nullptr;
    *count = 0;
    if (!device.SmsShadowCopy().Kept())
        return kQdNotAvailable;
    const std::vector<SMS::Tpdu> messages = device.SmsShadowCopy().TakeNew();
    if (messages.empty())
        return kQdSuccess;
    auto* records = static_cast<SMS::Tpdu**>(std::calloc(messages.size(), sizeof(SMS::Tpdu*)));
    if (records == nullptr)
        return kQdOutOfMemory;
    for (std::size_t i = 0; i < messages.size(); ++i)
        if ((records[i] = GSM::HeapRecord(messages[i])) == nullptr) {
            QdFreeSmsList(records, static_cast<int>(i));
            return kQdOutOfMemory;
        }
    *list = records;
    *count = static_cast<int>(messages.size());
    return kQdSuccess;
}

int QdFreeSmsList(SMS::Tpdu** list, int count)
{
    if (list == nullptr)
        return kQdSuccess;
    for (int i = 0; i < count; ++i) {
        if (list[i] == nullptr)
            GSM::xlog(GSM::logError, "Qd: QdFreeSmsList(): NULL pointer detected in the input array, corrupted data?");
        std::free(list[i]);
    }
    std::free(list);
    return kQdSuccess;
}

int QdCalculateSmsSegments(const char* text, int coding, unsigned /*codePage*/, int* segments, int* charactersLeft)
{
    if (text == nullptr || segments == nullptr || charactersLeft == nullptr)
        return kQdNullPointer;
    if (coding < SMS::kCodingGsm7 || coding > SMS::kCodingUcs2)
        return kQdInvalidParameter;
    const int count = SMS::CountSegments(text, coding);
    if (count < 1)
        return kQdInvalidParameter; // a character the coding does not have
    const Capacity capacity = kCapacities[coding];
    const int room = count == 1 ? capacity.single : capacity.segment * count;
    *segments = count;
    *charactersLeft = std::max(room - UnitsOf(text, coding), 0);
    return kQdSuccess;
}

// ---------------------------------------------------------------------------------------
// The SIM's message store

int QdReadPhysicalSmsMessage(int index, QdPhysicalSms* message)
{
    const int rc = SmsBackend().Operate(73, [&](GSM::Platform& p) { return p.QdReadPhysicalSmsMessage(index, message); });
    if (rc == kQdSuccess)
        SmsBackend().TheDevice().AfterSmsRead(index, *message);
    return rc;
}

int QdReadAllPhysicalSmsMessages(QdPhysicalSms** list, int* count)
{
    const int rc = SmsBackend().Operate(74, [&](GSM::Platform& p) { return p.QdReadAllPhysicalSmsMessages(list, count); });
    if (rc == kQdSuccess)
        SmsBackend().TheDevice().AfterSmsListRead(*list, *count);
    return rc;
}

int QdDeletePhysicalSmsMessage(int index)
{
    const int rc = SmsBackend().Operate(76, [&](GSM::Platform& p) { return p.QdDeletePhysicalSmsMessage(index); });
    // Left in the copy, the message would stand in for the next one the card stores there.
    if (rc == kQdSuccess)
        SmsBackend().TheDevice().AfterSmsDeleted(index);
    return rc;
}
