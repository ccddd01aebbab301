#include "quelder/unsolicited/UnsolicitedHandlers.h"

#include "nodekin/CardTraits.h"
#include "quelder/BackendLog.h"
#include "quelder/Device.h"
#include "quelder/ModemStates.h"
#include "quelder/unsolicited/MessageReports.h"
#include "quelder/unsolicited/UnsolicitedFields.h"
#include "quelder/unsolicited/UssdRecord.h"

#include <algorithm>
#include <array>
#include <cctype>

namespace GSM {
namespace {

constexpr int kUssdEvent = 21;
constexpr int kNewSmsIndexEvent = 15;

void PostReport(Device& device, std::uint32_t message, std::uintptr_t wParam = 0, std::uintptr_t lParam = 0)
{
    if (const QdResult rc = device.Queue().Post(message, wParam, lParam); rc != kQdSuccess)
        Raise(rc);
}

bool IsVoiceDisconnected(int voice) { return voice == kVoiceDisconnected; }
bool IsVoiceDialing(int voice) { return voice == kVoiceDialing; }
bool IsVoiceInCall(int voice) { return voice != kVoiceNotReady && voice != kVoiceDisconnected; }

// +CLIP: "+15551230000",145
void OnCallerId(Line& line, Device& device)
{
    std::string number = line.ReadQuotedString().Text();
    if (device.Get(Value::voiceState) != kVoiceDisconnected)
        return; // a call is under way already: the number is not this one's
    if (number.empty() || (number.front() != '+' && std::isdigit(static_cast<unsigned char>(number.front())) == 0)) {
        xlog(logNormal, "Qd: Caller's phone number is unknown");
        number.clear();
    }
    device.SetCallerNumber(number);
    device.SetIf(Value::voiceState, IsVoiceDisconnected, kVoiceRinging);
}

// +COLP: "+15551230000",145 - the called party answered.
void OnConnectedLine(Line&, Device& device) { device.SetIf(Value::voiceState, IsVoiceDialing, kVoiceConnected); }

// BUSY, NO CARRIER
void OnCallEnded(Line&, Device& device) { device.SetIf(Value::voiceState, IsVoiceInCall, kVoiceDisconnected); }

// +CREG: 1 (the report), +CREG: 1,1 (the answer to "AT+CREG?")
void OnCircuitSwitchedRegistration(Line& line, Device& device)
{
    const int state = CheckedNetworkState(ReadLastInt(line));
    PostReport(device, WM_QD_CS_REGISTRATION, static_cast<std::uintptr_t>(state));
}

// +CGREG: in the forms ReadPacketSwitchedReport reads.
void OnPacketSwitchedRegistration(Line& line, Device& device)
{
    const PacketSwitchedReport report = ReadPacketSwitchedReport(line);
    PostReport(device, WM_QD_PS_REGISTRATION, static_cast<std::uintptr_t>(report.state), PackCellLocation(report.location));
}

// +CMTI: "SM",3
void OnNewMessage(Line& line, Device& device)
{
    const std::string storage = line.ReadQuotedString().Text();
    if (!line.SkipIf(','))
        Raise(kQdNotAvailable);
    const int index = line.ReadInt();
    if (index < 0)
        Raise(kQdNotAvailable);
    // Gobi cards tell of new messages through their library.
    if (Nodekin::isGobi(device.Card()) || storage != "SM")
        return;
    device.RaiseEvent(kNewSmsIndexEvent, reinterpret_cast<void*>(static_cast<std::intptr_t>(index)));
    // Reading it takes a command: on the communicator thread.
    if (device.SmsShadowCopy().Kept())
        PostReport(device, WM_QD_NEW_SMS, static_cast<std::uintptr_t>(index));
}

// _TSIGQ: 18,3 and *MCSQ: 18,3 - strength and quality.
void OnSignalQuality(Line& line, Device& device)
{
    const IntPair pair = ReadIntPair(line);
    device.Registration().SetSignal(pair.first, pair.second);
}

// _TEANT: 42
void OnWcdmaSignalQuality(Line& line, Device& device) { device.Registration().SetWcdmaSignal(line.ReadInt()); }

void ReportTemporaryMessage(Device& device, const PduReport& report, TemporaryKind kind)
{
    if (const QdResult rc = ProcessTemporaryMessage(device, report, kind); rc != kQdSuccess)
        xlog(logWarning, "Qd: Unsolicited::HandleUnsolicited(): Processing temporary message failed with 0x%x",
             static_cast<unsigned>(rc));
}

// +CDS: 25;<pdu> - the status report, joined to its line.
void OnStatusReport(Line& line, Device& device)
{
    ReportTemporaryMessage(device, ReadStatusReport(line), TemporaryKind::statusReport);
}

// +CMT: ,25;<pdu> - a message the card did not store.
void OnTemporaryMessage(Line& line, Device& device)
{
    ReportTemporaryMessage(device, ReadDeliveredReport(line, Nodekin::isNdisKind(device.Card())),
                           TemporaryKind::delivered);
}

// _TSSYSI: 2 - the system the card is on: 0 GSM, 2 WCDMA.
void OnAccessTechnology(Line& line, Device& device)
{
    const int system = line.ReadInt();
    device.Registration().SetAccessTechnology(AccessTechnologyOfSystem(system));
    if (system == 0 || system == 2)
        device.Registration().ReRaiseEvents();
}

// +CUSD: 0,"Balance 5.00",15 - or the status alone.
void OnUssd(Line& line, Device& device)
{
    if (!device.EventEnabled(kUssdEvent)) {
        xlog(logVerbose, "Qd: USSD notification ignored since its Qd event is disabled");
        return;
    }
    const UssdReport report = ReadUssdReport(line);
    std::string text = report.text;
    if (report.hasText && device.Features().ucs2) {
        bool decoded = false;
        const QuotedString ucs2 = QuotedString::Decode(report.text, QuotedString::Mode::ucs2, &decoded);
        if (decoded)
            text = ucs2.Text();
    }
    device.RaiseEvent(kUssdEvent, NewUssdRecord(report.status, text));
}

// _TCTI: 3 and _TUWCTI: 2 - the 2G and the 3G cell type.
void OnCellType(Line& line, Device& device) { device.Registration().SetCellType2g(ReadLastInt(line)); }
void On3gCellType(Line& line, Device& device) { device.Registration().SetCellType3g(ReadLastInt(line)); }

// _TGACT: 1,1 - context 1 activated.
void OnPdpContextChange(Line& line, Device& device)
{
    const IntPair pair = ReadIntPair(line);
    PostReport(device, WM_QD_PDP_CONTEXT, static_cast<std::uintptr_t>(pair.first), pair.second == 1 ? 1 : 0);
}

// _TWSTAT: 1 - the switch is off.
void OnHwRadioSwitch(Line& line, Device& device)
{
    device.Set(Value::hwRadioSwitch, line.ReadInt() == 1 ? kSwitchOff : kSwitchOn);
}

// _TIDLETEXT: 0,"Test Network" - the number is left out by some firmware.
void OnIdleText(Line& line, Device& device)
{
    if (!line.HasPrefix("\"") && !line.HasPrefix(" \""))
        SkipIntAndComma(line);
    device.SetIdleText(line.ReadQuotedString().Text());
}

// _TANTPOSI: 1 - pulled out.
void OnAntennaPosition(Line& line, Device& device)
{
    const int position = line.ReadInt();
    if (Nodekin::hasSmartAntenna(device.Card()))
        device.Set(Value::antennaPulledOut, position == 1 ? 1 : 0);
}

// _TWANCALL: 1,0 - the data call on context 1 ended.
void OnDataCallState(Line& line, Device& device)
{
    const IntPair pair = ReadIntPair(line);
    if (pair.first == 1 && pair.second == 0)
        PostReport(device, WM_QD_DATA_CALL_POLL);
}

// _TPATEMP: 0,41 - the power amplifier's temperature in degrees.
void OnPowerAmpTemperature(Line& line, Device& device)
{
    SkipIntAndComma(line);
    device.Set(Value::temperature, std::max(ReadLastInt(line), 0));
}

// *MRINFO: 2,1 - bit 1 of the first number: on an EDGE cell.
void OnBcmRadioTechnology(Line& line, Device& device)
{
    const IntPair pair = ReadIntPair(line);
    device.Set(Value::edgeRegistered, (pair.first & 2) != 0 ? 1 : 0);
}

// ^RSSI: 18
void OnHuwSignalQuality(Line& line, Device& device) { device.Registration().SetSignal(line.ReadInt(), 0); }

// ^MODE: 5,7 - system mode and sub-mode.
void OnHuwSystemMode(Line& line, Device& device)
{
    const IntPair mode = ReadIntPair(line);
    const CellTypes types = CellTypesOfSystemMode(mode.first, mode.second);
    std::optional<int> technology;
    if (types.type2g > 0 || types.type3g > 0)
        technology = types.type2g > 0 ? kTechnologyGprs : kTechnologyUmts;
    if (device.Registration().SetCellTypes(types.type2g, types.type3g, technology))
        device.Registration().ReRaiseEvents();
}

constexpr std::array kUnsolicitedRows{
    UnsolicitedRow{Unsolicited::clip, "Qd: Unsolicited::cClip", OnCallerId},
    UnsolicitedRow{Unsolicited::colp, "Qd: Unsolicited::cColp", OnConnectedLine},
    UnsolicitedRow{Unsolicited::busy, "Qd: Unsolicited::cBusy", OnCallEnded},
    UnsolicitedRow{Unsolicited::noCarrier, "Qd: Unsolicited::cNoCarrier", OnCallEnded},
    UnsolicitedRow{Unsolicited::creg, "Qd: Unsolicited::cCircuitSwitchedRegistration", OnCircuitSwitchedRegistration},
    UnsolicitedRow{Unsolicited::cgreg, "Qd: Unsolicited::cPacketSwitchedRegistration", OnPacketSwitchedRegistration},
    UnsolicitedRow{Unsolicited::cmti, "Qd: Unsolicited::cNewMessage", OnNewMessage},
    UnsolicitedRow{Unsolicited::signalQuality, "Qd: Unsolicited::cSignalQuality", OnSignalQuality},
    UnsolicitedRow{Unsolicited::wcdmaSignalQuality, "Qd: Unsolicited::cWcdmaSignalQuality", OnWcdmaSignalQuality},
    UnsolicitedRow{Unsolicited::statusReport, "Qd: Unsolicited::cStatusReport", OnStatusReport},
    UnsolicitedRow{Unsolicited::newMessage0, "Qd: Unsolicited::cNewMessage0", OnTemporaryMessage},
    UnsolicitedRow{Unsolicited::accessTechnology, "Qd: Unsolicited::cAccessTechnology", OnAccessTechnology},
    UnsolicitedRow{Unsolicited::ussd, "Qd: Unsolicited::cUssdMessage", OnUssd},
    UnsolicitedRow{Unsolicited::cellType, "Qd: Unsolicited::cCellType", OnCellType},
    UnsolicitedRow{Unsolicited::pdpContext, "Qd: Unsolicited::cPdpContextChange", OnPdpContextChange},
    UnsolicitedRow{Unsolicited::hwRadioSwitch, "Qd: Unsolicited::cHwRadioSwitch", OnHwRadioSwitch},
    UnsolicitedRow{Unsolicited::idleText, "Qd: Unsolicited::cIdleText", OnIdleText},
    UnsolicitedRow{Unsolicited::antennaPosition, "Qd: Unsolicited::cAntennaPosition", OnAntennaPosition},
    UnsolicitedRow{Unsolicited::dataCallState, "Qd: Unsolicited::cDataCallState", OnDataCallState},
    UnsolicitedRow{Unsolicited::cellType3g, "Qd: Unsolicited::c3gCellType", On3gCellType},
    UnsolicitedRow{Unsolicited::paTemperature, "Qd: Unsolicited::cPowerAmpTemperature", OnPowerAmpTemperature},
    UnsolicitedRow{Unsolicited::bcmSignalQuality, "Qd: Unsolicited::cBcmSignalQuality", OnSignalQuality},
    UnsolicitedRow{Unsolicited::bcmRadioTechnology, "Qd: Unsolicited::cBcmRadioTechnology", OnBcmRadioTechnology},
    UnsolicitedRow{Unsolicited::huwSignalQuality, "Qd: Unsolicited::cHuwSignalQuality", OnHuwSignalQuality},
    UnsolicitedRow{Unsolicited::huwSystemMode, "Qd: Unsolicited::cHuwSystemMode", OnHuwSystemMode},
};

// In the order of the types, each at most once.
static_assert([] {
    for (std::size_t i = 1; i < kUnsolicitedRows.size(); ++i)
        if (static_cast<int>(kUnsolicitedRows[i - 1].type) >= static_cast<int>(kUnsolicitedRows[i].type))
            return false;
    return true;
}());

} // namespace

std::span<const UnsolicitedRow> UnsolicitedRows() noexcept { return kUnsolicitedRows; }

const UnsolicitedRow* UnsolicitedRowOf(Unsolicited type) noexcept
{
    const auto row = std::find_if(kUnsolicitedRows.begin(), kUnsolicitedRows.end(), [type](const UnsolicitedRow& r) { return r.type == type; });
    return row != kUnsolicitedRows.end() ? &*row : nullptr;
}

void HandleUnsolicited(Line& line, Unsolicited type, Device& device)
{
    const UnsolicitedRow* row = UnsolicitedRowOf(type);
    if (row == nullptr) {
        xlog(logVerbose, "Qd: Ignored the unsupported unsolicited input...");
        return;
    }
    xlog(logVerbose, "%s", row->logName);
    const std::string_view prefix = UnsolicitedPrefixOf(type);
    line.Seek(line.Text().starts_with(prefix) ? prefix.size() : 0);
    row->handler(line, device);
}

} // namespace GSM
