#pragma once
// The modem values the device keeps between card operations, each with the event that
// tells the client of a change. Single words: each is an atomic of its own, as setters
// run on any thread that sees a change and getters on any client thread.

#include <array>
#include <atomic>
#include <cstddef>

namespace GSM {

enum class Value : int {
    csNetworkState,
    psNetworkState,
    psAttachState,
    accessTechnology,
    cellType2g,
    cellType3g,
    edgeRegistered,
    hsdpaRegistered,
    voiceState,
    simInitialized,
    phonebookInitialized,
    simFull,
    pinMode,
    pinPukState,
    pinPukResult,
    hwRadioSwitch,
    antennaPulledOut,
    temperature,
    lac,
    cellId,
    removable,
    psAttachMode,
    hsxpaDownload,
    hsxpaUpload,
    signalStrength,
    signalQuality,
    wcdmaSignal,
};
inline constexpr std::size_t kValueCount = 27;

inline constexpr int kNoEvent = -1;

// How a change of a value reads in the log.
enum class ChangeLog {
    hasChanged, // "Qd: <name> has changed to <value>"
    changed,    // "Qd: <name> changed to <value>": the registration values
    byOwner,    // nothing here: whoever sets it logs a line of its own (LAC and CellID together)
};

struct ValueInfo {
    const char* name;
    int event;                           // raised when the value changes, or kNoEvent
    int zero;                            // what a reset sets
    const char* (*print)(int) noexcept;  // names of the values, or null for numbers
    ChangeLog log = ChangeLog::hasChanged;
};

const ValueInfo& InfoOf(Value value) noexcept;

// The events a bulk reset raises, in this order, whether or not a value changed.
inline constexpr std::array<int, 17> kBulkResetEvents{3, 4, 5, 6, 7, 1, 9, 10, 22, 20, 13, 11, 12, 18, 23, 24, 0};

class CachedValues {
public:
    CachedValues();
    int Get(Value value) const noexcept { return values_[Index(value)].load(); }
    // The previous value.
    int Exchange(Value value, int newValue) noexcept { return values_[Index(value)].exchange(newValue); }
    // Stores `newValue` only while the value is still `expected`; otherwise `expected`
    // becomes what it is now.
    bool CompareExchange(Value value, int& expected, int newValue) noexcept
    {
        return values_[Index(value)].compare_exchange_strong(expected, newValue);
    }

private:
    static std::size_t Index(Value value) noexcept { return static_cast<std::size_t>(value); }
    std::array<std::atomic<int>, kValueCount> values_;
};

} // namespace GSM
