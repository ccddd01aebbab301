#pragma once
// The hierarchical state machine engine.
//
// A state is a member function that takes an event and answers either "handled"
// (QHsm::handled()) or its superstate (QHsm::super(&Machine::parent)). The engine's own
// signals ask for entry, exit and initial transitions; the empty signal asks only for the
// superstate, so a handler must do nothing else for it. A machine is driven from one
// thread at a time.
//
//   QState GpsFSM::reading(const QEvent* e)
//   {
//       switch (e->sig) {
//       case Q_ENTRY_SIG: notifyGpsState(gpsReading); return handled();
//       case sigGpsSearch: Q_TRAN(&GpsFSM::searching); return handled();
//       }
//       return super(&GpsFSM::active);
//   }
//
// The path of a transition is worked out the first time its site runs, with the
// superstate queries that takes, and kept in a record that belongs to the site (a static
// inside the handler, see Q_TRAN); later runs replay the record.

#include "corvane/fsm/Events.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace Corvane {

class QHsm;
struct QState;
using QStateHandler = QState (QHsm::*)(const QEvent*);

// What a state handler answers: null when it handled the event, else its superstate.
struct QState {
    QStateHandler super = nullptr;
};

// The recorded path of one transition site: the states acted on and the signal sent to
// each, then the state the machine ends in.
class QTran {
public:
    static constexpr int capacity = 8;

    bool isComplete() const noexcept { return status_.load(std::memory_order_acquire) == complete; }

private:
    friend class QHsm;
    struct Path;

    // Several machines of one class may take the same site at once on different threads:
    // only the first to finish computing writes the record, and readers see it only
    // after `status_` says it is complete.
    void publish(const Path& path) noexcept;

    enum : std::uint8_t { empty, writing, complete };

    std::array<QStateHandler, capacity> chain_{};
    // Two bits per slot of chain_: the signal sent to that state (Q_INIT_SIG, Q_ENTRY_SIG
    // or Q_EXIT_SIG), or 0 for the final state that ends the record.
    std::uint16_t actions_ = 0;
    std::atomic<std::uint8_t> status_{empty};
};

class QHsm {
public:
    QHsm(const QHsm&) = delete;
    QHsm& operator=(const QHsm&) = delete;
    virtual ~QHsm() = default;

    // Runs the initial transition: the pseudo-state given at construction, then entry and
    // init down to a leaf.
    void init();
    // Offers the event to the current state, then to its superstates until one handles it.
    void dispatch(const QEvent* event);

    QStateHandler state() const noexcept { return state_; }
    // True when the current state is `s` or lies inside it.
    bool isIn(QStateHandler s);

    // The root: handles everything by ignoring it.
    QState top(const QEvent* event);

    // Transition paths worked out so far in this process (replays are not counted).
    static std::uint64_t computedTransitions() noexcept;

    template <class Machine>
    static QStateHandler handler(QState (Machine::*state)(const QEvent*)) noexcept
    {
        return static_cast<QStateHandler>(state);
    }

protected:
    explicit QHsm(QStateHandler initial) noexcept;

    static constexpr QState handled() noexcept { return {}; }
    template <class Machine>
    static QState super(QState (Machine::*parent)(const QEvent*)) noexcept
    {
        return {handler(parent)};
    }

    // Inside the handler of the state that handled the current event: move to `target`.
    // Use Q_TRAN, which gives the site its record.
    void tran(QStateHandler target, QTran& record);
    // Inside an initial pseudo-state or an init handler: go to a direct substate.
    void initTran(QStateHandler target) noexcept { state_ = target; }

private:
    QStateHandler trigger(QStateHandler state, std::uint16_t signal)
    {
        return (this->*state)(&standardEvents[signal]).super;
    }
    QStateHandler superOf(QStateHandler state) { return trigger(state, Q_NO_SIGNAL); }

    void computePath(QStateHandler target, QTran::Path& path);
    void exitState(QStateHandler state, QTran::Path& path);
    void enterState(QStateHandler state, QTran::Path& path);
    void replay(const QTran& record);

    QStateHandler state_;  // the current state; `top` before init
    QStateHandler source_; // the initial pseudo-state before init, then the state handling an event
};

} // namespace Corvane

// A transition from inside a state handler, with a record of its own for this site.
#define Q_TRAN(target_)                                                                                                \
    do {                                                                                                               \
        static ::Corvane::QTran qTranRecord_;                                                                          \
        this->tran(::Corvane::QHsm::handler(target_), qTranRecord_);                                                   \
    } while (false)
