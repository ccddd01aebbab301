#include "quelder/unsolicited/UssdRecord.h"

#include <cstdlib>
#include <cstring>

namespace GSM {
namespace {

bool ContinuesCharacter(char c) noexcept { return (static_cast<unsigned char>(c) & 0xC0u) == 0x80u; }

} // namespace

QdUssdMessage* NewUssdRecord(int status, std::string_view text)
{
    auto* record = static_cast<QdUssdMessage*>(std::calloc(1, sizeof(QdUssdMessage)));
    if (record == nullptr)
        Raise(kQdOutOfMemory);
    record->status = status;
    std::size_t length = std::min(text.size(), sizeof record->text);
    while (length > 0 && length < text.size() && ContinuesCharacter(text[length]))
        --length;
    std::memcpy(record->text, text.data(), length);
    record->terminator = 0;
    return record;
}

} // namespace GSM
