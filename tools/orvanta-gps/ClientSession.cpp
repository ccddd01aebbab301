#include "ClientSession.h"

#include "corvane/Keys.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <stdexcept>

namespace Orvanta::gps {
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

constexpr Slot kClientSlots[] = {
    {Corvane::key::clientLibraryState, &deliver<NoticeKind::libraryState>},
    {Corvane::key::clientDeviceState, &deliver<NoticeKind::deviceState>},
    {Corvane::key::clientUpdate, &deliver<NoticeKind::update>},
    {Corvane::key::clientTraitError, &deliver<NoticeKind::traitError>},
};

constexpr Slot kGpsSlots[] = {
    {Corvane::key::gpsSupport, &deliver<NoticeKind::gpsSupport>},
    {Corvane::key::gpsState, &deliver<NoticeKind::gpsState>},
    {Corvane::key::gpsData, &deliver<NoticeKind::gpsData>},
};

Record newRecord()
{
    Record record(Corvane::newParameters());
    if (!record)
        throw std::bad_alloc();
    return record;
}

template <std::size_t count>
Record table(const Slot (&slots)[count])
{
    Record record = newRecord();
    for (const Slot& slot : slots)
        Corvane::setCallback(record.get(), slot.key, slot.callback);
    return record;
}

std::mutex sessionMutex; // guards sessionOpen
bool sessionOpen = false;

} // namespace

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
    Record parameters = newRecord();
    Corvane::setInteger(parameters.get(), Corvane::key::gpsMode, mode);
    return Corvane::setGpsMode(parameters.get());
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

} // namespace Orvanta::gps
