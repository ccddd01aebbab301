#pragma once
// The rows of the SMS test vectors in tests/data/sms, read at test time.

#include <map>
#include <string>
#include <vector>

namespace SMS::testing {

struct PduVector {
    std::string pdu;
    std::string number;
    std::string text;
    std::map<std::string, std::string> notes; // "key=value" fields of the notes column
    std::string id;
    bool negative = false;
    bool encoderVector = false;

    std::string Note(const std::string& key) const;
};

struct PackingVector {
    std::string septets; // hex
    std::string packed;  // hex
    int bitOffset = 0;
    std::string notes;
};

std::vector<PduVector> LoadPduVectors();
std::vector<PackingVector> LoadPackingVectors();

// The TPDU length a card would report with the PDU: what follows the service centre.
int TpduLengthOf(const std::string& pdu);
std::string Hex(const std::vector<unsigned char>& octets);

} // namespace SMS::testing
