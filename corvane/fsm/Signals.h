#pragma once
// The one catalogue of signals shared by every state machine of the middleware. Each
// line says who publishes the signal; the dictionary keys it carries are named there too.

#include <cstdint>
#include <string>

namespace Corvane {

enum Signal : std::uint16_t {
    // Reserved to the state machine engine.
    Q_NO_SIGNAL = 0,   // empty signal: asks a state for its superstate
    Q_INIT_SIG = 1,    // initial transition of a composite state
    Q_ENTRY_SIG = 2,   // state entry
    Q_EXIT_SIG = 3,    // state exit

    sigError = 4,            // anyone that fails later (publishError): "lastError"
    sigFatal = 5,            // nobody yet
    sigLibInitialised = 6,   // device trait: the backend has started
    sigTerminate = 7,        // nobody: closeLibrary stops the library directly
    sigUpdate = 8,           // device trait, state machines (publishUpdate): new values
    sigInitialised = 9,      // backend client adapter: card initialised
    sigArrival = 10,         // backend client adapter: card arrived
    sigDeparture = 11,       // backend client adapter: card removed
    sigReset = 12,           // nobody yet
    sigSimMissing = 13,      // backend client adapter: no SIM
    sigDone = 14,            // device trait: an initialisation step is done
    sigSimBlocked = 15,      // nobody yet
    sigDeviceBusy = 16,      // device trait, backend client adapter: card busy
    sigDeviceDone = 17,      // device trait, backend client adapter: card idle again
    sigRadioSupport = 18,    // device trait: the radio state could be read
    sigRadioOn = 19,         // facade setRadioState, device trait
    sigRadioOff = 20,        // facade setRadioState, device trait
    sigAntennaIn = 21,       // device trait: smart antenna pushed in
    sigAntennaOut = 22,      // device trait: smart antenna pulled out
    sigAccept = 23,          // backend client adapter: PIN accepted
    sigNeedPin = 24,         // backend client adapter: "pinKind", "pinCount", "pukCount"
    sigCancel = 25,          // nobody yet
    sigEnter = 26,           // facade enterPin: "pin" (and "puk")
    sigChangePin = 27,       // facade changePin: "pin", "newPin"
    sigActivatePin = 28,     // facade setPinMode: "pin", "pinMode"
    sigSearch = 29,          // backend client adapter: searching for a network
    sigRegister = 30,        // backend client adapter: registered at home
    sigRoaming = 31,         // backend client adapter: registered, roaming
    sigDeregister = 32,      // backend client adapter: not registered
    sigDenied = 33,          // backend client adapter: registration denied
    sigTechnologyChange = 34, // backend client adapter: radio technology changed
    sigScan = 35,            // facade scanNetworks
    sigScanFinished = 36,    // device trait: "list", "listCount"
    sigSwitchTechnology = 37, // facade setNetworkTechnology: "networkTechnology"
    sigSelectNetwork = 38,   // facade selectNetwork: "networkSelectionMode", "mccmnc"
    sigConnecting = 39,      // backend client adapter: connection being made
    sigConnect = 40,         // facade connect: "apn", "username", "password", "authType"
    sigConnectConf = 41,     // backend client adapter: connected
    sigDiscReq = 42,         // facade disconnect
    sigDiscConf = 43,        // backend client adapter: disconnecting
    sigDiscInd = 44,         // backend client adapter: connection down
    sigEnableSms = 45,       // nobody yet
    sigDisableSms = 46,      // nobody yet
    sigSentSegment = 47,     // nobody yet
    sigReceivedSegment = 48, // nobody yet
    sigConfigureGps = 49,    // facade setGpsMode: "gpsMode"
    sigGpsEnabled = 50,      // device trait: the card has GPS
    sigGpsDisabled = 51,     // device trait: the card has no GPS
    sigActivateGps = 52,     // device trait: receiver on
    sigDeactivateGps = 53,   // device trait: receiver off
    sigReadGps = 54,         // device trait, NMEA parser (RMC with a fix)
    sigStopGps = 55,         // device trait: stop reading positions
    sigGpsUpdate = 56,       // NMEA parser: "gpsLatitude", "gpsLongitude", ...
    sigGpsSearch = 57,       // NMEA parser (RMC without a fix)
};

inline constexpr int signalCount = 58;

// "sigGpsUpdate"; "unknownEnumValue(N)" for a value outside the catalogue.
std::string signalName(int signal);

} // namespace Corvane
