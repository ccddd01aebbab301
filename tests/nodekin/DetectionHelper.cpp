// A second program that uses card detection, for the tests of the suspension protocol
// between processes. Arguments: the simulated device folder and the named-object folder.
// Commands on standard input, one per line: "exclusive", "release", "quit". It answers on
// standard output: "ready", "exclusive <result>", "released <result>", and
// "notified <reason> <state>" for every notification.

#include "nodekin/Nodekin.h"
#include "nodekin/NodekinTesting.h"
#include "platform/SimDeviceTree.h"

#include <cstdio>
#include <iostream>
#include <mutex>
#include <string>

namespace {

std::mutex outputMutex; // guards standard output: notifications come on another thread

void say(const std::string& line)
{
    std::lock_guard lock(outputMutex);
    std::cout << line << std::endl;
}

void notified(int reason)
{
    NkCardInfo info{};
    info.size = sizeof info;
    NkGetCardInfo(&info);
    say("notified " + std::to_string(reason) + " " + std::to_string(info.state));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SIM_FOLDER OBJECT_FOLDER\n", argv[0]);
        return 2;
    }
    auto tree = Os::SimDeviceTree::open(argv[1]);
    if (!tree) {
        std::fprintf(stderr, "cannot open the device folder (%d)\n", tree.error());
        return 1;
    }
    Nodekin::DetectionEnvironment environment;
    environment.tree = std::move(tree).value();
    environment.namedObjectFolder = argv[2];
    environment.settle = std::chrono::milliseconds(20);
    if (const int error = Nodekin::testing::initializeWith(std::move(environment)); error != 0) {
        std::fprintf(stderr, "cannot start detection (%d)\n", error);
        return 1;
    }
    NkRegisterCallback(&notified);
    say("ready");
    std::string command;
    while (std::getline(std::cin, command)) {
        if (command == "exclusive")
            say("exclusive " + std::to_string(NkRequestExclusiveAccess(10000)));
        else if (command == "release")
            say("released " + std::to_string(NkReleaseExclusiveAccess()));
        else if (command == "quit")
            break;
    }
    NkUninitialize();
    return 0;
}
