#include "CardBench.h"

#include "sim/cardsim/Profile.h"
#include "sim/cardsim/Track.h"
#include "sim/cardsim/VirtualCard.h"
#include "tests/stack/TrackPositions.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace Orvanta::bench {

PositionKey keyOf(double latitude, double longitude)
{
    return {std::llround(latitude * 1e6), std::llround(longitude * 1e6)};
}

void SendTimes::sent(std::string_view sentence)
{
    if (const auto position = Orvanta::testing::ggaPosition(sentence)) {
        const Clock::time_point now = Clock::now();
        std::lock_guard lock(mutex_);
        sent_[keyOf(position->latitude, position->longitude)] = now;
    }
}

std::optional<Clock::time_point> SendTimes::take(PositionKey position)
{
    std::lock_guard lock(mutex_);
    const auto found = sent_.find(position);
    if (found == sent_.end())
        return std::nullopt;
    const Clock::time_point when = found->second;
    sent_.erase(found);
    return when;
}

std::filesystem::path makeBenchFolder()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "orvanta-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr)
        std::abort();
    return pattern;
}

CardThread::CardThread(double rate, SendTimes& times) : folder_(makeBenchFolder())
{
    std::string problem;
    auto track = Cardsim::Track::parse(Cardsim::bundledTrackText(), problem);
    const Cardsim::Profile& profile = *Cardsim::findProfile(Cardsim::kDefaultProfile);
    Cardsim::CardSetup setup;
    setup.profile = &profile;
    setup.ids = {profile.vendorId, profile.productId, "BENCH1"};
    setup.folder = folder_;
    setup.name = "bench";
    setup.rate = rate;
    setup.sentenceSent = [&times](std::string_view sentence) { times.sent(sentence); };
    thread_ = std::thread([this, setup = std::move(setup), track = std::move(*track)]() mutable {
        Cardsim::VirtualCard card(reactor_, std::move(setup), std::move(track));
        card.plug();
        while (!stopping_)
            reactor_.runOnce(std::chrono::milliseconds(20));
        card.unplug();
    });
}

CardThread::~CardThread()
{
    stopping_ = true;
    thread_.join();
    std::filesystem::remove_all(folder_);
}

double percentile(std::vector<double> samples, double fraction)
{
    if (samples.empty())
        return 0;
    std::sort(samples.begin(), samples.end());
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(samples.size() - 1) + 0.5);
    return samples[std::min(index, samples.size() - 1)];
}

} // namespace Orvanta::bench
