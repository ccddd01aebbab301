// The generic platform's SIM and PIN operations: the PIN/PUK state, entering, changing
// and switching the PIN, the attempts left, and facility locks.
//
// Every command that carries a PIN, PUK or password is sent as sensitive: the AT engine
// logs it with what stands between the quotes as X, and dumps neither it nor its echo.
// The codes go between quotes into the command as they are, so each one is checked
// before anything is sent: a quote, a line end or a semicolon in it would end the text
// and have the card run the rest as a command of its own. The post-PIN step that follows
// these operations belongs to the Qd* functions (Device::AfterPinOperation), so that it
// follows every platform's.

#include "quelder/platforms/GenericPlatform.h"

#include "nodekin/CardTraits.h"
#include "quelder/BackendLog.h"
#include "quelder/Device.h"
#include "quelder/at/Exchange.h"
#include "quelder/platforms/Answers.h"

#include <span>
#include <string_view>
#include <vector>

namespace GSM {
namespace {

// A SIM takes PINs and PUKs of at most 8 digits (3GPP TS 31.101); a longer one cannot be
// right and might cost an attempt.
constexpr std::size_t kLongestSimCode = 8;

// A PIN, PUK or password as it may go into a command: 1 to 8 digits.
void RequireSimCode(const char* code)
{
    RequireOutput(code);
    const std::string_view text(code);
    if (text.empty() || text.size() > kLongestSimCode || text.find_first_not_of("0123456789") != std::string_view::npos)
        Raise(kQdInvalidParameter);
}

// A facility of "AT+CLCK" (3GPP TS 27.007: "SC", "AO", "PN", ...): two letters or digits.
void RequireFacility(const char* facility)
{
    RequireOutput(facility);
    const std::string_view text(facility);
    if (text.size() != 2 || text.find_first_not_of("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789") != std::string_view::npos)
        Raise(kQdInvalidParameter);
}

Modem& AppendQuotedCode(Modem& modem, const char* code) { return modem.AppendChar('"').Append(code).AppendChar('"'); }

// Sends the command built so far, which carries a secret, and waits for its final result.
void SendSecret(Modem& modem)
{
    modem.Send(kSendSensitive);
    modem.WaitFinal();
}

// The SIM's own lock is the PIN request.
constexpr std::string_view kSimLock = "SC";

int PinModeOfLock(bool locked) noexcept { return locked ? kPinModeEnabled : kPinModeDisabled; }

// Where each family tells the attempts left: the command, and the prefix of its answer.
using CounterRow = FamilyRow<NkCardInfo, std::string_view>;

std::span<const CounterRow> CounterQueries()
{
    static const std::vector<CounterRow> rows{
        // _TERCN: 3,10,3,10 - docs/at-dialect.md
        {"AT_TERCN?", Nodekin::CardCondition(Nodekin::speaksMakersDialect), "_TERCN:"},
        // +ZPINPUK: 3,10
        {"AT+ZPINPUK=?", Nodekin::CardCondition(Nodekin::isZte), "+ZPINPUK:"},
    };
    return rows;
}

} // namespace

// ---------------------------------------------------------------------------------------
// The PIN/PUK state

QdResult GenericPlatform::QdInitializeSim()
{
    // The client sets up its PIN dialogue around the first call after the start-up and
    // may have missed the state the start-up read: that once it is told again, changed or
    // not. Later calls (the client starts the SIM's initialisation again whenever the
    // radio comes on) tell only a change: an unchanged request repeated while a PIN is on
    // its way would read as the card's answer to it. Once the SIM is ready,
    // Device::SetSimState sets up what lives on it (SMS and the SIM phonebook, as they
    // come).
    return Run(Needs::initialized, [this](Modem&) {
        const bool announce = !simStateAnnounced_;
        simStateAnnounced_ = true;
        if (const QdResult rc = ReadSimState(announce); rc != kQdSuccess)
            Raise(rc);
    });
}

QdResult GenericPlatform::ReadSimState(bool announce)
{
    int state = kPinStateUnknown;
    QdResult rc = kQdSuccess;
    try {
        state = ReadPinPukState();
    } catch (const ResultError& error) {
        if (error.code() == kQdNoDevice)
            throw;
        rc = error.code();
    }
    device_.Set(Value::pinPukState, state, Value::pinPukResult, rc, announce);
    if (announce)
        device_.RaiseEvent(InfoOf(Value::pinPukState).event);
    if (state != kPinStateReady) {
        // A SIM that asks for its PIN again (after a reset of the card) is not ready either.
        device_.SetSimState(false, false, false);
        return rc;
    }
    bool ready = false;
    try {
        ready = ReadSimReady();
    } catch (const ResultError& error) {
        if (error.code() == kQdNoDevice)
            throw;
        xlog(logWarning, "Qd: Could not query SIM status (rc=0x%x), assuming SIM is not initialized",
             static_cast<unsigned>(error.code()));
    }
    device_.SetSimState(ready, false, !ready);
    return rc;
}

int GenericPlatform::ReadPinPukState() { return PinPukStateOf(AskText(device_, "AT+CPIN?", "+CPIN:")); }

QdResult GenericPlatform::QdGetDirectPinPukState(int* state)
{
    return Run(Needs::initialized, [&](Modem&) {
        RequireOutput(state);
        *state = ReadPinPukState();
    });
}

QdResult GenericPlatform::QdGetPinPukState(int* state, int* resultCode)
{
    const QdResult rc = Run(Needs::initialized, [&](Modem&) {
        RequireOutput(state);
        RequireOutput(resultCode);
        if (device_.Get(Value::pinPukState) == kPinStateUnknown)
            device_.RefreshPinState(false);
        *state = device_.Get(Value::pinPukState);
        *resultCode = device_.Get(Value::pinPukResult);
    });
    if (rc != kQdSuccess && !RefusedBeforeSending(rc))
        xlog(logError, "Qd: QdGetPinPukState(): Post-PIN operation failed with 0x%x", static_cast<unsigned>(rc));
    return rc;
}

// ---------------------------------------------------------------------------------------
// Codes

QdResult GenericPlatform::QdEnterPinCode(const char* pin)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireSimCode(pin);
        AppendQuotedCode(modem.Command("AT+CPIN="), pin);
        SendSecret(modem);
    });
}

QdResult GenericPlatform::QdEnterPukCode(const char* puk, const char* newPin)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireSimCode(puk);
        RequireSimCode(newPin);
        AppendQuotedCode(modem.Command("AT+CPIN="), puk).AppendChar(',');
        AppendQuotedCode(modem, newPin);
        SendSecret(modem);
    });
}

QdResult GenericPlatform::QdChangePinCode(const char* pin, const char* newPin)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireSimCode(pin);
        RequireSimCode(newPin);
        AppendQuotedCode(modem.Command("AT+CPWD=\"SC\","), pin).AppendChar(',');
        AppendQuotedCode(modem, newPin);
        SendSecret(modem);
    });
}

QdResult GenericPlatform::QdGetPinPukCounters(int* pinAttempts, int* pukAttempts)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(pinAttempts);
        RequireOutput(pukAttempts);
        const CounterRow* row = FirstApplying(CounterQueries(), device_.Card());
        if (row == nullptr)
            Raise(kQdNotSupported);
        const PinPukCounters counters = PinPukCountersOf(AskText(modem, row->text, row->action));
        *pinAttempts = counters.pin;
        *pukAttempts = counters.puk;
    });
}

// ---------------------------------------------------------------------------------------
// Locks

QdResult GenericPlatform::QdGetPinMode(int* mode)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(mode);
        // +CLCK: 1 - the SIM asks for its PIN.
        const int status = AskInt(modem, "AT+CLCK=\"SC\",2", "+CLCK:");
        if (status != 0 && status != 1)
            Raise(kQdNotAvailable);
        device_.Set(Value::pinMode, PinModeOfLock(status == 1));
        *mode = status;
    });
}

QdResult GenericPlatform::QdSetPinMode(int enable, const char* pin)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireSimCode(pin);
        modem.Command("AT+CLCK=\"SC\",").AppendInt(enable != 0 ? 1 : 0).AppendChar(',');
        AppendQuotedCode(modem, pin);
        SendSecret(modem);
        device_.Set(Value::pinMode, PinModeOfLock(enable != 0));
    });
}

QdResult GenericPlatform::QdSetFacilityState(const char* facility, int enable, const char* password)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireFacility(facility);
        RequireSimCode(password);
        AppendQuotedCode(modem.Command("AT+CLCK="), facility).AppendChar(',').AppendInt(enable != 0 ? 1 : 0);
        AppendQuotedCode(modem.AppendChar(','), password);
        SendSecret(modem);
        if (facility == kSimLock)
            device_.Set(Value::pinMode, PinModeOfLock(enable != 0));
    });
}

} // namespace GSM
