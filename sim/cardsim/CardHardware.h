#pragma once
// The card's hardware as its AT commands show it: the power amplifier's temperature, the
// position of a pull-out antenna, the LED, the configuration values it keeps, and the
// radio bands it may use.

#include "sim/cardsim/CardEvent.h"

#include <array>
#include <cstdint>
#include <map>
#include <span>
#include <string_view>

namespace Cardsim {

struct Band {
    std::string_view name; // "WCDMA2100"
    bool enabled;
};

class CardHardware {
public:
    static constexpr int kLowestTemperature = -40;
    static constexpr int kHighestTemperature = 125;

    explicit CardHardware(CardEventListener listener) : listener_(std::move(listener)) {}

    // Degrees Celsius.
    int temperature() const { return temperature_; }
    // 0 normal, 1 hot (70 and above), 2 critical (85 and above).
    int temperatureState() const;
    void setTemperature(int celsius);

    bool antennaOut() const { return antennaOut_; }
    void setAntenna(bool out);

    int led() const { return led_; }
    void setLed(int state) { led_ = state; }

    // 0 for a value never set.
    std::int32_t configuration(int id) const;
    void setConfiguration(int id, std::int32_t value) { configuration_[id] = value; }

    std::span<const Band> bands() const { return bands_; }
    // False when there is no band of that name.
    bool setBand(std::string_view name, bool enabled);
    void setAllBands(bool enabled);

private:
    void raise(CardEvent event);

    CardEventListener listener_;
    int temperature_ = 38;
    bool antennaOut_ = false;
    int led_ = 1;
    std::map<int, std::int32_t> configuration_;
    std::array<Band, 7> bands_{{
        {"GSM850", true},
        {"EGSM900", true},
        {"DCS1800", true},
        {"PCS1900", true},
        {"WCDMA850", true},
        {"WCDMA1900", true},
        {"WCDMA2100", true},
    }};
};

} // namespace Cardsim
