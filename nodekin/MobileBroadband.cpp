#include "nodekin/MobileBroadband.h"

#include "nodekin/XLog.h"

#include <algorithm>

namespace Nodekin {

namespace {

class NoService final : public MbInterfaceSource {
public:
    std::vector<MbInterface> interfaces() const override { return {}; }
    void subscribe(Events) override {}
    void unsubscribe() override {}
};

} // namespace

std::unique_ptr<MbInterfaceSource> noMobileBroadbandService() { return std::make_unique<NoService>(); }

void MobileBroadbandList::refresh(const MbInterfaceSource& source)
{
    std::vector<std::string> ready;
    for (const MbInterface& entry : source.interfaces()) {
        if (entry.readyState != 0 && ready.size() < maxInterfaces)
            ready.push_back(entry.id);
    }
    if (ready.empty())
        xlog(logVerbose, "Nk: No MB devices are listed over MBAPI");
    std::lock_guard lock(mutex_);
    ids_ = std::move(ready);
}

bool MobileBroadbandList::contains(std::string_view id) const
{
    std::lock_guard lock(mutex_);
    return std::find(ids_.begin(), ids_.end(), id) != ids_.end();
}

bool MobileBroadbandList::empty() const
{
    std::lock_guard lock(mutex_);
    return ids_.empty();
}

} // namespace Nodekin
