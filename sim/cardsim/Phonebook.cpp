#include "sim/cardsim/Phonebook.h"

namespace Cardsim {

const PhonebookEntry* Phonebook::find(int index) const
{
    const auto found = entries_.find(index);
    return found == entries_.end() ? nullptr : &found->second;
}

std::vector<const PhonebookEntry*> Phonebook::range(int first, int last) const
{
    std::vector<const PhonebookEntry*> out;
    for (auto it = entries_.lower_bound(first); it != entries_.end() && it->first <= last; ++it)
        out.push_back(&it->second);
    return out;
}

std::optional<int> Phonebook::write(PhonebookEntry entry)
{
    if (entry.index == 0) {
        for (int index = 1; index <= kCapacity && entry.index == 0; ++index)
            if (!entries_.contains(index))
                entry.index = index;
        if (entry.index == 0)
            return std::nullopt;
    }
    const int index = entry.index;
    entries_[index] = std::move(entry);
    return index;
}

void Phonebook::reset()
{
    entries_.clear();
    write({1, "+15550001234", 145, u"Help desk"});
    write({2, "5550100", 129, u"Voicemail"});
}

} // namespace Cardsim
