#include "tests/corvane/fsm/ReferenceHsm.h"

#include <stdexcept>

namespace Corvane::testing {

namespace {

const StateName referenceStates[] = {
    {QHsm::handler(&ReferenceHsm::a), "a"},       {QHsm::handler(&ReferenceHsm::a1), "a1"},
    {QHsm::handler(&ReferenceHsm::a11), "a11"},   {QHsm::handler(&ReferenceHsm::a12), "a12"},
    {QHsm::handler(&ReferenceHsm::a2), "a2"},     {QHsm::handler(&ReferenceHsm::a21), "a21"},
    {QHsm::handler(&ReferenceHsm::a211), "a211"}, {QHsm::handler(&ReferenceHsm::a212), "a212"},
    {QHsm::handler(&ReferenceHsm::a22), "a22"},   {QHsm::handler(&ReferenceHsm::a221), "a221"},
    {QHsm::handler(&ReferenceHsm::a2211), "a2211"},
};

} // namespace

ReferenceHsm::ReferenceHsm()
    : TracedHsm(handler(&ReferenceHsm::initial), "ReferenceHsm", "corvane.test.reference", referenceStates)
{
}

QStateHandler ReferenceHsm::byName(const std::string& name)
{
    for (const StateName& entry : referenceStates)
        if (name == entry.name)
            return entry.state;
    throw std::invalid_argument("no reference state " + name);
}

void ReferenceHsm::goTo(QStateHandler target)
{
    goToTarget_ = target;
    const QEvent event{GOTO};
    dispatch(&event);
    actions.clear();
}

QState ReferenceHsm::note(const char* state, const char* action)
{
    actions.push_back(std::string(state) + ":" + action);
    TracedHsm::trace(state, action);
    return handled();
}

QState ReferenceHsm::initial(const QEvent*)
{
    traceInitial();
    initTran(handler(&ReferenceHsm::a));
    return handled();
}

QState ReferenceHsm::a(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return note("a", "entry");
    case Q_EXIT_SIG:
        return note("a", "exit");
    case Q_INIT_SIG:
        initTran(handler(&ReferenceHsm::a1));
        return note("a", "init");
    case INTO:
        Q_TRAN(&ReferenceHsm::a212);
        return handled();
    case GOTO: {
        QTran neverKept; // a fresh record each time: set-up must not complete any site's record
        tran(goToTarget_, neverKept);
        return handled();
    }
    }
    return super(&QHsm::top);
}

QState ReferenceHsm::a1(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return note("a1", "entry");
    case Q_EXIT_SIG:
        return note("a1", "exit");
    case Q_INIT_SIG:
        initTran(handler(&ReferenceHsm::a11));
        return note("a1", "init");
    case INTERNAL:
        return note("a1", "INTERNAL");
    case DOWN:
        Q_TRAN(&ReferenceHsm::a12);
        return handled();
    case DEEP:
        Q_TRAN(&ReferenceHsm::a2);
        return handled();
    case NIECE:
        Q_TRAN(&ReferenceHsm::a21);
        return handled();
    }
    return super(&ReferenceHsm::a);
}

QState ReferenceHsm::a11(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return note("a11", "entry");
    case Q_EXIT_SIG:
        return note("a11", "exit");
    case SELF_LEAF:
        Q_TRAN(&ReferenceHsm::a11);
        return handled();
    case SIBLING:
        Q_TRAN(&ReferenceHsm::a12);
        return handled();
    }
    return super(&ReferenceHsm::a1);
}

QState ReferenceHsm::a12(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return note("a12", "entry");
    case Q_EXIT_SIG:
        return note("a12", "exit");
    case COUSIN:
        Q_TRAN(&ReferenceHsm::a212);
        return handled();
    }
    return super(&ReferenceHsm::a1);
}

QState ReferenceHsm::a2(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return note("a2", "entry");
    case Q_EXIT_SIG:
        return note("a2", "exit");
    case Q_INIT_SIG:
        initTran(handler(&ReferenceHsm::a21));
        return note("a2", "init");
    case SELF:
        Q_TRAN(&ReferenceHsm::a2);
        return handled();
    }
    return super(&ReferenceHsm::a);
}

QState ReferenceHsm::a21(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return note("a21", "entry");
    case Q_EXIT_SIG:
        return note("a21", "exit");
    case Q_INIT_SIG:
        initTran(handler(&ReferenceHsm::a211));
        return note("a21", "init");
    }
    return super(&ReferenceHsm::a2);
}

QState ReferenceHsm::a211(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return note("a211", "entry");
    case Q_EXIT_SIG:
        return note("a211", "exit");
    case OUT:
        Q_TRAN(&ReferenceHsm::a);
        return handled();
    }
    return super(&ReferenceHsm::a21);
}

QState ReferenceHsm::a212(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return note("a212", "entry");
    case Q_EXIT_SIG:
        return note("a212", "exit");
    case UP:
        Q_TRAN(&ReferenceHsm::a21);
        return handled();
    case AUNT:
        Q_TRAN(&ReferenceHsm::a1);
        return handled();
    }
    return super(&ReferenceHsm::a21);
}

QState ReferenceHsm::a22(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return note("a22", "entry");
    case Q_EXIT_SIG:
        return note("a22", "exit");
    }
    return super(&ReferenceHsm::a2);
}

QState ReferenceHsm::a221(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return note("a221", "entry");
    case Q_EXIT_SIG:
        return note("a221", "exit");
    }
    return super(&ReferenceHsm::a22);
}

QState ReferenceHsm::a2211(const QEvent* e)
{
    switch (e->sig) {
    case Q_ENTRY_SIG:
        return note("a2211", "entry");
    case Q_EXIT_SIG:
        return note("a2211", "exit");
    case OUT_FAR:
        Q_TRAN(&ReferenceHsm::a);
        return handled();
    }
    return super(&ReferenceHsm::a221);
}

} // namespace Corvane::testing
