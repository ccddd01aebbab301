#pragma once
// Stands in for the library: records what the shell asks of it.

#include "app/LibraryControl.h"

#include <QList>

namespace Orvanta::testing {

class FakeLibrary final : public LibraryControl {
public:
    bool initialise() override;
    void shutdown() override;
    void setGpsMode(int mode) override;

    int initialiseCalls = 0;
    int shutdownCalls = 0;
    QList<int> gpsModes;
};

} // namespace Orvanta::testing
