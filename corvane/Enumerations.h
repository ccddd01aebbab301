#pragma once
// The value enumerations of the client interface. Each value's name is also its text in
// logs and in clients' name tables; enumName() answers "???" for a value outside its
// enumeration.

#include <cstdint>
#include <string_view>

namespace Corvane {

enum PinMode : int { cPinModeInactive, cPinModeActive, cPinModeUnknown };

enum PinKind : int {
    cPinKindUnknown,
    cPinKindPinReady,
    cPinKindPinRequired,
    cPinKindPukRequired,
    cPinKindPhoneSimPinRequired,
    cPinKindPhone1stSimPinRequired,
    cPinKindPhone1stSimPukRequired,
    cPinKindPin2Required,
    cPinKindPuk2Required,
    cPinKindNetPersPinRequired,
    cPinKindNetPersPukRequired,
    cPinKindNetSubPersPinRequired,
    cPinKindNetSubPersPukRequired,
    cPinKindSvcProvPersPinRequired,
    cPinKindSvcProvPersPukRequired,
    cPinKindCorpPersPinRequired,
    cPinKindCorpPersPukRequired,
};

enum RadioSupport : int { cRadioSupportUnknown, cStandardRadioSupport, cHwSwitchSupport, cSmartAntennaSupport };

enum RadioState : int { cRadioStateUnkown, cRadioOn, cRadioOff };

enum AntennaPosition : int { cAntennaOut, cAntennaIn };

enum NetworkState : int { cNetworkStateUnknown, cNetworkStateAvailable, cNetworkStateCurrent, cNetworkStateForbidden };

enum NetworkSelection : int { cNetworkSelectionAutomatic, cNetworkSelectionManual, cNetworkSelectionSemiManual };

enum PsTechnology : int { cPsTechnologyAutomatic, cPsTechnology2G, cPsTechnology3G };

// Carried as the decimal text of the value under "authType". The first value's name is
// "cNone(AUTO?)".
enum Authentication : int { cNone, cPap, cChap };

enum CharacterSet : int { cDefaultGsm, c8Bit, cUcs2 };

enum SmsModuleState : int { smsDatabaseActive, smsDatabaseInactive, smsActive, smsInactive };

enum SmsResult : int { smsaSuccess, smsaFailed };

enum MessageState : int {
    smsMessageStateRecUnread,
    smsMessageStateRecRead,
    smsMessageStateStoredUnsent,
    smsMessageStateStoredSent,
    smsMessageStateStoredSaved,
    smsMessageStateDeleted,
};

enum LibraryState : int { lmInitialising, lmInitialised, lmInitFailure, lmClosed };

enum DeviceState : int {
    devmRemoved,
    devmArrived,
    devmInitialising,
    devmInitFailure,
    devmInitialised,
    devmSimMissing,
    devmSimBlocked,
    devmBusy,
};

enum PinState : int { pmChecking, pmAccepted, pmRejected, pmMissing, pmSimBlocked };

enum RegistrationState : int { rmNotRegistered, rmSearching, rmDenied, rmComplete, rmRoaming };

enum ConnectionState : int { cmConnecting, cmConnected, cmDisconnecting, cmDisconnected };

// What a client asks of the GPS receiver; 3 is no mode.
enum GpsMode : int { cGpsModeOff = 0, cGpsModeOn = 1, cGpsModeStopReading = 2, cGpsModeRead = 4 };

enum GpsState : int {
    gpsOff,
    gpsActive,    // switched on, positions not read
    gpsReading,   // reading, with a fix
    gpsSearching, // reading, no fix yet
};

// How much of the card the library starts; 0 and 1 start the same.
enum InitMode : int { cInitModeFull, cInitModeFullAlias, cInitModeGpsOnly, cInitModeFullAndGps };

// The enumerations are told apart by their types; pass a plain number through the type
// of the enumeration it belongs to.
std::string_view enumName(PinMode value) noexcept;
std::string_view enumName(PinKind value) noexcept;
std::string_view enumName(RadioSupport value) noexcept;
std::string_view enumName(RadioState value) noexcept;
std::string_view enumName(AntennaPosition value) noexcept;
std::string_view enumName(NetworkState value) noexcept;
std::string_view enumName(NetworkSelection value) noexcept;
std::string_view enumName(PsTechnology value) noexcept;
std::string_view enumName(Authentication value) noexcept;
std::string_view enumName(CharacterSet value) noexcept;
std::string_view enumName(SmsModuleState value) noexcept;
std::string_view enumName(SmsResult value) noexcept;
std::string_view enumName(MessageState value) noexcept;
std::string_view enumName(LibraryState value) noexcept;
std::string_view enumName(DeviceState value) noexcept;
std::string_view enumName(PinState value) noexcept;
std::string_view enumName(RegistrationState value) noexcept;
std::string_view enumName(ConnectionState value) noexcept;
std::string_view enumName(GpsMode value) noexcept;
std::string_view enumName(GpsState value) noexcept;
std::string_view enumName(InitMode value) noexcept;

} // namespace Corvane
