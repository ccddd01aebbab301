#include "corvane/traits/OperatorNames.h"

#include <strings.h>

namespace Corvane::operatorNames {

namespace {

struct OperatorRow {
    std::string_view reported;
    std::optional<std::string_view> shortName;
    std::optional<std::string_view> longName;
};

const OperatorRow operatorRows[] = {
    {"----", "--", std::nullopt},
    {"EMobile@", "EMOBILE", "EMOBILE"},
    {"EMOBILE@ - eMobile", "EMOBILE", "EMOBILE"},
    {"EMOBILE - eMobile", "EMOBILE", "EMOBILE"},
    {"JPN EMOBILE@ - eMobile", "EMOBILE", "EMOBILE"},
    {"JPN EMOBILE - eMobile", "EMOBILE", "EMOBILE"},
    {"Cingular", "AT&T", "AT&T"},
};

const OperatorRow* find(std::string_view reported) noexcept
{
    for (const OperatorRow& row : operatorRows) {
        // strncasecmp follows the process's locale, as names typed by networks may.
        if (row.reported.size() == reported.size()
            && ::strncasecmp(row.reported.data(), reported.data(), reported.size()) == 0)
            return &row;
    }
    return nullptr;
}

} // namespace

std::optional<std::string_view> shortForm(std::string_view reported) noexcept
{
    const OperatorRow* row = find(reported);
    return row != nullptr ? row->shortName : std::nullopt;
}

std::optional<std::string_view> longForm(std::string_view reported) noexcept
{
    const OperatorRow* row = find(reported);
    return row != nullptr ? row->longName : std::nullopt;
}

} // namespace Corvane::operatorNames
