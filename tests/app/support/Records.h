#pragma once
// Middleware records built the way the library builds the ones it hands to callbacks.

#include "corvane/ParameterCallback.h"

#include <cstdint>
#include <memory>

namespace Orvanta::testing {

struct RecordDeleter {
    void operator()(Corvane::CvParameters* record) const;
};
using Record = std::unique_ptr<Corvane::CvParameters, RecordDeleter>;

Record newRecord();
Record withInteger(Record record, const char* key, std::int64_t value);
Record withDouble(Record record, const char* key, double value);
Record withString(Record record, const char* key, const char* text);

} // namespace Orvanta::testing
