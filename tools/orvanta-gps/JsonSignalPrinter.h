#pragma once
// Receives what the parser publishes and writes one JSON object per signal, on a line of
// its own: {"signal":"sigGpsUpdate","gpsLatitude":48.1173,...}. Numbers are written in
// the shortest form that reads back to the same double; a value JSON cannot hold (NaN,
// infinity) is written as null.

#include "corvane/traits/SignalPublisher.h"

#include <array>
#include <cstdio>
#include <string>

namespace Orvanta::gps {

class JsonSignalPrinter final : public Corvane::SignalPublisher {
public:
    explicit JsonSignalPrinter(std::FILE* output) : output_(output) {}

    void publish(Corvane::Signal signal, const Corvane::Dictionary& record) override;

private:
    std::FILE* output_;
    std::string line_; // reused from signal to signal
    std::array<std::string, Corvane::signalCount> signalNames_;
};

} // namespace Orvanta::gps
