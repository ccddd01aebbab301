#pragma once
// Answers forced on commands from outside (the control socket, the command line): a
// command key ("AT+CGMR", "AT_TGPS=") answered with ERROR or a CME code instead of being
// carried out, a given number of times or until healed.

#include "sim/cardsim/FinalResult.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace Cardsim {

class FaultRules {
public:
    // Replaces any rule for `key`. Without `times` the rule holds until healed.
    void set(const std::string& key, FinalResult answer, std::optional<int> times);
    // False when there was no rule for `key`.
    bool heal(std::string_view key);
    void healAll() { rules_.clear(); }
    // The forced answer for one use of `key`, if any; a counted rule is used up by it.
    std::optional<FinalResult> take(std::string_view key);
    std::size_t size() const { return rules_.size(); }

private:
    struct Rule {
        FinalResult answer;
        std::optional<int> remaining;
    };
    std::map<std::string, Rule, std::less<>> rules_;
};

} // namespace Cardsim
