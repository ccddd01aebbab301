#pragma once
// The pieces every orvanta-modem command line is read with: options wherever they stand,
// as "--name value" or "--name=value", and bounded whole numbers.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace Orvanta::modem {

// Walks the arguments one at a time; an option's value is taken with it.
class ArgumentCursor {
public:
    explicit ArgumentCursor(const std::vector<std::string>& arguments) : arguments_(arguments) {}

    bool done() const noexcept { return index_ >= arguments_.size(); }
    std::string_view current() const { return arguments_[index_]; }
    void advance() noexcept { ++index_; }

    // Whether the current argument is the option `name`, alone or with "=value".
    bool names(std::string_view name) const;
    // The value of the current option `name`: the argument after it, or what follows "=";
    // none when it has none.
    std::optional<std::string> valueOf(std::string_view name);

private:
    const std::vector<std::string>& arguments_;
    std::size_t index_ = 0;
};

// `text` as a whole number from `low` to `high`, written in decimal digits only.
std::optional<int> wholeNumberOf(std::string_view text, int low, int high);

} // namespace Orvanta::modem
