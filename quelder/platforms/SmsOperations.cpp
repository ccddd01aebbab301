// The generic platform's SMS operations, in PDU mode on the SIM's storage ("SM"): the
// start-up, the service centre, the storage counters, reading, writing, deleting and
// sending messages.
//
// Writing and sending go in two steps: the command with the TPDU length, then, once the
// card has prompted with "> ", the PDU and Ctrl-Z. When anything fails after the command
// went out, an ESC follows, so that a card still waiting for the PDU does not take the
// next command as one.

#include "quelder/platforms/GenericPlatform.h"

#include "nodekin/CardTraits.h"
#include "quelder/BackendLog.h"
#include "quelder/Device.h"
#include "quelder/at/Exchange.h"
#include "quelder/platforms/FamilyRow.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>

namespace GSM {
namespace {

using namespace std::chrono_literals;

// A network answers a sent message within seconds, but a card on a weak cell takes its time.
constexpr auto kSmsSendTimeout = 60s;
constexpr auto kSmsPromptTimeout = 10s;
// A full SIM's list takes a while to read.
constexpr auto kSmsListTimeout = 60s;

constexpr std::string_view kSimStorage = "SM";
constexpr std::uint8_t kCancelPromptByte = 0x1B;
constexpr char kEndOfPdu = 0x1A;

// How each family routes new messages and status reports: the command that selects PDU
// mode with them. The last row is for every other card.
using SmsStartRow = FamilyRow<NkCardInfo, std::nullptr_t>;

std::span<const SmsStartRow> SmsStartCommands()
{
    static const std::vector<SmsStartRow> rows{
        // Status reports come as "+CDS:" with the report itself.
        {"AT+CNMI=2,1,0,1;+CMGF=0", Nodekin::CardCondition(Nodekin::speaksMakersDialect), nullptr},
        // Status reports are stored and announced.
        {"AT+CNMI=2,1,0,2;+CMGF=0", Nodekin::CardCondition(Nodekin::isHuawei), nullptr},
        {"AT+CNMI=2,1,0;+CMGF=0", Nodekin::CardCondition::always(), nullptr},
    };
    return rows;
}

// A message the caller hands over to be written or sent.
void RequireStorableMessage(const QdPhysicalSms* message)
{
    RequireOutput(message);
    const std::string_view pdu(message->pdu, strnlen(message->pdu, sizeof message->pdu));
    if (pdu.size() == sizeof message->pdu || !IsStorablePdu(pdu) || message->tpduLength < 1 ||
        static_cast<std::size_t>(message->tpduLength) > pdu.size() / 2)
        Raise(kQdInvalidParameter);
}

void CancelPrompt(Modem& modem) noexcept
{
    try {
        const std::uint8_t escape[] = {kCancelPromptByte};
        modem.Write(escape);
    } catch (const ResultError&) {
        // The port has gone: nobody waits for the PDU any more.
    }
}

// The two steps of "AT+CMGS=" and "AT+CMGW=": `command` (with its arguments), the
// prompt, the PDU; the number the card answers after `answerPrefix`.
int SendPduAfterPrompt(Modem& modem, std::string_view command, const QdPhysicalSms& message,
                       std::string_view answerPrefix)
{
    modem.SetTimeout(kSmsPromptTimeout);
    modem.Command(command).Send();
    try {
        modem.ExpectPrefix(">");
        modem.EndLine();
        std::string body(message.pdu);
        body += kEndOfPdu;
        modem.SetTimeout(kSmsSendTimeout);
        modem.Command(body).Send(kSendRaw);
        modem.ExpectPrefix(answerPrefix);
        const int value = modem.ReadInt();
        modem.EndLine();
        modem.WaitFinal();
        return value;
    } catch (const ResultError& error) {
        if (error.code() != kQdNoDevice)
            CancelPrompt(modem);
        throw;
    }
}

// An index of the message storage, as it goes into a command.
void RequireStorageIndex(int index)
{
    if (index < 0)
        Raise(kQdInvalidParameter);
}

const StorageCount& SimStorageOf(const std::vector<StorageCount>& counts)
{
    const auto sim = std::find_if(counts.begin(), counts.end(), [](const StorageCount& c) { return c.name == kSimStorage; });
    return sim != counts.end() ? *sim : counts.front();
}

// A block of `count` records from the local heap, for the client to release with
// QdFreeMemory; null for none.
template <class Record>
Record* HeapCopy(const std::vector<Record>& records)
{
    if (records.empty())
        return nullptr;
    void* block = std::malloc(records.size() * sizeof(Record));
    if (block == nullptr)
        Raise(kQdOutOfMemory);
    std::memcpy(block, records.data(), records.size() * sizeof(Record));
    return static_cast<Record*>(block);
}

} // namespace

// ---------------------------------------------------------------------------------------
// Start-up and settings

QdResult GenericPlatform::QdInitializeSms()
{
    return Run(Needs::initialized, [this](Modem& modem) {
        const SmsStartRow* row = FirstApplying(SmsStartCommands(), device_.Card());
        Do(modem, row->text);
        modem.Command("AT+CPMS=\"SM\",\"SM\",\"SM\"").Send();
        modem.ExpectPrefix("+CPMS:");
        const std::vector<StorageCount> counts = StorageCountsOf(modem.RestOfLine());
        modem.EndLine();
        modem.WaitFinal();
        const StorageCount& sim = counts.front();
        device_.Set(Value::simFull, sim.total > 0 && sim.used >= sim.total ? 1 : 0);
    });
}

QdResult GenericPlatform::QdSetSmsConcatenationSupport(int enabled)
{
    return Run(Needs::found, [this, enabled](Modem&) {
        features_.smsConcatenation = enabled != 0;
        xlog(logNormal, "Qd: SMS concatenation support is %s", enabled != 0 ? "enabled" : "disabled");
        PublishFeatures();
    });
}

QdResult GenericPlatform::QdGetSmsServiceCenterAddress(char* address, std::uint32_t size)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(address);
        std::string number = ServiceCentreOf(AskText(modem, "AT+CSCA?", "+CSCA:"));
        // After the phonebook has switched the card to UCS2, the number comes as hex too.
        if (features_.ucs2)
            if (const std::optional<std::string> decoded = QuotedString::FromUcs2Hex(number);
                decoded && !decoded->empty() && decoded->find_first_not_of("+0123456789") == std::string::npos)
                number = *decoded;
        if (number.empty())
            Raise(kQdNotAvailable);
        CopyOut(number, address, size);
    });
}

// ---------------------------------------------------------------------------------------
// Storage counters

std::vector<StorageCount> GenericPlatform::AskStorageCounts(Modem& modem)
{
    const std::vector<StorageCount> counts = StorageCountsOf(AskText(modem, "AT+CPMS?", "+CPMS:"));
    const StorageCount& sim = SimStorageOf(counts);
    device_.Set(Value::simFull, sim.total > 0 && sim.used >= sim.total ? 1 : 0);
    return counts;
}

QdResult GenericPlatform::QdGetSimPhysicalSmsMessageStorageSize(int* size)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(size);
        *size = SimStorageOf(AskStorageCounts(modem)).used;
    });
}

QdResult GenericPlatform::QdGetSimPhysicalSmsStorageTotalSize(int* size)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(size);
        *size = SimStorageOf(AskStorageCounts(modem)).total;
    });
}

QdResult GenericPlatform::QdGetSmsStorageState(int* state)
{
    return Run(Needs::initialized, [&](Modem&) {
        RequireOutput(state);
        *state = device_.Get(Value::simFull);
    });
}

// The storage that messages are read from and deleted in: the first of the answer.
QdResult GenericPlatform::QdGetSmsStorageUsedCount(int* count)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(count);
        *count = AskStorageCounts(modem).front().used;
    });
}

QdResult GenericPlatform::QdGetSmsStorageCapacity(int* capacity)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(capacity);
        *capacity = AskStorageCounts(modem).front().total;
    });
}

// ---------------------------------------------------------------------------------------
// Messages

QdResult GenericPlatform::QdReadPhysicalSmsMessage(int index, QdPhysicalSms* message)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(message);
        RequireStorageIndex(index);
        modem.Command("AT+CMGR=").AppendInt(index).Send();
        try {
            modem.ExpectPrefix("+CMGR:");
            const std::string header = modem.RestOfLine();
            modem.EndLine();
            const std::string pdu = modem.RestOfLine();
            modem.EndLine();
            modem.WaitFinal();
            *message = PhysicalMessageOf(index, header, pdu);
        } catch (const ResultError& error) {
            // An empty index: OK alone, or a header without a PDU.
            if (error.code() == kQdUnexpectedFinal)
                Raise(kQdNotAvailable);
            throw;
        }
    });
}

QdResult GenericPlatform::QdReadAllPhysicalSmsMessages(QdPhysicalSms** list, int* count)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(list);
        RequireOutput(count);
        *list = nullptr;
        *count = 0;
        modem.SetTimeout(kSmsListTimeout);
        const std::vector<QdPhysicalSms> messages = PhysicalMessageListOf(AskLines(modem, "AT+CMGL=4"));
        *list = HeapCopy(messages);
        *count = static_cast<int>(messages.size());
    });
}

QdResult GenericPlatform::QdWritePhysicalSmsMessage(const QdPhysicalSms* message, int* index)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireStorableMessage(message);
        RequireOutput(index);
        // Only the states of a message to send can be written: received ones come from the network.
        const int status = message->status == QdSmsStoredSent ? QdSmsStoredSent : QdSmsStoredUnsent;
        const std::string command = "AT+CMGW=" + std::to_string(message->tpduLength) + "," + std::to_string(status);
        *index = SendPduAfterPrompt(modem, command, *message, "+CMGW:");
    });
}

QdResult GenericPlatform::QdDeletePhysicalSmsMessage(int index)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireStorageIndex(index);
        modem.Command("AT+CMGD=").AppendInt(index).Send();
        modem.WaitFinal();
    });
}

QdResult GenericPlatform::QdSendPhysicalSmsMessage(const QdPhysicalSms* message, int* reference)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireStorableMessage(message);
        RequireOutput(reference);
        const std::string command = "AT+CMGS=" + std::to_string(message->tpduLength);
        *reference = SendPduAfterPrompt(modem, command, *message, "+CMGS:");
    });
}

QdResult GenericPlatform::QdSendSmsMessageFromSim(int index, int* reference)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(reference);
        RequireStorageIndex(index);
        modem.SetTimeout(kSmsSendTimeout);
        modem.Command("AT+CMSS=").AppendInt(index).Send();
        modem.ExpectPrefix("+CMSS:");
        *reference = modem.ReadInt();
        modem.EndLine();
        modem.WaitFinal();
    });
}

} // namespace GSM
