#pragma once
// The operations every AT-driven card shares, over the device's AT channel: the start-up
// sequence, the identity operations, the network services (reports, settings, network
// and technology selection, bands, voice calls, USSD), and the SIM, PIN and radio
// operations, SMS in PDU mode and the SIM phonebook. The data calls answer "not
// supported" until they are built. Init, Exit and the GPS operations belong to the
// subclasses.
//
// Every operation runs under the library lock for its whole run, so that no two card
// operations overlap, and turns a raised result code into its return value.

#include "nodekin/Nodekin.h"
#include "quelder/at/QuotedString.h"
#include "quelder/platforms/Platform.h"
#include "quelder/platforms/StartUpReports.h"
#include "quelder/sms/SmsAnswers.h"

#include <chrono>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace GSM {

class Device;
class Modem;

// Raises kQdNullPointer for an output the caller did not give.
void RequireOutput(const void* pointer);
// Copies `text` with its NUL into the caller's buffer; a buffer too small for it gets
// nothing, as a cut number or name would read as another one.
void CopyOut(std::string_view text, char* buffer, std::uint32_t size);

// Who made the card, as far as the AT dialect goes.
enum class CardFamily { own, huawei, zte, other };
CardFamily FamilyOf(std::uint32_t typeCode) noexcept;

class GenericPlatform : public Platform {
public:
    explicit GenericPlatform(Device& device) : device_(device) {}

    QD_OPERATIONS_STARTUP_AND_IDENTITY(QD_OVERRIDE_OPERATION)
    QD_OPERATIONS_NETWORK_SERVICES(QD_OVERRIDE_OPERATION)
    QD_OPERATIONS_SIM_AND_RADIO(QD_OVERRIDE_OPERATION)
    QD_OPERATIONS_DATA_CALLS(QD_NOT_SUPPORTED_OPERATION)
    QD_OPERATIONS_SMS(QD_OVERRIDE_OPERATION)
    QD_OPERATIONS_SMS_STORE(QD_OVERRIDE_OPERATION)
    QD_OPERATIONS_PHONEBOOK(QD_OVERRIDE_OPERATION)

    QdResult QdEnableRegistrationEvents() override;
    QdResult QueryCellTypes(int* type2g, int* type3g) override;
    QdResult QueryWcdmaCellType(int* type) override;
    QdResult InitializePhonebook() override;

    static constexpr auto kStartUpRetryPeriod = std::chrono::milliseconds(1000);
    static constexpr auto kStartUpRetryLimit = std::chrono::seconds(30);

protected:
    // How much of the device an operation needs. `foundOwnPorts`: found, for an
    // operation on ports of its own, which a data connection on the AT channel leaves free.
    enum class Needs { found, initialized, foundOwnPorts };

    // Runs `body` under the library lock once the device is ready for it; the code it
    // raised, or 0.
    QdResult Run(Needs needs, const std::function<void(Modem&)>& body);

    Device& device_;

private:
    // A command answered by OK alone.
    QdResult Simple(std::string_view command);
    // A command answered by one line of text (after `prefix`), copied to the buffer.
    QdResult AskTextInto(std::string_view command, std::string_view prefix, char* buffer, std::uint32_t size);
    QdResult StartUp(bool full, int delayMilliseconds);
    void StartUpOnce(bool full, int delayMilliseconds);
    void ProbeAndEnableErrors(int delayMilliseconds);
    void ReadFirmwareVersion();
    void SwitchOnReports(const NkCardInfo& card);
    // Sends each row of `rows` that applies to the card, reading its answer as the row says.
    void SendApplying(std::span<const StartUpRow> rows, const NkCardInfo& card);
    void ReadHsxpaCategory();
    // The PIN/PUK state into the cache (event 11 on change, also without one when
    // `announce`), and while the PIN is in, the SIM state; the code the PIN/PUK state
    // was read with.
    QdResult ReadSimState(bool announce);
    void EnableExtendedErrors();
    int ReadPinPukState();
    bool ReadSimReady();
    // One command whose failure is logged and does not stop the start-up.
    bool Optional(std::string_view command, const std::function<void(Modem&)>& read = nullptr);
    // Sends each row that applies, every one even after a failure; raises the first
    // failure's code at the end.
    void SendEach(std::span<const StartUpRow> rows, const NkCardInfo& card);
    // The start-up's findings, for the code that runs outside a card operation.
    void PublishFeatures();
    // The +COPS answer of `command` ("AT+COPS=3,2;+COPS?"), one per "+COPS?" it holds.
    std::vector<std::string> AskOperator(std::string_view command, std::size_t answers);
    std::vector<std::string> AskBandLines();

    // The SIM's message storage counts of "AT+CPMS?", which also tell whether it is full.
    std::vector<StorageCount> AskStorageCounts(Modem& modem);
    // The SIM phonebook's figures, read once it is set up; sets it up when it is not yet.
    void EnsurePhonebook(Modem& modem);
    void SetUpPhonebook(Modem& modem);
    void RefreshPhonebookCount(Modem& modem);
    // Phonebook texts travel as UCS2 hex on cards that have it.
    QuotedString::Mode PhonebookCoding() const noexcept;
    std::string PhonebookText(const std::string& quoted) const;

    CardFeatures features_;
    struct PhonebookFigures {
        PhonebookRange range;
        PhonebookCount count;
    };
    std::optional<PhonebookFigures> phonebook_;
    // Whether QdInitializeSim has told the PIN state since the last start-up.
    bool simStateAnnounced_ = false;
};

} // namespace GSM
