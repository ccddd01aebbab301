#include "CardsCommand.h"

#include "PortDiagnosis.h"

#include "nodekin/CardDatabase.h"
#include "nodekin/DetectionState.h"
#include "nodekin/Nodekin.h"

#include <condition_variable>
#include <mutex>
#include <string>

namespace Orvanta::gps {

namespace {

std::mutex stateMutex; // guards latestState: notifications come on detection's thread
std::condition_variable stateChanged;
std::uint32_t latestState = NkCardStopped;
bool heard = false;

void onNotification(int)
{
    NkCardInfo info{};
    info.size = sizeof info;
    NkGetCardInfo(&info);
    std::lock_guard lock(stateMutex);
    latestState = info.state;
    heard = true;
    stateChanged.notify_all();
}

struct CapabilityName {
    std::uint32_t bit;
    const char* name;
};

constexpr CapabilityName capabilityNames[] = {
    {NkCapOwnApplicationPort, "own application port"}, {NkCapWwanAdapter, "network adapter"},
    {NkCapWwanNdisPort, "NDIS port"},                   {NkCapSmartCardReader, "smart card reader"},
    {NkCapNdisDataInterface, "NDIS data interface"},    {NkCapPersistentApn, "persistent APN"},
    {NkCapInsertionEvents, "insertion events"},         {NkCapModem, "modem"},
    {NkCapDataCallPolling, "data call polling"},        {NkCapApplicationPort, "application port"},
    {NkCapSecondApplicationPort, "second application port"}, {NkCapMobileBroadband, "Mobile Broadband"},
    {NkCapGps, "GPS"},
};

std::string capabilitiesText(std::uint32_t capabilities)
{
    std::string names;
    for (const CapabilityName& c : capabilityNames)
        if ((capabilities & c.bit) != 0)
            names += (names.empty() ? "" : ", ") + std::string(c.name);
    return names.empty() ? "none" : names;
}

const char* modelName(const NkCardInfo& info)
{
    const Nodekin::CardDatabase database;
    for (const std::int32_t bus : {Nodekin::busUsb, Nodekin::busPci, Nodekin::busPcmcia}) {
        const int row = database.find(bus, static_cast<std::int32_t>(info.vendorId), static_cast<std::int32_t>(info.productId));
        if (row >= 0)
            return database.row(static_cast<std::size_t>(row)).name;
    }
    return "unknown model";
}

void printField(std::FILE* output, const char* label, const char* value)
{
    if (value[0] != '\0')
        std::fprintf(output, "%-20s %s\n", label, value);
}

// A port, and under it what keeps this user from opening it.
void printPort(std::FILE* output, const PortField& field, const NkCardInfo& info, const AccessCheck& access)
{
    const char* name = info.*field.name;
    if (name[0] == '\0')
        return;
    std::fprintf(output, "%-20s %s\n", (std::string(field.label) + ":").c_str(), name);
    if (const auto problem = portProblem(portPath(name), access))
        std::fprintf(output, "%-20s %s\n", "", problem->c_str());
}

} // namespace

int listCards(std::FILE* output, std::FILE* messages, std::chrono::milliseconds patience, const AccessCheck& access)
{
    {
        // What an earlier listing in this process heard is not news of this one.
        std::lock_guard lock(stateMutex);
        latestState = NkCardStopped;
        heard = false;
    }
    if (const int error = NkInitialize(nullptr); error != 0) {
        std::fprintf(messages, "orvanta-gps: card detection could not start (error %d)\n", error);
        return 1;
    }
    NkRegisterCallback(&onNotification);
    {
        // A card that is Starting gets a little time to show all its ports.
        std::unique_lock lock(stateMutex);
        stateChanged.wait_for(lock, patience, [] { return heard && latestState != NkCardStarting; });
    }
    NkCardInfo info{};
    info.size = sizeof info;
    const int result = NkGetCardInfo(&info);
    NkUninitialize();

    std::fprintf(output, "%-20s %s\n", "state:", Nodekin::cardStateName(info.state));
    if (result != 0) {
        std::fprintf(output, "%-20s %s\n", "card:", "none detected");
        return 0;
    }
    std::fprintf(output, "%-20s %s (type 0x%X, id %04X:%04X)\n", "card:", modelName(info), info.typeCode, info.vendorId,
                 info.productId);
    printField(output, "device:", info.deviceInstanceId);
    printField(output, "modem:", info.modemName);
    for (const PortField& field : portFields())
        printPort(output, field, info, access);
    printField(output, "network adapter:", info.wwanAdapterName);
    if (info.driverVersion[0] != 0 || info.driverVersion[1] != 0)
        std::fprintf(output, "%-20s %u.%u.%u.%u\n", "driver version:", info.driverVersion[0] >> 16,
                     info.driverVersion[0] & 0xFFFF, info.driverVersion[1] >> 16, info.driverVersion[1] & 0xFFFF);
    std::fprintf(output, "%-20s 0x%X (%s)\n", "capabilities:", info.capabilities,
                 capabilitiesText(info.capabilities).c_str());
    return 0;
}

} // namespace Orvanta::gps
