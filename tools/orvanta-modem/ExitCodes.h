#pragma once
// How orvanta-modem ends: one exit status per kind of failure, so that a script can tell
// a wrong PIN from a missing card, and the one-line reason it writes on standard error.

#include <optional>
#include <string>

namespace Orvanta::modem {

enum class ExitCode : int {
    success = 0,
    failed = 1,         // the card or the library refused, or another failure
    usage = 2,          // a wrong command line, or no code where one was to be read
    timedOut = 3,       // the card did not answer in time
    noCard = 4,         // no card came within the time-out
    noSim = 5,          // the card has no SIM
    wrongCode = 6,      // a wrong PIN or PUK; attempts are left
    pukNeeded = 7,      // the SIM waits for its PUK
    simBlocked = 8,     // the SIM is blocked for good: no PUK attempts left
    unknownNetwork = 9, // the card does not see the network asked for
    pinNeeded = 10,     // the SIM waits for its PIN, which the command needs entered first
    malformedPdu = 11,  // pdu decode: the codec refused the PDU
    interrupted = 130,  // ended by a signal (128 + SIGINT), as a shell reports it
};

struct Failure {
    ExitCode code = ExitCode::failed;
    std::string reason; // one line, without the program's name
};

// What a command ends with: nothing for success.
using Outcome = std::optional<Failure>;

// Writes "orvanta-modem: REASON" on standard error and answers the exit status.
int finish(const Outcome& outcome);

} // namespace Orvanta::modem
