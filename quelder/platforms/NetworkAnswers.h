#pragma once
// What the network operations make of the card's answers, as functions of the answer
// text after the command's prefix. A malformed answer raises kQdNotAvailable.

#include "quelder/unsolicited/UnsolicitedFields.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace GSM {

// One network as the client's 64-byte record holds it (the entries of QdScanNetworks
// and the record of QdGetNetworkInformation): the operator code as a number at 0, the
// +COPS state (0 unknown, 1 available, 2 current, 3 forbidden) at 4, the long name at 8
// (33 bytes with its NUL), the short name at 41 (19 bytes), the technology at 60 (0 not
// known, 1 2G, 2 3G).
struct NetworkEntry {
    int mccMnc = 0;
    int state = 0;
    std::string longName;
    std::string shortName;
    int technology = 0;
    bool operator==(const NetworkEntry&) const = default;
};
inline constexpr std::size_t kNetworkEntrySize = 64;
// Writes `entry` into the 64 bytes at `record`; names too long are cut at a character.
void WriteNetworkEntry(const NetworkEntry& entry, void* record) noexcept;

// The +COPS access technology (3GPP TS 27.007: 0 GSM, 1 GSM compact, 2 UTRAN, 3 EGPRS,
// 4 HSDPA, 5 HSUPA, 6 HSDPA and HSUPA, 7 E-UTRAN) as the record's technology: 2G for 0,
// 1 and 3, 3G for 2 and 4 to 6, not known otherwise (E-UTRAN included: the client
// knows no such technology).
int NetworkTechnologyOf(std::optional<int> accessTechnology) noexcept;

// +COPS: 2,"Test Network","TestNet","00101",2),(1,...),,(0,1,2,3,4),(0,1,2) - the
// answer to "AT+COPS=?": one group per operator (state, long name, short name, numeric
// code, access technology when given), then, after an empty field, the modes and
// formats the card takes, which are not operators.
std::vector<NetworkEntry> OperatorListOf(std::string_view answer);

// +COPS: 0,2,"00101",2 - the answer to "AT+COPS?": the selection mode, then, while the
// card is registered, the format of the name, the name and the access technology. A card
// that is not registered answers the mode alone.
struct CurrentOperator {
    int mode = 0;
    std::optional<int> format;
    std::string name;
    std::optional<int> accessTechnology;
};
CurrentOperator CurrentOperatorOf(std::string_view answer);

// +ZPAS: "HSDPA","CS_PS" - the ZTE card's cell: GPRS and EDGE as 2G cell types 2 and 3,
// UMTS, HSDPA and HSUPA as 3G cell types 1 to 3; anything else (no service, GSM alone)
// as no such cell.
CellTypes CellTypesOfZpas(std::string_view answer);

// _TPBM: "GSM900",1 - one line of the answer to "AT_TPBM?" per band the card offers,
// with 1 for the bands it uses.
struct BandState {
    std::string name;
    bool enabled = false;
};
BandState BandStateOf(std::string_view answer);

} // namespace GSM
