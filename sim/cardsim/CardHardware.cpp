#include "sim/cardsim/CardHardware.h"

namespace Cardsim {

void CardHardware::raise(CardEvent event)
{
    if (listener_)
        listener_(event);
}

int CardHardware::temperatureState() const
{
    constexpr int kHot = 70, kCritical = 85;
    return temperature_ >= kCritical ? 2 : temperature_ >= kHot ? 1 : 0;
}

void CardHardware::setTemperature(int celsius)
{
    if (celsius == temperature_)
        return;
    temperature_ = celsius;
    raise(CardEvent::temperatureChanged);
}

void CardHardware::setAntenna(bool out)
{
    if (out == antennaOut_)
        return;
    antennaOut_ = out;
    raise(CardEvent::antennaMoved);
}

std::int32_t CardHardware::configuration(int id) const
{
    const auto found = configuration_.find(id);
    return found == configuration_.end() ? 0 : found->second;
}

bool CardHardware::setBand(std::string_view name, bool enabled)
{
    for (Band& band : bands_)
        if (band.name == name) {
            band.enabled = enabled;
            return true;
        }
    return false;
}

void CardHardware::setAllBands(bool enabled)
{
    for (Band& band : bands_)
        band.enabled = enabled;
}

} // namespace Cardsim
