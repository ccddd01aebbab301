#pragma once
// What tests need beyond the flat interface: the library started on card detection of
// their own environment (a simulated tree, a test clock).

#include "nodekin/DetectionLibrary.h"
#include "quelder/Quelder.h"

namespace Quelder::testing {

// QdInitialize with card detection started in `environment`; port removals are watched
// on `removalTree` when given.
int initializeWith(Nodekin::DetectionEnvironment environment, QdEventCallback eventCallback,
                   QdErrorCallback errorCallback, std::unique_ptr<Os::DeviceTree> removalTree = nullptr);

} // namespace Quelder::testing
