#include "sim/cardsim/FaultRules.h"

namespace Cardsim {

void FaultRules::set(const std::string& key, FinalResult answer, std::optional<int> times)
{
    rules_.insert_or_assign(key, Rule{answer, times});
}

bool FaultRules::heal(std::string_view key)
{
    const auto found = rules_.find(key);
    if (found == rules_.end())
        return false;
    rules_.erase(found);
    return true;
}

std::optional<FinalResult> FaultRules::take(std::string_view key)
{
    const auto found = rules_.find(key);
    if (found == rules_.end())
        return std::nullopt;
    const FinalResult answer = found->second.answer;
    if (found->second.remaining && --*found->second.remaining <= 0)
        rules_.erase(found);
    return answer;
}

} // namespace Cardsim
