#include "quelder/platforms/StartUpReports.h"

#include "quelder/Device.h"

#include <string>
#include <vector>

namespace GSM {
namespace {

using Nodekin::CardCondition;
using StartUpCondition = Nodekin::Condition<StartUpCard>;

// _TPSYS: (0-2),(0-1) - a card that offers only "(1)," cannot select its technology.
void ReadTechnologySelection(Modem& modem, Device&, CardFeatures& features)
{
    modem.ExpectPrefix("_TPSYS:");
    const std::string modes = modem.RestOfLine();
    const std::size_t first = modes.find_first_not_of(" \t");
    features.technologySelection =
        first == std::string::npos || !std::string_view(modes).substr(first).starts_with("(1),");
    modem.EndLine();
}

// _TSSYS: 2 - the system the card is on, as its reports give it.
void ReadAccessTechnology(Modem& modem, Device& device, CardFeatures&)
{
    modem.ExpectPrefix("_TSSYS:");
    const int system = modem.ReadInt();
    modem.EndLine();
    device.Registration().SetAccessTechnology(AccessTechnologyOfSystem(system));
}

// 302370123456789 - the SIM's home network is in its first digits.
void ReadHomeNumbers(Modem& modem, Device& device, CardFeatures&)
{
    std::string imsi = modem.RestOfLine();
    modem.EndLine();
    imsi.erase(0, imsi.find_first_not_of(" \t"));
    device.Registration().SetHomeNumbers(HomeNumbersOf(imsi));
}

void ReadVoiceAfter(Modem& modem, std::string_view prefix, CardFeatures& features)
{
    modem.ExpectPrefix(prefix);
    features.voice = modem.ReadInt() != 0;
    modem.EndLine();
}

// _TDO: 1
void ReadVoiceByTdo(Modem& modem, Device&, CardFeatures& features) { ReadVoiceAfter(modem, "_TDO:", features); }

// _TPCMENABLE: 0
void ReadVoiceByPcm(Modem& modem, Device&, CardFeatures& features)
{
    ReadVoiceAfter(modem, "_TPCMENABLE:", features);
}

// _TWIND: 1 - the hardware radio switch is on.
void ReadRadioSwitch(Modem& modem, Device& device, CardFeatures&)
{
    modem.ExpectPrefix("_TWIND:");
    device.Set(Value::hwRadioSwitch, modem.ReadInt() != 0 ? kSwitchOn : kSwitchOff);
    modem.EndLine();
}

// _TANTPOS: 1 - the antenna is pulled out.
void ReadAntennaPosition(Modem& modem, Device& device, CardFeatures&)
{
    modem.ExpectPrefix("_TANTPOS:");
    device.Set(Value::antennaPulledOut, modem.ReadInt());
    modem.EndLine();
}

bool ReportsCellType(const StartUpCard& c) { return Nodekin::speaksMakersDialect(c.card) && c.features.cellEvent3g; }
bool CarriesVoice(const StartUpCard& c) { return c.features.voice; }

const CardCondition makersDialect{Nodekin::speaksMakersDialect};
const CardCondition ndisKind{Nodekin::isNdisKind};
const CardCondition voiceByTdo{Nodekin::tellsVoiceByTdo};
const CardCondition kindFive{Nodekin::isKindFiveModule};
const CardCondition smartAntenna{Nodekin::hasSmartAntenna};

// The rows that more than one table sends.
const StartUpRow technologySelectionRow{"AT_TPSYS=?", makersDialect, ReadTechnologySelection};
// The answers of "_TPATEMP?" and "_TIDLETEXT?" come as the reports they switch on, and
// reach the device through its unsolicited results, not as an answer.
const StartUpRow temperatureRow{"AT_TPATEMP=1;_TPATEMP?", kindFive && !CardCondition(Nodekin::isMobileBroadband),
                                nullptr};
const StartUpRow radioSwitchRow{"AT_TWIND=1;_TWIND?", StartUpCondition::always(), ReadRadioSwitch};
const StartUpRow antennaReportRow{"AT_TANTPOS=1", smartAntenna, nullptr};
const StartUpRow antennaPositionRow{"AT_TANTPOS?", smartAntenna, ReadAntennaPosition};

} // namespace

std::span<const StartUpRow> CapabilityQueries()
{
    static const std::vector<StartUpRow> rows{
        technologySelectionRow,
        {"AT_TSSYS=1", makersDialect, nullptr},
        {"AT_TSSYS?", makersDialect, ReadAccessTechnology},
        {"AT+CFUN=1", ndisKind, nullptr},
        {"AT^CURC=1", CardCondition(Nodekin::isHuawei), nullptr},
        // Signal reports: the NDIS kind's own, else the maker's.
        {"AT*MCSQ=1", ndisKind, nullptr},
        {"AT_TSQI=1", makersDialect && !ndisKind, nullptr},
        {"AT_TEANT=1", CardCondition(Nodekin::reportsServingCell), nullptr},
        {"AT_TGACT=1", ReportsCellType, nullptr},
        {"AT_TDO?", voiceByTdo, ReadVoiceByTdo},
        {"AT_TPCMENABLE?", makersDialect && !voiceByTdo, ReadVoiceByPcm},
    };
    return rows;
}

std::span<const StartUpRow> StartUpReports()
{
    static const std::vector<StartUpRow> rows{
        {"AT+CLIP=1;+COLP=1", CarriesVoice, nullptr},
        {"AT+COPS=5,0", kindFive, nullptr},
        {"AT+CIMI", StartUpCondition::always(), ReadHomeNumbers},
        temperatureRow,
        radioSwitchRow,
        {"AT_TIDLETEXT=1", ReportsCellType, nullptr},
        {"AT_TIDLETEXT?", ReportsCellType, nullptr},
        antennaReportRow,
        antennaPositionRow,
    };
    return rows;
}

std::span<const StartUpRow> RegistrationReports()
{
    // The answers of the queries come as the reports the commands before them switch on.
    static const std::vector<StartUpRow> rows{
        {"AT+CREG=1", StartUpCondition::always(), nullptr},
        {"AT+CGREG=2", StartUpCondition::always(), nullptr},
        {"AT_TCTI=1", makersDialect, nullptr},
        {"AT_TUWCTI=1", ReportsCellType, nullptr},
        {"AT+CREG?", StartUpCondition::always(), nullptr},
        {"AT+CGREG?", StartUpCondition::always(), nullptr},
        {"AT_TCTI?", makersDialect, nullptr},
        {"AT_TUWCTI?", ReportsCellType, nullptr},
    };
    return rows;
}

std::span<const StartUpRow> TechnologySelectionQuery()
{
    static const std::vector<StartUpRow> rows{technologySelectionRow};
    return rows;
}

std::span<const StartUpRow> IndicatorReports()
{
    static const std::vector<StartUpRow> rows{antennaReportRow, antennaPositionRow, radioSwitchRow, temperatureRow};
    return rows;
}

} // namespace GSM
