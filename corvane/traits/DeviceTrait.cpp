#include "corvane/traits/DeviceTrait.h"

#include "corvane/traits/QdDeviceTrait.h"

#include "corvane/ErrorCode.h"

namespace Corvane {

int DeviceTrait::initialise(Dictionary&) { return cNoError; }
int DeviceTrait::shutdown(Dictionary&) { return cNoError; }
int DeviceTrait::initDevice(Dictionary&) { return cNoError; }
int DeviceTrait::initSim(Dictionary&) { return cNoError; }
int DeviceTrait::initRadio(Dictionary&) { return cNoError; }
int DeviceTrait::initNetwork(Dictionary&) { return cNoError; }
int DeviceTrait::initSms(Dictionary&) { return cNoError; }
int DeviceTrait::initConnection(Dictionary&) { return cNoError; }
int DeviceTrait::initGps(Dictionary&) { return cNoError; }
int DeviceTrait::readDeviceInfo(Dictionary&) { return cNoError; }
int DeviceTrait::readRadioInfo(Dictionary&) { return cNoError; }
int DeviceTrait::readSimInfo(Dictionary&) { return cNoError; }
int DeviceTrait::readNetworkInfo(Dictionary&) { return cNoError; }
int DeviceTrait::enterPin(Dictionary&) { return cNoError; }
int DeviceTrait::changePin(Dictionary&) { return cNoError; }
int DeviceTrait::setPinMode(Dictionary&) { return cNoError; }
int DeviceTrait::setNetworkTechnology(Dictionary&) { return cNoError; }
int DeviceTrait::scanNetworks(Dictionary&) { return cNoError; }
int DeviceTrait::selectNetwork(Dictionary&) { return cNoError; }
int DeviceTrait::setRadioState(Dictionary&) { return cNoError; }
int DeviceTrait::connect(Dictionary&) { return cNoError; }
int DeviceTrait::disconnect(Dictionary&) { return cNoError; }
int DeviceTrait::readConnectionStatistics(Dictionary&) { return cNoError; }
int DeviceTrait::sendSms(Dictionary&) { return cNoError; }
int DeviceTrait::deleteSms(Dictionary&) { return cNoError; }
int DeviceTrait::readNewSms(Dictionary&) { return cNoError; }
int DeviceTrait::configureGps(Dictionary&) { return cNoError; }

DeviceTrait& defaultDeviceTrait()
{
    return QdDeviceTrait::instance();
}

} // namespace Corvane
