#include "ClientSession.h"

#include "corvane/Keys.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <span>
#include <stdexcept>

namespace Orvanta::client {
namespace {

// Where the callbacks, which run on the library's threads, leave what they were given.
class Inbox {
public:
    void put(NoticeKind kind, const Corvane::CvParameters* record)
    {
        const Clock::time_point arrived = Clock::now();
        Corvane::CvParameters* copy = nullptr;
        if (Corvane::copyParameters(record, &copy) != Corvane::cNoError)
            return; // out of memory: the notice is lost, as the library would lose it
        std::lock_guard lock(mutex_);
        notices_.push_back(Notice{kind, Record(copy), arrived});
        changed_.notify_all();
    }

    std::optional<Notice> take(Clock::time_point deadline)
    {
        std::unique_lock lock(mutex_);
        changed_.wait_until(lock, deadline, [this] { return interrupted_ || !notices_.empty(); });
        if (interrupted_ || notices_.empty())
            return std::nullopt;
        Notice notice = std::move(notices_.front());
        notices_.pop_front();
        return notice;
    }

    void interrupt()
    {
        std::lock_guard lock(mutex_);
        interrupted_ = true;
        changed_.notify_all();
    }

    bool interrupted() const
    {
        std::lock_guard lock(mutex_);
        return interrupted_;
    }

    void clearInterrupt()
    {
        std::lock_guard lock(mutex_);
        interrupted_ = false;
    }

    void reset()
    {
        std::lock_guard lock(mutex_);
        notices_.clear();
        interrupted_ = false;
    }

private:
    mutable std::mutex mutex_; // guards notices_ and interrupted_
    std::condition_variable changed_;
    std::deque<Notice> notices_;
    bool interrupted_ = false;
};

// Lives as long as the process: a library thread may still be inside a callback while a
// session ends.
Inbox& inbox()
{
    static Inbox box;
    return box;
}

template <NoticeKind kind>
void deliver(const Corvane::CvParameters* record)
{
    inbox().put(kind, record);
}

struct Slot {
    const char* key;
    Corvane::ParameterCallback callback;
};

struct SlotRow {
    NoticeKind kind;
    Slot slot;
};

constexpr SlotRow kClientSlots[] = {
    {NoticeKind::traitError, {Corvane::key::clientTraitError, &deliver<NoticeKind::traitError>}},
    {NoticeKind::libraryState, {Corvane::key::clientLibraryState, &deliver<NoticeKind::libraryState>}},
    {NoticeKind::deviceState, {Corvane::key::clientDeviceState, &deliver<NoticeKind::deviceState>}},
    {NoticeKind::pinState, {Corvane::key::clientPinState, &deliver<NoticeKind::pinState>}},
    {NoticeKind::enterPin, {Corvane::key::clientEnterPin, &deliver<NoticeKind::enterPin>}},
    {NoticeKind::update, {Corvane::key::clientUpdate, &deliver<NoticeKind::update>}},
    {NoticeKind::registration, {Corvane::key::clientRegistration, &deliver<NoticeKind::registration>}},
    {NoticeKind::flightMode, {Corvane::key::clientFlightMode, &deliver<NoticeKind::flightMode>}},
    {NoticeKind::networkScan, {Corvane::key::clientNetworkScan, &deliver<NoticeKind::networkScan>}},
    {NoticeKind::connectionChange, {Corvane::key::clientConnectionChange, &deliver<NoticeKind::connectionChange>}},
    {NoticeKind::connectionHistory,
     {Corvane::key::clientConnectionHistory, &deliver<NoticeKind::connectionHistory>}},
};

constexpr SlotRow kGpsSlots[] = {
    {NoticeKind::gpsSupport, {Corvane::key::gpsSupport, &deliver<NoticeKind::gpsSupport>}},
    {NoticeKind::gpsState, {Corvane::key::gpsState, &deliver<NoticeKind::gpsState>}},
    {NoticeKind::gpsData, {Corvane::key::gpsData, &deliver<NoticeKind::gpsData>}},
};

Record newRecord()
{
    Record record(Corvane::newParameters());
    if (!record)
        throw std::bad_alloc();
    return record;
}

template <std::size_t count>
Record table(const SlotRow (&rows)[count])
{
    Record record = newRecord();
    for (const SlotRow& row : rows)
        Corvane::setCallback(record.get(), row.slot.key, row.slot.callback);
    return record;
}

// A command's record; each value is set by the caller.
template <typename Fill>
Corvane::ErrorCode sendCommand(Corvane::ErrorCode (*send)(const Corvane::CvParameters*), Fill fill)
{
    Record parameters = newRecord();
    fill(parameters.get());
    return send(parameters.get());
}

std::mutex sessionMutex; // guards sessionOpen
bool sessionOpen = false;

} // namespace

const char* callbackKeyOf(NoticeKind kind) noexcept
{
    for (const auto& rows : {std::span<const SlotRow>(kClientSlots), std::span<const SlotRow>(kGpsSlots)})
        for (const SlotRow& row : rows)
            if (row.kind == kind)
                return row.slot.key;
    return "";
}

std::optional<std::int64_t> Notice::integer(const char* key) const
{
    std::int64_t value = 0;
    if (Corvane::getInteger(record.get(), key, &value) != Corvane::cNoError)
        return std::nullopt;
    return value;
}

std::optional<double> Notice::real(const char* key) const
{
    double value = 0;
    if (Corvane::getDouble(record.get(), key, &value) != Corvane::cNoError)
        return std::nullopt;
    return value;
}

std::optional<std::string> Notice::text(const char* key) const
{
    const char* value = nullptr;
    if (Corvane::getString(record.get(), key, &value) != Corvane::cNoError || value == nullptr)
        return std::nullopt;
    return std::string(value);
}

Record Notice::dictionary(const char* key) const
{
    Corvane::CvParameters* value = nullptr;
    if (Corvane::getDictionary(record.get(), key, &value) != Corvane::cNoError)
        return nullptr;
    return Record(value);
}

ClientSession::ClientSession(Corvane::InitMode initMode)
{
    {
        std::lock_guard lock(sessionMutex);
        if (sessionOpen)
            throw std::logic_error("one client session at a time");
        sessionOpen = true;
    }
    inbox().reset();

    Record traits = newRecord();
    Corvane::setDictionary(traits.get(), Corvane::key::clientTrait, table(kClientSlots).get());
    Corvane::setDictionary(traits.get(), Corvane::key::gpsTrait, table(kGpsSlots).get());
    registered_ = Corvane::registerClient(traits.get()) == Corvane::cNoError;

    Record parameters = newRecord();
    Corvane::setInteger(parameters.get(), Corvane::key::libraryInitMode, initMode);
    Corvane::initialise(parameters.get());
}

ClientSession::~ClientSession()
{
    Corvane::closeLibrary();
    inbox().reset();
    std::lock_guard lock(sessionMutex);
    sessionOpen = false;
}

Corvane::ErrorCode ClientSession::setGpsMode(Corvane::GpsMode mode)
{
    return sendCommand(&Corvane::setGpsMode,
                   [&](Corvane::CvParameters* record) { Corvane::setInteger(record, Corvane::key::gpsMode, mode); });
}

Corvane::ErrorCode ClientSession::enterPin(const char* pin, const char* puk)
{
    return sendCommand(&Corvane::enterPin, [&](Corvane::CvParameters* record) {
        Corvane::setString(record, Corvane::key::pin, pin);
        if (puk != nullptr && *puk != '\0')
            Corvane::setString(record, Corvane::key::puk, puk);
    });
}

Corvane::ErrorCode ClientSession::changePin(const char* pin, const char* newPin)
{
    return sendCommand(&Corvane::changePin, [&](Corvane::CvParameters* record) {
        Corvane::setString(record, Corvane::key::pin, pin);
        Corvane::setString(record, Corvane::key::newPin, newPin);
    });
}

Corvane::ErrorCode ClientSession::setPinMode(const char* pin, Corvane::PinMode mode)
{
    return sendCommand(&Corvane::setPinMode, [&](Corvane::CvParameters* record) {
        Corvane::setString(record, Corvane::key::pin, pin);
        Corvane::setInteger(record, Corvane::key::pinMode, mode);
    });
}

Corvane::ErrorCode ClientSession::setRadioState(Corvane::RadioState state)
{
    return sendCommand(&Corvane::setRadioState, [&](Corvane::CvParameters* record) {
        Corvane::setInteger(record, Corvane::key::radioState, state);
    });
}

Corvane::ErrorCode ClientSession::scanNetworks()
{
    return Corvane::scanNetworks();
}

Corvane::ErrorCode ClientSession::selectNetwork(Corvane::NetworkSelection mode, std::optional<std::int64_t> mccmnc,
                                                std::optional<Corvane::PsTechnology> technology)
{
    return sendCommand(&Corvane::selectNetwork, [&](Corvane::CvParameters* record) {
        Corvane::setInteger(record, Corvane::key::networkSelectionMode, mode);
        if (mccmnc)
            Corvane::setInteger(record, Corvane::key::mccmnc, *mccmnc);
        if (technology)
            Corvane::setInteger(record, Corvane::key::networkTechnology, *technology);
    });
}

Corvane::ErrorCode ClientSession::setNetworkTechnology(Corvane::PsTechnology technology)
{
    return sendCommand(&Corvane::setNetworkTechnology, [&](Corvane::CvParameters* record) {
        Corvane::setInteger(record, Corvane::key::networkTechnology, technology);
    });
}

std::optional<Notice> ClientSession::next(Clock::time_point deadline)
{
    return inbox().take(deadline);
}

std::optional<Notice> ClientSession::waitFor(const std::function<bool(const Notice&)>& wanted,
                                             Clock::time_point deadline,
                                             const std::function<void(const Notice&)>& seen)
{
    while (std::optional<Notice> notice = next(deadline)) {
        if (seen)
            seen(*notice);
        if (wanted(*notice))
            return notice;
    }
    return std::nullopt;
}

void ClientSession::interrupt()
{
    inbox().interrupt();
}

bool ClientSession::interrupted() const
{
    return inbox().interrupted();
}

void ClientSession::clearInterrupt()
{
    inbox().clearInterrupt();
}

} // namespace Orvanta::client
