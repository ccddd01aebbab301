#pragma once
// The one controller of the library: the hub every signal travels through, the client's
// callback tables, the store of reported values, and a worker of its own on which the
// client's "clientUpdate" callbacks run, one at a time, in publishing order.
//
// Created on first use by the facade and destroyed by closeLibrary; whatever only reports
// (publishing, notifications) uses the controller if there is one and does nothing
// otherwise.

#include "corvane/ParameterStore.h"
#include "corvane/TraitTables.h"
#include "corvane/fsm/Events.h"
#include "corvane/patterns/Observable.h"
#include "corvane/threads/Worker.h"

namespace Corvane {

class CorvaneController final : public Worker<CvEventPtr> {
    struct Key { // only instance() constructs a controller
        explicit Key() = default;
    };

public:
    static CorvaneController& instance();
    static CorvaneController* existing() noexcept;
    static void destroyInstance();

    explicit CorvaneController(Key);
    ~CorvaneController() override;

    Observable& hub() noexcept { return hub_; }
    TraitRegistry& traits() noexcept { return traits_; }
    ParameterStore& store() noexcept { return store_; }

    // Queues an update for the client's "clientUpdate" callback.
    void postUpdate(const CvEventPtr& event) { post(event); }

private:
    void process(const CvEventPtr& event) override;

    Observable hub_;
    TraitRegistry traits_;
    ParameterStore store_;
};

} // namespace Corvane
