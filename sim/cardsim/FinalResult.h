#pragma once
// How an AT command line ends: "OK", "ERROR" or "+CME ERROR: n".

#include <string>

namespace Cardsim {

struct FinalResult {
    enum class Kind { ok, error, cmeError };
    Kind kind = Kind::ok;
    int code = 0; // for cmeError

    static FinalResult ok() { return {Kind::ok, 0}; }
    static FinalResult error() { return {Kind::error, 0}; }
    static FinalResult cme(int code) { return {Kind::cmeError, code}; }
    bool failed() const { return kind != Kind::ok; }
    bool operator==(const FinalResult&) const = default;
};

// Equipment error codes the card uses.
inline constexpr int kCmeOperationNotAllowed = 3;
inline constexpr int kCmeSimNotInserted = 10;
inline constexpr int kCmeSimPinRequired = 11;
inline constexpr int kCmeSimPukRequired = 12;
inline constexpr int kCmeIncorrectPassword = 16;
inline constexpr int kCmeNoNetworkService = 30;
inline constexpr int kCmeIncorrectParameters = 50;

// Extended error reporting (AT+CMEE): 0 reports every error as "ERROR", 1 numerically.
inline constexpr int kCmeeOff = 0;
inline constexpr int kCmeeNumeric = 1;

// The result line as written: "OK", "ERROR", or "+CME ERROR: n" when `errorReporting` is
// numeric (a modem without extended error reporting says only "ERROR").
std::string resultText(const FinalResult& result, int errorReporting);

} // namespace Cardsim
