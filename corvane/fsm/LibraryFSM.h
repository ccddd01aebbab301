#pragma once
// The life of the library as a whole: starts the device side, reports the library state,
// reports errors of client commands with the parameters of the command being served,
// hands updates to the controller's worker for the client, and stops the device side.
//
//   libInitialisation, libInitFailure, libInitialised, libTerminate (all under top)

#include "corvane/fsm/ActiveObjectPtr.h"
#include "corvane/fsm/Signals.h"
#include "corvane/fsm/TracedHsm.h"
#include "corvane/types/Dictionary.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>

namespace Corvane {

class DeviceFSM;
class CorvaneController;

class LibraryFSM : public TracedHsm {
public:
    explicit LibraryFSM(CorvaneController& controller);
    ~LibraryFSM() override;

    static std::span<const Signal> subscriptions();

    // The parameters of the client command being served, reported back if it fails.
    // Replaced from the client's thread, read on the machine's.
    void setFunctionParameters(const Dictionary& parameters);
    Dictionary functionParameters() const;

    std::int32_t lastError() const noexcept { return lastError_; }
    bool hasDeviceMachine() const noexcept { return static_cast<bool>(device_); }

    QState initial(const QEvent* e);
    QState libInitialisation(const QEvent* e);
    QState libInitFailure(const QEvent* e);
    QState libInitialised(const QEvent* e);
    QState libTerminate(const QEvent* e);

private:
    void reportError(const char* state, const QEvent* e);
    void shutDownTrait();

    CorvaneController& controller_;
    std::int32_t lastError_ = 0;

    mutable std::mutex parametersMutex_; // guards functionParameters_
    Dictionary functionParameters_;

    ActiveObjectPtr<DeviceFSM> device_;
};

} // namespace Corvane
