// The generic platform's radio operations: the radio now, and at the card's next
// power-up. The maker's cards keep the power-up choice themselves ("AT_TAIR",
// docs/at-dialect.md); the others only know the radio as it is now ("AT+CFUN").

#include "quelder/platforms/GenericPlatform.h"

#include "nodekin/CardTraits.h"
#include "quelder/Device.h"
#include "quelder/at/Exchange.h"

#include <span>
#include <string_view>
#include <vector>

namespace GSM {
namespace {

// How a family reads and sets one radio state: the query (the row's text), the prefix of
// its answer, the setting command, and the values it writes for on and off.
struct RadioWords {
    std::string_view prefix;
    std::string_view set;
    int on;
    int off;
};
using RadioRow = FamilyRow<NkCardInfo, RadioWords>;

// +CFUN: 1 - full function; 4 switches the transmitter and receiver off (3GPP TS 27.007),
// which leaves the SIM readable.
const RadioRow& CurrentRadio()
{
    static const RadioRow row{"AT+CFUN?", Nodekin::CardCondition::always(), {"+CFUN:", "AT+CFUN=", 1, 4}};
    return row;
}

std::span<const RadioRow> PowerUpRadio()
{
    static const std::vector<RadioRow> rows{
        // _TAIR: 1
        {"AT_TAIR?", Nodekin::CardCondition(Nodekin::speaksMakersDialect), {"_TAIR:", "AT_TAIR=", 1, 0}},
        CurrentRadio(),
    };
    return rows;
}

const RadioRow& PowerUpRadioOf(const NkCardInfo& card)
{
    // The last row takes every card.
    return *FirstApplying(PowerUpRadio(), card);
}

// 1 when the radio is on, else 0.
int ReadRadio(Modem& modem, const RadioRow& row)
{
    return AskInt(modem, row.text, row.action.prefix) == row.action.on ? 1 : 0;
}

void SetRadio(Modem& modem, const RadioRow& row, int on)
{
    modem.Command(row.action.set).AppendInt(on != 0 ? row.action.on : row.action.off);
    modem.Send();
    modem.WaitFinal();
}

} // namespace

QdResult GenericPlatform::QdGetCurrentRadioState(int* on)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(on);
        *on = ReadRadio(modem, CurrentRadio());
    });
}

QdResult GenericPlatform::QdSetCurrentRadioState(int on)
{
    return Run(Needs::initialized, [&](Modem& modem) { SetRadio(modem, CurrentRadio(), on); });
}

QdResult GenericPlatform::QdGetPowerUpRadioState(int* on)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(on);
        *on = ReadRadio(modem, PowerUpRadioOf(device_.Card()));
    });
}

QdResult GenericPlatform::QdSetPowerUpRadioState(int on)
{
    return Run(Needs::initialized, [&](Modem& modem) { SetRadio(modem, PowerUpRadioOf(device_.Card()), on); });
}

} // namespace GSM
