#pragma once
// Groups of card values read from the backend into a record under the library's keys.
// A value whose backend call fails is left out; nothing else is reported.

#include "corvane/traits/QdBackend.h"
#include "corvane/traits/SignalPublisher.h"
#include "corvane/types/Dictionary.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Corvane {

// The card's description: model, ports, names, versions, serial numbers.
void readDeviceInformation(QdBackend& backend, Dictionary& record);

// The radio's state, the smart antenna and the hardware switch, with the signals that
// tell the radio state machine which of them the card has.
void readRadioInformation(QdBackend& backend, SignalPublisher& publisher, Dictionary& record);

// The SIM's values; the card is reported busy around each call.
void readSimInformation(QdBackend& backend, SignalPublisher& publisher, Dictionary& record);

// The network the card is registered with: code, state, names, technology. Nothing when
// the backend cannot tell.
void readNetworkInformation(QdBackend& backend, Dictionary& record);

// One network as the backend lays it out, in the current network's record and in each
// entry of a scan list: the code at 0, the state at 4, the long name at 8, the short
// name at 41, the technology at 60, all numbers 32-bit in the machine's order.
inline constexpr std::size_t networkEntrySize = 64;
// The entry's values under the library's keys, the names in the forms the user knows.
Dictionary networkEntryRecord(const unsigned char* entry);

// "major.minor.build.revision" of the driver version's two halves.
void formatDriverVersion(std::uint32_t high, std::uint32_t low, char (&text)[48]);

// The number in an own-numbers answer: what lies between its first and second comma.
std::string_view ownPhoneNumber(std::string_view answer) noexcept;

} // namespace Corvane
