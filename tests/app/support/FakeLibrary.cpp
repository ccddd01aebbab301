#include "tests/app/support/FakeLibrary.h"

namespace Orvanta::testing {

bool FakeLibrary::initialise()
{
    ++initialiseCalls;
    return true;
}

void FakeLibrary::shutdown() { ++shutdownCalls; }

void FakeLibrary::setGpsMode(int mode) { gpsModes.append(mode); }

} // namespace Orvanta::testing
