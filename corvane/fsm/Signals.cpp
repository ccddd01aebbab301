#include "corvane/fsm/Signals.h"

#include "corvane/types/NameList.h"

namespace Corvane {

namespace {
constexpr std::string_view signalNames =
    "Q_NO_SIGNAL,Q_INIT_SIG,Q_ENTRY_SIG,Q_EXIT_SIG,sigError,sigFatal,sigLibInitialised,sigTerminate,sigUpdate,"
    "sigInitialised,sigArrival,sigDeparture,sigReset,sigSimMissing,sigDone,sigSimBlocked,sigDeviceBusy,"
    "sigDeviceDone,sigRadioSupport,sigRadioOn,sigRadioOff,sigAntennaIn,sigAntennaOut,sigAccept,sigNeedPin,"
    "sigCancel,sigEnter,sigChangePin,sigActivatePin,sigSearch,sigRegister,sigRoaming,sigDeregister,sigDenied,"
    "sigTechnologyChange,sigScan,sigScanFinished,sigSwitchTechnology,sigSelectNetwork,sigConnecting,sigConnect,"
    "sigConnectConf,sigDiscReq,sigDiscConf,sigDiscInd,sigEnableSms,sigDisableSms,sigSentSegment,"
    "sigReceivedSegment,sigConfigureGps,sigGpsEnabled,sigGpsDisabled,sigActivateGps,sigDeactivateGps,sigReadGps,"
    "sigStopGps,sigGpsUpdate,sigGpsSearch,";
static_assert(nameListSize(signalNames) == signalCount, "one name per signal");
} // namespace

std::string signalName(int signal)
{
    if (signal >= 0 && signal < signalCount)
        return std::string{nameFromList(signalNames, static_cast<std::size_t>(signal))};
    return "unknownEnumValue(" + std::to_string(signal) + ")";
}

} // namespace Corvane
