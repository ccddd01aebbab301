#pragma once
// What the shell asks of the library. The bridge implements it on top of the middleware;
// tests put a recorder in its place.

namespace Orvanta {

class LibraryControl {
public:
    virtual ~LibraryControl() = default;

    // Registers the shell as the library's client and starts the library in GPS-only mode.
    virtual bool initialise() = 0;
    virtual void shutdown() = 0;
    // 4 switches the receiver on and reads it, 0 switches it off, 2 stops reading.
    virtual void setGpsMode(int mode) = 0;
};

} // namespace Orvanta
