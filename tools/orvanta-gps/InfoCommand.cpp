#include "InfoCommand.h"

#include "quelder/Quelder.h"

#include <condition_variable>
#include <mutex>

namespace Orvanta::gps {
namespace {

std::mutex foundMutex; // guards found: set on the backend's communicator thread
std::condition_variable foundChanged;
bool found = false;

void onEvent(int event, void* data)
{
    if (event != QdEventDeviceState) {
        QdFreeMemory(data);
        return;
    }
    int state = QdDeviceSearching;
    QdGetDeviceState(&state);
    std::lock_guard lock(foundMutex);
    found = state >= QdDeviceFound;
    foundChanged.notify_all();
}

void onError(int, int, int) {}

// Shuts the backend down on every way out.
struct BackendSession {
    ~BackendSession() { QdShutdown(); }
};

struct Field {
    const char* label;
    int (*read)(char* buffer, std::uint32_t size);
};

constexpr Field kFields[] = {
    {"model:", QdGetDeviceName},
    {"product:", QdGetProductName},
    {"firmware:", QdGetFirmwareInfo},
    {"hardware:", QdGetHardwareVersion},
    {"IMEI:", QdGetImeiNumber},
    {"serial number:", QdGetSerialNumber},
};

void printPort(std::FILE* output, const char* label, const char* value)
{
    if (value[0] != '\0')
        std::fprintf(output, "%-20s %s\n", label, value);
}

} // namespace

int showCardInfo(std::FILE* output, std::FILE* messages, std::chrono::milliseconds patience)
{
    if (const int rc = QdInitialize(nullptr, &onEvent, &onError); rc != 0) {
        std::fprintf(messages, "orvanta-gps: the modem backend could not start (0x%08X)\n", static_cast<unsigned>(rc));
        return 1;
    }
    const BackendSession session;
    {
        std::unique_lock lock(foundMutex);
        if (!foundChanged.wait_for(lock, patience, [] { return found; })) {
            std::fprintf(messages, "orvanta-gps: no card found within %lld seconds\n",
                         static_cast<long long>(std::chrono::duration_cast<std::chrono::seconds>(patience).count()));
            return 1;
        }
    }
    if (const int rc = QdStartDevice(0); rc != 0) {
        std::fprintf(messages, "orvanta-gps: the card did not start (0x%08X)\n", static_cast<unsigned>(rc));
        return 1;
    }
    for (const Field& field : kFields) {
        char value[256] = {};
        const int rc = field.read(value, sizeof value);
        if (rc == 0)
            std::fprintf(output, "%-20s %s\n", field.label, value);
        else
            std::fprintf(output, "%-20s (not available, 0x%08X)\n", field.label, static_cast<unsigned>(rc));
    }
    NkCardInfo card{};
    card.size = sizeof card;
    if (QdGetCardInfo(&card) == 0) {
        printPort(output, "application port:", card.applicationPort);
        printPort(output, "modem:", card.modemName);
        printPort(output, "GPS control port:", card.gpsControlPort);
        printPort(output, "GPS data port:", card.gpsDataPort);
    }
    return 0;
}

} // namespace Orvanta::gps
