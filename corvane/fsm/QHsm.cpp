#include "corvane/fsm/QHsm.h"

#include <cassert>

namespace Corvane {

namespace {

// Deepest nesting of states the engine supports, top included.
constexpr int maxDepth = 16;

std::atomic<std::uint64_t> pathsComputed{0};

} // namespace

// A path being recorded while the transition runs. The last slot is kept for the final
// state, so a record holds at most capacity - 1 actions; a longer path is never stored
// and is worked out afresh each time.
struct QTran::Path {
    std::array<QStateHandler, capacity> chain{};
    std::uint16_t actions = 0;
    int size = 0;
    bool overflow = false;

    void add(QStateHandler state, std::uint16_t signal) noexcept
    {
        if (size >= capacity - 1) {
            overflow = true;
            return;
        }
        chain[size] = state;
        actions = static_cast<std::uint16_t>(actions | signal << (2 * size));
        ++size;
    }
};

void QTran::publish(const Path& path) noexcept
{
    if (path.overflow)
        return;
    std::uint8_t expected = empty;
    if (!status_.compare_exchange_strong(expected, writing, std::memory_order_acquire))
        return; // another machine of the class records this site
    chain_ = path.chain;
    actions_ = path.actions;
    status_.store(complete, std::memory_order_release);
}

QHsm::QHsm(QStateHandler initial) noexcept : state_(&QHsm::top), source_(initial) {}

QState QHsm::top(const QEvent*) { return handled(); }

std::uint64_t QHsm::computedTransitions() noexcept { return pathsComputed.load(std::memory_order_relaxed); }

void QHsm::init()
{
    assert(state_ == &QHsm::top && source_ != nullptr && "init runs once, before any event");
    (this->*source_)(&standardEvents[Q_INIT_SIG]);
    QStateHandler s = state_;
    assert(superOf(s) == &QHsm::top && "the initial transition goes to a substate of top");
    trigger(s, Q_ENTRY_SIG);
    while (trigger(s, Q_INIT_SIG) == nullptr) {
        assert(superOf(state_) == s && "an initial transition goes one level down");
        s = state_;
        trigger(s, Q_ENTRY_SIG);
    }
}

void QHsm::dispatch(const QEvent* event)
{
    for (source_ = state_; source_ != nullptr;)
        source_ = (this->*source_)(event).super;
}

bool QHsm::isIn(QStateHandler s)
{
    for (QStateHandler state = state_; state != nullptr; state = superOf(state))
        if (state == s)
            return true;
    return false;
}

void QHsm::tran(QStateHandler target, QTran& record)
{
    // Leave the current state up to the state that handled the event.
    for (QStateHandler s = state_; s != source_;) {
        assert(s != nullptr && "a transition runs inside the handler of a current or enclosing state");
        const QStateHandler parent = trigger(s, Q_EXIT_SIG);
        s = parent != nullptr ? parent : superOf(s);
    }

    if (record.isComplete()) {
        replay(record);
        return;
    }

    QTran::Path path;
    computePath(target, path);

    state_ = target;
    for (;;) {
        const QStateHandler s = state_;
        if (trigger(s, Q_INIT_SIG) != nullptr)
            break;
        assert(state_ != s && superOf(state_) == s && "an initial transition goes one level down");
        path.add(s, Q_INIT_SIG);
        enterState(state_, path);
    }

    pathsComputed.fetch_add(1, std::memory_order_relaxed);
    if (!path.overflow)
        path.chain[path.size] = state_;
    record.publish(path);
}

void QHsm::exitState(QStateHandler state, QTran::Path& path)
{
    if (trigger(state, Q_EXIT_SIG) == nullptr)
        path.add(state, Q_EXIT_SIG);
}

void QHsm::enterState(QStateHandler state, QTran::Path& path)
{
    if (trigger(state, Q_ENTRY_SIG) == nullptr)
        path.add(state, Q_ENTRY_SIG);
}

void QHsm::computePath(QStateHandler target, QTran::Path& path)
{
    const QStateHandler source = source_;
    if (source == target) { // self-transition
        exitState(source, path);
        enterState(target, path);
        return;
    }
    const QStateHandler targetSuper = superOf(target);
    if (source == targetSuper) { // into a direct substate
        enterState(target, path);
        return;
    }
    const QStateHandler sourceSuper = superOf(source);
    if (sourceSuper == targetSuper) { // to a sibling
        exitState(source, path);
        enterState(target, path);
        return;
    }
    if (sourceSuper == target) { // to the direct superstate: it is not entered again
        exitState(source, path);
        return;
    }

    // The target and its superstates up to top; entries run from the outermost down.
    std::array<QStateHandler, maxDepth> lineage{};
    int depth = 0;
    lineage[depth++] = target;
    for (QStateHandler s = targetSuper; s != nullptr; s = superOf(s)) {
        assert(depth < maxDepth && "states nest deeper than the engine supports");
        lineage[depth++] = s;
    }
    const auto positionOf = [&](QStateHandler s) {
        for (int i = 0; i < depth; ++i)
            if (lineage[i] == s)
                return i;
        return -1;
    };
    const auto enterBelow = [&](int position) {
        for (int i = position - 1; i >= 0; --i)
            enterState(lineage[i], path);
    };

    if (const int position = positionOf(source); position >= 0) { // the target lies inside the source
        enterBelow(position);
        return;
    }
    // Leave the source and its superstates until one encloses the target (or is the
    // target: a transition to an enclosing state does not enter it again).
    exitState(source, path);
    for (QStateHandler s = sourceSuper;; s = superOf(s)) {
        if (const int position = positionOf(s); position >= 0) {
            enterBelow(position);
            return;
        }
        exitState(s, path);
    }
}

void QHsm::replay(const QTran& record)
{
    for (int i = 0; i < QTran::capacity; ++i) {
        const std::uint16_t signal = (record.actions_ >> (2 * i)) & 3u;
        if (signal == 0) {
            state_ = record.chain_[i];
            return;
        }
        trigger(record.chain_[i], signal);
    }
    assert(false && "a complete record ends with its final state");
}

} // namespace Corvane
