#pragma once
// A reference statechart that exercises every kind of transition path of the engine.
//
//   top
//    └ a                   init -> a1
//       ├ a1               init -> a11      INTERNAL, DOWN -> a12, NIECE -> a21
//       │  ├ a11                            SELF_LEAF -> a11, SIBLING -> a12
//       │  └ a12                            COUSIN -> a212
//       └ a2               init -> a21      SELF -> a2
//          ├ a21           init -> a211
//          │  ├ a211                        OUT -> a
//          │  └ a212                        UP -> a21, AUNT -> a1
//          └ a22
//             └ a221
//                └ a2211                    OUT_FAR -> a
//   a: INTO -> a212, GOTO -> any state (a path computed afresh every time, for set-up)
//
// Every handled entry, exit and init, and every handled event without a transition, is
// written to the trace as "state:action".

#include "corvane/fsm/TracedHsm.h"

#include <string>
#include <vector>

namespace Corvane::testing {

enum ReferenceSignal : std::uint16_t {
    SELF_LEAF = 100,
    SELF,
    UP,
    DOWN,
    SIBLING,
    COUSIN,
    DEEP,
    INTO,
    OUT,
    OUT_FAR,
    NIECE,
    AUNT,
    INTERNAL,
    UNHANDLED,
    GOTO,
};

class ReferenceHsm : public TracedHsm {
public:
    ReferenceHsm();

    std::vector<std::string> actions; // "state:action", in order

    // Moves to `target` (a leaf) along a path that is never recorded, then forgets its actions.
    void goTo(QStateHandler target);

    QState initial(const QEvent* e);
    QState a(const QEvent* e);
    QState a1(const QEvent* e);
    QState a11(const QEvent* e);
    QState a12(const QEvent* e);
    QState a2(const QEvent* e);
    QState a21(const QEvent* e);
    QState a211(const QEvent* e);
    QState a212(const QEvent* e);
    QState a22(const QEvent* e);
    QState a221(const QEvent* e);
    QState a2211(const QEvent* e);

    static QStateHandler byName(const std::string& name);

private:
    QState note(const char* state, const char* action);

    QStateHandler goToTarget_ = nullptr;
};

} // namespace Corvane::testing
