// The generic platform's SIM phonebook operations: setting it up once the SIM is ready,
// its figures, reading, writing and deleting entries.
//
// Texts go to the card in UCS2 on cards that have it (selected before each write); what
// the card answers is read as UCS2 when it decodes as such, as it was written, and as it
// stands otherwise (entries written by other programs in the card's own set).

#include "quelder/platforms/GenericPlatform.h"

#include "quelder/BackendLog.h"
#include "quelder/Device.h"
#include "quelder/at/Exchange.h"
#include "quelder/at/Utf8.h"

#include <cstdlib>
#include <cstring>

namespace GSM {
namespace {

using namespace std::chrono_literals;

constexpr auto kPhonebookListTimeout = 60s;
constexpr std::string_view kEntryPrefix = "+CPBR:";
constexpr std::string_view kWritePrefix = "+CPBW:";

// Copies UTF-8 text into a record's field, cut at a character's start to fit with its NUL.
void CopyCut(const std::string& text, char* field, std::size_t size)
{
    std::size_t length = 0;
    for (std::size_t position = 0; position < text.size();) {
        std::size_t next = position;
        Utf8::Next(text, next);
        if (next + 1 > size)
            break;
        position = next;
        length = position;
    }
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

// A number as it may go between quotes into "AT+CPBW=": dialling digits, "+" in front.
void RequireDialNumber(std::string_view number, int longest)
{
    const std::string_view digits = number.starts_with('+') ? number.substr(1) : number;
    if (digits.empty() || digits.find_first_not_of("0123456789*#") != std::string_view::npos ||
        (longest > 0 && number.size() > static_cast<std::size_t>(longest)))
        Raise(kQdInvalidParameter);
}

} // namespace

QuotedString::Mode GenericPlatform::PhonebookCoding() const noexcept
{
    return features_.ucs2 ? QuotedString::Mode::ucs2 : QuotedString::Mode::plain;
}

std::string GenericPlatform::PhonebookText(const std::string& quoted) const
{
    if (PhonebookCoding() == QuotedString::Mode::ucs2)
        if (std::optional<std::string> text = QuotedString::FromUcs2Hex(quoted))
            return *std::move(text);
    return quoted;
}

void GenericPlatform::SetUpPhonebook(Modem& modem)
{
    Do(modem, "AT+CPBS=\"SM\"");
    PhonebookFigures figures;
    figures.count = PhonebookCountOf(AskText(modem, "AT+CPBS?", "+CPBS:"));
    figures.range = PhonebookRangeOf(AskText(modem, "AT+CPBR=?", "+CPBR:"));
    phonebook_ = figures;
}

void GenericPlatform::EnsurePhonebook(Modem& modem)
{
    if (phonebook_)
        return;
    // The SIM may have been busy when it became ready: the first use sets it up then.
    SetUpPhonebook(modem);
    device_.Set(Value::phonebookInitialized, 1);
}

void GenericPlatform::RefreshPhonebookCount(Modem& modem)
{
    phonebook_->count = PhonebookCountOf(AskText(modem, "AT+CPBS?", "+CPBS:"));
}

QdResult GenericPlatform::InitializePhonebook()
{
    return Run(Needs::initialized, [this](Modem& modem) { SetUpPhonebook(modem); });
}

QdResult GenericPlatform::QdGetPhonebookInfo(int* used, int* total)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(used);
        RequireOutput(total);
        EnsurePhonebook(modem);
        *used = phonebook_->count.used;
        *total = phonebook_->count.total;
    });
}

QdResult GenericPlatform::QdReadPhonebookEntry(int index, QdPhonebookEntry* entry)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(entry);
        EnsurePhonebook(modem);
        if (index < phonebook_->range.first || index > phonebook_->range.last)
            Raise(kQdInvalidParameter);
        modem.Command("AT+CPBR=").AppendInt(index).Send();
        std::optional<PhonebookLine> found;
        for (;;) {
            try {
                const std::string line = modem.RestOfLine();
                modem.EndLine();
                if (!found && line.starts_with(kEntryPrefix))
                    found = PhonebookLineOf(std::string_view(line).substr(kEntryPrefix.size()));
            } catch (const ResultError& error) {
                if (error.code() != kQdUnexpectedFinal)
                    throw;
                break;
            }
        }
        if (!found || found->index != index)
            Raise(kQdNotAvailable); // an empty entry: OK alone
        QdPhonebookEntry result{};
        result.index = found->index;
        result.type = found->type;
        if (found->number.size() >= sizeof result.number)
            Raise(kQdNotAvailable);
        CopyCut(found->number, result.number, sizeof result.number);
        CopyCut(PhonebookText(found->text), result.text, sizeof result.text);
        *entry = result;
    });
}

QdResult GenericPlatform::QdReadAllPhonebookEntries(QdPhonebookEntry** list, int* count)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(list);
        RequireOutput(count);
        *list = nullptr;
        *count = 0;
        EnsurePhonebook(modem);
        RefreshPhonebookCount(modem);
        if (phonebook_->count.used == 0)
            return;
        modem.SetTimeout(kPhonebookListTimeout);
        const std::string command =
            "AT+CPBR=" + std::to_string(phonebook_->range.first) + "," + std::to_string(phonebook_->range.last);
        std::vector<QdPhonebookEntry> entries;
        for (const std::string& line : AskLines(modem, command)) {
            if (!line.starts_with(kEntryPrefix))
                continue;
            try {
                const PhonebookLine fields = PhonebookLineOf(std::string_view(line).substr(kEntryPrefix.size()));
                QdPhonebookEntry entry{};
                entry.index = fields.index;
                entry.type = fields.type;
                if (fields.number.size() >= sizeof entry.number)
                    Raise(kQdNotAvailable);
                CopyCut(fields.number, entry.number, sizeof entry.number);
                CopyCut(PhonebookText(fields.text), entry.text, sizeof entry.text);
                entries.push_back(entry);
            } catch (const ResultError&) {
                xlog(logWarning, "Qd: Skipping unreadable phonebook entry [%s]", line.c_str());
            }
        }
        if (entries.empty())
            return;
        void* block = std::malloc(entries.size() * sizeof(QdPhonebookEntry));
        if (block == nullptr)
            Raise(kQdOutOfMemory);
        std::memcpy(block, entries.data(), entries.size() * sizeof(QdPhonebookEntry));
        *list = static_cast<QdPhonebookEntry*>(block);
        *count = static_cast<int>(entries.size());
    });
}

QdResult GenericPlatform::QdWritePhonebookEntry(const QdPhonebookEntry* entry, int* index)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        RequireOutput(entry);
        RequireOutput(index);
        EnsurePhonebook(modem);
        const std::string_view number(entry->number, strnlen(entry->number, sizeof entry->number));
        const std::string_view text(entry->text, strnlen(entry->text, sizeof entry->text));
        if (number.size() == sizeof entry->number || text.size() == sizeof entry->text)
            Raise(kQdInvalidParameter); // no terminator: not a text
        RequireDialNumber(number, phonebook_->range.numberLength);
        if (entry->index != 0 && (entry->index < phonebook_->range.first || entry->index > phonebook_->range.last))
            Raise(kQdInvalidParameter);
        const QuotedString::Mode coding = PhonebookCoding();
        if (coding == QuotedString::Mode::ucs2)
            Do(modem, "AT+CSCS=\"UCS2\"");
        modem.Command("AT+CPBW=");
        if (entry->index != 0)
            modem.AppendInt(entry->index);
        modem.AppendChar(',').Append(QuotedString(std::string(number))).AppendChar(',');
        modem.AppendInt(number.starts_with('+') ? 145 : 129).AppendChar(',');
        modem.Append(QuotedString(std::string(text), coding));
        modem.Send(coding == QuotedString::Mode::ucs2 ? kSendVerbatim : kSendNormal);
        int written = entry->index;
        for (;;) {
            try {
                Line line(modem.RestOfLine());
                modem.EndLine();
                if (line.HasPrefix(kWritePrefix)) {
                    line.ExpectPrefix(kWritePrefix);
                    written = line.ReadInt();
                }
            } catch (const ResultError& error) {
                if (error.code() != kQdUnexpectedFinal)
                    throw;
                break;
            }
        }
        *index = written;
        RefreshPhonebookCount(modem);
    });
}

QdResult GenericPlatform::QdDeletePhonebookEntry(int index)
{
    return Run(Needs::initialized, [&](Modem& modem) {
        EnsurePhonebook(modem);
        if (index < phonebook_->range.first || index > phonebook_->range.last)
            Raise(kQdInvalidParameter);
        modem.Command("AT+CPBW=").AppendInt(index).Send();
        modem.WaitFinal();
        RefreshPhonebookCount(modem);
    });
}

} // namespace GSM
