// The other process of the named object tests. It reports on standard output, one line
// per step, and waits for the end of its standard input before it lets go of anything.
//
//   hold-mutex FOLDER NAME       take the mutex, say "held", wait for EOF, release
//   try-mutex FOLDER NAME        say "signalled", "abandoned" or "busy"
//   set-event FOLDER NAME        set the event, say "set", wait for EOF (the handle stays open)
//   wait-event FOLDER NAME MS    say "waiting", then "signalled" or "timed-out"
//   event-state FOLDER NAME      say "set" or "reset", then "fresh" or "shared"

#include "platform/NamedEvent.h"
#include "platform/NamedMutex.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void say(const char* line)
{
    std::printf("%s\n", line);
    std::fflush(stdout);
}

void waitForEndOfInput()
{
    char c;
    while (::read(STDIN_FILENO, &c, 1) > 0) {
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    const std::string command = argv[1];
    const std::filesystem::path folder = argv[2];
    const std::string name = argv[3];
    if (command == "hold-mutex" || command == "try-mutex") {
        Os::NamedMutex mutex;
        if (mutex.open(name, folder) != 0)
            return 3;
        if (command == "try-mutex") {
            const auto outcome = mutex.tryAcquire();
            say(outcome.status == Os::WaitStatus::signalled   ? "signalled"
                : outcome.status == Os::WaitStatus::abandoned ? "abandoned"
                                                              : "busy");
            return 0;
        }
        if (mutex.lock(Os::kInfinite).status == Os::WaitStatus::failed)
            return 4;
        say("held");
        waitForEndOfInput();
        return mutex.unlock();
    }
    Os::NamedEvent event;
    if (event.open(name, folder) != 0)
        return 3;
    if (command == "set-event") {
        if (event.set() != 0)
            return 4;
        say("set");
        waitForEndOfInput();
        return 0;
    }
    if (command == "wait-event" && argc == 5) {
        say("waiting");
        const auto outcome = event.wait(std::chrono::milliseconds(std::atoi(argv[4])));
        say(outcome.status == Os::WaitStatus::signalled ? "signalled" : "timed-out");
        return 0;
    }
    if (command == "event-state") {
        const auto state = event.isSet();
        say(state && state.value() ? "set" : "reset");
        say(event.createdFresh() ? "fresh" : "shared");
        return 0;
    }
    return 2;
}
