#include "tests/quelder/backend/BackendTestSupport.h"

#include "quelder/Quelder.h"
#include "quelder/sms/Tpdu.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace Orvanta::testing {
namespace {

std::atomic<ClientRecorder*> current{nullptr};

} // namespace

ClientRecorder::ClientRecorder(bool readState) : readState_(readState) { current = this; }

ClientRecorder::~ClientRecorder() { current = nullptr; }

void ClientRecorder::SetHook(std::function<void(int)> hook)
{
    std::lock_guard lock(mutex_);
    hook_ = std::move(hook);
}

void ClientRecorder::OnEvent(int event, void* data)
{
    ClientRecorder* recorder = current.load();
    std::string text;
    int value = 0;
    if (event == QdEventNewSmsIndex) {
        value = static_cast<int>(reinterpret_cast<std::intptr_t>(data));
    } else if (GSM::EventCarriesBuffer(event) && data != nullptr) {
        if (event == QdEventGpsData) {
            text = static_cast<const char*>(data);
        } else if (event == QdEventUssdMessage) {
            const auto* ussd = static_cast<const QdUssdMessage*>(data);
            text.assign(ussd->text, ::strnlen(ussd->text, sizeof ussd->text));
            value = ussd->status;
        } else if (event == QdEventStoredSms || event == QdEventTemporarySms) {
            const auto* message = static_cast<const SMS::Tpdu*>(data);
            text.assign(message->text, ::strnlen(message->text, sizeof message->text));
            value = message->storage == SMS::kStorageSim ? message->storageIndex : -1;
        } else if (event == QdEventSmsStatusReport) {
            const auto* report = static_cast<const QdSmsStatusReport*>(data);
            text.assign(report->recipient, ::strnlen(report->recipient, sizeof report->recipient));
            value = report->status;
        }
        QdFreeMemory(data);
    }
    if (recorder == nullptr)
        return;
    std::function<void(int)> hook;
    {
        std::lock_guard lock(recorder->mutex_);
        hook = recorder->hook_;
    }
    if (hook)
        hook(event);
    int state = -1;
    if (recorder->readState_)
        QdGetDeviceState(&state);
    {
        std::lock_guard lock(recorder->mutex_);
        recorder->events_.push_back({event, std::move(text), std::this_thread::get_id(), state, value});
    }
    recorder->changed_.notify_all();
}

void ClientRecorder::OnError(int kind, int code, int extra)
{
    ClientRecorder* recorder = current.load();
    if (recorder == nullptr)
        return;
    {
        std::lock_guard lock(recorder->mutex_);
        recorder->errors_.push_back({kind, code, extra});
    }
    recorder->changed_.notify_all();
}

std::vector<ClientRecorder::Event> ClientRecorder::Events() const
{
    std::lock_guard lock(mutex_);
    return events_;
}

std::vector<int> ClientRecorder::EventIds() const
{
    std::vector<int> ids;
    for (const Event& event : Events())
        ids.push_back(event.id);
    return ids;
}

std::vector<ClientRecorder::Error> ClientRecorder::Errors() const
{
    std::lock_guard lock(mutex_);
    return errors_;
}

bool ClientRecorder::WaitFor(const std::function<bool(const std::vector<Event>&)>& condition,
                             std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return condition(events_); });
}

bool ClientRecorder::WaitForErrors(std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return errors_.size() >= count; });
}

void RecordingWork::Run(const GSM::QueueEntry& entry)
{
    {
        std::lock_guard lock(mutex_);
        entries_.push_back(entry);
    }
    changed_.notify_all();
}

std::vector<GSM::QueueEntry> RecordingWork::Entries() const
{
    std::lock_guard lock(mutex_);
    return entries_;
}

void RecordingWork::Clear()
{
    std::lock_guard lock(mutex_);
    entries_.clear();
}

std::size_t RecordingWork::Count(std::uint32_t message) const
{
    std::lock_guard lock(mutex_);
    return static_cast<std::size_t>(std::count_if(entries_.begin(), entries_.end(),
                                                  [&](const GSM::QueueEntry& e) { return e.message == message; }));
}

bool RecordingWork::WaitForCount(std::uint32_t message, std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] {
        return static_cast<std::size_t>(std::count_if(entries_.begin(), entries_.end(), [&](const GSM::QueueEntry& e) {
                   return e.message == message;
               })) >= count;
    });
}

int FakeHost::FetchCardInfo(NkCardInfo& record)
{
    std::lock_guard lock(cardMutex);
    if (fetchError != 0)
        return fetchError;
    record = card;
    return 0;
}

void FakeHost::SetCard(std::uint32_t state, std::uint32_t type, std::uint32_t capabilities, const std::string& port)
{
    std::lock_guard lock(cardMutex);
    card = NkCardInfo{};
    card.size = sizeof card;
    card.state = state;
    card.typeCode = type;
    card.capabilities = capabilities;
    std::strncpy(card.applicationPort, port.c_str(), sizeof card.applicationPort - 1);
}

} // namespace Orvanta::testing
