#include "tests/app/support/Records.h"

#include "corvane/Corvane.h"

namespace Orvanta::testing {

void RecordDeleter::operator()(Corvane::CvParameters* record) const { Corvane::deleteParameters(record); }

Record newRecord() { return Record(Corvane::newParameters()); }

Record withInteger(Record record, const char* key, std::int64_t value)
{
    Corvane::setInteger(record.get(), key, value);
    return record;
}

Record withDouble(Record record, const char* key, double value)
{
    Corvane::setDouble(record.get(), key, value);
    return record;
}

Record withString(Record record, const char* key, const char* text)
{
    Corvane::setString(record.get(), key, text);
    return record;
}

} // namespace Orvanta::testing
