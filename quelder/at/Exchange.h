#pragma once
// Whole command-and-answer exchanges on an AT channel, for the operations that need
// the final result, one number or one line of the answer, or all of its lines. Failures
// are raised as the engine raises them.

#include "quelder/at/Modem.h"

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

namespace GSM {

// Sends `command` and waits for its final result.
void Do(Modem& modem, std::string_view command, std::chrono::milliseconds timeout = Modem::kDefaultAnswerTimeout);

// Sends `command` and returns the first number of its information line after `prefix`;
// then waits for the final result.
int AskInt(Modem& modem, std::string_view command, std::string_view prefix,
           std::chrono::milliseconds timeout = Modem::kDefaultAnswerTimeout);

// Sends `command` and returns its one information line, after `prefix` when one is
// given, without surrounding blanks; then waits for the final result.
std::string AskText(Modem& modem, std::string_view command, std::string_view prefix = {},
                    std::chrono::milliseconds timeout = Modem::kDefaultAnswerTimeout);

// Every information line up to the final result; an "OK" ends the list.
std::vector<std::string> AskLines(Modem& modem, std::string_view command);

} // namespace GSM
