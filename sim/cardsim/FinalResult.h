#pragma once
// How an AT command line ends: "OK", "ERROR", "+CME ERROR: n" or "+CMS ERROR: n".

#include <string>

namespace Cardsim {

struct FinalResult {
    enum class Kind { ok, error, cmeError, cmsError };
    Kind kind = Kind::ok;
    int code = 0; // for cmeError and cmsError

    static FinalResult ok() { return {Kind::ok, 0}; }
    static FinalResult error() { return {Kind::error, 0}; }
    static FinalResult cme(int code) { return {Kind::cmeError, code}; }
    static FinalResult cms(int code) { return {Kind::cmsError, code}; }
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
// The phonebook's.
inline constexpr int kCmeOperationNotSupported = 4;
inline constexpr int kCmeMemoryFull = 20;
inline constexpr int kCmeInvalidIndex = 21;
inline constexpr int kCmeTextTooLong = 24;
inline constexpr int kCmeInvalidTextCharacters = 25;
inline constexpr int kCmeNumberTooLong = 26;
inline constexpr int kCmeInvalidNumberCharacters = 27;

// Message service error codes (3GPP TS 27.005) the card uses.
inline constexpr int kCmsOperationNotAllowed = 302;
inline constexpr int kCmsOperationNotSupported = 303;
inline constexpr int kCmsInvalidPduParameter = 304;
inline constexpr int kCmsSimNotInserted = 310;
inline constexpr int kCmsSimPinRequired = 311;
inline constexpr int kCmsSimPukRequired = 316;
inline constexpr int kCmsInvalidMemoryIndex = 321;
inline constexpr int kCmsMemoryFull = 322;
inline constexpr int kCmsNoNetworkService = 331;

// Extended error reporting (AT+CMEE): 0 reports every error as "ERROR", 1 numerically.
inline constexpr int kCmeeOff = 0;
inline constexpr int kCmeeNumeric = 1;

// The result line as written: "OK", "ERROR", or "+CME ERROR: n" when `errorReporting` is
// numeric (a modem without extended error reporting says only "ERROR"). Message service
// errors are always "+CMS ERROR: n", whatever AT+CMEE says, as message commands report them.
std::string resultText(const FinalResult& result, int errorReporting);

} // namespace Cardsim
