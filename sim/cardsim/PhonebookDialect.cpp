// The dialect's rows for the SIM's phonebook (3GPP TS 27.007: +CPBS, +CPBR, +CPBW) and the
// character set its names travel in (+CSCS): "IRA" and "GSM" as printable ASCII, "UCS2" as
// four hex digits per UTF-16 unit. Numbers travel as they are in every character set.

#include "sim/cardsim/CardState.h"
#include "sim/cardsim/Dialect.h"
#include "sim/cardsim/RowSupport.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cctype>

namespace Cardsim {
namespace {

constexpr std::string_view kCharacterSets[] = {"GSM", "IRA", "UCS2"};
constexpr int kTypeWithPlus = 145;
constexpr int kTypePlain = 129;

Phonebook& phonebookOf(CommandContext& context)
{
    assert(context.card != nullptr && "phonebook rows in a session without a card state");
    return context.card->phonebook();
}

bool ucs2(const CommandContext& context) { return context.session.characterSet == "UCS2"; }

bool isPlainCharacter(char32_t c) { return c >= 0x20 && c < 0x7F && c != '"'; }

std::string nameText(const CommandContext& context, std::u16string_view name)
{
    std::string out;
    for (const char16_t unit : name) {
        if (ucs2(context)) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += kHex[unit >> shift & 0x0F];
        } else {
            // A character the set does not have reads as '?', as on a SIM read in it.
            out += isPlainCharacter(unit) ? static_cast<char>(unit) : '?';
        }
    }
    return out;
}

std::optional<std::u16string> nameOf(const CommandContext& context, std::string_view text)
{
    std::u16string name;
    if (!ucs2(context)) {
        if (!std::all_of(text.begin(), text.end(), [](char c) { return isPlainCharacter(static_cast<unsigned char>(c)); }))
            return std::nullopt;
        return std::u16string(text.begin(), text.end());
    }
    if (text.size() % 4 != 0)
        return std::nullopt;
    for (std::size_t i = 0; i < text.size(); i += 4) {
        char16_t unit = 0;
        for (std::size_t k = 0; k < 4; ++k) {
            const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(text[i + k])));
            const auto digit = std::string_view("0123456789ABCDEF").find(c);
            if (digit == std::string_view::npos)
                return std::nullopt;
            unit = static_cast<char16_t>(unit << 4 | digit);
        }
        name += unit;
    }
    return name;
}

// Phonebook storage: the SIM's is the only one -----------------------------------------------

FinalResult readStorage(CommandContext& context, std::string_view)
{
    return answer(context, "+CPBS: \"SM\"," + std::to_string(phonebookOf(context).used()) + "," +
                               std::to_string(Phonebook::kCapacity));
}

FinalResult selectPhonebook(CommandContext&, std::string_view arguments)
{
    const auto list = splitArguments(arguments);
    if (!list || list->size() != 1 || !(*list)[0].quoted)
        return badParameter();
    return (*list)[0].text == "SM" ? FinalResult::ok() : FinalResult::cme(kCmeOperationNotSupported);
}

FinalResult testPhonebookStorage(CommandContext& context, std::string_view) { return answer(context, "+CPBS: (\"SM\")"); }

// Entries ------------------------------------------------------------------------------------

std::string entryLine(const CommandContext& context, const PhonebookEntry& entry)
{
    return "+CPBR: " + std::to_string(entry.index) + "," + inQuotes(entry.number) + "," + std::to_string(entry.type) +
           "," + inQuotes(nameText(context, entry.name));
}

// AT+CPBR=<index>[,<last>]: the entries there are in the range, none an empty answer.
FinalResult readEntries(CommandContext& context, std::string_view arguments)
{
    const auto list = splitArguments(arguments);
    if (!list || list->empty() || list->size() > 2)
        return badParameter();
    const auto first = numberAt(*list, 0, 1, Phonebook::kCapacity);
    const auto last = list->size() == 2 ? numberAt(*list, 1, first.value_or(1), Phonebook::kCapacity) : first;
    if (!first || !last)
        return FinalResult::cme(kCmeInvalidIndex);
    for (const PhonebookEntry* entry : phonebookOf(context).range(*first, *last))
        context.lines.push_back(entryLine(context, *entry));
    return FinalResult::ok();
}

FinalResult testEntries(CommandContext& context, std::string_view)
{
    return answer(context, "+CPBR: (1-" + std::to_string(Phonebook::kCapacity) + ")," +
                               std::to_string(Phonebook::kNumberLength) + "," + std::to_string(Phonebook::kNameLength));
}

// What a number may hold: digits, '*', '#', a '+' in front.
FinalResult checkNumber(std::string_view number)
{
    const std::string_view digits = number.starts_with('+') ? number.substr(1) : number;
    if (digits.find_first_not_of("0123456789*#") != std::string_view::npos)
        return FinalResult::cme(kCmeInvalidNumberCharacters);
    if (digits.size() > Phonebook::kNumberLength)
        return FinalResult::cme(kCmeNumberTooLong);
    return FinalResult::ok();
}

// AT+CPBW=<index>: deletes; AT+CPBW=[<index>],"<number>"[,<type>[,"<text>"]]: writes, at
// the first free entry without an index.
FinalResult writeEntry(CommandContext& context, std::string_view arguments)
{
    const auto list = splitArguments(arguments);
    if (!list || list->empty() || list->size() > 4)
        return badParameter();
    const AtArgument& where = (*list)[0];
    std::optional<int> index;
    if (!where.text.empty() || where.quoted) {
        index = numberAt(*list, 0, 1, Phonebook::kCapacity);
        if (!index)
            return FinalResult::cme(kCmeInvalidIndex);
    }
    Phonebook& phonebook = phonebookOf(context);
    if (list->size() == 1) {
        if (!index)
            return badParameter();
        phonebook.remove(*index);
        return FinalResult::ok();
    }
    const AtArgument& number = (*list)[1];
    if (!number.quoted)
        return badParameter();
    if (const FinalResult checked = checkNumber(number.text); checked.failed())
        return checked;
    int type = number.text.starts_with('+') ? kTypeWithPlus : kTypePlain;
    if (list->size() >= 3 && !(*list)[2].text.empty()) {
        const auto given = numberAt(*list, 2, 128, 255);
        if (!given)
            return badParameter();
        type = *given;
    }
    std::u16string name;
    if (list->size() == 4) {
        const auto decoded = nameOf(context, (*list)[3].text);
        if (!(*list)[3].quoted || !decoded)
            return FinalResult::cme(kCmeInvalidTextCharacters);
        if (decoded->size() > Phonebook::kNameLength)
            return FinalResult::cme(kCmeTextTooLong);
        name = *decoded;
    }
    if (!phonebook.write({index.value_or(0), number.text, type, std::move(name)}))
        return FinalResult::cme(kCmeMemoryFull);
    return FinalResult::ok();
}

FinalResult testWriteEntry(CommandContext& context, std::string_view)
{
    return answer(context, "+CPBW: (1-" + std::to_string(Phonebook::kCapacity) + ")," +
                               std::to_string(Phonebook::kNumberLength) + ",(129,145)," +
                               std::to_string(Phonebook::kNameLength));
}

// Character set ------------------------------------------------------------------------------

FinalResult setCharacterSet(CommandContext& context, std::string_view arguments)
{
    const auto list = splitArguments(arguments);
    if (!list || list->size() != 1 || !(*list)[0].quoted)
        return badParameter();
    const auto known = std::find(std::begin(kCharacterSets), std::end(kCharacterSets), (*list)[0].text);
    if (known == std::end(kCharacterSets))
        return FinalResult::cme(kCmeOperationNotSupported);
    context.session.characterSet = *known;
    return FinalResult::ok();
}

FinalResult readCharacterSet(CommandContext& context, std::string_view)
{
    return answer(context, "+CSCS: " + inQuotes(context.session.characterSet));
}

FinalResult testCharacterSet(CommandContext& context, std::string_view)
{
    return answer(context, "+CSCS: (\"GSM\",\"IRA\",\"UCS2\")");
}

const std::array kPhonebookCommandRows{
    CommandRow{"AT+CPBS?", fromReadySim<readStorage>},
    CommandRow{"AT+CPBS=", fromReadySim<selectPhonebook>},
    CommandRow{"AT+CPBS=?", testPhonebookStorage},
    CommandRow{"AT+CPBR=", fromReadySim<readEntries>},
    CommandRow{"AT+CPBR=?", fromReadySim<testEntries>},
    CommandRow{"AT+CPBW=", fromReadySim<writeEntry>},
    CommandRow{"AT+CPBW=?", fromReadySim<testWriteEntry>},
    CommandRow{"AT+CSCS=", setCharacterSet},
    CommandRow{"AT+CSCS?", readCharacterSet},
    CommandRow{"AT+CSCS=?", testCharacterSet},
};

} // namespace

std::span<const CommandRow> phonebookCommandRows() { return kPhonebookCommandRows; }

} // namespace Cardsim
