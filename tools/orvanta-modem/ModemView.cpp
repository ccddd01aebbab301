#include "ModemView.h"

#include "corvane/Enumerations.h"
#include "corvane/ErrorCode.h"
#include "corvane/Keys.h"

namespace Orvanta::modem {
namespace {

using client::Notice;
using client::NoticeKind;

template <typename Field, typename Value>
void keep(std::optional<Field>& field, const std::optional<Value>& value)
{
    if (value)
        field = static_cast<Field>(*value);
}

} // namespace

void ModemView::take(const Notice& notice)
{
    namespace key = Corvane::key;
    switch (notice.kind) {
    case NoticeKind::libraryState:
        libraryFailed = notice.integer(key::libraryState) == Corvane::lmInitFailure;
        break;
    case NoticeKind::deviceState:
        deviceState = notice.integer(key::deviceState);
        cardArrived = cardArrived || deviceState.value_or(Corvane::devmRemoved) != Corvane::devmRemoved;
        simMissing = simMissing || deviceState == Corvane::devmSimMissing;
        simBlocked = simBlocked || deviceState == Corvane::devmSimBlocked;
        break;
    case NoticeKind::pinState:
        pinState = notice.integer(key::pinState);
        if (pinState == Corvane::pmAccepted)
            codeRequested = false;
        simBlocked = simBlocked || pinState == Corvane::pmSimBlocked;
        break;
    case NoticeKind::enterPin:
        codeRequested = true;
        pinKind = notice.integer(key::pinKind);
        keep(pinCount, notice.integer(key::pinCount));
        keep(pukCount, notice.integer(key::pukCount));
        break;
    case NoticeKind::update:
        keep(pinMode, notice.integer(key::pinMode));
        keep(radioState, notice.integer(key::radioState));
        // The network's values come together; a name left out is one the card has not.
        if (const auto code = notice.integer(key::mccmnc)) {
            mccmnc = code;
            longName = notice.text(key::longNetworkName);
            shortName = notice.text(key::shortNetworkName);
        }
        keep(technology, notice.integer(key::networkTechnology));
        keep(signal, notice.integer(key::signalStrength));
        keep(registration, notice.integer(key::registrationState));
        break;
    case NoticeKind::registration:
        registration = notice.integer(key::registrationState);
        break;
    case NoticeKind::flightMode:
        radioState = notice.integer(key::radioState);
        radioReported = true;
        break;
    case NoticeKind::networkScan:
        scanActive = notice.integer(key::networkScanActive).value_or(0) != 0;
        if (!scanActive)
            networks = client::foundNetworks(notice);
        break;
    case NoticeKind::traitError:
        lastError = notice.integer(key::lastError);
        simMissing = simMissing || lastError == Corvane::cErrorSimMissing;
        simBlocked = simBlocked || lastError == Corvane::cErrorSimBlocked;
        break;
    default:
        break;
    }
}

SimStatus ModemView::simStatus() const
{
    if (simMissing)
        return SimStatus::missing;
    if (simBlocked)
        return SimStatus::blocked;
    if (codeRequested) {
        if (pinKind == Corvane::cPinKindPinRequired)
            return SimStatus::pinNeeded;
        if (pinKind == Corvane::cPinKindPukRequired)
            return pukCount == 0 ? SimStatus::blocked : SimStatus::pukNeeded;
        return SimStatus::otherCodeNeeded;
    }
    // A SIM that asks for nothing is not announced: a card that came and settled without
    // asking has a SIM ready.
    if (pinState == Corvane::pmAccepted || (cardArrived && deviceState != Corvane::devmRemoved))
        return SimStatus::ready;
    return SimStatus::unknown;
}

bool ModemView::registered() const
{
    return registration == Corvane::rmComplete || registration == Corvane::rmRoaming;
}

} // namespace Orvanta::modem
