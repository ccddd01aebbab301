#include "corvane/TraitTables.h"

#include <cstring>

namespace Corvane {

namespace {

void doNothing(const CvParameters*) {}

constexpr const char* clientKeys[] = {"clientTraitError",       "clientLibraryState", "clientDeviceState",
                                      "clientPinState",         "clientEnterPin",     "clientUpdate",
                                      "clientRegistration",     "clientFlightMode",   "clientNetworkScan",
                                      "clientConnectionChange", "clientConnectionHistory"};
constexpr const char* smsKeys[] = {"smsModule", "smsNew", "smsSent", "smsDeleted", "smsSaved", "smsChecked", "smsEnum"};
constexpr const char* gpsKeys[] = {"gpsSupport", "gpsState", "gpsData"};

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

TraitRegistry::TraitRegistry() : client_("clientContext", clientKeys), sms_("smsContext", smsKeys), gps_("gpsContext", gpsKeys)
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
