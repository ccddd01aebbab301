#pragma once
// The one controller of the library: the hub every signal travels through, the client's
// callback tables, the store of reported values, the device trait, the parameters the
// library was started with, the library state machine, and a worker of its own on which
// the client's "clientUpdate" callbacks run, one at a time, in publishing order.
//
// Created on first use by the facade and ended by closeLibrary; whatever only reports
// (publishing, notifications) uses the controller if there is one and does nothing
// otherwise.

#include "corvane/fsm/ActiveObjectPtr.h"
#include "corvane/ParameterStore.h"
#include "corvane/TraitTables.h"
#include "corvane/fsm/Events.h"
#include "corvane/fsm/RegistrationSeams.h"
#include "corvane/patterns/Observable.h"
#include "corvane/threads/ShutdownPatience.h"
#include "corvane/threads/Worker.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <string>

namespace Corvane {

class LibraryFSM;
class DeviceTrait;

class CorvaneController final {
    struct Key { // only instance() constructs a controller
        explicit Key() = default;
    };

public:
    static CorvaneController& instance();
    static CorvaneController* existing() noexcept;
    // Stops the library, as closeLibrary does: the device trait is shut down, the client
    // hears "libraryState" 3, the state machines and then the controller go.
    static void close();
    // Forgets the controller without the closing steps. Waits (within the shutdown
    // patience) for the users that hold an InUse, so that none of them is left with a
    // controller that is going; the controller stays in memory instead when a use does not
    // end or threads were left behind since `leftBehindBefore` (they still refer to it).
    static void destroyInstance(unsigned leftBehindBefore = threadsLeftBehind());

    // The controller, if there is one, kept from going while this lives. For the short
    // uses of threads the library does not own (publishing from the device trait's and
    // the backend's threads); never held across a client callback, which may close the
    // library.
    class InUse {
    public:
        InUse() noexcept;
        ~InUse();
        InUse(const InUse&) = delete;
        InUse& operator=(const InUse&) = delete;

        explicit operator bool() const noexcept { return controller_ != nullptr; }
        CorvaneController* operator->() const noexcept { return controller_; }

    private:
        CorvaneController* controller_;
    };

    explicit CorvaneController(Key);
    ~CorvaneController();

    Observable& hub() noexcept { return hub_; }
    TraitRegistry& traits() noexcept { return traits_; }
    ParameterStore& store() noexcept { return store_; }

    DeviceTrait& deviceTrait() const noexcept { return *deviceTrait_.load(); }
    // The backend's trait, or a test's; set before the library starts.
    void setDeviceTrait(DeviceTrait& trait) noexcept { deviceTrait_.store(&trait); }

    // What the network machine starts while the card is registered; set before the
    // library starts, like the trait.
    ConnectionMachineFactory& connectionMachines() const noexcept { return *connectionMachines_.load(); }
    void setConnectionMachines(ConnectionMachineFactory& factory) noexcept { connectionMachines_.store(&factory); }
    SmsModuleStateSink& smsModuleState() const noexcept { return *smsModuleState_.load(); }
    void setSmsModuleState(SmsModuleStateSink& sink) noexcept { smsModuleState_.store(&sink); }

    Dictionary initialParameters() const;
    void setInitialParameters(const Dictionary& parameters);
    void setDatabasePath(const std::string& path);
    std::string databasePath() const;

    // Starts the library: keeps the parameters, then (once) creates the library state
    // machine and runs its initial transition on the caller's thread.
    bool init(const Dictionary& parameters);
    // The library state machine, or null before init. Client thread only.
    LibraryFSM* libraryMachine() noexcept;

    // Queues an update for the client's "clientUpdate" callback.
    void postUpdate(const CvEventPtr& event) { worker_.post(event); }

    // Stops the worker, unless the callback in progress outlasts `patience`: false then,
    // and the controller must stay in memory for that thread.
    bool stopWithin(std::chrono::milliseconds patience) { return worker_.stopWithin(patience); }

private:
    // Runs the client's "clientUpdate" callback, on the worker.
    void process(const CvEventPtr& event);

    Observable hub_;
    TraitRegistry traits_;
    ParameterStore store_;
    std::atomic<DeviceTrait*> deviceTrait_;
    std::atomic<ConnectionMachineFactory*> connectionMachines_{&noConnectionMachines()};
    std::atomic<SmsModuleStateSink*> smsModuleState_{&loggedSmsModuleState()};

    mutable std::mutex parametersMutex_; // guards initialParameters_ and databasePath_
    Dictionary initialParameters_;
    std::string databasePath_;

    // Runs the callbacks; after everything they use, so that it is stopped before any of
    // it goes.
    Worker<CvEventPtr> worker_{[this](const CvEventPtr& event) { process(event); }};

    // Created by init and ended by close, both on the client's thread; declared last so
    // that it goes first, while everything it uses still exists (the worker it posts
    // updates to included).
    ActiveObjectPtr<LibraryFSM> library_;
};

} // namespace Corvane
