#pragma once

namespace Corvane {

// The client's parameter record; opaque to clients.
struct CvParameters;

// Every client callback. The record belongs to the caller and lives only during the call;
// a client that wants to keep it copies it with copyParameters.
using ParameterCallback = void (*)(const CvParameters* parameters);

} // namespace Corvane
