#pragma once
// The values the card's network side is described with: registration states, access
// technologies, operators and cells, with the names the control commands use for them.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace Cardsim {

// Registration states as +CREG and +CGREG report them (3GPP TS 27.007 <stat>).
enum class Registration { notRegistered = 0, home = 1, searching = 2, denied = 3, unknown = 4, roaming = 5 };

inline int statOf(Registration state) { return static_cast<int>(state); }
inline bool isRegistered(Registration state) { return state == Registration::home || state == Registration::roaming; }
// "none", "home", "searching", "denied", "unknown", "roaming".
std::string_view registrationName(Registration state);
std::optional<Registration> registrationFromName(std::string_view name);

// Circuit-switched, packet-switched or both.
enum class Domain { circuit, packet, both };
std::optional<Domain> domainFromName(std::string_view name); // "cs", "ps", "both"

// The radio access the card has on its cell. GSM and GPRS differ in the 2G cell type only.
enum class Technology { gsm, gprs, edge, umts, hsdpa };

struct TechnologyTraits {
    Technology technology;
    std::string_view name;
    int system;          // _TSSYS: 0 GSM/GPRS, 2 UMTS
    int cellType2g;      // _TCTI: 1 GSM, 2 GPRS, 3 EDGE; 0 on 3G
    int cellType3g;      // _TUWCTI: 1 UMTS, 2 HSDPA; 0 on 2G
    int accessTechnology; // +COPS <AcT>: 0 GSM, 2 UTRAN, 3 GSM with EGPRS, 4 UTRAN with HSDPA
};

const TechnologyTraits& traitsOf(Technology technology);
std::optional<Technology> technologyFromName(std::string_view name);
inline bool isUmts(Technology technology) { return traitsOf(technology).system == 2; }

// +COPS formats of an operator's name.
enum class OperatorFormat { longName = 0, shortName = 1, numeric = 2 };

struct OperatorInfo {
    std::string numeric;   // MCC and MNC, 5 or 6 digits: "00101"
    std::string longName;  // "Orvanta Test Net"
    std::string shortName; // "OTN"
    bool home = true;      // the subscriber's home network; else registering there is roaming

    const std::string& name(OperatorFormat format) const;
    bool operator==(const OperatorInfo&) const = default;
};

// 5 or 6 digits.
bool isOperatorNumber(std::string_view text);
// What a quoted AT string can carry: 1 to 32 printable characters, no double quote.
bool isOperatorName(std::string_view text);

// The neutral networks the card knows out of the box: its home network, a roaming partner,
// and 302720, which with a SIM of 302370 makes a virtual home network.
const OperatorInfo& defaultHomeOperator();
const OperatorInfo& defaultRoamingOperator();
const OperatorInfo& defaultVirtualHomeOperator();

struct CellLocation {
    std::uint32_t lac = 0; // location area code, 16 bits
    std::uint32_t ci = 0;  // cell id, up to 28 bits on UMTS
    bool operator==(const CellLocation&) const = default;
};

// Upper-case hexadecimal, at least four digits: "1A2B".
std::string hexOf(std::uint32_t value);

} // namespace Cardsim
