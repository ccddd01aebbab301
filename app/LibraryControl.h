#pragma once
// What the shell asks of the library. The bridge implements it on top of the middleware;
// tests put a recorder in its place.

namespace Orvanta {

class LibraryControl {
public:
    virtual ~LibraryControl() = default;

    // Registers the shell as the library's client and starts the library in GPS-only mode.
    // GUI thread.
    virtual bool initialise() = 0;
    // Closes the library and returns once it is closed, which with a start or a GPS
    // command under way can take many seconds: the GUI thread hands it to a
    // LibraryCloser. Any thread of the shell's own, never one of the library's. A call
    // while another one closes waits for it and closes nothing more.
    virtual void shutdown() = 0;
    // A Corvane::GpsMode: the shell reads (cGpsModeRead), switches off (cGpsModeOff)
    // and stops reading (cGpsModeStopReading).
    // GUI thread; ignored while the library closes.
    virtual void setGpsMode(int mode) = 0;
};

} // namespace Orvanta
