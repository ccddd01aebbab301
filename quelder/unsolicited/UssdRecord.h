#pragma once
// The buffer of event 21, which the client releases with QdFreeMemory.

#include "quelder/Quelder.h"

#include <string_view>

namespace GSM {

// From the heap QdFreeMemory releases; kQdOutOfMemory is raised when there is none.
// `text` (UTF-8) is cut to fit at the start of a character.
QdUssdMessage* NewUssdRecord(int status, std::string_view text);

} // namespace GSM
