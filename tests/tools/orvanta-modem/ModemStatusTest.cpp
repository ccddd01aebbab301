// What orvanta-modem shows of the card after a sequence of notices: the status lines, the
// status object, the networks of a scan, that no code reaches a watch's output, and the
// scan's progress.

#include "ModemReport.h"
#include "ModemView.h"
#include "NoticeBuilder.h"
#include "ScanProgress.h"

#include "corvane/Enumerations.h"
#include "corvane/ErrorCode.h"
#include "corvane/Keys.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace Orvanta::modem {
namespace {

using client::NoticeKind;
using testing::noticeOf;
using testing::request;
namespace key = Corvane::key;

client::Notice device(Corvane::DeviceState state)
{
    return noticeOf(NoticeKind::deviceState, {{key::deviceState, state}, {key::deviceId, 0}});
}

client::Notice networkInfo(std::int64_t mccmnc, const char* longName, const char* shortName, std::int64_t technology)
{
    return noticeOf(NoticeKind::update, {{key::mccmnc, mccmnc},
                                         {key::longNetworkName, longName},
                                         {key::shortNetworkName, shortName},
                                         {key::networkTechnology, technology}});
}

struct SimRow {
    const char* name;
    std::vector<std::function<client::Notice()>> notices;
    const char* line;
    SimStatus status;
};

class SimLines : public ::testing::TestWithParam<SimRow> {};

TEST_P(SimLines, FollowTheNotices)
{
    ModemView view;
    for (const auto& make : GetParam().notices)
        view.take(make());
    EXPECT_EQ(view.simStatus(), GetParam().status);
    EXPECT_EQ(simLine(view), GetParam().line);
}

const auto initialised = [] { return device(Corvane::devmInitialised); };

INSTANTIATE_TEST_SUITE_P(
    Sequences, SimLines,
    ::testing::Values(
        SimRow{"NothingYet", {}, "sim: unknown", SimStatus::unknown},
        SimRow{"CardWithoutLock", {initialised}, "sim: ready", SimStatus::ready},
        SimRow{"PinAskedFor",
               {initialised, [] { return noticeOf(NoticeKind::pinState, {{key::pinState, Corvane::pmMissing}}); },
                [] { return request(Corvane::cPinKindPinRequired, 3, 10); }},
               "sim: PIN needed, 3 attempts left",
               SimStatus::pinNeeded},
        SimRow{"PinAccepted",
               {initialised, [] { return request(Corvane::cPinKindPinRequired, 3, 10); },
                [] { return noticeOf(NoticeKind::pinState, {{key::pinState, Corvane::pmAccepted}}); }},
               "sim: ready",
               SimStatus::ready},
        SimRow{"PukAskedFor", {initialised, [] { return request(Corvane::cPinKindPukRequired, 0, 10); }},
               "sim: PUK needed, 10 attempts left", SimStatus::pukNeeded},
        SimRow{"NoPukAttemptsLeft", {initialised, [] { return request(Corvane::cPinKindPukRequired, 0, 0); }},
               "sim: blocked", SimStatus::blocked},
        SimRow{"NoSim", {[] { return device(Corvane::devmSimMissing); }}, "sim: missing", SimStatus::missing},
        SimRow{"NoSimByError",
               {initialised, [] { return noticeOf(NoticeKind::traitError, {{key::lastError, Corvane::cErrorSimMissing}}); }},
               "sim: missing",
               SimStatus::missing},
        SimRow{"BlockedDevice", {[] { return device(Corvane::devmSimBlocked); }}, "sim: blocked", SimStatus::blocked},
        SimRow{"Pin2AskedFor", {initialised, [] { return request(Corvane::cPinKindPin2Required, 3, 10); }},
               "sim: code needed", SimStatus::otherCodeNeeded}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Status, LinesOfARegisteredCard)
{
    ModemView view;
    for (const client::Notice& notice :
         {device(Corvane::devmInitialised), noticeOf(NoticeKind::update, {{key::pinMode, 1}}),
          noticeOf(NoticeKind::flightMode, {{key::radioState, Corvane::cRadioOn}}),
          noticeOf(NoticeKind::registration, {{key::registrationState, Corvane::rmComplete}}),
          networkInfo(101, "Orvanta Test Net", "OTN", Corvane::cPsTechnology3G),
          noticeOf(NoticeKind::update, {{key::signalStrength, 20}, {key::wcdmaSignalStrength, 4}})})
        view.take(notice);
    EXPECT_EQ(statusLines(view), (std::vector<std::string>{
                                     "device: initialised", "sim: ready", "pin lock: on", "radio: on",
                                     "registration: home", "operator: Orvanta Test Net (OTN)",
                                     "mccmnc: 00101 (MCC 001, MNC 01)", "technology: umts", "signal: 20 (-73 dBm)"}));
    EXPECT_EQ(statusJson(view).dump(),
              R"({"device":"initialised","longName":"Orvanta Test Net","mcc":"001","mccmnc":"00101","mnc":"01",)"
              R"("pinLock":true,"radio":"on","registration":"home","shortName":"OTN","signal":20,"sim":"ready",)"
              R"("technology":"umts"})");
}

TEST(Status, ForgetsTheOperatorWhenTheCardLeavesIt)
{
    // Off the network the card reports code 0 and no names; the old names must not stay.
    ModemView view;
    view.take(networkInfo(302720, "Orvanta Partner North", "OPN", Corvane::cPsTechnology2G));
    view.take(noticeOf(NoticeKind::update, {{key::mccmnc, 0}}));
    view.take(noticeOf(NoticeKind::flightMode, {{key::radioState, Corvane::cRadioOff}}));
    const std::vector<std::string> lines = statusLines(view);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "operator: none"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "radio: off"), lines.end());
    EXPECT_FALSE(statusJson(view).contains("longName"));
}

TEST(Status, ObjectCarriesTheAttemptsOfAnOpenRequest)
{
    ModemView view;
    view.take(device(Corvane::devmInitialised));
    view.take(request(Corvane::cPinKindPinRequired, 3, 10));
    const nlohmann::json status = statusJson(view);
    EXPECT_EQ(status["sim"], "PIN needed");
    EXPECT_EQ(status["pinCount"], 3);
    EXPECT_EQ(status["pukCount"], 10);
}

struct CodeRow {
    std::int64_t number;
    std::optional<std::string> text;
};

class OperatorCodes : public ::testing::TestWithParam<CodeRow> {};

TEST_P(OperatorCodes, AreWrittenWithTheirLeadingZeros)
{
    EXPECT_EQ(client::mccmncText(GetParam().number), GetParam().text);
    if (GetParam().text) {
        EXPECT_EQ(client::mccmncNumber(*GetParam().text), GetParam().number);
    }
}

INSTANTIATE_TEST_SUITE_P(Codes, OperatorCodes,
                         ::testing::Values(CodeRow{101, "00101"}, CodeRow{102, "00102"}, CodeRow{26201, "26201"},
                                           CodeRow{302720, "302720"}, CodeRow{999999, "999999"},
                                           CodeRow{0, "00000"}, CodeRow{-1, std::nullopt},
                                           CodeRow{1000000, std::nullopt}));

TEST(OperatorCodes, MccAndMncAreSplitAfterThreeDigits)
{
    EXPECT_EQ(mccmncLine(101), "00101 (MCC 001, MNC 01)");
    EXPECT_EQ(mccmncLine(302720), "302720 (MCC 302, MNC 720)");
}

TEST(Signal, ReadsTheCardsScale)
{
    EXPECT_EQ(signalText(0), "0 (-113 dBm)");
    EXPECT_EQ(signalText(31), "31 (-51 dBm)");
    EXPECT_EQ(signalText(99), "none");
    EXPECT_EQ(signalText(32), "unknown");
    EXPECT_EQ(signalText(-1), "unknown");
}

TEST(Networks, OfAScanAreListedInTheCardsOrder)
{
    const std::vector<client::FoundNetwork> found{{101, Corvane::cNetworkStateCurrent, 2, "Orvanta Test Net", "OTN"},
                                                  {102, Corvane::cNetworkStateAvailable, 1, "Orvanta Roaming Partner", "ORP"},
                                                  {302720, Corvane::cNetworkStateForbidden, 0, "", "OPN"}};
    const client::Notice notice = testing::scanResult(found);
    EXPECT_EQ(client::foundNetworks(notice), found);
    std::vector<std::string> lines;
    for (const client::FoundNetwork& network : client::foundNetworks(notice))
        lines.push_back(networkLine(network));
    EXPECT_EQ(lines, (std::vector<std::string>{"00101   current    umts     Orvanta Test Net (OTN)",
                                               "00102   available  gsm      Orvanta Roaming Partner (ORP)",
                                               "302720  forbidden  unknown  OPN"}));
    EXPECT_EQ(networkJson(found[0]).dump(), R"({"longName":"Orvanta Test Net","mcc":"001","mccmnc":"00101",)"
                                            R"("mnc":"01","shortName":"OTN","state":"current","technology":"umts"})");
    EXPECT_EQ(watchLine(notice), "scan: finished, 3 networks");
    EXPECT_EQ(noticeJson(notice)["networks"].size(), 3u);
}

TEST(Networks, AScanThatFoundNoneIsAnEmptyList)
{
    const client::Notice notice = testing::scanResult({});
    EXPECT_TRUE(client::foundNetworks(notice).empty());
    EXPECT_EQ(watchLine(notice), "scan: finished, 0 networks");
    EXPECT_TRUE(client::foundNetworks(noticeOf(NoticeKind::update, {{key::mccmnc, 101}})).empty());
}

struct WatchRow {
    const char* name;
    std::function<client::Notice()> notice;
    const char* line;
    const char* json;
};

class WatchOutput : public ::testing::TestWithParam<WatchRow> {};

TEST_P(WatchOutput, IsOneLineOrObjectPerNotice)
{
    EXPECT_EQ(watchLine(GetParam().notice()), GetParam().line);
    EXPECT_EQ(noticeJson(GetParam().notice()).dump(), GetParam().json);
}

INSTANTIATE_TEST_SUITE_P(
    Notices, WatchOutput,
    ::testing::Values(
        WatchRow{"PinState", [] { return noticeOf(NoticeKind::pinState, {{key::pinState, Corvane::pmRejected}}); },
                 "pin: rejected", R"({"notice":"clientPinState","pinState":2})"},
        WatchRow{"PinRequest", [] { return request(Corvane::cPinKindPinRequired, 2, 10); },
                 "pin request: PIN, 2 attempts left",
                 R"({"notice":"clientEnterPin","pinCount":2,"pinKind":2,"pukCount":10})"},
        WatchRow{"PukRequest", [] { return request(Corvane::cPinKindPukRequired, 0, 1); },
                 "pin request: PUK, 1 attempt left",
                 R"({"notice":"clientEnterPin","pinCount":0,"pinKind":3,"pukCount":1})"},
        WatchRow{"Registration",
                 [] { return noticeOf(NoticeKind::registration, {{key::registrationState, Corvane::rmRoaming}}); },
                 "registration: roaming", R"({"notice":"clientRegistration","registrationState":4})"},
        WatchRow{"RadioOff", [] { return noticeOf(NoticeKind::flightMode, {{key::radioState, Corvane::cRadioOff}}); },
                 "radio: off", R"({"notice":"clientFlightMode","radioState":2})"},
        WatchRow{"ScanStarted", [] { return noticeOf(NoticeKind::networkScan, {{key::networkScanActive, 1}}); },
                 "scan: started", R"({"networkScanActive":1,"notice":"clientNetworkScan"})"},
        WatchRow{"NetworkUpdate", [] { return networkInfo(101, "Orvanta Test Net", "OTN", 2); },
                 "update: mccmnc=101 longNetworkName=Orvanta Test Net shortNetworkName=OTN networkTechnology=2",
                 R"({"longNetworkName":"Orvanta Test Net","mccmnc":101,"networkTechnology":2,"notice":"clientUpdate",)"
                 R"("shortNetworkName":"OTN"})"},
        WatchRow{"EmptyTextLeftOut", [] { return noticeOf(NoticeKind::update, {{key::imsi, "001011234"}}); },
                 "update: imsi=001011234", R"({"imsi":"001011234","notice":"clientUpdate"})"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WatchOutput, NeverCarriesTheCodesOfAFailedCommand)
{
    // A failed PIN command comes back with its whole record, codes included.
    client::Notice notice = noticeOf(NoticeKind::traitError, {{key::lastError, Corvane::cErrorPukWrong}});
    client::Record parameters(Corvane::newParameters());
    Corvane::setString(parameters.get(), key::pin, "4711");
    Corvane::setString(parameters.get(), key::puk, "87654321");
    Corvane::setString(parameters.get(), key::newPin, "9999");
    Corvane::setDictionary(notice.record.get(), key::functionParameters, parameters.get());
    // Some keys hold codes even at the top level of an update.
    Corvane::setString(notice.record.get(), key::password, "hunter22");

    const std::string line = watchLine(notice);
    const std::string json = noticeJson(notice).dump();
    EXPECT_EQ(line, "error: cErrorPukWrong (14)");
    EXPECT_EQ(json, R"({"error":"cErrorPukWrong","lastError":14,"notice":"clientTraitError"})");
    client::Notice update = noticeOf(NoticeKind::update, {{key::pin, "4711"}, {key::signalStrength, 7}});
    EXPECT_EQ(watchLine(update), "update: signalStrength=7");
    EXPECT_EQ(noticeJson(update).dump(), R"({"notice":"clientUpdate","signalStrength":7})");
}

} // namespace
} // namespace Orvanta::modem

namespace Orvanta::modem {
namespace {

std::string written(std::FILE* file)
{
    std::fflush(file);
    std::rewind(file);
    std::string text;
    for (int c; (c = std::fgetc(file)) != EOF;)
        text.push_back(static_cast<char>(c));
    return text;
}

TEST(ScanProgress, IsDrawnInPlaceOnATerminalAndErasedAtTheEnd)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        ScanProgress progress(file, true);
        progress.show(std::chrono::milliseconds(300));
        progress.show(std::chrono::milliseconds(3400));
    }
    EXPECT_EQ(written(file), "\r| scanning for networks, 0 s\033[K\r/ scanning for networks, 3 s\033[K\r\033[K");
    std::fclose(file);
}

TEST(ScanProgress, IsNotDrawnForAProgram)
{
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
        ScanProgress progress(file);
        progress.show(std::chrono::seconds(5));
    }
    EXPECT_EQ(written(file), "");
    std::fclose(file);
}

} // namespace
} // namespace Orvanta::modem
