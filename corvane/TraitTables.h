#pragma once
// The client's callback tables ("traits"): for each table a context pointer and one
// callback per event. A slot the client left empty holds a function that does nothing, so
// a notification never meets an empty slot.

#include "corvane/ParameterCallback.h"
#include "corvane/types/Dictionary.h"

#include <cstddef>
#include <mutex>
#include <span>
#include <vector>

namespace Corvane {

enum class TraitKind { client, sms, gps };

// Slots of the client table, in the order of its keys.
enum class ClientCallback : std::size_t {
    traitError,
    libraryState,
    deviceState,
    pinState,
    enterPin,
    update,
    registration,
    flightMode,
    networkScan,
    connectionChange,
    connectionHistory,
};

enum class SmsCallback : std::size_t { module, received, sent, deleted, saved, checked, enumerated };

enum class GpsCallback : std::size_t { support, state, data };

class TraitTable {
public:
    TraitTable(const char* contextKey, std::span<const char* const> callbackKeys);

    // From a trait dictionary: the context under the context key, each callback under its
    // key; a callback the dictionary lacks becomes the do-nothing function. An empty
    // dictionary changes nothing.
    void install(const Dictionary& trait);

    const char* contextKey() const noexcept { return contextKey_; }
    void* context() const noexcept { return context_; }
    ParameterCallback callback(std::size_t slot) const noexcept;

private:
    const char* contextKey_;
    std::span<const char* const> keys_;
    void* context_ = nullptr;
    std::vector<ParameterCallback> callbacks_;
};

// What one notification needs of a table, taken under the registry's lock.
struct TraitCallback {
    const char* contextKey;
    void* context;
    ParameterCallback callback;
};

class TraitRegistry {
public:
    TraitRegistry();

    void install(TraitKind kind, const Dictionary& trait);
    TraitCallback callback(ClientCallback slot) const;
    TraitCallback callback(SmsCallback slot) const;
    TraitCallback callback(GpsCallback slot) const;

private:
    TraitCallback take(const TraitTable& table, std::size_t slot) const;
    TraitTable& table(TraitKind kind) noexcept;

    // Guards the three tables: the client may register again while notifications read them.
    mutable std::mutex mutex_;
    TraitTable client_;
    TraitTable sms_;
    TraitTable gps_;
};

} // namespace Corvane
