#pragma once
// What tests need beyond the flat interface: starting detection on their own device
// tree, clock, Mobile Broadband service and named-object folder.

#include "nodekin/DetectionLibrary.h"

namespace Nodekin::testing {

// NkInitialize with a given environment.
int initializeWith(DetectionEnvironment environment);

} // namespace Nodekin::testing
