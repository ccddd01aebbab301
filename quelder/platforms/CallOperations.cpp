// The generic platform's voice calls and USSD.

#include "quelder/platforms/GenericPlatform.h"

#include "platform/SystemError.h"
#include "quelder/Device.h"
#include "quelder/at/Exchange.h"

namespace GSM {
namespace {

// What a number to dial may hold: it goes into the command as it is, so nothing that
// would end it or start another ("ATD+1555;H;+CFUN=0").
bool IsDialNumber(std::string_view number) noexcept
{
    return !number.empty() && number.find_first_not_of("0123456789*#+") == std::string_view::npos;
}

bool IsVoiceRinging(int voice) { return voice == kVoiceRinging; }
bool IsVoiceActive(int voice) { return voice != kVoiceNotReady; }

} // namespace

QdResult GenericPlatform::QdDial(const char* number)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(number);
        if (!features_.voice)
            Raise(kQdNotSupported);
        if (!IsDialNumber(number))
            Raise(qdSystemError(Os::kErrorInvalidParameter));
        // Dialing before the command goes out: the card reports the answer ("+COLP:")
        // before its final result.
        const int before = device_.Get(Value::voiceState);
        device_.Set(Value::voiceState, kVoiceDialing);
        try {
            // The semicolon makes it a voice call; without it the card would start a data call.
            modem.Command("ATD").Append(number).AppendChar(';');
            modem.Send();
            modem.WaitFinal();
        } catch (const ResultError&) {
            device_.SetIf(
                Value::voiceState, [](int voice) { return voice == kVoiceDialing; }, before);
            throw;
        }
    });
}

QdResult GenericPlatform::QdAnswerCall()
{
    return Run(Needs::initialized, [this](Modem& modem) {
        if (!features_.voice)
            Raise(kQdNotSupported);
        Do(modem, "ATA");
        device_.SetIf(Value::voiceState, IsVoiceRinging, kVoiceConnected);
    });
}

QdResult GenericPlatform::QdHangUp()
{
    return Run(Needs::initialized, [this](Modem& modem) {
        Do(modem, "ATH");
        device_.SetIf(Value::voiceState, IsVoiceActive, kVoiceDisconnected);
    });
}

QdResult GenericPlatform::QdSendUssdCommand(const char* command)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(command);
        if (*command == '\0')
            Raise(qdSystemError(Os::kErrorInvalidParameter));
        // In the card's own character set, which the backend leaves as it is (the
        // engine writes what stands between quotes in the GSM alphabet), and coding
        // scheme 15: the GSM alphabet, language not given. The network's answer comes
        // as a "+CUSD:" report (event 21).
        modem.Command("AT+CUSD=1,").Append(QuotedString(command)).Append(",15");
        modem.Send();
        modem.WaitFinal();
    });
}

QdResult GenericPlatform::QdCancelUssdCommand()
{
    return Run(Needs::initialized, [](Modem& modem) { Do(modem, "AT+CUSD=2"); });
}

} // namespace GSM
