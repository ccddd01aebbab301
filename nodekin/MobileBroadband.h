#pragma once
// Cards driven through the system's Mobile Broadband service: detection needs only the
// service's list of interfaces and to hear when one comes, goes or changes its ready state.

#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace Nodekin {

struct MbInterface {
    std::string id;
    int readyState = 0; // 0: not ready
};

// The service as detection sees it.
class MbInterfaceSource {
public:
    struct Events {
        std::function<void(const std::string& id)> arrival;
        std::function<void(const std::string& id)> removal;
        std::function<void(const std::string& id, int readyState)> readyStateChange;
    };

    virtual ~MbInterfaceSource() = default;
    virtual std::vector<MbInterface> interfaces() const = 0;
    // Events may come on any thread until unsubscribe() returns.
    virtual void subscribe(Events events) = 0;
    virtual void unsubscribe() = 0;
};

// A system without the service: no interfaces, no events.
std::unique_ptr<MbInterfaceSource> noMobileBroadbandService();

// The ready interfaces by id, at most 32.
class MobileBroadbandList {
public:
    static constexpr std::size_t maxInterfaces = 32;

    void refresh(const MbInterfaceSource& source);
    bool contains(std::string_view id) const;
    bool empty() const;

private:
    mutable std::mutex mutex_; // guards ids_: refreshed on the notifier thread, read by detection
    std::vector<std::string> ids_;
};

} // namespace Nodekin
