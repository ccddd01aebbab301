#pragma once
// The progress of a network scan, which may take minutes on a real card: a spinner and the
// seconds so far, redrawn in place on a terminal, nothing at all where the output is read
// by a program.

#include <chrono>
#include <cstdio>

namespace Orvanta::modem {

class ScanProgress {
public:
    // Shows on `stream` only when it is a terminal.
    explicit ScanProgress(std::FILE* stream);
    ScanProgress(std::FILE* stream, bool terminal);
    // Erases the line it drew.
    ~ScanProgress();
    ScanProgress(const ScanProgress&) = delete;
    ScanProgress& operator=(const ScanProgress&) = delete;

    // Redraws the line for `elapsed`.
    void show(std::chrono::steady_clock::duration elapsed);
    void finish();

private:
    std::FILE* stream_;
    bool terminal_;
    bool drawn_ = false;
    unsigned frame_ = 0;
};

} // namespace Orvanta::modem
