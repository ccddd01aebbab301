#include "tests/corvane/traits/QdTestSupport.h"

#include <algorithm>
#include <cstring>

namespace Corvane::testing {

void FakeQdBackend::setResult(const std::string& call, int result)
{
    std::lock_guard lock(mutex_);
    results_[call] = result;
}

void FakeQdBackend::setOutput(const std::string& call, int value)
{
    std::lock_guard lock(mutex_);
    outputs_[call] = value;
}

void FakeQdBackend::setText(const std::string& call, const std::string& text)
{
    std::lock_guard lock(mutex_);
    texts_[call] = text;
}

std::vector<std::string> FakeQdBackend::calls() const
{
    std::lock_guard lock(mutex_);
    return calls_;
}

void FakeQdBackend::clearCalls()
{
    std::lock_guard lock(mutex_);
    calls_.clear();
}

std::vector<void*> FakeQdBackend::freed() const
{
    std::lock_guard lock(mutex_);
    return freed_;
}

void FakeQdBackend::hang(const std::string& call)
{
    std::lock_guard lock(mutex_);
    hanging_ = call;
    released_ = false;
}

void FakeQdBackend::release()
{
    std::lock_guard lock(mutex_);
    released_ = true;
    hangChanged_.notify_all();
}

bool FakeQdBackend::waitUntilHanging(std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return hangChanged_.wait_for(lock, timeout, [this] { return waitingInHang_ > 0; });
}

int FakeQdBackend::record(const std::string& call, const std::string& entry)
{
    std::unique_lock lock(mutex_);
    calls_.push_back(entry);
    if (call == hanging_ && !released_) {
        ++waitingInHang_;
        hangChanged_.notify_all();
        hangChanged_.wait(lock, [this] { return released_; });
        --waitingInHang_;
    }
    const auto found = results_.find(call);
    return found != results_.end() ? found->second : 0;
}

int FakeQdBackend::withArgument(const std::string& call, long long argument)
{
    return record(call, call + "(" + std::to_string(argument) + ")");
}

int FakeQdBackend::valueOf(const std::string& call) const
{
    std::lock_guard lock(mutex_);
    const auto found = outputs_.find(call);
    return found != outputs_.end() ? found->second : 0;
}

int FakeQdBackend::output(const std::string& call, int* value)
{
    const int result = plain(call);
    if (result >= 0)
        *value = valueOf(call);
    return result;
}

int FakeQdBackend::text_(const std::string& call, char* text, std::uint32_t size)
{
    const int result = plain(call);
    if (result >= 0) {
        std::lock_guard lock(mutex_);
        const std::string& value = texts_[call];
        std::memcpy(text, value.data(), std::min<std::size_t>(value.size(), size));
    }
    return result;
}

int FakeQdBackend::QdInitialize(void* instance, QdEventCallback eventCallback, QdErrorCallback errorCallback)
{
    const bool withCallbacks = eventCallback != nullptr && errorCallback != nullptr;
    if (duringInitialize)
        duringInitialize();
    return record("QdInitialize", std::string("QdInitialize(") + (instance == nullptr ? "null" : "module") + ", "
                                      + (withCallbacks ? "callbacks" : "none") + ")");
}

int FakeQdBackend::QdSetCardDetectionLogCallback(NkLogFunction function, void*)
{
    return record("QdSetCardDetectionLogCallback",
                  std::string("QdSetCardDetectionLogCallback(") + (function != nullptr ? "sink" : "null") + ")");
}

int FakeQdBackend::QdFreeMemory(void* memory)
{
    std::lock_guard lock(mutex_);
    calls_.push_back("QdFreeMemory");
    freed_.push_back(memory);
    return 0;
}

int FakeQdBackend::QdGetCardInfo(NkCardInfo* out)
{
    const int result = plain("QdGetCardInfo");
    if (result >= 0)
        std::memcpy(out, &card, std::min<std::size_t>(out->size, sizeof card));
    return result;
}

int FakeQdBackend::QdGetSignalStrength(int* strength, int* quality)
{
    const int result = output("QdGetSignalStrength", strength);
    *quality = 99;
    return result;
}

int FakeQdBackend::QdGetDriverVersion(std::uint32_t* high, std::uint32_t* low)
{
    const int result = plain("QdGetDriverVersion");
    *high = static_cast<std::uint32_t>(valueOf("driverVersionHigh"));
    *low = static_cast<std::uint32_t>(valueOf("driverVersionLow"));
    return result;
}

int FakeQdBackend::QdGetConnectionStatistics(std::uint64_t* sent, std::uint64_t* received, std::uint64_t* milliseconds)
{
    const int result = plain("QdGetConnectionStatistics");
    std::lock_guard lock(mutex_);
    *sent = statistics[0];
    *received = statistics[1];
    *milliseconds = statistics[2];
    return result;
}

int FakeQdBackend::QdGetPinPukState(int* state, int* resultCode)
{
    *resultCode = 0;
    return output("QdGetPinPukState", state);
}

int FakeQdBackend::QdSetNetworkSelectionMode(int mode, const char* mccMnc, int technology)
{
    return record("QdSetNetworkSelectionMode", "QdSetNetworkSelectionMode(" + std::to_string(mode) + ", \""
                                                   + (mccMnc != nullptr ? mccMnc : "null") + "\", "
                                                   + std::to_string(technology) + ")");
}

int FakeQdBackend::QdGetNetworkInformation(void* information)
{
    const int result = plain("QdGetNetworkInformation");
    if (result >= 0 && !networkInformation.empty())
        std::memcpy(information, networkInformation.data(), std::min<std::size_t>(networkInformation.size(), 64));
    return result;
}

int FakeQdBackend::QdScanNetworks(void** list, int* count)
{
    const int result = plain("QdScanNetworks");
    *list = scanList.empty() ? nullptr : scanList.data();
    *count = static_cast<int>(scanList.size() / 64);
    return result;
}

int FakeQdBackend::QdEnterPinCode(const char* pin)
{
    return record("QdEnterPinCode", std::string("QdEnterPinCode(\"") + pin + "\")");
}

int FakeQdBackend::QdEnterPukCode(const char* puk, const char* newPin)
{
    return record("QdEnterPukCode", std::string("QdEnterPukCode(\"") + puk + "\", \"" + newPin + "\")");
}

int FakeQdBackend::QdSetPinMode(int enable, const char* pin)
{
    return record("QdSetPinMode", "QdSetPinMode(" + std::to_string(enable) + ", \"" + pin + "\")");
}

int FakeQdBackend::QdChangePinCode(const char* pin, const char* newPin)
{
    return record("QdChangePinCode", std::string("QdChangePinCode(\"") + pin + "\", \"" + newPin + "\")");
}

int FakeQdBackend::QdGetPinPukCounters(int* pinAttempts, int* pukAttempts)
{
    const int result = output("pinCount", pinAttempts);
    *pukAttempts = valueOf("pukCount");
    return result;
}

void SignalLog::publish(Signal signal, const Dictionary& record)
{
    std::lock_guard lock(mutex_);
    published_.push_back({signal, record});
    arrived_.notify_all();
}

std::vector<Published> SignalLog::published() const
{
    std::lock_guard lock(mutex_);
    return published_;
}

std::vector<Signal> SignalLog::signals() const
{
    std::lock_guard lock(mutex_);
    std::vector<Signal> result;
    for (const Published& entry : published_)
        result.push_back(entry.signal);
    return result;
}

void SignalLog::clear()
{
    std::lock_guard lock(mutex_);
    published_.clear();
}

bool SignalLog::waitForCount(std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mutex_);
    return arrived_.wait_for(lock, timeout, [&] { return published_.size() >= count; });
}

std::vector<unsigned char> scanEntry(std::int32_t mccmnc, std::int32_t state, const char* longName,
                                     const char* shortName, std::int32_t technology)
{
    std::vector<unsigned char> entry(64, 0);
    std::memcpy(entry.data(), &mccmnc, 4);
    std::memcpy(entry.data() + 4, &state, 4);
    std::strncpy(reinterpret_cast<char*>(entry.data() + 8), longName, 32);
    std::strncpy(reinterpret_cast<char*>(entry.data() + 41), shortName, 18);
    std::memcpy(entry.data() + 60, &technology, 4);
    return entry;
}

} // namespace Corvane::testing
