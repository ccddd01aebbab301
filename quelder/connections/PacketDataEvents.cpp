#include "quelder/connections/PacketDataEvents.h"

#include "quelder/BackendLog.h"
#include "quelder/Names.h"

namespace GSM {

void LoggedPacketDataEvents::UpdateTcpWindow(int accessTechnology)
{
    if (lastTechnology_.exchange(accessTechnology) == accessTechnology)
        return;
    xlog(logVerbose, "Qd: UpdateTcpWindowSize(): no data connection to tune for %s",
         AccessTechnologyName(accessTechnology));
}

void LoggedPacketDataEvents::PdpContextChanged(int context, bool activated)
{
    xlog(logVerbose, "Qd: PDP context %d has been %s", context, activated ? "activated" : "deactivated");
}

} // namespace GSM
