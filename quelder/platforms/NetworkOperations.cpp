// The generic platform's network services: registration and indicator reports, the
// card's settings, operators and technology selection, bands.

#include "quelder/platforms/GenericPlatform.h"

#include "nodekin/CardTraits.h"
#include "platform/SystemError.h"
#include "quelder/BackendLog.h"
#include "quelder/Device.h"
#include "quelder/at/Exchange.h"
#include "quelder/platforms/NetworkAnswers.h"

#include <algorithm>
#include <cstdlib>

namespace GSM {
namespace {

using namespace std::chrono_literals;

// A card looks for networks, or registers on one, for up to a few minutes.
constexpr auto kNetworkSearchTimeout = 180s;

// Digits only: it goes between quotes into a command.
bool IsNumericOperator(std::string_view code) noexcept
{
    return (code.size() == 5 || code.size() == 6) &&
           code.find_first_not_of("0123456789") == std::string_view::npos;
}

// The technology selection modes of the Qd interface are the maker's own ("AT_TPSYS=",
// docs/at-dialect.md): 0 2G only, 1 3G only, 2 3G preferred, 3 automatic. The other
// makers' cards write them in their own terms.
constexpr int kTechnology2gOnly = 0, kTechnology3gOnly = 1, kTechnology3gPreferred = 2, kTechnologyAutomatic = 3;

// AT+ZSNT=<mode>,0,<order>: mode 0 automatic, 1 GSM only, 2 WCDMA only; order 0
// automatic, 1 GSM first, 2 WCDMA first.
struct ZteSelection {
    int mode;
    int order;
};
ZteSelection ZteSelectionOf(int mode)
{
    switch (mode) {
    case kTechnology2gOnly:
        return {1, 0};
    case kTechnology3gOnly:
        return {2, 0};
    case kTechnology3gPreferred:
        return {0, 2};
    default:
        return {0, 0};
    }
}
int ModeOfZte(int mode, int order)
{
    if (mode == 1)
        return kTechnology2gOnly;
    if (mode == 2)
        return kTechnology3gOnly;
    return order == 2 ? kTechnology3gPreferred : kTechnologyAutomatic;
}

// AT^SYSCFG=<mode>,<order>,...: mode 2 automatic, 13 GSM only, 14 WCDMA only; order 0
// automatic, 1 GSM first, 2 WCDMA first.
ZteSelection HuaweiSelectionOf(int mode)
{
    switch (mode) {
    case kTechnology2gOnly:
        return {13, 1};
    case kTechnology3gOnly:
        return {14, 2};
    case kTechnology3gPreferred:
        return {2, 2};
    default:
        return {2, 0};
    }
}
int ModeOfHuawei(int mode, int order)
{
    if (mode == 13)
        return kTechnology2gOnly;
    if (mode == 14)
        return kTechnology3gOnly;
    return order == 2 ? kTechnology3gPreferred : kTechnologyAutomatic;
}

// The +COPS=<mode> of a selection the client asks for: automatic, manual, manual then
// automatic; any other is refused (the client passes 99 for a mode it does not know).
bool IsSelectionMode(int mode) noexcept { return mode == 0 || mode == 1 || mode == 4; }

} // namespace

// ---------------------------------------------------------------------------------------
// Reports

QdResult GenericPlatform::QdEnableRegistrationEvents()
{
    return Run(Needs::initialized, [this](Modem&) { SendEach(RegistrationReports(), device_.Card()); });
}

QdResult GenericPlatform::QdInitializeNetwork()
{
    return Run(Needs::initialized, [this](Modem&) {
        const NkCardInfo card = device_.Card();
        SendEach(RegistrationReports(), card);
        SendEach(TechnologySelectionQuery(), card);
        xlog(logNormal, "Qd: Technology selection %s supported", features_.technologySelection ? "is" : "is not");
        PublishFeatures();
    });
}

QdResult GenericPlatform::QdInitializeIndicators()
{
    return Run(Needs::initialized, [this](Modem&) { SendEach(IndicatorReports(), device_.Card()); });
}

// ---------------------------------------------------------------------------------------
// The card's settings

QdResult GenericPlatform::QdSetConfigurationValue(int item, int value)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        modem.Command("AT_TCFGF=").AppendInt(item).AppendChar(',').AppendInt(value);
        modem.Send();
        modem.WaitFinal();
    });
}

QdResult GenericPlatform::QdGetConfigurationValue(int item, int* value)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(value);
        // _TCFGF: 7,1 (the item, then its value) or _TCFGF: 1: the value is the last number.
        modem.Command("AT_TCFGF=").AppendInt(item);
        modem.Send();
        modem.ExpectPrefix("_TCFGF:");
        Line line{modem.RestOfLine()};
        modem.EndLine();
        modem.WaitFinal();
        *value = ReadLastInt(line);
    });
}

QdResult GenericPlatform::QdGetLedState(int* state)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(state);
        *state = AskInt(modem, "AT_TSWLED?", "_TSWLED:");
    });
}

QdResult GenericPlatform::QdSetLedState(int state)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        modem.Command("AT_TSWLED=").AppendInt(state);
        modem.Send();
        modem.WaitFinal();
    });
}

// ---------------------------------------------------------------------------------------
// Operators

std::vector<std::string> GenericPlatform::AskOperator(std::string_view command, std::size_t answers)
{
    Modem& modem = device_;
    modem.Command(command).Send();
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < answers; ++i) {
        modem.ExpectPrefix("+COPS:");
        lines.push_back(modem.RestOfLine());
        modem.EndLine();
    }
    modem.WaitFinal();
    return lines;
}

QdResult GenericPlatform::QdGetNetworkInformation(void* information)
{
    return Run(Needs::initialized, [&](Modem&) {
        RequireOutput(information);
        const CurrentOperator longName = CurrentOperatorOf(AskOperator("AT+COPS=3,0;+COPS?", 1).front());
        const std::vector<std::string> others = AskOperator("AT+COPS=3,1;+COPS?;+COPS=3,2;+COPS?", 2);
        const CurrentOperator shortName = CurrentOperatorOf(others[0]);
        const CurrentOperator numeric = CurrentOperatorOf(others[1]);
        NetworkEntry entry;
        entry.longName = longName.name;
        entry.shortName = shortName.name;
        entry.mccMnc = NetworkNumberOf(numeric.name);
        // The state of the scan's entries: the network the card is on is the current one.
        constexpr int kCurrentNetwork = 2;
        entry.state = numeric.format ? kCurrentNetwork : 0;
        entry.technology = NetworkTechnologyOf(numeric.accessTechnology);
        WriteNetworkEntry(entry, information);
    });
}

QdResult GenericPlatform::QdGetNetworkId(char* id, std::uint32_t size)
{
    return Run(Needs::initialized, [&](Modem&) {
        RequireOutput(id);
        const CurrentOperator numeric = CurrentOperatorOf(AskOperator("AT+COPS=3,2;+COPS?", 1).front());
        if (numeric.name.empty())
            Raise(kQdNotAvailable); // not registered
        CopyOut(numeric.name, id, size);
    });
}

QdResult GenericPlatform::QdGetNetworkSelectionMode(int* mode)
{
    return Run(Needs::initialized, [&](Modem&) {
        RequireOutput(mode);
        *mode = CurrentOperatorOf(AskOperator("AT+COPS?", 1).front()).mode;
    });
}

QdResult GenericPlatform::QdSetNetworkSelectionMode(int mode, const char* mccMnc, int technology)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        if (!IsSelectionMode(mode))
            Raise(kQdInvalidParameter);
        modem.SetTimeout(kNetworkSearchTimeout);
        modem.Command("AT+COPS=").AppendInt(mode);
        if (mode != 0) {
            RequireOutput(mccMnc);
            if (!IsNumericOperator(mccMnc))
                Raise(kQdInvalidParameter);
            modem.Append(",2,\"").Append(mccMnc).AppendChar('"');
            // The client's technology: 1 2G (GSM), 2 3G (UTRAN); 0 leaves it to the card.
            if (technology == 1)
                modem.Append(",0");
            else if (technology == 2)
                modem.Append(",2");
        }
        modem.Send();
        modem.WaitFinal();
    });
}

QdResult GenericPlatform::QdScanNetworks(void** list, int* count)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(list);
        RequireOutput(count);
        *list = nullptr;
        *count = 0;
        modem.SetTimeout(kNetworkSearchTimeout);
        modem.Command("AT+COPS=?").Send();
        modem.ExpectPrefix("+COPS:");
        const std::vector<NetworkEntry> operators = OperatorListOf(modem.RestOfLine());
        modem.EndLine();
        modem.WaitFinal();
        if (operators.empty())
            return;
        // The client releases the list with QdFreeMemory.
        void* entries = std::calloc(operators.size(), kNetworkEntrySize);
        if (entries == nullptr)
            Raise(kQdOutOfMemory);
        for (std::size_t i = 0; i < operators.size(); ++i)
            WriteNetworkEntry(operators[i], static_cast<unsigned char*>(entries) + i * kNetworkEntrySize);
        *list = entries;
        *count = static_cast<int>(operators.size());
    });
}

QdResult GenericPlatform::QdGetSignalQuality(int* strength, int* quality)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(strength);
        RequireOutput(quality);
        // +CSQ: 18,99 - the strength (0 to 31, 99 not known) and the bit error rate.
        modem.Command("AT+CSQ").Send();
        modem.ExpectPrefix("+CSQ:");
        Line line{modem.RestOfLine()};
        modem.EndLine();
        modem.WaitFinal();
        const IntPair pair = ReadIntPair(line);
        *strength = pair.first;
        *quality = pair.second;
    });
}

QdResult GenericPlatform::QdGetServingNetwork(char* network, std::uint32_t size)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(network);
        // The answer to "AT_TEANT" is the report of the WCDMA signal, which the device
        // stores as it passes; the text is that value, then the operator's long name in
        // double quotes: 42,"Test Network".
        if (Nodekin::reportsServingCell(device_.Card()))
            Do(modem, "AT_TEANT");
        const CurrentOperator current = CurrentOperatorOf(AskOperator("AT+COPS=3,0;+COPS?", 1).front());
        const std::string text = std::to_string(device_.Get(Value::wcdmaSignal)) + ",\"" + current.name + "\"";
        CopyOut(text, network, size);
    });
}

QdResult GenericPlatform::QdGetPsAttachState(int* attached)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(attached);
        *attached = AskInt(modem, "AT+CGATT?", "+CGATT:");
    });
}

// ---------------------------------------------------------------------------------------
// Technology selection

QdResult GenericPlatform::QdGetTechnologySelectionMode(int* mode)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(mode);
        switch (FamilyOf(device_.Card().typeCode)) {
        case CardFamily::own:
            // _TPSYS: 3,0 - the mode, then the service domain.
            *mode = AskInt(modem, "AT_TPSYS?", "_TPSYS:");
            return;
        case CardFamily::zte: {
            // +ZSNT: 0,0,2
            Line line{AskText(modem, "AT+ZSNT?", "+ZSNT:")};
            const IntPair head = ReadIntPair(line);
            if (!line.SkipIf(','))
                Raise(kQdNotAvailable);
            *mode = ModeOfZte(head.first, line.ReadInt());
            return;
        }
        case CardFamily::huawei: {
            // ^SYSCFG: 2,0,3FFFFFFF,1,2
            Line line{AskText(modem, "AT^SYSCFG?", "^SYSCFG:")};
            const IntPair head = ReadIntPair(line);
            *mode = ModeOfHuawei(head.first, head.second);
            return;
        }
        case CardFamily::other:
            break;
        }
        Raise(kQdNotSupported);
    });
}

QdResult GenericPlatform::QdSetTechnologySelectionMode(int mode)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        if (mode < kTechnology2gOnly || mode > kTechnologyAutomatic)
            Raise(kQdInvalidParameter);
        switch (FamilyOf(device_.Card().typeCode)) {
        case CardFamily::own:
            if (!features_.technologySelection)
                Raise(kQdNotSupported);
            modem.Command("AT_TPSYS=").AppendInt(mode);
            break;
        case CardFamily::zte: {
            const ZteSelection selection = ZteSelectionOf(mode);
            modem.Command("AT+ZSNT=").AppendInt(selection.mode).Append(",0,").AppendInt(selection.order);
            break;
        }
        case CardFamily::huawei: {
            // Bands, roaming and the service domain stay as they are.
            const ZteSelection selection = HuaweiSelectionOf(mode);
            modem.Command("AT^SYSCFG=").AppendInt(selection.mode).AppendChar(',').AppendInt(selection.order);
            modem.Append(",3FFFFFFF,2,4");
            break;
        }
        case CardFamily::other:
            Raise(kQdNotSupported);
        }
        modem.Send();
        modem.WaitFinal();
    });
}

// ---------------------------------------------------------------------------------------
// Bands

std::vector<std::string> GenericPlatform::AskBandLines()
{
    std::vector<std::string> bands;
    constexpr std::string_view kPrefix = "_TPBM:";
    for (const std::string& line : AskLines(device_, "AT_TPBM?"))
        if (line.starts_with(kPrefix))
            bands.push_back(line.substr(kPrefix.size()));
    return bands;
}

QdResult GenericPlatform::QdResetBandStates()
{
    return Run(Needs::initialized, [](Modem& modem) { Do(modem, "AT_TPBM=\"ANY\",1"); });
}

QdResult GenericPlatform::QdSetBandStates(const char* bands)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(bands);
        // The bands to use, comma-separated ("EGSM900,WCDMA2100"); each band the card offers
        // is switched on or off by a command of its own: AT_TPBM="EGSM900",1. A band the
        // card does not offer is refused before anything is sent.
        std::vector<std::string> wanted;
        for (std::string_view rest = bands; !rest.empty();) {
            const std::size_t comma = std::min(rest.find(','), rest.size());
            wanted.emplace_back(rest.substr(0, comma));
            rest.remove_prefix(std::min(comma + 1, rest.size()));
        }
        std::vector<BandState> offered;
        for (const std::string& line : AskBandLines())
            offered.push_back(BandStateOf(line));
        for (const std::string& band : wanted)
            if (std::none_of(offered.begin(), offered.end(), [&](const BandState& b) { return b.name == band; }))
                Raise(kQdInvalidParameter);
        for (const BandState& band : offered) {
            const bool on = std::find(wanted.begin(), wanted.end(), band.name) != wanted.end();
            modem.Command("AT_TPBM=").Append(QuotedString(band.name)).AppendChar(',').AppendInt(on ? 1 : 0);
            modem.Send();
            modem.WaitFinal();
        }
    });
}

QdResult GenericPlatform::QdGetBandList(char* bands, std::uint32_t size)
{
    return Run(Needs::initialized, [&](Modem&) {
        RequireOutput(bands);
        // Every band the card offers, comma-separated.
        std::string all;
        for (const std::string& line : AskBandLines()) {
            if (!all.empty())
                all += ',';
            all += BandStateOf(line).name;
        }
        CopyOut(all, bands, size);
    });
}

QdResult GenericPlatform::QdGetBandStates(char* states, std::uint32_t size)
{
    return Run(Needs::initialized, [&](Modem&) {
        RequireOutput(states);
        // The bands the card uses, comma-separated: those the answer marks with 1.
        std::string enabled;
        for (const std::string& line : AskBandLines()) {
            const BandState band = BandStateOf(line);
            if (!band.enabled)
                continue;
            if (!enabled.empty())
                enabled += ',';
            enabled += band.name;
        }
        CopyOut(enabled, states, size);
    });
}

QdResult GenericPlatform::QdSetBandOption(int, int)
{
    // The generic platform sends nothing for this slot, and keeps no option of its own
    // that the two numbers could set.
    return Run(Needs::initialized, [](Modem&) { Raise(kQdNotSupported); });
}

// ---------------------------------------------------------------------------------------
// Cell types for the registration

QdResult GenericPlatform::QueryCellTypes(int* type2g, int* type3g)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(type2g);
        RequireOutput(type3g);
        const CellTypes types = CellTypesOfZpas(AskText(modem, "AT+ZPAS?", "+ZPAS:"));
        *type2g = types.type2g;
        *type3g = types.type3g;
    });
}

QdResult GenericPlatform::QueryWcdmaCellType(int* type)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(type);
        // _TWCTI: 2
        Line line{AskText(modem, "AT_TWCTI?", "_TWCTI:")};
        *type = ReadLastInt(line);
    });
}

} // namespace GSM
