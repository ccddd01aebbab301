#include "quelder/registration/VirtualHomeNetworks.h"

#include "platform/SystemError.h"

#include <algorithm>
#include <charconv>

namespace GSM {
namespace {

// The decimal number of the first `count` characters, when all of them are digits.
int LeadingDigits(std::string_view text, std::size_t count) noexcept
{
    if (text.size() < count)
        return 0;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + count, value);
    return error == std::errc() && end == text.data() + count && text.front() != '-' ? value : 0;
}

// The numbers of a list up to its end (a 0, or its last entry).
std::span<const int> UpToEnd(std::span<const int> list) noexcept
{
    return list.first(static_cast<std::size_t>(std::find(list.begin(), list.end(), 0) - list.begin()));
}

} // namespace

SimHomeNumbers HomeNumbersOf(std::string_view imsi) noexcept
{
    // "Not longer than five digits" leaves the five-digit number 0 as well.
    return {imsi.size() > 5 ? LeadingDigits(imsi, 5) : 0, imsi.size() > 6 ? LeadingDigits(imsi, 6) : 0};
}

int NetworkNumberOf(std::string_view id) noexcept
{
    if (id.size() != 5 && id.size() != 6)
        return 0;
    return LeadingDigits(id, id.size());
}

VirtualHomeNetworks::VirtualHomeNetworks()
{
    Row row;
    row.networks[0] = 302720;
    row.sims[0] = 302370;
    rows_.push_back(row);
}

QdResult VirtualHomeNetworks::Add(std::span<const int> networks, std::span<const int> sims)
{
    networks = UpToEnd(networks);
    sims = UpToEnd(sims);
    if (networks.size() > kNumbers || sims.size() > kNumbers)
        return qdSystemError(Os::kErrorInvalidParameter);
    Row row;
    std::copy(networks.begin(), networks.end(), row.networks.begin());
    std::copy(sims.begin(), sims.end(), row.sims.begin());
    std::lock_guard lock(mutex_);
    if (rows_.size() >= kRows)
        return kQdNotAvailable;
    rows_.push_back(row);
    return kQdSuccess;
}

bool VirtualHomeNetworks::Holds(const Numbers& list, int number) noexcept
{
    for (const int entry : list) {
        if (entry == 0)
            return false;
        if (entry == number)
            return true;
    }
    return false;
}

bool VirtualHomeNetworks::IsVirtualHome(int network, const SimHomeNumbers& sim) const
{
    if (network == 0)
        return false;
    std::lock_guard lock(mutex_);
    return std::any_of(rows_.begin(), rows_.end(), [&](const Row& row) {
        return Holds(row.networks, network) &&
               ((sim.fiveDigits != 0 && Holds(row.sims, sim.fiveDigits)) ||
                (sim.sixDigits != 0 && Holds(row.sims, sim.sixDigits)));
    });
}

} // namespace GSM
