#include "tests/quelder/sms/SmsVectors.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace SMS::testing {
namespace {

std::string dataPath(const char* file) { return std::string(ORVANTA_TEST_DATA_DIR) + "/sms/" + file; }

std::vector<std::vector<std::string>> readTable(const char* file)
{
    std::ifstream in(dataPath(file));
    if (!in)
        throw std::runtime_error(std::string("cannot open ") + dataPath(file));
    std::vector<std::vector<std::string>> rows;
    std::string line;
    std::getline(in, line); // the header row
    while (std::getline(in, line)) {
        if (line.empty())
            continue;
        std::vector<std::string> columns;
        std::stringstream fields(line);
        std::string field;
        while (std::getline(fields, field, '\t'))
            columns.push_back(field);
        columns.resize(4);
        rows.push_back(std::move(columns));
    }
    return rows;
}

std::string unescape(const std::string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        switch (text[++i]) {
        case 't': out += '\t'; break;
        case 'r': out += '\r'; break;
        case 'n': out += '\n'; break;
        default: out += text[i]; break;
        }
    }
    return out;
}

std::string trim(const std::string& text)
{
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

} // namespace

std::string PduVector::Note(const std::string& key) const
{
    const auto found = notes.find(key);
    return found == notes.end() ? std::string() : found->second;
}

std::vector<PduVector> LoadPduVectors()
{
    std::vector<PduVector> vectors;
    for (const auto& row : readTable("pdus.tsv")) {
        PduVector vector;
        vector.pdu = row[0];
        vector.number = unescape(row[1]);
        vector.text = unescape(row[2]);
        const std::string notes = unescape(row[3]);
        std::stringstream fields(notes);
        std::string field;
        while (std::getline(fields, field, ';')) {
            field = trim(field);
            const auto equals = field.find('=');
            if (equals != std::string::npos && field.find(' ') > equals)
                vector.notes[field.substr(0, equals)] = field.substr(equals + 1);
        }
        vector.id = vector.Note("id");
        vector.negative = notes.find("NEGATIVE") != std::string::npos;
        vector.encoderVector = vector.id.rfind("create-", 0) == 0;
        vectors.push_back(std::move(vector));
    }
    return vectors;
}

std::vector<PackingVector> LoadPackingVectors()
{
    std::vector<PackingVector> vectors;
    for (const auto& row : readTable("gsm7_packing.tsv"))
        vectors.push_back({row[0], row[1], std::stoi(row[2]), row[3]});
    return vectors;
}

int TpduLengthOf(const std::string& pdu)
{
    if (pdu.size() < 2)
        return 0;
    return static_cast<int>(pdu.size() / 2) - std::stoi(pdu.substr(0, 2), nullptr, 16) - 1;
}

std::string Hex(const std::vector<unsigned char>& octets)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string hex;
    for (const unsigned char octet : octets) {
        hex += kDigits[octet >> 4];
        hex += kDigits[octet & 0x0F];
    }
    return hex;
}

} // namespace SMS::testing
