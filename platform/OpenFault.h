#pragma once
// Failures of opening a device node, made to order. Some failures cannot be produced
// for real where tests run: a process with every privilege is never refused a node for
// its mode. While an OpenFault lives, every open of its path by the serial port (and so
// by card detection's port test and the backend's ports) fails with its errno, exactly
// as the system would have refused it.

#include <string>

namespace Os {

class OpenFault {
public:
    OpenFault(std::string path, int errnoValue);
    ~OpenFault();
    OpenFault(const OpenFault&) = delete;
    OpenFault& operator=(const OpenFault&) = delete;

private:
    std::string path_;
};

// The errno an OpenFault sets for `path`, or 0.
int injectedOpenFailure(const std::string& path);

} // namespace Os
