#include "tests/corvane/support/ClientJournal.h"

#include "corvane/Keys.h"
#include "corvane/ParameterRecord.h"

#include <condition_variable>
#include <mutex>

namespace Corvane::testing {

namespace {

std::mutex journalMutex; // guards journal: callbacks and trait operations run on library threads
std::condition_variable journalChanged;
std::vector<JournalEntry> journal;

template <const char* Callback>
void recordingCallback(const CvParameters* record)
{
    ClientJournal::note(Callback, record::checked(record)->dictionary);
}

struct Abbreviation {
    const char* callback;
    const char* label;
    const char* valueKey; // null: the label alone
};

constexpr Abbreviation abbreviations[] = {
    {key::clientDeviceState, "device", key::deviceState},  {key::gpsState, "gps", key::gpsState},
    {key::gpsSupport, "support", key::gpsSupport},          {key::clientLibraryState, "library", key::libraryState},
    {key::clientTraitError, "error", key::lastError},       {key::gpsData, "position", nullptr},
    {key::clientUpdate, "update", nullptr},                 {key::clientPinState, "pin", key::pinState},
    {key::clientEnterPin, "enterPin", nullptr},             {key::clientFlightMode, "radio", key::radioState},
    {key::clientRegistration, "registration", key::registrationState},
};

std::string summarise(const JournalEntry& entry)
{
    // Both the scan's start and its list come to one callback; the list is told by its key.
    if (entry.what == key::clientNetworkScan)
        return entry.record.hasKey(key::list) ? "networks"
                                              : "scan " + std::to_string(entry.record.integer(key::networkScanActive));
    for (const Abbreviation& a : abbreviations)
        if (entry.what == a.callback)
            return a.valueKey == nullptr ? a.label : std::string(a.label) + " " + std::to_string(entry.record.integer(a.valueKey));
    return entry.what;
}

} // namespace

ClientJournal::ClientJournal() { clear(); }

ClientJournal::~ClientJournal() { clear(); }

Dictionary ClientJournal::clientTrait(void* context)
{
    Dictionary trait;
    trait.setPointer(key::clientContext, context);
    trait.setCallback(key::clientTraitError, &recordingCallback<key::clientTraitError>);
    trait.setCallback(key::clientLibraryState, &recordingCallback<key::clientLibraryState>);
    trait.setCallback(key::clientDeviceState, &recordingCallback<key::clientDeviceState>);
    trait.setCallback(key::clientPinState, &recordingCallback<key::clientPinState>);
    trait.setCallback(key::clientEnterPin, &recordingCallback<key::clientEnterPin>);
    trait.setCallback(key::clientUpdate, &recordingCallback<key::clientUpdate>);
    trait.setCallback(key::clientRegistration, &recordingCallback<key::clientRegistration>);
    trait.setCallback(key::clientFlightMode, &recordingCallback<key::clientFlightMode>);
    trait.setCallback(key::clientNetworkScan, &recordingCallback<key::clientNetworkScan>);
    trait.setCallback(key::clientConnectionChange, &recordingCallback<key::clientConnectionChange>);
    trait.setCallback(key::clientConnectionHistory, &recordingCallback<key::clientConnectionHistory>);
    return trait;
}

Dictionary ClientJournal::gpsTrait(void* context)
{
    Dictionary trait;
    trait.setPointer(key::gpsContext, context);
    trait.setCallback(key::gpsSupport, &recordingCallback<key::gpsSupport>);
    trait.setCallback(key::gpsState, &recordingCallback<key::gpsState>);
    trait.setCallback(key::gpsData, &recordingCallback<key::gpsData>);
    return trait;
}

void ClientJournal::note(std::string what, const Dictionary& record)
{
    std::lock_guard lock(journalMutex);
    journal.push_back({std::move(what), record, std::this_thread::get_id()});
    journalChanged.notify_all();
}

std::vector<JournalEntry> ClientJournal::entries() const
{
    std::lock_guard lock(journalMutex);
    return journal;
}

std::vector<std::string> ClientJournal::summary() const
{
    std::vector<std::string> out;
    for (const JournalEntry& entry : entries())
        out.push_back(summarise(entry));
    return out;
}

void ClientJournal::clear()
{
    std::lock_guard lock(journalMutex);
    journal.clear();
}

bool ClientJournal::waitUntil(const std::function<bool(const std::vector<JournalEntry>&)>& done,
                              std::chrono::milliseconds patience) const
{
    std::unique_lock lock(journalMutex);
    return journalChanged.wait_for(lock, patience, [&] { return done(journal); });
}

bool ClientJournal::waitForSummary(const std::vector<std::string>& expected) const
{
    return waitUntil([&](const std::vector<JournalEntry>& entries) {
        if (entries.size() < expected.size())
            return false;
        for (std::size_t i = 0; i < expected.size(); ++i)
            if (summarise(entries[i]) != expected[i])
                return false;
        return true;
    });
}

bool ClientJournal::waitForInOrder(const std::vector<std::string>& expected) const
{
    return waitUntil([&](const std::vector<JournalEntry>& entries) {
        std::size_t next = 0;
        for (const JournalEntry& entry : entries)
            if (next < expected.size() && summarise(entry) == expected[next])
                ++next;
        return next == expected.size();
    });
}

} // namespace Corvane::testing
