#include "ModemReport.h"

#include "NoticeText.h"

#include "corvane/Enumerations.h"
#include "corvane/ErrorCode.h"
#include "corvane/Keys.h"

#include <array>
#include <cstdio>

namespace Orvanta::modem {
namespace {

using client::Notice;
using client::NoticeKind;
namespace key = Corvane::key;

enum class ValueType { integer, real, text };

struct KnownKey {
    const char* key;
    ValueType type;
};

// The values a notice may carry that a user reads. The codes ("pin", "puk", "newPin"),
// the password and the failed command's parameters are not among them, so no line and no
// object can carry one.
constexpr std::array kKnownKeys{
    KnownKey{key::libraryState, ValueType::integer},     KnownKey{key::deviceState, ValueType::integer},
    KnownKey{key::deviceId, ValueType::integer},         KnownKey{key::lastError, ValueType::integer},
    KnownKey{key::deviceModel, ValueType::text},         KnownKey{key::deviceName, ValueType::text},
    KnownKey{key::marketingName, ValueType::text},       KnownKey{key::modemPort, ValueType::text},
    KnownKey{key::appPort, ValueType::text},             KnownKey{key::app2Port, ValueType::text},
    KnownKey{key::wwanName, ValueType::text},            KnownKey{key::firmwareVersion, ValueType::text},
    KnownKey{key::hardwareVersion, ValueType::text},     KnownKey{key::driverVersion, ValueType::text},
    KnownKey{key::driverPath, ValueType::text},          KnownKey{key::imei, ValueType::text},
    KnownKey{key::deviceSerial, ValueType::text},        KnownKey{key::rxCode, ValueType::text},
    KnownKey{key::vendorId, ValueType::integer},         KnownKey{key::productId, ValueType::integer},
    KnownKey{key::isoVersion, ValueType::text},          KnownKey{key::gpsControlPort, ValueType::text},
    KnownKey{key::gpsDataPort, ValueType::text},         KnownKey{key::ownPhoneNr, ValueType::text},
    KnownKey{key::simSerial, ValueType::text},           KnownKey{key::imsi, ValueType::text},
    KnownKey{key::simState, ValueType::text},            KnownKey{key::simLockState, ValueType::text},
    KnownKey{key::pinMode, ValueType::integer},          KnownKey{key::pinState, ValueType::integer},
    KnownKey{key::pinKind, ValueType::integer},          KnownKey{key::pinCount, ValueType::integer},
    KnownKey{key::pukCount, ValueType::integer},         KnownKey{key::idleText, ValueType::text},
    KnownKey{key::signalStrength, ValueType::integer},   KnownKey{key::wcdmaSignalStrength, ValueType::integer},
    KnownKey{key::mccmnc, ValueType::integer},           KnownKey{key::networkState, ValueType::integer},
    KnownKey{key::registrationState, ValueType::integer}, KnownKey{key::longNetworkName, ValueType::text},
    KnownKey{key::shortNetworkName, ValueType::text},    KnownKey{key::networkTechnology, ValueType::integer},
    KnownKey{key::networkSelectionMode, ValueType::integer}, KnownKey{key::networkScanActive, ValueType::integer},
    KnownKey{key::radioSupport, ValueType::integer},     KnownKey{key::smartAntennaPosition, ValueType::integer},
    KnownKey{key::hwSwitchState, ValueType::integer},    KnownKey{key::radioState, ValueType::integer},
    KnownKey{key::connectionState, ValueType::integer},  KnownKey{key::gpsSupport, ValueType::integer},
    KnownKey{key::gpsState, ValueType::integer},         KnownKey{key::gpsLatitude, ValueType::real},
    KnownKey{key::gpsLongitude, ValueType::real},        KnownKey{key::gpsAltitude, ValueType::real},
    KnownKey{key::gpsSpeed, ValueType::real},            KnownKey{key::gpsDirection, ValueType::real},
    KnownKey{key::gpsSentence, ValueType::text},
};

std::string labelledLine(const char* label, const std::string& value)
{
    return std::string(label) + ": " + value;
}

std::string attempts(std::optional<long long> count)
{
    if (!count)
        return "";
    return ", " + std::to_string(*count) + (*count == 1 ? " attempt left" : " attempts left");
}

const char* simWord(SimStatus status)
{
    switch (status) {
    case SimStatus::ready: return "ready";
    case SimStatus::pinNeeded: return "PIN needed";
    case SimStatus::pukNeeded: return "PUK needed";
    case SimStatus::otherCodeNeeded: return "code needed";
    case SimStatus::missing: return "missing";
    case SimStatus::blocked: return "blocked";
    case SimStatus::unknown: break;
    }
    return "unknown";
}

std::string deviceWord(const std::optional<long long>& state)
{
    return client::deviceStateText(state.value_or(-1));
}

std::string valueText(const Notice& notice, const KnownKey& known)
{
    switch (known.type) {
    case ValueType::integer: return std::to_string(*notice.integer(known.key));
    case ValueType::real: {
        char text[32];
        std::snprintf(text, sizeof text, "%.6f", *notice.real(known.key));
        return text;
    }
    case ValueType::text: return *notice.text(known.key);
    }
    return {};
}

bool carries(const Notice& notice, const KnownKey& known)
{
    switch (known.type) {
    case ValueType::integer: return notice.integer(known.key).has_value();
    case ValueType::real: return notice.real(known.key).has_value();
    case ValueType::text: return !notice.text(known.key).value_or("").empty();
    }
    return false;
}

} // namespace

std::string operatorText(const std::optional<std::string>& longName, const std::optional<std::string>& shortName)
{
    if (longName && shortName && *longName != *shortName)
        return *longName + " (" + *shortName + ")";
    if (longName)
        return *longName;
    return shortName.value_or("unknown");
}

std::string mccmncLine(std::int64_t mccmnc)
{
    const std::optional<std::string> code = client::mccmncText(mccmnc);
    if (!code)
        return "unknown";
    return *code + " (MCC " + code->substr(0, 3) + ", MNC " + code->substr(3) + ")";
}

std::string signalText(long long signal)
{
    if (signal == 99)
        return "none";
    if (signal < 0 || signal > 31)
        return "unknown";
    // The card's scale: 0 is -113 dBm or less, each step 2 dB, 31 is -51 dBm or more.
    return std::to_string(signal) + " (" + std::to_string(-113 + 2 * signal) + " dBm)";
}

std::string simLine(const ModemView& view)
{
    const SimStatus status = view.simStatus();
    std::string text = simWord(status);
    if (status == SimStatus::pinNeeded)
        text += attempts(view.pinCount);
    else if (status == SimStatus::pukNeeded)
        text += attempts(view.pukCount);
    return labelledLine("sim", text);
}

std::vector<std::string> statusLines(const ModemView& view)
{
    std::vector<std::string> lines{labelledLine("device", deviceWord(view.deviceState)), simLine(view)};
    if (view.pinMode)
        lines.push_back(labelledLine("pin lock", *view.pinMode != 0 ? "on" : "off"));
    lines.push_back(labelledLine("radio", client::radioStateText(view.radioState.value_or(0))));
    lines.push_back(labelledLine("registration",
                                 view.registration ? client::registrationText(*view.registration) : "unknown"));
    const bool onNetwork = view.mccmnc.value_or(0) != 0;
    lines.push_back(labelledLine("operator", onNetwork ? operatorText(view.longName, view.shortName) : "none"));
    lines.push_back(labelledLine("mccmnc", onNetwork ? mccmncLine(*view.mccmnc) : "none"));
    lines.push_back(labelledLine("technology", client::technologyText(view.technology.value_or(0))));
    lines.push_back(labelledLine("signal", view.signal ? signalText(*view.signal) : "unknown"));
    return lines;
}

nlohmann::json statusJson(const ModemView& view)
{
    nlohmann::json status;
    status["device"] = deviceWord(view.deviceState);
    status["sim"] = simWord(view.simStatus());
    if (view.codeRequested) {
        if (view.pinCount)
            status["pinCount"] = *view.pinCount;
        if (view.pukCount)
            status["pukCount"] = *view.pukCount;
    }
    if (view.pinMode)
        status["pinLock"] = *view.pinMode != 0;
    status["radio"] = client::radioStateText(view.radioState.value_or(0));
    if (view.registration)
        status["registration"] = client::registrationText(*view.registration);
    if (view.mccmnc.value_or(0) != 0) {
        if (const auto code = client::mccmncText(*view.mccmnc)) {
            status["mccmnc"] = *code;
            status["mcc"] = code->substr(0, 3);
            status["mnc"] = code->substr(3);
        }
        if (view.longName)
            status["longName"] = *view.longName;
        if (view.shortName)
            status["shortName"] = *view.shortName;
    }
    status["technology"] = client::technologyText(view.technology.value_or(0));
    if (view.signal)
        status["signal"] = *view.signal;
    return status;
}

std::string networkLine(const client::FoundNetwork& network)
{
    char text[256];
    std::snprintf(text, sizeof text, "%-7s %-10s %-8s %s", client::mccmncText(network.mccmnc).value_or("?").c_str(),
                  client::networkStateText(network.state).c_str(), client::technologyText(network.technology).c_str(),
                  operatorText(network.longName.empty() ? std::nullopt : std::optional(network.longName),
                               network.shortName.empty() ? std::nullopt : std::optional(network.shortName))
                      .c_str());
    std::string line = text;
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

nlohmann::json networkJson(const client::FoundNetwork& network)
{
    nlohmann::json entry;
    if (const auto code = client::mccmncText(network.mccmnc)) {
        entry["mccmnc"] = *code;
        entry["mcc"] = code->substr(0, 3);
        entry["mnc"] = code->substr(3);
    }
    entry["state"] = client::networkStateText(network.state);
    entry["technology"] = client::technologyText(network.technology);
    entry["longName"] = network.longName;
    entry["shortName"] = network.shortName;
    return entry;
}

std::string watchLine(const Notice& notice)
{
    if (std::string line = client::noticeLine(notice); !line.empty() && notice.kind != NoticeKind::update)
        return line;
    std::string line = notice.kind == NoticeKind::update ? "update:" : client::callbackKeyOf(notice.kind) + std::string(":");
    for (const KnownKey& known : kKnownKeys)
        if (carries(notice, known))
            line += " " + std::string(known.key) + "=" + valueText(notice, known);
    return line;
}

nlohmann::json noticeJson(const Notice& notice)
{
    nlohmann::json object;
    object["notice"] = client::callbackKeyOf(notice.kind);
    for (const KnownKey& known : kKnownKeys) {
        switch (known.type) {
        case ValueType::integer:
            if (const auto value = notice.integer(known.key))
                object[known.key] = *value;
            break;
        case ValueType::real:
            if (const auto value = notice.real(known.key))
                object[known.key] = *value;
            break;
        case ValueType::text:
            if (const auto value = notice.text(known.key); value && !value->empty())
                object[known.key] = *value;
            break;
        }
    }
    if (notice.kind == NoticeKind::traitError && object.contains(key::lastError))
        object["error"] = std::string(Corvane::errorName(static_cast<int>(object[key::lastError].get<long long>())));
    if (notice.kind == NoticeKind::networkScan && !notice.integer(key::networkScanActive).value_or(0)) {
        nlohmann::json networks = nlohmann::json::array();
        for (const client::FoundNetwork& network : client::foundNetworks(notice))
            networks.push_back(networkJson(network));
        object["networks"] = std::move(networks);
    }
    return object;
}

} // namespace Orvanta::modem
