// Feeds arbitrary bytes to an AT port of the virtual card, as any program that opens the
// port may write them. The first byte picks the forced answers in force and the SIM (open,
// locked with PIN 1234 and PUK 12345678, or none). The card's
// alarms ring between the two halves and at the end, so deferred answers (a network
// scan), registrations after a radio switch-on, calls and USSD answers complete.

#include "sim/cardsim/AtSession.h"
#include "sim/cardsim/CardState.h"
#include "sim/cardsim/Receiver.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

// Whether `text` is a handed-over message's report: its header, one CR LF, and the PDU
// in hex, which the host reads as the header's continuation.
bool isMessageReport(std::string_view text)
{
    if (!text.starts_with("+CMT: ") && !text.starts_with("+CDS: "))
        return false;
    const std::size_t end = text.find("\r\n");
    if (end == std::string_view::npos)
        return false;
    const std::string_view pdu = text.substr(end + 2);
    return !pdu.empty() && pdu.find_first_not_of("0123456789ABCDEFabcdef") == std::string_view::npos &&
           text.substr(0, end).find_first_of("\r\n") == std::string_view::npos;
}

// An answer line never holds a line end: it would split into lines the host cannot place.
// A message report is the one exception, and holds exactly the one between its two parts.
void checkLines(const std::vector<Cardsim::Emission>& out, std::size_t& echoed)
{
    for (const Cardsim::Emission& emission : out) {
        if (emission.kind == Cardsim::Emission::Kind::prompt)
            continue;
        if (emission.kind == Cardsim::Emission::Kind::echo) {
            echoed += emission.text.size();
            continue;
        }
        if (isMessageReport(emission.text))
            continue;
        if (emission.text.find_first_of("\r\n") != std::string::npos || emission.text.empty())
            __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace Cardsim;
    static const CardFacts facts = factsFor(*findProfile("gps"), "RX0001");
    static const Dialect dialect = Dialect::forCard(true);
    Receiver receiver(std::chrono::milliseconds(0));
    FaultRules faults;
    SimSetup sim;
    if (size > 0) {
        if ((data[0] & 4) != 0)
            sim.codes = {"1234", "12345678", true};
        if ((data[0] & 8) != 0)
            sim.present = false;
        if ((data[0] & 1) != 0)
            faults.set("AT_TGPS=", FinalResult::cme(data[0]), 1);
        if ((data[0] & 2) != 0)
            faults.set("AT+CGMR", FinalResult::error(), {});
        ++data, --size;
    }
    ManualAlarms alarms;
    CardState state(alarms.maker(), sim);
    std::vector<Emission> out;
    AtSession session(dialect, facts, &receiver, faults, &state, alarms.maker());
    session.onLateOutput([&out](const std::vector<Emission>& late) { out.insert(out.end(), late.begin(), late.end()); });
    state.onEvent([&](CardEvent event) { session.report(event, out); });
    // In two pieces, as a read may cut a command anywhere.
    const std::size_t half = size / 2;
    session.feed({data, half}, out);
    alarms.runAll(50);
    session.feed({data + half, size - half}, out);
    alarms.runAll(50);

    std::size_t echoed = 0;
    checkLines(out, echoed);
    if (echoed > size)
        __builtin_trap();
    return 0;
}
