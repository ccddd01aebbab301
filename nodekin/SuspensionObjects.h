#pragma once
// The two objects every program that embeds card detection shares: the exclusive mutex,
// held by the program that uses the card, and the suspension event, signalled while one
// program wants the card for itself.

#include "platform/NamedEvent.h"
#include "platform/NamedMutex.h"

#include <chrono>
#include <filesystem>

namespace Nodekin {

inline constexpr const char* suspensionEventName = "NK_Suspension_{3B1B5405-6DE5-4ba3-959E-A801E79800E0}";
inline constexpr const char* exclusiveMutexName = "NK_Exclusive_Object_{9611FE5D-FEC3-4e6d-9C20-C4AA33E3CE43}";

// Where the named objects live: the runtime folder, or a test's own folder.
struct SuspensionPlace {
    std::filesystem::path folder; // empty: the user's runtime folder

    int open(Os::NamedEvent& event) const;
    int open(Os::NamedMutex& mutex) const;
};

// Whether the event is signalled. A signalled event whose mutex nobody takes within
// `grace` was left by a program that died while exclusive: it is reset and counts as not
// signalled.
bool suspensionRequested(Os::NamedEvent& event, const Os::NamedMutex& mutex, std::chrono::milliseconds grace);

} // namespace Nodekin
