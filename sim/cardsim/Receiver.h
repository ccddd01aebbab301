#pragma once
// The card's GPS receiver: on or off, and whether it has a fix. After switching on it
// searches for the time to first fix; a lost fix stays lost until it is regained.

#include <chrono>
#include <functional>
#include <utility>

namespace Cardsim {

class Receiver {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using Now = std::function<TimePoint()>;
    // Told after every change of the on/off state.
    using SwitchListener = std::function<void(bool on)>;

    explicit Receiver(std::chrono::milliseconds timeToFirstFix, Now now = std::chrono::steady_clock::now)
        : timeToFirstFix_(timeToFirstFix), now_(std::move(now))
    {
    }

    void onSwitch(SwitchListener listener) { listener_ = std::move(listener); }

    bool on() const { return on_; }
    // Switching on a receiver that is on changes nothing, its search included.
    void switchOn();
    void switchOff();

    void loseFix() { fixLost_ = true; }
    void regainFix() { fixLost_ = false; }
    bool fixLost() const { return fixLost_; }
    bool hasFix() const { return on_ && !fixLost_ && now_() >= firstFixAt_; }

    // The values of AT_TGPSP, kept as the firmware would.
    void setParameters(int mode, int accuracy) { parameters_ = {mode, accuracy}; }
    std::pair<int, int> parameters() const { return parameters_; }

private:
    const std::chrono::milliseconds timeToFirstFix_;
    const Now now_;
    SwitchListener listener_;
    bool on_ = false;
    bool fixLost_ = false;
    TimePoint firstFixAt_{};
    std::pair<int, int> parameters_{0, 0};
};

} // namespace Cardsim
