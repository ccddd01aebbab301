#include "sim/cardsim/Receiver.h"

namespace Cardsim {

void Receiver::switchOn()
{
    if (on_)
        return;
    on_ = true;
    firstFixAt_ = now_() + timeToFirstFix_;
    if (listener_)
        listener_(true);
}

void Receiver::switchOff()
{
    if (!on_)
        return;
    on_ = false;
    if (listener_)
        listener_(false);
}

} // namespace Cardsim
