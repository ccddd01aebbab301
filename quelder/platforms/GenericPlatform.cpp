#include "quelder/platforms/GenericPlatform.h"

#include "nodekin/CardTraits.h"
#include "platform/SystemError.h"
#include "quelder/BackendLog.h"
#include "quelder/Device.h"
#include "quelder/Names.h"
#include "quelder/at/Exchange.h"
#include "quelder/platforms/Answers.h"

#include <cstring>
#include <new>

namespace GSM {
namespace {

using namespace std::chrono_literals;

constexpr QdResult kSimBusy = qdCmeError(14);
constexpr QdResult kSimPinRequired = qdCmeError(11);
constexpr QdResult kStartUpNotReady = qdCmeError(769); // the card is still starting
constexpr QdResult kStartUpGaveUp = qdLibraryError(32);

bool AtLeast(const std::optional<FirmwareVersion>& version, FirmwareVersion least) noexcept
{
    return version && *version >= least;
}

const char* Supported(bool on) noexcept { return on ? "is" : "is not"; }
const char* Enabled(bool on) noexcept { return on ? "enabled" : "disabled"; }

} // namespace

CardFamily FamilyOf(std::uint32_t typeCode) noexcept
{
    if (Nodekin::isHuawei(typeCode))
        return CardFamily::huawei;
    if (Nodekin::isZte(typeCode))
        return CardFamily::zte;
    // The other makers' modules among the maker's codes speak their makers' dialects.
    return Nodekin::speaksMakersDialect(typeCode) ? CardFamily::own : CardFamily::other;
}

void RequireOutput(const void* pointer)
{
    if (pointer == nullptr)
        Raise(kQdNullPointer);
}

void CopyOut(std::string_view text, char* buffer, std::uint32_t size)
{
    RequireOutput(buffer);
    if (text.size() + 1 > size)
        Raise(qdSystemError(Os::kErrorInsufficientBuffer));
    std::memcpy(buffer, text.data(), text.size());
    buffer[text.size()] = '\0';
}

QdResult GenericPlatform::Run(Needs needs, const std::function<void(Modem&)>& body)
{
    std::lock_guard lock(device_.LibraryLock());
    const int rc = device_.CheckAccess(true, needs != Needs::initialized);
    // The busy channel is the last check: every other one has passed.
    if (rc != kQdSuccess && !(rc == kQdChannelBusy && needs == Needs::foundOwnPorts))
        return rc;
    try {
        body(static_cast<Modem&>(device_));
        return kQdSuccess;
    } catch (const ResultError& error) {
        return error.code();
    } catch (const std::bad_alloc&) {
        return kQdOutOfMemory;
    }
}

// ---------------------------------------------------------------------------------------
// Start-up

QdResult GenericPlatform::QdStartDevice(int delayMilliseconds) { return StartUp(false, delayMilliseconds); }

QdResult GenericPlatform::QdInitializeDevice(int full, int delayMilliseconds, int /*reserved*/)
{
    return StartUp(full != 0, delayMilliseconds);
}

QdResult GenericPlatform::StartUp(bool full, int delayMilliseconds)
{
    if (device_.State() == DeviceState::initialized && device_.CheckAccess(false) == kQdSuccess)
        return kQdSuccess;
    const auto giveUp = std::chrono::steady_clock::now() + kStartUpRetryLimit;
    for (;;) {
        const QdResult rc = Run(Needs::found, [&](Modem&) { StartUpOnce(full, delayMilliseconds); });
        if (rc != kStartUpNotReady)
            return rc;
        if (std::chrono::steady_clock::now() >= giveUp)
            return kStartUpGaveUp;
        if (!device_.Pause(kStartUpRetryPeriod))
            return kQdNoDevice;
    }
}

void GenericPlatform::StartUpOnce(bool full, int delayMilliseconds)
{
    if (device_.State() == DeviceState::initialized)
        return;
    simStateAnnounced_ = false;
    phonebook_.reset();
    const NkCardInfo card = device_.Card();
    ProbeAndEnableErrors(delayMilliseconds);
    ReadFirmwareVersion();
    if (full)
        SwitchOnReports(card);
    // The maker's cards are plugged into a slot or a port; none is built in.
    device_.Set(Value::removable, 3);
    if (Nodekin::speaksMakersDialect(card))
        ReadHsxpaCategory();

    PublishFeatures();
    device_.SetDeviceState(DeviceState::initialized);
    const int cs = device_.Get(Value::csNetworkState);
    device_.Set(Value::voiceState, features_.voice && (cs == 1 || cs == 5) ? 1 : 0);
    if (full)
        ReadSimState(false);
}

void GenericPlatform::ProbeAndEnableErrors(int delayMilliseconds)
{
    Modem& modem = device_;
    xlog(logNormal, "Qd: Waiting %d milliseconds before initializing...", delayMilliseconds);
    if (delayMilliseconds > 0 && !device_.Pause(std::chrono::milliseconds(delayMilliseconds)))
        Raise(kQdNoDevice);
    modem.ClearAnswers();
    static constexpr std::uint8_t kCarriageReturn[] = {'\r'};
    modem.Write(kCarriageReturn);

    constexpr int kAttempts = 3;
    for (int attempt = 1;; ++attempt) {
        try {
            Do(modem, "AT", 2s);
            break;
        } catch (const ResultError& error) {
            if (attempt == kAttempts || error.code() == kQdNoDevice)
                throw;
        }
        if (!device_.Pause(333ms))
            Raise(kQdNoDevice);
    }
    EnableExtendedErrors();
}

void GenericPlatform::EnableExtendedErrors()
{
    Modem& modem = device_;
    Do(modem, "ATE0");
    Do(modem, "AT+CMEE=1");
}

void GenericPlatform::ReadFirmwareVersion()
{
    const std::string text = AskText(device_, "AT+CGMR", {}, 3s);
    const std::optional<FirmwareVersion> version = FirmwareVersionOf(text);
    if (version) {
        xlog(logNormal, "Qd: Detected firmware version is %d.%d.%d", version->major, version->minor, version->build);
    } else {
        xlog(logWarning, "Qd: Could not determine firmware version from string [%s]", text.c_str());
    }
    device_.SetFirmware(version);

    features_ = CardFeatures{};
    features_.ucs2 = AtLeast(version, {2, 0, 0});
    features_.smsConcatenation = AtLeast(version, {3, 0, 0});
    features_.technologySelection = AtLeast(version, {3, 0, 0});
    features_.voice = false; // until the card says otherwise
    features_.cellEvent3g = AtLeast(version, {4, 0, 0});
    features_.dynamicTcpWindow = AtLeast(version, {4, 2, 0});
    xlog(logNormal, "Qd: UCS2 string support is %s", Enabled(features_.ucs2));
    xlog(logNormal, "Qd: SMS concatenation support is %s", Enabled(features_.smsConcatenation));
    xlog(logNormal, "Qd: Technology selection %s supported", Supported(features_.technologySelection));
    xlog(logNormal, "Qd: Voice %s supported by this card", Supported(features_.voice));
    xlog(logNormal, "Qd: 3G cell event is %s", Enabled(features_.cellEvent3g));
    xlog(logNormal, "Qd: Dynamic changing of TCP receive window size is %s", Enabled(features_.dynamicTcpWindow));
}

bool GenericPlatform::Optional(std::string_view command, const std::function<void(Modem&)>& read)
{
    Modem& modem = device_;
    try {
        modem.Command(command).Send();
        if (read)
            read(modem);
        modem.WaitFinal();
        return true;
    } catch (const ResultError& error) {
        // A card that has gone ends the start-up; anything else only loses that report.
        if (error.code() == kQdNoDevice || error.code() == kStartUpNotReady)
            throw;
        xlog(logWarning, "Qd: %.*s failed with 0x%x during initialization", static_cast<int>(command.size()),
             command.data(), static_cast<unsigned>(error.code()));
        return false;
    }
}

void GenericPlatform::PublishFeatures() { device_.SetFeatures(features_); }

void GenericPlatform::SendEach(std::span<const StartUpRow> rows, const NkCardInfo& card)
{
    QdResult first = kQdSuccess;
    ForEachApplying(rows, StartUpCard{card, features_}, [&](const StartUpRow& row) {
        try {
            device_.Command(row.text).Send();
            if (row.action != nullptr)
                row.action(device_, device_, features_);
            device_.WaitFinal();
        } catch (const ResultError& error) {
            if (error.code() == kQdNoDevice)
                throw;
            xlog(logWarning, "Qd: %.*s failed with 0x%x", static_cast<int>(row.text.size()), row.text.data(),
                 static_cast<unsigned>(error.code()));
            if (first == kQdSuccess)
                first = error.code();
        }
    });
    if (first != kQdSuccess)
        Raise(first);
}

void GenericPlatform::SwitchOnReports(const NkCardInfo& card)
{
    SendApplying(CapabilityQueries(), card);
    xlog(logNormal, "Qd: Technology selection %s supported", Supported(features_.technologySelection));
    xlog(logNormal, "Qd: Voice %s supported by this card", Supported(features_.voice));
    SendApplying(StartUpReports(), card);
}

void GenericPlatform::SendApplying(std::span<const StartUpRow> rows, const NkCardInfo& card)
{
    ForEachApplying(rows, StartUpCard{card, features_}, [&](const StartUpRow& row) {
        if (row.action == nullptr)
            Optional(row.text);
        else
            Optional(row.text, [&](Modem& modem) { row.action(modem, device_, features_); });
    });
}

void GenericPlatform::ReadHsxpaCategory()
{
    Optional("AT_THSPACAT?", [this](Modem& modem) {
        modem.ExpectPrefix("_THSPACAT:");
        const HsxpaRates rates = HsxpaRatesOf(modem.RestOfLine());
        modem.EndLine();
        device_.Set(Value::hsxpaDownload, rates.download);
        device_.Set(Value::hsxpaUpload, rates.upload);
        xlog(logNormal, "Qd: HSxPA category has been set to download=%d bps, upload=%d bps", rates.download,
             rates.upload);
    });
}

bool GenericPlatform::ReadSimReady()
{
    Modem& modem = device_;
    if (AskInt(modem, "AT_TBLS", "_TBLS:") == 0)
        return false;
    // While the SIM is still being read the card answers "SIM busy".
    for (const std::string_view command : {"AT+CNUM", "AT+CPMS?"}) {
        try {
            Do(modem, command);
        } catch (const ResultError& error) {
            if (error.code() == kSimBusy)
                return false;
            throw;
        }
    }
    return true;
}

// ---------------------------------------------------------------------------------------
// Identity and single commands

QdResult GenericPlatform::Simple(std::string_view command)
{
    return Run(Needs::initialized, [command](Modem& modem) { Do(modem, command); });
}

QdResult GenericPlatform::AskTextInto(std::string_view command, std::string_view prefix, char* buffer,
                                      std::uint32_t size)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(buffer);
        CopyOut(AskText(modem, command, prefix), buffer, size);
    });
}

QdResult GenericPlatform::QdInitializeVoice()
{
    return Run(Needs::initialized, [this](Modem& modem) {
        modem.Command("AT_TDO?").Send();
        modem.ExpectPrefix("_TDO:");
        features_.voice = modem.ReadInt() != 0;
        modem.EndLine();
        modem.WaitFinal();
        PublishFeatures();
    });
}

QdResult GenericPlatform::QdSendOspds() { return Simple("AT_TSPDS"); }

QdResult GenericPlatform::QdEnableExtendedErrorReporting()
{
    return Run(Needs::initialized, [this](Modem&) { EnableExtendedErrors(); });
}

QdResult GenericPlatform::QdSendAtCommand(const char* command, char* answer, std::uint32_t answerSize)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(command);
        RequireOutput(answer);
        std::string text;
        for (const std::string& line : AskLines(modem, command)) {
            if (!text.empty())
                text += "\r\n";
            text += line;
        }
        CopyOut(text, answer, answerSize);
    });
}

QdResult GenericPlatform::QdGetExtendedErrorReport(char* report, std::uint32_t size)
{
    return AskTextInto("AT+CEER", "+CEER:", report, size);
}

QdResult GenericPlatform::QdResetDevice() { return Simple("AT_TRESET"); }

QdResult GenericPlatform::QdGetDeviceName(char* name, std::uint32_t size)
{
    return AskTextInto("AT+CGMM", {}, name, size);
}

QdResult GenericPlatform::QdGetProductName(char* name, std::uint32_t size)
{
    return AskTextInto("AT_TPMN", "_TPMN:", name, size);
}

QdResult GenericPlatform::QdGetFirmwareInfo(char* firmware, std::uint32_t size)
{
    return AskTextInto("AT+CGMR", {}, firmware, size);
}

QdResult GenericPlatform::QdGetHardwareVersion(char* version, std::uint32_t size)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(version);
        switch (FamilyOf(device_.Card().typeCode)) {
        case CardFamily::huawei:
            return CopyOut(AskText(modem, "AT^HWVER", "^HWVER:"), version, size);
        case CardFamily::zte:
            return CopyOut(AskText(modem, "AT+ZPCB?", "+ZPCB:"), version, size);
        case CardFamily::own:
            return CopyOut(AskText(modem, "AT_THWV", "_THWV:"), version, size);
        case CardFamily::other:
            break;
        }
        Raise(kQdNotSupported);
    });
}

QdResult GenericPlatform::QdGetOwnPhoneNumbers(char* numbers, std::uint32_t size)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(numbers);
        // +CNUM: "Voice","+15551230000",145 - one line per number; the numbers, comma-separated.
        std::string all;
        constexpr std::string_view kPrefix = "+CNUM:";
        for (const std::string& line : AskLines(modem, "AT+CNUM")) {
            if (!line.starts_with(kPrefix))
                continue; // not a number line: an unknown report, a second echo
            const std::string number = OwnNumberOf(std::string_view(line).substr(kPrefix.size()));
            if (!all.empty())
                all += ',';
            all += number;
        }
        CopyOut(all, numbers, size);
    });
}

QdResult GenericPlatform::QdGetImeiNumber(char* imei, std::uint32_t size)
{
    return AskTextInto("AT+CGSN", {}, imei, size);
}

QdResult GenericPlatform::QdGetSerialNumber(char* serial, std::uint32_t size)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(serial);
        if (Nodekin::speaksMakersDialect(device_.Card()))
            CopyOut(AskText(modem, "AT_TGSN", "_TGSN:"), serial, size);
        else
            CopyOut(AskText(modem, "AT+CGSN"), serial, size);
    });
}

QdResult GenericPlatform::QdGetSimSerialNumber(char* iccid, std::uint32_t size)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(iccid);
        // +CRSM: 144,0,"98101430121181157002" - status words, then EF_ICCID.
        CopyOut(IccidOf(AskText(modem, "AT+CRSM=176,12258,0,0,10", "+CRSM:")), iccid, size);
    });
}

QdResult GenericPlatform::QdGetImsiNumber(char* imsi, std::uint32_t size)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(imsi);
        if (device_.Get(Value::pinPukState) == kPinStateUnknown)
            device_.Set(Value::pinPukState, ReadPinPukState(), Value::pinPukResult, kQdSuccess);
        // The card does not give the IMSI before the PIN is entered.
        if (device_.Get(Value::pinPukState) != kPinStateReady)
            Raise(kSimPinRequired);
        CopyOut(AskText(modem, "AT+CIMI"), imsi, size);
    });
}

QdResult GenericPlatform::QdGetRxCode(int* code)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(code);
        *code = AskInt(modem, "AT_TRXC?", "_TRXC:");
    });
}

QdResult GenericPlatform::QdQueryOisov(char* answer, std::uint32_t size)
{
    return AskTextInto("AT_TISOV?", "_TISOV:", answer, size);
}

QdResult GenericPlatform::QdGetSimReadyState(int* ready)
{
    return Run(Needs::initialized, [&](Modem&) {
        RequireOutput(ready);
        *ready = ReadSimReady() ? 1 : 0;
    });
}

QdResult GenericPlatform::QdQueryOsrls(char* answer, std::uint32_t size)
{
    return AskTextInto("AT_TSRLS", "_TSRLS:", answer, size);
}

QdResult GenericPlatform::QdSendOsudl() { return Simple("AT_TSUDL"); }

} // namespace GSM
