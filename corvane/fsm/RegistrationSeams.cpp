#include "corvane/fsm/RegistrationSeams.h"

#include "corvane/Logging.h"

namespace Corvane {

namespace {

class NoConnectionMachines final : public ConnectionMachineFactory {
public:
    std::unique_ptr<ConnectionMachine> create(CorvaneController&) override { return nullptr; }
};

class LoggedSmsModuleState final : public SmsModuleStateSink {
public:
    void setModuleState(int state) override
    {
        LOG4CPLUS_DEBUG(logging::logger(logging::category::networkFsm), "SMS module state " << state);
    }
};

} // namespace

ConnectionMachineFactory& noConnectionMachines()
{
    static NoConnectionMachines factory;
    return factory;
}

SmsModuleStateSink& loggedSmsModuleState()
{
    static LoggedSmsModuleState sink;
    return sink;
}

} // namespace Corvane
