#pragma once
// Whole command-and-answer exchanges on an AT channel, for the operations that only
// need the final result or one number of the answer. Failures are raised as the
// engine raises them.

#include "quelder/at/Modem.h"

#include <chrono>
#include <string_view>

namespace GSM {

// Sends `command` and waits for its final result.
void Do(Modem& modem, std::string_view command, std::chrono::milliseconds timeout = Modem::kDefaultAnswerTimeout);

// Sends `command` and returns the first number of its information line after `prefix`;
// then waits for the final result.
int AskInt(Modem& modem, std::string_view command, std::string_view prefix,
           std::chrono::milliseconds timeout = Modem::kDefaultAnswerTimeout);

} // namespace GSM
