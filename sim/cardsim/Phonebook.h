#pragma once
// The SIM's phonebook ("SM"): numbered entries of a number, its type of address and a name
// of UTF-16 characters, as the SIM keeps them.

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace Cardsim {

struct PhonebookEntry {
    int index = 0;
    std::string number;
    int type = 129; // 145 with '+' in front
    std::u16string name;
};

class Phonebook {
public:
    static constexpr int kCapacity = 100;
    static constexpr std::size_t kNumberLength = 20; // digits, '+' not counted
    static constexpr std::size_t kNameLength = 14;   // characters

    Phonebook() { reset(); }

    int used() const { return static_cast<int>(entries_.size()); }
    bool isIndex(int index) const { return index >= 1 && index <= kCapacity; }
    const PhonebookEntry* find(int index) const;
    std::vector<const PhonebookEntry*> range(int first, int last) const;
    // Writes at `entry.index`, or at the lowest free one when it is 0; the index written,
    // none when the phonebook is full.
    std::optional<int> write(PhonebookEntry entry);
    bool remove(int index) { return entries_.erase(index) > 0; }
    void clear() { entries_.clear(); }
    // The entries a fresh SIM holds.
    void reset();

private:
    std::map<int, PhonebookEntry> entries_;
};

} // namespace Cardsim
