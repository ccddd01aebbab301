// The reports the position server makes from the library's records: a TPV per fix cycle
// with what the cycle's sentences said, a SKY per satellite set, the receiver coming and
// going; records made up as the library hands them.

#include "GpsRecordBuilder.h"

#include "PositionFeed.h"
#include "ProtocolReports.h"
#include "SkyAssembler.h"
#include "TpvAssembler.h"

#include "corvane/Enumerations.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace Orvanta::gps {
namespace {

using testing::gga;
using testing::gsa;
using testing::gsv;
using testing::RecordBuilder;
using testing::rmc;
using testing::Sat;
using testing::vtg;

constexpr std::int64_t kAt074213 = (7 * 3600 + 42 * 60 + 13) * 1000;
constexpr const char* kPort = "/dev/pts/6";

std::vector<Json> tpvsOf(TpvAssembler& assembler, const std::vector<RecordBuilder>& records)
{
    std::vector<Json> reports;
    for (const RecordBuilder& record : records)
        for (Json& report : assembler.take(GpsRecord(record.get()), kPort))
            reports.push_back(std::move(report));
    return reports;
}

// One receiver's group of sentences per second, as the card sends them.
std::vector<RecordBuilder> group(std::int64_t time, std::int64_t date, double latitude, bool valid = true,
                                 const std::string& type = "3")
{
    std::vector<RecordBuilder> records;
    records.push_back(gga(time, latitude, 11.5, 520.5, valid));
    records.push_back(gsa(valid ? type : "1", {2, 5}));
    records.push_back(rmc(time, date, latitude, 11.5, 5.4, 110.17, valid));
    records.push_back(vtg(valid ? 5.4 : 0.0));
    return records;
}

TEST(TpvReports, OnePerCycleOnceItsPositionSentencesCame)
{
    TpvAssembler assembler;
    std::vector<RecordBuilder> records = group(kAt074213, 20240615, 48.1172936666667);
    std::vector<RecordBuilder> second = group(kAt074213 + 1000, 20240615, 48.1172);
    std::vector<RecordBuilder> third = group(kAt074213 + 2000, 20240615, 48.1171);
    // The first cycle's TPV goes with its first sentence, before the rest were learnt.
    std::vector<Json> reports = tpvsOf(assembler, records);
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0]["mode"], 3);
    EXPECT_FALSE(reports[0].contains("time")) << reports[0].dump(); // no date had come
    EXPECT_FALSE(reports[0].contains("speed"));

    // From then on, with the cycle's RMC: and only then.
    std::vector<Json> early = tpvsOf(assembler, {second.begin(), second.begin() + 2});
    EXPECT_TRUE(early.empty());
    reports = tpvsOf(assembler, {second.begin() + 2, second.end()});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reportLine(reports[0]), "{\"class\":\"TPV\",\"device\":\"/dev/pts/6\",\"mode\":3,"
                                      "\"time\":\"2024-06-15T07:42:14.000Z\",\"lat\":48.1172,\"lon\":11.5,"
                                      "\"alt\":520.5,\"altMSL\":520.5,\"speed\":1.5,\"track\":110.17}\r\n");
    EXPECT_EQ(tpvsOf(assembler, third).size(), 1u);
}

TEST(TpvReports, PositionKeepsTheDigitsOfTheSentence)
{
    // 4807.03762 N: six decimals must read as the sentence's 48.117294.
    TpvAssembler assembler;
    const double latitude = 48.0 + 7.03762 / 60.0;
    const std::vector<Json> reports = tpvsOf(assembler, {gga(kAt074213, latitude, -(11 + 31.00156 / 60.0), 1)});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0]["lat"].get<double>(), 48.117293667);
    EXPECT_EQ(reports[0]["lon"].get<double>(), -11.516692667);
}

struct ModeCase {
    const char* name;
    bool valid;
    std::string gsaType; // "" for none
    bool withGga;
    int mode;
    bool altitude;
};

class TpvMode : public ::testing::TestWithParam<ModeCase> {};

TEST_P(TpvMode, FollowsTheFixAndItsType)
{
    const ModeCase& c = GetParam();
    TpvAssembler assembler;
    std::vector<RecordBuilder> records;
    // A cycle before, so that the one looked at is known to hold these sentences.
    if (c.withGga)
        records.push_back(gga(kAt074213 - 1000, 48.1, 11.5, 520.5, c.valid));
    records.push_back(rmc(kAt074213 - 1000, 20240615, 48.1, 11.5, 3.6, 90, c.valid));
    if (c.withGga)
        records.push_back(gga(kAt074213, 48.1, 11.5, 520.5, c.valid));
    if (!c.gsaType.empty())
        records.push_back(gsa(c.gsaType, {}));
    records.push_back(rmc(kAt074213, 20240615, 48.1, 11.5, 3.6, 90, c.valid));
    records.push_back(gga(kAt074213 + 1000, 48.1, 11.5, 520.5, true)); // ends the cycle
    const std::vector<Json> reports = tpvsOf(assembler, records);
    ASSERT_EQ(reports.size(), 2u);
    const Json& tpv = reports.back();
    EXPECT_EQ(tpv["time"], "2024-06-15T07:42:13.000Z");
    EXPECT_EQ(tpv["mode"], c.mode) << tpv.dump();
    EXPECT_EQ(tpv.contains("lat"), c.valid) << tpv.dump();
    EXPECT_EQ(tpv.contains("lon"), c.valid);
    EXPECT_EQ(tpv.contains("speed"), c.valid);
    EXPECT_EQ(tpv.contains("alt"), c.altitude) << tpv.dump();
    EXPECT_EQ(tpv.contains("altMSL"), c.altitude);
    if (!c.valid) {
        EXPECT_FALSE(tpv.contains("speed"));
        EXPECT_FALSE(tpv.contains("track"));
    }
}

INSTANTIATE_TEST_SUITE_P(TpvReports, TpvMode,
                         ::testing::Values(ModeCase{"NoFix", false, "1", true, 1, false},
                                           ModeCase{"NoFixWithoutGsa", false, "", true, 1, false},
                                           ModeCase{"Gsa3D", true, "3", true, 3, true},
                                           ModeCase{"Gsa2DHasNoAltitude", true, "2", true, 2, false},
                                           ModeCase{"WithoutGsaAnAltitudeMeans3D", true, "", true, 3, true},
                                           ModeCase{"RmcAloneIs2D", true, "", false, 2, false},
                                           ModeCase{"StaleGsaNoneIsOverruled", true, "1", true, 3, true}),
                         [](const ::testing::TestParamInfo<ModeCase>& info) { return std::string(info.param.name); });

TEST(TpvReports, NoFixStillTellsTheTime)
{
    TpvAssembler assembler;
    std::vector<RecordBuilder> records = group(kAt074213, 20240615, 48.1, false);
    for (RecordBuilder& record : group(kAt074213 + 1000, 20240615, 48.1, false))
        records.push_back(std::move(record));
    const std::vector<Json> reports = tpvsOf(assembler, records);
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reportLine(reports[1]),
              "{\"class\":\"TPV\",\"device\":\"/dev/pts/6\",\"mode\":1,\"time\":\"2024-06-15T07:42:14.000Z\"}\r\n");
}

TEST(TpvReports, ACycleThatLostASentenceGoesOutWhenTheNextBegins)
{
    TpvAssembler assembler;
    tpvsOf(assembler, group(kAt074213, 20240615, 48.1));
    tpvsOf(assembler, group(kAt074213 + 1000, 20240615, 48.2));
    // The RMC of 07:42:15 is lost: its GGA's TPV waits for it until 07:42:16 begins.
    EXPECT_TRUE(tpvsOf(assembler, {gga(kAt074213 + 2000, 48.3, 11.5, 520)}).empty());
    // Then the cycle just begun is taken to hold a GGA alone, as the last one did.
    std::vector<Json> reports = tpvsOf(assembler, {gga(kAt074213 + 3000, 48.4, 11.5, 520)});
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[0]["lat"], 48.3);
    EXPECT_EQ(reports[0]["time"], "2024-06-15T07:42:15.000Z");
    EXPECT_EQ(reports[1]["lat"], 48.4);
    // A receiver that sends GGA alone from now on gets a TPV per GGA.
    reports = tpvsOf(assembler, {gga(kAt074213 + 4000, 48.5, 11.5, 520)});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0]["lat"], 48.5);
    // And one whose RMC comes back gets the RMC's speed again from the cycle after.
    tpvsOf(assembler, {rmc(kAt074213 + 4000, 20240615, 48.5, 11.5, 3.6, 1)});
    reports = tpvsOf(assembler, group(kAt074213 + 5000, 20240615, 48.6));
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0]["speed"], 1.5);
}

TEST(TpvReports, DateMovesOnPastMidnightWithoutAnRmc)
{
    TpvAssembler assembler;
    constexpr std::int64_t lastSecond = 86'399'000;
    tpvsOf(assembler, {gga(lastSecond - 1000, 48.1, 11.5, 520), rmc(lastSecond - 1000, 20241231, 48.1, 11.5, 0, 0),
                       gga(lastSecond, 48.1, 11.5, 520), rmc(lastSecond, 20241231, 48.1, 11.5, 0, 0)});
    tpvsOf(assembler, {gga(0, 48.1, 11.5, 520)});
    const std::vector<Json> reports = tpvsOf(assembler, {gga(1000, 48.1, 11.5, 520)});
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports[0]["time"], "2025-01-01T00:00:00.000Z");
}

TEST(TpvReports, RecordsWithoutTimeOrValidityStillMakeCycles)
{
    // A library before times and validity were published: a cycle ends where a sentence
    // type comes again, and zero coordinates mean no fix.
    auto bare = [](const char* type, double latitude) {
        RecordBuilder record;
        record.real(Corvane::key::gpsLatitude, latitude).real(Corvane::key::gpsLongitude, latitude == 0 ? 0 : 11.5);
        if (std::string(type) == "gga")
            record.real(Corvane::key::gpsAltitude, 500).integer(Corvane::key::gpsSatInUse, 8);
        else
            record.real(Corvane::key::gpsSpeed, 3.6).real(Corvane::key::gpsDirection, 45);
        return record;
    };
    TpvAssembler assembler;
    const std::vector<Json> reports = tpvsOf(
        assembler, {bare("gga", 48.1), bare("rmc", 48.1), bare("gga", 48.2), bare("rmc", 48.2), bare("gga", 0), bare("rmc", 0)});
    ASSERT_EQ(reports.size(), 3u);
    EXPECT_EQ(reports[1]["lat"], 48.2);
    EXPECT_EQ(reports[1]["speed"], 1.0);
    EXPECT_EQ(reports[2]["mode"], 1);
    EXPECT_FALSE(reports[2].contains("lat"));
}

struct TimeCase {
    std::int64_t date;
    std::int64_t milliseconds;
    const char* text;
};

TEST(ProtocolTimes, FixTimesAreIsoUtcWithMilliseconds)
{
    for (const TimeCase& c : {TimeCase{20240615, kAt074213, "2024-06-15T07:42:13.000Z"},
                              TimeCase{20240615, kAt074213 + 250, "2024-06-15T07:42:13.250Z"},
                              TimeCase{20000229, 0, "2000-02-29T00:00:00.000Z"},
                              TimeCase{20161231, 86'400'500, "2016-12-31T23:59:60.500Z"},
                              TimeCase{20230229, 0, ""}, TimeCase{20241301, 0, ""}, TimeCase{0, 0, ""},
                              TimeCase{20240615, -1, ""}, TimeCase{20240615, 86'401'000, ""}})
        EXPECT_EQ(fixTimeText(c.date, c.milliseconds), c.text) << c.date << " " << c.milliseconds;
    EXPECT_EQ(dayAfter(20240229), 20240301);
    EXPECT_EQ(dayAfter(20241231), 20250101);
    EXPECT_EQ(utcTimeText(std::chrono::system_clock::time_point(std::chrono::milliseconds(1718437333123))),
              "2024-06-15T07:42:13.123Z");
}

std::vector<Json> skiesOf(SkyAssembler& assembler, const std::vector<RecordBuilder>& records)
{
    std::vector<Json> reports;
    for (const RecordBuilder& record : records)
        if (auto report = assembler.take(GpsRecord(record.get()), kPort, "2024-06-15T07:42:13.000Z"))
            reports.push_back(std::move(*report));
    return reports;
}

const Sat kSat02{2, 62, 47, 41}, kSat05{5, 18, 312, 29}, kSat07{7, 41, 121, 35}, kSat09{9, 77, 251, 46},
    kSat13{13, 23, 178, 30}, kSat15{15, 9, 84, 0};

TEST(SkyReports, OneWholeSetMakesOneSkyWithTheUsedOnesMarked)
{
    SkyAssembler assembler;
    const std::vector<Json> reports =
        skiesOf(assembler, {gsa("3", {2, 7, 13}), gsv(1, 2, 6, {kSat02, kSat05, kSat07, kSat09}),
                            gsv(2, 2, 6, {kSat13, kSat15})});
    ASSERT_EQ(reports.size(), 1u);
    const Json& sky = reports[0];
    EXPECT_EQ(sky["class"], "SKY");
    EXPECT_EQ(sky["device"], kPort);
    EXPECT_EQ(sky["time"], "2024-06-15T07:42:13.000Z");
    EXPECT_EQ(sky["nSat"], 6);
    EXPECT_EQ(sky["uSat"], 3);
    EXPECT_EQ(sky["hdop"], 1.11);
    EXPECT_EQ(sky["pdop"], 1.96);
    EXPECT_EQ(sky["vdop"], 1.61);
    ASSERT_EQ(sky["satellites"].size(), 6u);
    EXPECT_EQ(sky["satellites"][0].dump(), R"({"PRN":2,"el":62,"az":47,"ss":41,"used":true})");
    EXPECT_EQ(sky["satellites"][1]["used"], false);
    EXPECT_EQ(sky["satellites"][5].dump(), R"({"PRN":15,"el":9,"az":84,"ss":0,"used":false})");
}

TEST(SkyReports, ASetWithAMessageMissingIsNoSet)
{
    SkyAssembler assembler;
    EXPECT_TRUE(skiesOf(assembler, {gsv(1, 3, 9, {kSat02}), gsv(3, 3, 9, {kSat13})}).empty());
    // Coming in at the middle of a set: nothing until a set's first message.
    EXPECT_TRUE(skiesOf(assembler, {gsv(2, 2, 5, {kSat05})}).empty());
    // A set that changes size midway.
    EXPECT_TRUE(skiesOf(assembler, {gsv(1, 2, 5, {kSat02}), gsv(2, 3, 9, {kSat05})}).empty());
    const std::vector<Json> reports = skiesOf(assembler, {gsv(1, 2, 2, {kSat02}), gsv(2, 2, 2, {kSat05})});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0]["nSat"], 2);
}

TEST(SkyReports, DilutionsLeftOutWhenNotSent)
{
    SkyAssembler assembler;
    const std::vector<Json> reports = skiesOf(assembler, {gsa("1", {}, "", "", ""), gsv(1, 1, 1, {kSat02})});
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_FALSE(reports[0].contains("hdop"));
    EXPECT_FALSE(reports[0].contains("pdop"));
    EXPECT_FALSE(reports[0].contains("vdop"));
    EXPECT_EQ(reports[0]["uSat"], 0);
}

RecordBuilder integerNotice(const char* key, long long value)
{
    RecordBuilder record;
    record.integer(key, value);
    return record;
}

std::vector<std::string> eventsOf(PositionFeed& feed, const Notice& notice)
{
    std::vector<std::string> events;
    for (const ServerEvent& event : feed.take(notice)) {
        switch (event.kind) {
        case ServerEvent::Kind::deviceArrived: events.push_back("arrived " + event.device.path + " " + event.device.activated); break;
        case ServerEvent::Kind::deviceGone: events.push_back("gone " + event.device.path); break;
        case ServerEvent::Kind::tpv: events.push_back(event.report.dump()); break;
        case ServerEvent::Kind::sky: events.push_back("sky"); break;
        case ServerEvent::Kind::sentence: events.push_back("sentence " + event.sentence); break;
        }
    }
    return events;
}

TEST(PositionFeed, TheReceiverArrivesOnceItsPortIsKnownAndGoesWithTheCard)
{
    PositionFeed feed([] { return std::chrono::system_clock::time_point(std::chrono::milliseconds(1718437333123)); });
    const Notice support = integerNotice(Corvane::key::gpsSupport, 1).notice(NoticeKind::gpsSupport);
    const Notice port = RecordBuilder().text(Corvane::key::gpsDataPort, kPort).notice(NoticeKind::update);
    const Notice removed = integerNotice(Corvane::key::deviceState, Corvane::devmRemoved).notice(NoticeKind::deviceState);
    const Notice unsupported = integerNotice(Corvane::key::gpsSupport, 0).notice(NoticeKind::gpsSupport);

    EXPECT_TRUE(eventsOf(feed, support).empty());
    EXPECT_EQ(eventsOf(feed, port), std::vector<std::string>{"arrived /dev/pts/6 2024-06-15T07:42:13.123Z"});
    EXPECT_TRUE(eventsOf(feed, port).empty());
    EXPECT_EQ(eventsOf(feed, testing::sentence("$GPGGA,074213.00,,,,,0,00,,,M,,M,,*66").notice()),
              std::vector<std::string>{"sentence $GPGGA,074213.00,,,,,0,00,,,M,,M,,*66"});
    EXPECT_EQ(eventsOf(feed, gga(kAt074213, 48.1, 11.5, 520).notice()).size(), 1u);
    EXPECT_EQ(eventsOf(feed, removed),
              (std::vector<std::string>{"gone /dev/pts/6", R"({"class":"TPV","device":"/dev/pts/6","mode":0})"}));
    EXPECT_TRUE(eventsOf(feed, unsupported).empty());

    // Back, the port told first this time; what was learnt of the fix cycles is forgotten.
    EXPECT_TRUE(eventsOf(feed, port).empty());
    EXPECT_EQ(eventsOf(feed, support).size(), 1u);
    EXPECT_EQ(eventsOf(feed, gga(kAt074213 + 9000, 48.1, 11.5, 520).notice()).size(), 1u);
}

TEST(ProtocolReports, FixedReportsAreAsClientsExpect)
{
    EXPECT_EQ(reportLine(versionReport("1.1")),
              "{\"class\":\"VERSION\",\"release\":\"1.1\",\"rev\":\"1.1\",\"proto_major\":3,\"proto_minor\":14}\r\n");
    EXPECT_EQ(reportLine(devicesReport(std::nullopt)), "{\"class\":\"DEVICES\",\"devices\":[]}\r\n");
    EXPECT_EQ(reportLine(devicesReport(DeviceInfo{kPort, "2024-06-15T07:42:13.123Z"})),
              "{\"class\":\"DEVICES\",\"devices\":[{\"class\":\"DEVICE\",\"path\":\"/dev/pts/6\",\"driver\":\"NMEA0183\","
              "\"activated\":\"2024-06-15T07:42:13.123Z\",\"flags\":1,\"native\":0,\"bps\":115200,\"parity\":\"N\","
              "\"stopbits\":1,\"cycle\":1.0}]}\r\n");
    EXPECT_EQ(reportLine(deviceGoneReport(kPort)), "{\"class\":\"DEVICE\",\"path\":\"/dev/pts/6\",\"activated\":0}\r\n");
    EXPECT_EQ(reportLine(pollReport("2024-06-15T07:42:13.123Z", 0, std::nullopt, std::nullopt)),
              "{\"class\":\"POLL\",\"time\":\"2024-06-15T07:42:13.123Z\",\"active\":0,\"tpv\":[],\"sky\":[]}\r\n");
    // A path that is not UTF-8 does not stop the report.
    EXPECT_EQ(reportLine(errorReport("bad \xff")), "{\"class\":\"ERROR\",\"message\":\"bad \xef\xbf\xbd\"}\r\n");
}

} // namespace
} // namespace Orvanta::gps
