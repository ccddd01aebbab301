#pragma once
// The messages a card hands over on its own: "+CMTI:" (a message stored at an index),
// and "+CMT:" and "+CDS:" with the PDU itself joined to them (a message that is not
// stored, and a status report).

#include "quelder/QdResult.h"
#include "quelder/at/Line.h"

#include <string>

namespace GSM {

class Device;

// "+CMT: ,23;<pdu>" or "+CMT: \"alpha\",23;<pdu>", after the prefix; "+CDS: 25;<pdu>".
struct PduReport {
    int tpduLength = 0;
    std::string pdu;
};
PduReport ReadDeliveredReport(Line& line, bool ndisCard);
PduReport ReadStatusReport(Line& line);

enum class TemporaryKind { delivered, statusReport };
// Decodes the PDU and tells the client: event 16 with the message record, or event 17
// with the status report record. The decoder's code when it does not decode.
QdResult ProcessTemporaryMessage(Device& device, const PduReport& report, TemporaryKind kind);

} // namespace GSM
