#pragma once
// The client's parameter record: a magic word that lets every client function tell a
// record from a stray pointer, and the dictionary it carries. Records that clients own
// live in malloc'd memory; the library builds its own ones (for callbacks) anywhere.

#include "corvane/ParameterCallback.h"
#include "corvane/types/Dictionary.h"

#include <array>

namespace Corvane {

struct CvParameters {
    static constexpr std::array<char, 4> recordMagic{'d', 'i', 'c', 't'};

    explicit CvParameters(Dictionary values = {}) noexcept : dictionary(std::move(values)) {}
    // A stale pointer to a released record must fail the magic check.
    ~CvParameters() { magic.fill('\0'); }
    CvParameters(const CvParameters&) = delete;
    CvParameters& operator=(const CvParameters&) = delete;

    std::array<char, 4> magic = recordMagic; // first, so a check reads only these bytes
    Dictionary dictionary;
};

namespace record {

// The record behind `pointer`, or null when it is null or lacks the magic.
const CvParameters* checked(const CvParameters* pointer) noexcept;
CvParameters* checked(CvParameters* pointer) noexcept;

// A client-owned record in malloc'd memory; null when memory runs out.
CvParameters* allocate(Dictionary values) noexcept;
// Ends a record made by allocate.
void release(CvParameters* record) noexcept;

} // namespace record

} // namespace Corvane
