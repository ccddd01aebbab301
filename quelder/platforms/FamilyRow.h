#pragma once
// One row of a family table: a text for the card (a command to send, or the prefix of a
// report it sends), the cards it applies to, and what to do with the answer or report.
// Card families differ in which rows apply to them, never in conditions spread through
// the code that runs the table.

#include "nodekin/CardTraits.h"

#include <span>
#include <string_view>

namespace GSM {

template <class Subject, class Action>
struct FamilyRow {
    std::string_view text;
    Nodekin::Condition<Subject> applies;
    Action action; // null: nothing to read
};

// Calls `visit` with each row that applies to `subject`, in table order. Each row's
// condition is asked just before its turn, so it sees what the rows before it learnt.
template <class Subject, class Action, class Visit>
void ForEachApplying(std::span<const FamilyRow<Subject, Action>> rows, const Subject& subject, Visit&& visit)
{
    for (const FamilyRow<Subject, Action>& row : rows)
        if (row.applies(subject))
            visit(row);
}

// The first row that applies to `subject`, or null: for the questions that each family
// asks in its own words, one row per family and a last row for the rest, if any.
template <class Subject, class Action>
const FamilyRow<Subject, Action>* FirstApplying(std::span<const FamilyRow<Subject, Action>> rows,
                                                const Subject& subject)
{
    for (const FamilyRow<Subject, Action>& row : rows)
        if (row.applies(subject))
            return &row;
    return nullptr;
}

} // namespace GSM
