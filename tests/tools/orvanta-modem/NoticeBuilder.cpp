#include "NoticeBuilder.h"

#include "corvane/Corvane.h"

#include <stdexcept>

namespace Orvanta::modem::testing {
namespace {

client::Record newRecord()
{
    client::Record record(Corvane::newParameters());
    if (!record)
        throw std::bad_alloc();
    return record;
}

void put(Corvane::CvParameters* record, const Value& value)
{
    if (const auto* number = std::get_if<std::int64_t>(&value.value))
        Corvane::setInteger(record, value.key, *number);
    else
        Corvane::setString(record, value.key, std::get<std::string>(value.value).c_str());
}

} // namespace

client::Notice noticeOf(client::NoticeKind kind, std::initializer_list<Value> values)
{
    client::Record record = newRecord();
    for (const Value& value : values)
        put(record.get(), value);
    return client::Notice{kind, std::move(record), client::Clock::now()};
}

client::Notice request(Corvane::PinKind kind, std::int64_t pinCount, std::int64_t pukCount)
{
    return noticeOf(client::NoticeKind::enterPin,
                    {{Corvane::key::pinKind, kind}, {Corvane::key::pinCount, pinCount}, {Corvane::key::pukCount, pukCount}});
}

client::Notice scanResult(const std::vector<client::FoundNetwork>& networks)
{
    client::Record scan = newRecord();
    int index = 0;
    for (const client::FoundNetwork& network : networks) {
        client::Record entry = newRecord();
        put(entry.get(), {Corvane::key::mccmnc, network.mccmnc});
        put(entry.get(), {Corvane::key::networkState, network.state});
        put(entry.get(), {Corvane::key::networkTechnology, network.technology});
        put(entry.get(), {Corvane::key::longNetworkName, network.longName});
        put(entry.get(), {Corvane::key::shortNetworkName, network.shortName});
        Corvane::setArrayItem(scan.get(), Corvane::key::list, index++, entry.get());
    }
    client::Notice notice = noticeOf(client::NoticeKind::networkScan, {{Corvane::key::networkScanActive, 0}});
    Corvane::setDictionary(notice.record.get(), Corvane::key::list, scan.get());
    return notice;
}

} // namespace Orvanta::modem::testing
