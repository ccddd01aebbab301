#pragma once
// One ordered journal of what the library did towards the outside: every client callback
// (with a copy of its record and the thread it ran on) and every device trait operation.
// Callbacks are plain functions, so the journal behind them is process-wide; a
// ClientJournal object clears it and gives access while a test runs.

#include "corvane/types/Dictionary.h"

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace Corvane::testing {

struct JournalEntry {
    std::string what;  // the callback key, or "trait:<operation>"
    Dictionary record; // the callback's record, or the operation's parameters
    std::thread::id thread;
};

class ClientJournal {
public:
    ClientJournal();
    ~ClientJournal();
    ClientJournal(const ClientJournal&) = delete;
    ClientJournal& operator=(const ClientJournal&) = delete;

    // Trait dictionaries with a recording callback in every slot and the given context.
    static Dictionary clientTrait(void* context);
    static Dictionary gpsTrait(void* context);

    static void note(std::string what, const Dictionary& record);

    std::vector<JournalEntry> entries() const;
    // Short forms, in order: "device 4", "gps 2", "support 1", "library 1", "position",
    // "error 13", "update", "pin 3", "enterPin", "registration 3", "radio 1" (the flight-mode
    // notification's "radioState"), "scan 1", "networks" (a scan's list),
    // "trait:initDevice" ...
    std::vector<std::string> summary() const;
    void clear();

    // Waits until `done` holds for the entries, at most `patience`.
    bool waitUntil(const std::function<bool(const std::vector<JournalEntry>&)>& done,
                   std::chrono::milliseconds patience = std::chrono::seconds(10)) const;
    bool waitForSummary(const std::vector<std::string>& expected) const;
    // Waits until the entries hold `expected` in this order, others allowed in between.
    bool waitForInOrder(const std::vector<std::string>& expected) const;
};

} // namespace Corvane::testing
