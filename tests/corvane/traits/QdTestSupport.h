#pragma once
// What the tests of the backend client and the device trait share: a backend that plays
// the card from a script of outputs and results and keeps the calls it got, and a
// publisher that keeps the signals and lets a test wait for them.

#include "corvane/traits/QdBackend.h"
#include "corvane/traits/SignalPublisher.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace Corvane::testing {

class FakeQdBackend final : public QdBackend {
public:
    // What a call answers (0 unless set) and what it writes into its output.
    void setResult(const std::string& call, int result);
    void setOutput(const std::string& call, int value);
    void setText(const std::string& call, const std::string& text);
    NkCardInfo card{};
    std::uint64_t statistics[3] = {}; // sent, received, milliseconds
    std::vector<unsigned char> scanList; // 64-byte entries
    std::vector<unsigned char> networkInformation; // one 64-byte entry, or none to write nothing

    // A card that stops answering: every call of `call` from now on waits until release().
    void hang(const std::string& call);
    void release();
    // Waits until a thread waits in a hanging call.
    bool waitUntilHanging(std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

    // Every call so far, with its arguments: "QdSetGpsState(1)".
    std::vector<std::string> calls() const;
    void clearCalls();
    std::vector<void*> freed() const;

    // Runs inside QdInitialize, as the backend's own threads could while it starts.
    std::function<void()> duringInitialize;

    int QdInitialize(void* instance, QdEventCallback eventCallback, QdErrorCallback errorCallback) override;
    int QdShutdown() override { return plain("QdShutdown"); }
    int QdIsInitialized() override { return plain("QdIsInitialized"); }
    int QdSetCardDetectionLogCallback(NkLogFunction function, void* context) override;
    int QdSetCardDetectionLogLevel(int level) override { return withArgument("QdSetCardDetectionLogLevel", level); }
    int QdFreeMemory(void* memory) override;
    int QdGetCardInfo(NkCardInfo* record) override;
    int QdGetDeviceState(int* state) override { return output("QdGetDeviceState", state); }
    int QdGetConnectionState(int* state) override { return output("QdGetConnectionState", state); }
    int QdGetCsNetworkState(int* state) override { return output("QdGetCsNetworkState", state); }
    int QdGetPsNetworkState(int* state) override { return output("QdGetPsNetworkState", state); }
    int QdIsSimInitialized(int* initialized) override { return output("QdIsSimInitialized", initialized); }
    int QdGetHighSpeedState(int* registered) override { return output("QdGetHighSpeedState", registered); }
    int QdGetSignalStrength(int* strength, int* quality) override;
    int QdGetHwSwitchState(int* state) override { return output("QdGetHwSwitchState", state); }
    int QdHasSmartAntenna(int* present) override { return output("QdHasSmartAntenna", present); }
    int QdGetSmartAntennaPosition(int* pulledOut) override { return output("QdGetSmartAntennaPosition", pulledOut); }
    int QdGetIdleText(char* text, std::uint32_t size) override { return text_("QdGetIdleText", text, size); }
    int QdGetDriverVersion(std::uint32_t* high, std::uint32_t* low) override;
    int QdGetDriverPath(char* path, std::uint32_t size) override { return text_("QdGetDriverPath", path, size); }
    int QdGetConnectionStatistics(std::uint64_t* sent, std::uint64_t* received, std::uint64_t* milliseconds) override;
    int QdStartDevice(int delayMilliseconds) override { return withArgument("QdStartDevice", delayMilliseconds); }
    int QdGetDeviceName(char* name, std::uint32_t size) override { return text_("QdGetDeviceName", name, size); }
    int QdGetProductName(char* name, std::uint32_t size) override { return text_("QdGetProductName", name, size); }
    int QdGetFirmwareInfo(char* firmware, std::uint32_t size) override { return text_("QdGetFirmwareInfo", firmware, size); }
    int QdGetHardwareVersion(char* version, std::uint32_t size) override { return text_("QdGetHardwareVersion", version, size); }
    int QdGetOwnPhoneNumbers(char* numbers, std::uint32_t size) override { return text_("QdGetOwnPhoneNumbers", numbers, size); }
    int QdGetImeiNumber(char* imei, std::uint32_t size) override { return text_("QdGetImeiNumber", imei, size); }
    int QdGetSerialNumber(char* serial, std::uint32_t size) override { return text_("QdGetSerialNumber", serial, size); }
    int QdGetSimSerialNumber(char* iccid, std::uint32_t size) override { return text_("QdGetSimSerialNumber", iccid, size); }
    int QdGetImsiNumber(char* imsi, std::uint32_t size) override { return text_("QdGetImsiNumber", imsi, size); }
    int QdGetRxCode(int* code) override { return output("QdGetRxCode", code); }
    int QdQueryOisov(char* answer, std::uint32_t size) override { return text_("QdQueryOisov", answer, size); }
    int QdQueryOsrls(char* answer, std::uint32_t size) override { return text_("QdQueryOsrls", answer, size); }
    int QdGetPinPukState(int* state, int* resultCode) override;
    int QdInitializeSim() override { return plain("QdInitializeSim"); }
    int QdInitializeNetwork() override { return plain("QdInitializeNetwork"); }
    int QdInitializeIndicators() override { return plain("QdInitializeIndicators"); }
    int QdInitializeDataCall() override { return plain("QdInitializeDataCall"); }
    int QdSetSmsConcatenationSupport(int enabled) override { return withArgument("QdSetSmsConcatenationSupport", enabled); }
    int QdSetTechnologySelectionMode(int mode) override { return withArgument("QdSetTechnologySelectionMode", mode); }
    int QdGetServingNetwork(char* network, std::uint32_t size) override { return text_("QdGetServingNetwork", network, size); }
    int QdSetNetworkSelectionMode(int mode, const char* mccMnc, int technology) override;
    int QdScanNetworks(void** list, int* count) override;
    int QdGetNetworkInformation(void* information) override;
    int QdEnterPinCode(const char* pin) override;
    int QdEnterPukCode(const char* puk, const char* newPin) override;
    int QdGetPinMode(int* mode) override { return output("QdGetPinMode", mode); }
    int QdSetPinMode(int enable, const char* pin) override;
    int QdChangePinCode(const char* pin, const char* newPin) override;
    int QdGetPinPukCounters(int* pinAttempts, int* pukAttempts) override;
    int QdGetCurrentRadioState(int* on) override { return output("QdGetCurrentRadioState", on); }
    int QdSetPowerUpRadioState(int on) override { return withArgument("QdSetPowerUpRadioState", on); }
    int QdInitGps() override { return plain("QdInitGps"); }
    int QdExitGps() override { return plain("QdExitGps"); }
    int QdIsGpsSupported(int* supported) override { return output("QdIsGpsSupported", supported); }
    int QdGetGpsState(int* on) override { return output("QdGetGpsState", on); }
    int QdSetGpsState(int on) override { return withArgument("QdSetGpsState", on); }

private:
    int record(const std::string& call, const std::string& entry);
    int plain(const std::string& call) { return record(call, call + "()"); }
    int withArgument(const std::string& call, long long argument);
    int output(const std::string& call, int* value);
    int text_(const std::string& call, char* text, std::uint32_t size);
    int valueOf(const std::string& call) const;

    mutable std::mutex mutex_; // guards everything below: trait threads call in
    mutable std::condition_variable hangChanged_;
    std::string hanging_;
    bool released_ = false;
    int waitingInHang_ = 0;
    std::map<std::string, int> results_;
    std::map<std::string, int> outputs_;
    std::map<std::string, std::string> texts_;
    std::vector<std::string> calls_;
    std::vector<void*> freed_;
};

struct Published {
    Signal signal;
    Dictionary record;
};

class SignalLog final : public SignalPublisher {
public:
    void publish(Signal signal, const Dictionary& record) override;

    std::vector<Published> published() const;
    std::vector<Signal> signals() const;
    void clear();
    // Waits until `count` signals have come; false after `timeout`.
    bool waitForCount(std::size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10)) const;

private:
    mutable std::mutex mutex_; // guards published_: trait threads publish
    mutable std::condition_variable arrived_;
    std::vector<Published> published_;
};

// A 64-byte scan entry.
std::vector<unsigned char> scanEntry(std::int32_t mccmnc, std::int32_t state, const char* longName,
                                     const char* shortName, std::int32_t technology);

} // namespace Corvane::testing
