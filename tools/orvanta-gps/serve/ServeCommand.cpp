#include "ServeCommand.h"

#include "ClientNames.h"
#include "GpsCommands.h"
#include "PositionFeed.h"
#include "PositionServer.h"
#include "ReceiverCommand.h"
#include "ReceiverReading.h"

#include <chrono>

#ifndef ORVANTA_RELEASE
#define ORVANTA_RELEASE "unknown"
#endif

namespace Orvanta::gps {
namespace {

// How often the notice loop looks whether the clients' wish to be sent positions changed.
constexpr auto kDemandLook = std::chrono::milliseconds(50);

class Serve {
public:
    Serve(const GpsCommandOptions& options, ClientSession& session, Listener listener)
        : session_(session), receiver_(options, session), reading_(options, session, receiver_, false),
          server_(std::move(listener), ORVANTA_RELEASE)
    {
        receiver_.echo = [this](const Notice& notice) { take(notice); };
    }

    int run()
    {
        server_.start();
        while (!session_.interrupted()) {
            // The receiver's state at the start is what it is put back to; it is learnt when
            // the receiver is first seen, before anything is asked of it.
            if (!learnt_ && receiver_.view().gpsSupport == true) {
                reading_.learnStateFound();
                learnt_ = true;
                continue;
            }
            followDemand();
            if (const std::optional<Notice> notice = session_.next(Clock::now() + kDemandLook))
                receiver_.take(*notice);
        }
        session_.clearInterrupt();
        server_.stop();
        return reading_.putBack() ? 0 : 1;
    }

private:
    void take(const Notice& notice)
    {
        const bool receiverBack = reading_.take(notice);
        server_.post(feed_.take(notice));
        if (receiverBack)
            reading_.askToRead();
    }

    // Reads while a client watches, and stops when the last one has gone.
    void followDemand()
    {
        const bool wanted = learnt_ && server_.watched();
        if (wanted == reading_.wanted())
            return;
        if (wanted)
            reading_.start();
        else
            reading_.stop();
    }

    ClientSession& session_;
    ReceiverCommand receiver_;
    ReceiverReading reading_;
    PositionFeed feed_;
    PositionServer server_;
    bool learnt_ = false;
};

} // namespace

int serveGps(const GpsCommandOptions& options, ClientSession& session, Listener listener)
{
    Serve serve(options, session, std::move(listener));
    return serve.run();
}

} // namespace Orvanta::gps
