#pragma once
// Notices as the library hands them to a client, built from a kind and values, for the
// tests of what orvanta-modem makes of them.

#include "ClientSession.h"
#include "FoundNetworks.h"

#include "corvane/Enumerations.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <variant>
#include <vector>

namespace Orvanta::modem::testing {

struct Value {
    const char* key;
    std::variant<std::int64_t, std::string> value;
};

client::Notice noticeOf(client::NoticeKind kind, std::initializer_list<Value> values = {});
// The PIN machine's request for a code, with the counters.
client::Notice request(Corvane::PinKind kind, std::int64_t pinCount, std::int64_t pukCount);
// A network-list notice as the network machine sends it: the scan's record under "list".
client::Notice scanResult(const std::vector<client::FoundNetwork>& networks);

} // namespace Orvanta::modem::testing
