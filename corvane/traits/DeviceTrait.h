#pragma once
// The state machines' only door to the modem backend. An operation either works at once
// or starts a short-lived thread, and reports what happened by publishing signals; what
// it returns is only whether it could be started (a value of ErrorCode). Some operations
// fill the record they are given.
//
// This base does nothing and answers cNoError to everything: the backend's trait
// overrides what it supports, tests record what the machines ask for.

#include "corvane/types/Dictionary.h"

namespace Corvane {

class DeviceTrait {
public:
    virtual ~DeviceTrait() = default;

    virtual int initialise(Dictionary& parameters);
    virtual int shutdown(Dictionary& parameters);
    virtual int initDevice(Dictionary& parameters);
    virtual int initSim(Dictionary& parameters);
    virtual int initRadio(Dictionary& parameters);
    virtual int initNetwork(Dictionary& parameters);
    virtual int initSms(Dictionary& parameters);
    virtual int initConnection(Dictionary& parameters);
    virtual int initGps(Dictionary& parameters);
    virtual int readDeviceInfo(Dictionary& parameters);
    virtual int readRadioInfo(Dictionary& parameters);
    virtual int readSimInfo(Dictionary& parameters);
    virtual int readNetworkInfo(Dictionary& parameters);
    virtual int enterPin(Dictionary& parameters);
    virtual int changePin(Dictionary& parameters);
    virtual int setPinMode(Dictionary& parameters);
    virtual int setNetworkTechnology(Dictionary& parameters);
    virtual int scanNetworks(Dictionary& parameters);
    virtual int selectNetwork(Dictionary& parameters);
    virtual int setRadioState(Dictionary& parameters);
    virtual int connect(Dictionary& parameters);
    virtual int disconnect(Dictionary& parameters);
    virtual int readConnectionStatistics(Dictionary& parameters);
    virtual int sendSms(Dictionary& parameters);
    virtual int deleteSms(Dictionary& parameters);
    virtual int readNewSms(Dictionary& parameters);
    virtual int configureGps(Dictionary& parameters);
};

// The trait a new library controller starts with: the modem backend's.
DeviceTrait& defaultDeviceTrait();

} // namespace Corvane
