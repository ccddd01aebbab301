#include "corvane/Enumerations.h"

#include "corvane/types/NameList.h"

namespace Corvane {

std::string_view enumName(PinMode v) noexcept { return enumerationName("cPinModeInactive,cPinModeActive,cPinModeUnknown,", v); }

std::string_view enumName(PinKind v) noexcept
{
    return enumerationName("cPinKindUnknown,cPinKindPinReady,cPinKindPinRequired,cPinKindPukRequired,"
                  "cPinKindPhoneSimPinRequired,cPinKindPhone1stSimPinRequired,cPinKindPhone1stSimPukRequired,"
                  "cPinKindPin2Required,cPinKindPuk2Required,cPinKindNetPersPinRequired,cPinKindNetPersPukRequired,"
                  "cPinKindNetSubPersPinRequired,cPinKindNetSubPersPukRequired,cPinKindSvcProvPersPinRequired,"
                  "cPinKindSvcProvPersPukRequired,cPinKindCorpPersPinRequired,cPinKindCorpPersPukRequired,",
                  v);
}

std::string_view enumName(RadioSupport v) noexcept
{
    return enumerationName("cRadioSupportUnknown,cStandardRadioSupport,cHwSwitchSupport,cSmartAntennaSupport,", v);
}

std::string_view enumName(RadioState v) noexcept { return enumerationName("cRadioStateUnkown,cRadioOn,cRadioOff,", v); }

std::string_view enumName(AntennaPosition v) noexcept { return enumerationName("cAntennaOut,cAntennaIn,", v); }

std::string_view enumName(NetworkState v) noexcept
{
    return enumerationName("cNetworkStateUnknown,cNetworkStateAvailable,cNetworkStateCurrent,cNetworkStateForbidden,", v);
}

std::string_view enumName(NetworkSelection v) noexcept
{
    return enumerationName("cNetworkSelectionAutomatic,cNetworkSelectionManual,cNetworkSelectionSemiManual,", v);
}

std::string_view enumName(PsTechnology v) noexcept
{
    return enumerationName("cPsTechnologyAutomatic,cPsTechnology2G,cPsTechnology3G,", v);
}

std::string_view enumName(Authentication v) noexcept { return enumerationName("cNone(AUTO?),cPap,cChap,", v); }

std::string_view enumName(CharacterSet v) noexcept { return enumerationName("cDefaultGsm,c8Bit,cUcs2,", v); }

std::string_view enumName(SmsModuleState v) noexcept
{
    return enumerationName("smsDatabaseActive,smsDatabaseInactive,smsActive,smsInactive,", v);
}

std::string_view enumName(SmsResult v) noexcept { return enumerationName("smsaSuccess,smsaFailed,", v); }

std::string_view enumName(MessageState v) noexcept
{
    return enumerationName("smsMessageStateRecUnread,smsMessageStateRecRead,smsMessageStateStoredUnsent,"
                  "smsMessageStateStoredSent,smsMessageStateStoredSaved,smsMessageStateDeleted,",
                  v);
}

std::string_view enumName(LibraryState v) noexcept
{
    return enumerationName("lmInitialising,lmInitialised,lmInitFailure,lmClosed,", v);
}

std::string_view enumName(DeviceState v) noexcept
{
    return enumerationName("devmRemoved,devmArrived,devmInitialising,devmInitFailure,devmInitialised,devmSimMissing,"
                  "devmSimBlocked,devmBusy,",
                  v);
}

std::string_view enumName(PinState v) noexcept
{
    return enumerationName("pmChecking,pmAccepted,pmRejected,pmMissing,pmSimBlocked,", v);
}

std::string_view enumName(RegistrationState v) noexcept
{
    return enumerationName("rmNotRegistered,rmSearching,rmDenied,rmComplete,rmRoaming,", v);
}

std::string_view enumName(ConnectionState v) noexcept
{
    return enumerationName("cmConnecting,cmConnected,cmDisconnecting,cmDisconnected,", v);
}

// The empty item is the gap at 3.
std::string_view enumName(GpsMode v) noexcept
{
    return enumerationName("cGpsModeOff,cGpsModeOn,cGpsModeStopReading,,cGpsModeRead,", v);
}

std::string_view enumName(GpsState v) noexcept
{
    return enumerationName("gpsOff,gpsActive,gpsReading,gpsSearching,", v);
}

std::string_view enumName(InitMode v) noexcept
{
    return enumerationName("cInitModeFull,cInitModeFullAlias,cInitModeGpsOnly,cInitModeFullAndGps,", v);
}

} // namespace Corvane
