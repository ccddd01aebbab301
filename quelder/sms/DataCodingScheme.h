#pragma once
// The data coding scheme octet (3GPP TS 23.038, 4): the message class and the alphabet
// of a received message, and the octet of one being sent.

#include <cstdint>

namespace SMS {

struct DataCoding {
    int messageClass = 0; // 0 none, 1 to 4 for classes 0 to 3
    int coding = 0;       // Coding
    bool cdma7bit = false;
};

DataCoding ClassifyDataCoding(std::uint8_t dcs);
// `messageClass` 0 none, 1 to 4 for classes 0 to 3.
std::uint8_t SubmitDataCoding(int messageClass, int coding) noexcept;

} // namespace SMS
