#pragma once
// Names some networks report that the user knows by another name. A lookup matches the
// reported name case-insensitively; no answer means the reported name stands.

#include <optional>
#include <string_view>

namespace Corvane::operatorNames {

std::optional<std::string_view> shortForm(std::string_view reported) noexcept;
std::optional<std::string_view> longForm(std::string_view reported) noexcept;

} // namespace Corvane::operatorNames
