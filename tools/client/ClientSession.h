#pragma once
// A client of the middleware, through its flat client API only, as the tray tool is one:
// it registers the client and GPS callback tables, starts the library and hands every
// notification to one reading thread, in the order the library gave them. The command-line
// tools share it: orvanta-gps in GPS-only mode, orvanta-modem in a full mode.
//
// The callbacks are plain functions without a context of their own, so there is one inbox
// per process and at most one session at a time.

#include "corvane/Corvane.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace Orvanta::client {

struct RecordRelease {
    void operator()(Corvane::CvParameters* record) const noexcept { Corvane::deleteParameters(record); }
};
using Record = std::unique_ptr<Corvane::CvParameters, RecordRelease>;

// One per callback of the client and GPS tables.
enum class NoticeKind {
    libraryState,
    deviceState,
    update,
    traitError,
    pinState,
    enterPin,
    registration,
    flightMode,
    networkScan,
    connectionChange,
    connectionHistory,
    gpsSupport,
    gpsState,
    gpsData,
};

// The callback key a kind of notice comes through ("clientPinState", "gpsState", ...).
const char* callbackKeyOf(NoticeKind kind) noexcept;

// One callback the library made, with a copy of its record.
struct Notice {
    NoticeKind kind;
    Record record;
    std::chrono::steady_clock::time_point arrived;

    std::optional<std::int64_t> integer(const char* key) const;
    std::optional<double> real(const char* key) const;
    std::optional<std::string> text(const char* key) const;
    // A copy of the nested record under `key`; none when there is none.
    Record dictionary(const char* key) const;
};

using Clock = std::chrono::steady_clock;

class ClientSession {
public:
    // Registers the callbacks and starts the library in `initMode`.
    explicit ClientSession(Corvane::InitMode initMode = Corvane::cInitModeGpsOnly);
    // Closes the library; notices still queued are dropped.
    ~ClientSession();
    ClientSession(const ClientSession&) = delete;
    ClientSession& operator=(const ClientSession&) = delete;

    // Whether the callback tables were taken.
    bool registered() const noexcept { return registered_; }

    // The commands of the client API. A code given here is copied into the command's
    // record and goes nowhere else; 0 means only that the command is on its way.
    Corvane::ErrorCode setGpsMode(Corvane::GpsMode mode);
    // Codes are NUL-terminated so that a caller can keep them in memory it wipes. With a
    // `puk`, enterPin unblocks the SIM and sets `pin` as its new PIN.
    Corvane::ErrorCode enterPin(const char* pin, const char* puk = nullptr);
    Corvane::ErrorCode changePin(const char* pin, const char* newPin);
    Corvane::ErrorCode setPinMode(const char* pin, Corvane::PinMode mode);
    Corvane::ErrorCode setRadioState(Corvane::RadioState state);
    Corvane::ErrorCode scanNetworks();
    // Automatic selection takes no network; a manual one takes `mccmnc` and, when given,
    // the technology to register with.
    Corvane::ErrorCode selectNetwork(Corvane::NetworkSelection mode, std::optional<std::int64_t> mccmnc = {},
                                     std::optional<Corvane::PsTechnology> technology = {});
    Corvane::ErrorCode setNetworkTechnology(Corvane::PsTechnology technology);

    // The next notice, waiting until `deadline`; none when the deadline passed or the
    // session was interrupted.
    std::optional<Notice> next(Clock::time_point deadline);
    // Takes notices until one satisfies `wanted` (returned) or the deadline passes; every
    // notice taken, the wanted one included, is shown to `seen` first when given.
    std::optional<Notice> waitFor(const std::function<bool(const Notice&)>& wanted, Clock::time_point deadline,
                                  const std::function<void(const Notice&)>& seen = nullptr);

    // Makes every wait return at once, now and later, until clearInterrupt(); any thread
    // may call it.
    void interrupt();
    bool interrupted() const;
    void clearInterrupt();

private:
    bool registered_ = false;
};

} // namespace Orvanta::client
