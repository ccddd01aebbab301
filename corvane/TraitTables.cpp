#include "corvane/TraitTables.h"

#include "corvane/Keys.h"

#include <cstring>

namespace Corvane {

namespace {

void doNothing(const CvParameters*) {}

// In slot order.
constexpr const char* clientKeys[] = {key::clientTraitError,   key::clientLibraryState,     key::clientDeviceState,
                                      key::clientPinState,     key::clientEnterPin,         key::clientUpdate,
                                      key::clientRegistration, key::clientFlightMode,       key::clientNetworkScan,
                                      key::clientConnectionChange, key::clientConnectionHistory};
constexpr const char* smsKeys[] = {key::smsModule, key::smsNew,     key::smsSent, key::smsDeleted,
                                   key::smsSaved,  key::smsChecked, key::smsEnum};
constexpr const char* gpsKeys[] = {key::gpsSupport, key::gpsState, key::gpsData};

} // namespace

TraitTable::TraitTable(const char* contextKey, std::span<const char* const> callbackKeys)
    : contextKey_(contextKey), keys_(callbackKeys), callbacks_(callbackKeys.size(), &doNothing)
{
}

void TraitTable::install(const Dictionary& trait)
{
    if (trait.isEmpty())
        return;
    context_ = trait.address(contextKey_);
    for (std::size_t slot = 0; slot < keys_.size(); ++slot) {
        ParameterCallback callback = nullptr;
        if (void* address = trait.address(keys_[slot]))
            std::memcpy(&callback, &address, sizeof callback);
        // A null callback would be called: keep the slot harmless instead.
        callbacks_[slot] = callback != nullptr ? callback : &doNothing;
    }
}

ParameterCallback TraitTable::callback(std::size_t slot) const noexcept
{
    return slot < callbacks_.size() ? callbacks_[slot] : &doNothing;
}

TraitRegistry::TraitRegistry()
    : client_(key::clientContext, clientKeys), sms_(key::smsContext, smsKeys), gps_(key::gpsContext, gpsKeys)
{
}

void TraitRegistry::install(TraitKind kind, const Dictionary& trait)
{
    std::lock_guard lock(mutex_);
    table(kind).install(trait);
}

TraitTable& TraitRegistry::table(TraitKind kind) noexcept
{
    switch (kind) {
    case TraitKind::client:
        return client_;
    case TraitKind::sms:
        return sms_;
    case TraitKind::gps:
        break;
    }
    return gps_;
}

TraitCallback TraitRegistry::take(const TraitTable& table, std::size_t slot) const
{
    std::lock_guard lock(mutex_);
    return {table.contextKey(), table.context(), table.callback(slot)};
}

TraitCallback TraitRegistry::callback(ClientCallback slot) const { return take(client_, std::size_t(slot)); }
TraitCallback TraitRegistry::callback(SmsCallback slot) const { return take(sms_, std::size_t(slot)); }
TraitCallback TraitRegistry::callback(GpsCallback slot) const { return take(gps_, std::size_t(slot)); }

} // namespace Corvane
