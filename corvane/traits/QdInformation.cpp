#include "corvane/traits/QdInformation.h"

#include "corvane/Keys.h"
#include "corvane/traits/OperatorNames.h"

#include <array>
#include <cstdio>
#include <cstring>
#include <string>

namespace Corvane {

namespace {

constexpr std::uint32_t textSize = 256;
using TextBuffer = std::array<char, textSize>;
using TextCall = int (QdBackend::*)(char*, std::uint32_t);

// A text value of the card, terminated whatever the backend left in the buffer.
bool readText(QdBackend& backend, TextCall call, TextBuffer& text)
{
    text.fill('\0');
    if ((backend.*call)(text.data(), textSize) < 0)
        return false;
    text.back() = '\0';
    return true;
}

void writeText(QdBackend& backend, TextCall call, Dictionary& record, const char* key)
{
    TextBuffer text;
    if (readText(backend, call, text))
        record.setString(key, text.data());
}

// Copies a fixed-size name of the card record, which need not be terminated.
template <std::size_t N>
void writeName(Dictionary& record, const char* key, const char (&name)[N])
{
    record.setString(key, std::string(name, ::strnlen(name, N)).c_str());
}

namespace networkEntry {
constexpr std::size_t longName = 8;
constexpr std::size_t longNameSize = 33;
constexpr std::size_t shortName = 41;
constexpr std::size_t shortNameSize = 19;
constexpr std::size_t technology = 60;

std::int32_t integerAt(const unsigned char* entry, std::size_t offset)
{
    std::int32_t value = 0;
    std::memcpy(&value, entry + offset, sizeof value);
    return value;
}

// The names need not be terminated within their fields.
std::string nameAt(const unsigned char* entry, std::size_t offset, std::size_t size)
{
    const char* name = reinterpret_cast<const char*>(entry + offset);
    return std::string(name, ::strnlen(name, size));
}
} // namespace networkEntry

// The card is busy while the SIM is asked.
class BusyBracket {
public:
    explicit BusyBracket(SignalPublisher& publisher) : publisher_(publisher) { publisher_.publish(sigDeviceBusy, {}); }
    ~BusyBracket() { publisher_.publish(sigDeviceDone, {}); }
    BusyBracket(const BusyBracket&) = delete;
    BusyBracket& operator=(const BusyBracket&) = delete;

private:
    SignalPublisher& publisher_;
};

} // namespace

void formatDriverVersion(std::uint32_t high, std::uint32_t low, char (&text)[48])
{
    std::snprintf(text, sizeof text, "%ld.%ld.%ld.%ld", static_cast<long>(high >> 16), static_cast<long>(high & 0xFFFF),
                  static_cast<long>(low >> 16), static_cast<long>(low & 0xFFFF));
}

std::string_view ownPhoneNumber(std::string_view answer) noexcept
{
    const auto first = answer.find(',');
    if (first == std::string_view::npos)
        return {};
    const auto rest = answer.substr(first + 1);
    return rest.substr(0, rest.find(','));
}

void readDeviceInformation(QdBackend& backend, Dictionary& record)
{
    NkCardInfo card{};
    card.size = sizeof card;
    if (backend.QdGetCardInfo(&card) >= 0) {
        record.setString(key::deviceModel, std::to_string(static_cast<int>(card.typeCode)).c_str());
        record.setInteger(key::vendorId, card.vendorId);
        record.setInteger(key::productId, card.productId);
        writeName(record, key::modemPort, card.modemName);
        writeName(record, key::appPort, card.applicationPort);
        writeName(record, key::app2Port, card.application2Port);
        writeName(record, key::wwanName, card.wwanAdapterName);
        writeName(record, key::gpsControlPort, card.gpsControlPort);
        writeName(record, key::gpsDataPort, card.gpsDataPort);
    }
    writeText(backend, &QdBackend::QdGetDeviceName, record, key::deviceName);
    writeText(backend, &QdBackend::QdGetProductName, record, key::marketingName);
    writeText(backend, &QdBackend::QdGetFirmwareInfo, record, key::firmwareVersion);
    writeText(backend, &QdBackend::QdGetHardwareVersion, record, key::hardwareVersion);
    writeText(backend, &QdBackend::QdGetDriverPath, record, key::driverPath);
    writeText(backend, &QdBackend::QdGetSerialNumber, record, key::deviceSerial);
    // The backend answers the receive code as a number; the key holds text.
    if (int code = 0; backend.QdGetRxCode(&code) >= 0)
        record.setString(key::rxCode, std::to_string(code).c_str());
    writeText(backend, &QdBackend::QdQueryOisov, record, key::isoVersion);

    std::uint32_t high = 0;
    std::uint32_t low = 0;
    if (backend.QdGetDriverVersion(&high, &low) >= 0) {
        char version[48];
        formatDriverVersion(high, low, version);
        record.setString(key::driverVersion, version);
    }
}

void readRadioInformation(QdBackend& backend, SignalPublisher& publisher, Dictionary& record)
{
    int radioSupport = 1; // standard radio
    bool radioOn = false;
    if (int state = 0; backend.QdGetCurrentRadioState(&state) >= 0) {
        publisher.publish(sigRadioSupport, {});
        radioOn = state == 1;
        record.setInteger(key::radioState, radioOn ? 1 : 2);
        publisher.publish(radioOn ? sigRadioOn : sigRadioOff, {});
    }
    if (int present = 0; backend.QdHasSmartAntenna(&present) >= 0 && present != 0) {
        radioSupport = 3;
        if (int pulledOut = 0; backend.QdGetSmartAntennaPosition(&pulledOut) >= 0) {
            record.setInteger(key::smartAntennaPosition, pulledOut != 0 ? 0 : 1);
            publisher.publish(pulledOut != 0 ? sigAntennaOut : sigAntennaIn, {});
        }
    }
    if (int hwSwitch = 0; backend.QdGetHwSwitchState(&hwSwitch) >= 0 && (hwSwitch == 2 || hwSwitch == 3)) {
        radioSupport = 2;
        record.setInteger(key::hwSwitchState, hwSwitch == 2 ? 1 : 0);
        // A switch that is on only lets the radio be on: told as the radio coming on
        // while the user has switched it off, it would have the radio machine switch it
        // straight back on. A switch that is off holds the radio off whatever it was.
        if (hwSwitch == 3)
            publisher.publish(sigRadioOff, {});
        else if (radioOn)
            publisher.publish(sigRadioOn, {});
    }
    record.setInteger(key::radioSupport, radioSupport);
}

void readSimInformation(QdBackend& backend, SignalPublisher& publisher, Dictionary& record)
{
    {
        BusyBracket busy(publisher);
        if (int initialised = 0; backend.QdIsSimInitialized(&initialised) >= 0)
            record.setInteger(key::simState, initialised);
    }
    const auto bracketedText = [&](TextCall call, const char* key) {
        BusyBracket busy(publisher);
        writeText(backend, call, record, key);
    };
    bracketedText(&QdBackend::QdQueryOsrls, key::simLockState);
    {
        BusyBracket busy(publisher);
        if (int mode = 0; backend.QdGetPinMode(&mode) >= 0)
            record.setInteger(key::pinMode, mode != 0 ? 1 : 0);
    }
    bracketedText(&QdBackend::QdGetSimSerialNumber, key::simSerial);
    bracketedText(&QdBackend::QdGetImeiNumber, key::imei);
    bracketedText(&QdBackend::QdGetImsiNumber, key::imsi);
    bracketedText(&QdBackend::QdGetIdleText, key::idleText);
    BusyBracket busy(publisher);
    if (TextBuffer numbers; readText(backend, &QdBackend::QdGetOwnPhoneNumbers, numbers))
        record.setString(key::ownPhoneNr, std::string(ownPhoneNumber(numbers.data())).c_str());
}

Dictionary networkEntryRecord(const unsigned char* entry)
{
    using namespace networkEntry;
    const std::string reportedLong = nameAt(entry, longName, longNameSize);
    const std::string reportedShort = nameAt(entry, shortName, shortNameSize);
    Dictionary network;
    network.setInteger(key::mccmnc, integerAt(entry, 0));
    network.setInteger(key::networkState, integerAt(entry, 4));
    network.setInteger(key::networkTechnology, integerAt(entry, technology));
    network.setString(key::longNetworkName,
                      std::string(operatorNames::longForm(reportedLong).value_or(reportedLong)).c_str());
    network.setString(key::shortNetworkName,
                      std::string(operatorNames::shortForm(reportedShort).value_or(reportedShort)).c_str());
    return network;
}

void readNetworkInformation(QdBackend& backend, Dictionary& record)
{
    std::array<unsigned char, networkEntrySize> entry{};
    if (backend.QdGetNetworkInformation(entry.data()) < 0)
        return;
    record.merge(networkEntryRecord(entry.data()));
}

} // namespace Corvane
