#pragma once
// What one read or write on a port or socket came to.

#include <cstddef>

namespace Os {

struct IoResult {
    enum class Outcome {
        completed, // `count` bytes moved
        nothing,   // no bytes now; try again later
        timedOut,  // the time-out passed after `count` bytes
        closed,    // the peer closed the connection in order
        failed,    // `error` says why (kErrorDeviceRemoved when the device has gone)
    };

    Outcome outcome = Outcome::completed;
    std::size_t count = 0;
    int error = 0;

    static IoResult completed(std::size_t count) { return {Outcome::completed, count, 0}; }
    static IoResult nothing() { return {Outcome::nothing, 0, 0}; }
    static IoResult timedOut(std::size_t count) { return {Outcome::timedOut, count, 0}; }
    static IoResult closed() { return {Outcome::closed, 0, 0}; }
    static IoResult failed(int error, std::size_t count = 0) { return {Outcome::failed, count, error}; }
};

} // namespace Os
