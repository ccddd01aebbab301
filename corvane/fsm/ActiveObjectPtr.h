#pragma once
// The owner of an active object, for headers that need not see the whole class: releasing
// it waits a bounded time for the object's thread (fsm/ActiveObject.h has the details).

#include <memory>

namespace Corvane {

template <class Machine>
class ActiveObject;

struct ActiveObjectRelease {
    template <class Machine>
    void operator()(ActiveObject<Machine>* object) const;
};

template <class Machine>
using ActiveObjectPtr = std::unique_ptr<ActiveObject<Machine>, ActiveObjectRelease>;

} // namespace Corvane
