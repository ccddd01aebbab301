#include "FoundNetworks.h"

#include "corvane/Keys.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace Orvanta::client {
namespace {

std::optional<std::int64_t> entryInteger(const Corvane::CvParameters* record, const char* key)
{
    std::int64_t value = 0;
    if (Corvane::getInteger(record, key, &value) != Corvane::cNoError)
        return std::nullopt;
    return value;
}

std::string entryText(const Corvane::CvParameters* record, const char* key)
{
    const char* value = nullptr;
    if (Corvane::getString(record, key, &value) != Corvane::cNoError || value == nullptr)
        return {};
    return value;
}

// The array of networks is the scan record's; a list that arrives as the array itself is
// read the same.
std::vector<FoundNetwork> networksIn(const Corvane::CvParameters* list)
{
    std::vector<FoundNetwork> networks;
    // An array holds at most 65535 slots; an empty slot ends the list.
    for (int index = 0; index < 65535; ++index) {
        Corvane::CvParameters* item = nullptr;
        if (Corvane::getArrayItem(list, Corvane::key::list, index, &item) != Corvane::cNoError)
            break;
        const Record entry(item);
        FoundNetwork network;
        network.mccmnc = entryInteger(entry.get(), Corvane::key::mccmnc).value_or(0);
        network.state = entryInteger(entry.get(), Corvane::key::networkState).value_or(0);
        network.technology = entryInteger(entry.get(), Corvane::key::networkTechnology).value_or(0);
        network.longName = entryText(entry.get(), Corvane::key::longNetworkName);
        network.shortName = entryText(entry.get(), Corvane::key::shortNetworkName);
        networks.push_back(std::move(network));
    }
    return networks;
}

} // namespace

std::vector<FoundNetwork> foundNetworks(const Notice& notice)
{
    if (notice.kind != NoticeKind::networkScan)
        return {};
    if (const Record scan = notice.dictionary(Corvane::key::list))
        return networksIn(scan.get());
    return networksIn(notice.record.get());
}

std::optional<std::string> mccmncText(std::int64_t mccmnc)
{
    if (mccmnc < 0 || mccmnc > 999999)
        return std::nullopt;
    char text[8];
    std::snprintf(text, sizeof text, mccmnc < 100000 ? "%05lld" : "%06lld", static_cast<long long>(mccmnc));
    return std::string(text);
}

std::optional<std::int64_t> mccmncNumber(const std::string& text)
{
    if ((text.size() != 5 && text.size() != 6) ||
        !std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c) != 0; }))
        return std::nullopt;
    // Six digits with a leading zero would read back as five: 012345 is 12345, "12345".
    if (text.size() == 6 && text.front() == '0')
        return std::nullopt;
    return std::stoll(text);
}

} // namespace Orvanta::client
