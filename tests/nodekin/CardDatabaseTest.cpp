#include "nodekin/CardDatabase.h"
#include "nodekin/CardInfoRecord.h"
#include "nodekin/HardwareIds.h"
#include "nodekin/XLog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace Nodekin {
namespace {

// Collects what the library logs while it lives.
class LogSink {
public:
    LogSink() { setLogFunction(&LogSink::receive, this); }
    ~LogSink() { setLogFunction(nullptr, nullptr); }
    std::vector<std::string> lines;

private:
    static void receive(const char* message, void* context) { static_cast<LogSink*>(context)->lines.emplace_back(message); }
};

// --- hardware IDs ---------------------------------------------------------------------

struct IdCase {
    const char* name;
    const char* hardwareId;
    std::int32_t bus;
    std::optional<VendorProduct> ids;
};

class ExtractIds : public ::testing::TestWithParam<IdCase> {};

TEST_P(ExtractIds, ParsesEachBusFormOrSkipsTheDevice)
{
    LogSink log;
    const IdCase& c = GetParam();
    EXPECT_EQ(extractIds(c.hardwareId, c.bus), c.ids);
    EXPECT_EQ(log.lines.empty(), c.ids.has_value()) << (log.lines.empty() ? "" : log.lines[0]);
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ExtractIds,
    ::testing::Values(IdCase{"Usb", "USB\\VID_1C2A&PID_7501&MI_02", busUsb, VendorProduct{0x1C2A, 0x7501}},
                      IdCase{"UsbWithRevision", "USB\\VID_12D1&PID_1003&REV_0001", busUsb, VendorProduct{0x12D1, 0x1003}},
                      IdCase{"Pci", "PCI\\VEN_1C2A&DEV_5000&SUBSYS_00011C2A", busPci, VendorProduct{0x1C2A, 0x5000}},
                      IdCase{"PcCard", "PCMCIA\\ROAMEX-PC_CARD-0274-0E11", busPcmcia, VendorProduct{0x0274, 0x0E11}},
                      // 'P' is no hex digit, so the scan starts at "-0274".
                      IdCase{"PcCardSkipsDashesBeforeLetters", "PCMCIA\\MAKER-PRODUCT-0192-0710", busPcmcia,
                             VendorProduct{0x0192, 0x0710}},
                      IdCase{"UsbFormOnPciBus", "USB\\VID_1C2A&PID_7501", busPci, std::nullopt},
                      IdCase{"UsbWithoutProduct", "USB\\VID_1C2A", busUsb, std::nullopt},
                      IdCase{"PcCardWithoutIds", "PCMCIA\\NO-IDS-HERE", busPcmcia, std::nullopt},
                      IdCase{"NullId", nullptr, busUsb, std::nullopt},
                      IdCase{"NoBus", "USB\\VID_1C2A&PID_7501", busNone, std::nullopt}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ExtractIdsLog, SaysWhichFormItCouldNotRead)
{
    LogSink log;
    extractIds("PCI\\SOMETHING", busPci);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0], "Nk: ExtractIDs: Unsupported PCI hardware ID format, skipping device! (PCI\\SOMETHING)");
}

// --- names ------------------------------------------------------------------------------

struct NameCase {
    const char* name;
    const char* fragments;
    const char* friendlyName;
    int match;
};

class NameMatch : public ::testing::TestWithParam<NameCase> {};

TEST_P(NameMatch, FindsTheFirstAlternativeInTheFriendlyName)
{
    EXPECT_EQ(matchName(GetParam().fragments, GetParam().friendlyName), GetParam().match);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NameMatch,
    ::testing::Values(NameCase{"Single", "Modem Interface", "Roamex Modem Interface (ttyUSB0)", 0},
                      NameCase{"SecondAlternative", "Application Interface,Control Interface",
                               "Roamex Control Interface", 1},
                      NameCase{"FirstWinsWhenBothOccur", "Interface,Control", "Control Interface", 0},
                      NameCase{"CaseSensitive", "Modem Interface", "roamex modem interface", -1},
                      NameCase{"NoFragments", nullptr, "anything", -1},
                      NameCase{"EmptyAlternativeNeverMatches", ",Modem", "Roamex", -1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(NameMatchLimits, AlternativesAreCutToSixtyFourBytes)
{
    const std::string longFragment(64, 'x');
    EXPECT_EQ(matchName((longFragment + "TAIL").c_str(), "prefix " + longFragment), 0);
}

TEST(DeviceIdFragments, FirstFragmentThatOccursWins)
{
    const std::string id = "USB\\VID_1C2A&PID_7501&MI_03\\6&1A2B3C&0&0003_GPSD\\0000";
    EXPECT_EQ(findFragment(id, {"_GPSC\\", "_GPSD\\"}), 1);
    EXPECT_EQ(findFragment(id, {"_APP\\"}), -1);
    EXPECT_EQ(joinHardwareIds({"usb\\vid_1c2a&pid_7501&rev_0100", "usb\\vid_1c2a&pid_7501"}),
              "USB\\VID_1C2A&PID_7501&REV_0100,USB\\VID_1C2A&PID_7501");
}

// --- the table ------------------------------------------------------------------------------

TEST(CardTable, OtherVendorsAreKnownButNeverDetected)
{
    const CardDatabase database;
    EXPECT_EQ(database.find(busUsb, 0x12D1, 0x1003), -1); // the Huawei row is disabled
    EXPECT_EQ(database.find(busUsb, 0x05C6, 0x9001), -1);
    int otherVendors = 0;
    for (const CardRow& row : database.rows()) {
        if (row.typeCode >= otherVendorTypeCodes) {
            ++otherVendors;
            EXPECT_EQ(row.enabled, 0) << row.name;
            EXPECT_EQ(row.platform, 0) << row.name;
        } else {
            EXPECT_EQ(row.enabled, 1) << row.name;
        }
    }
    EXPECT_EQ(otherVendors, 11);
}

TEST(CardTable, MakersRowsCoverEveryKindOfCard)
{
    std::set<std::int32_t> kinds, buses;
    int gpsCards = 0, controlDeviceCards = 0, zeroFootprint = 0;
    for (const CardRow& row : builtInCardRows()) {
        if (row.typeCode >= otherVendorTypeCodes)
            continue;
        kinds.insert(row.dataInterfaceKind);
        buses.insert(row.bus);
        gpsCards += row.typeCode >= 0xB00 && row.modemName != nullptr ? 1 : 0;
        controlDeviceCards += row.nonSerialPorts;
        zeroFootprint += row.modemName == nullptr && row.appPortName == nullptr ? 1 : 0;
    }
    EXPECT_EQ(kinds, (std::set<std::int32_t>{2, 3, 4, 5}));
    EXPECT_EQ(buses, (std::set<std::int32_t>{busPcmcia, busUsb, busPci}));
    EXPECT_GE(gpsCards, 3);
    EXPECT_GE(controlDeviceCards, 2);
    EXPECT_GE(zeroFootprint, 3);
}

TEST(CardTable, EveryIdListIsTerminated)
{
    for (const CardRow& row : builtInCardRows()) {
        bool terminated = false;
        for (const HardwareIdPair& pair : row.ids)
            terminated = terminated || pair.vendor == endOfIds;
        EXPECT_TRUE(terminated) << row.name;
    }
}

TEST(CardTable, RowMatchNeedsTheBusAndStopsAtTheTerminator)
{
    CardRow row{};
    row.name = "test";
    row.enabled = 1;
    row.bus = busUsb;
    row.ids[0] = {0x1C2A, 0x0001};
    row.ids[1] = {endOfIds, 0};
    row.ids[2] = {0x1C2A, 0x0002}; // behind the terminator
    EXPECT_TRUE(row.matches(busUsb, 0x1C2A, 0x0001));
    EXPECT_FALSE(row.matches(busPci, 0x1C2A, 0x0001));
    EXPECT_FALSE(row.matches(busUsb, 0x1C2A, 0x0002));
    row.enabled = 0;
    EXPECT_FALSE(row.matches(busUsb, 0x1C2A, 0x0001));
}

TEST(CardTable, TwoRowsForOneCardTheFirstWins)
{
    CardRow first{};
    first.name = "first";
    first.enabled = 1;
    first.bus = busUsb;
    first.ids[0] = {0x1C2A, 0x0001};
    first.ids[1] = {endOfIds, 0};
    CardRow second = first;
    second.name = "second";
    const CardDatabase database({first, second});
    EXPECT_EQ(database.find(busUsb, 0x1C2A, 0x0001), 0);
}

// --- consistency check ------------------------------------------------------------------------

TEST(ConsistencyCheck, AdjustsCapabilitiesToTheRowsNamesAndMask)
{
    CardRow row{};
    row.name = "Broken";
    row.insertionEventMask = 0x1F;
    row.driverCapabilities = NkCapWwanAdapter | NkCapWwanNdisPort | NkCapSmartCardReader | NkCapOwnApplicationPort;
    CardRow quiet{};
    quiet.name = "Quiet";
    quiet.insertionEventMask = 0x07; // not above 7
    quiet.driverCapabilities = NkCapInsertionEvents;

    LogSink log;
    CardDatabase database({row, quiet});
    database.checkConsistency();

    EXPECT_EQ(database.row(0).driverCapabilities, NkCapOwnApplicationPort | NkCapInsertionEvents);
    EXPECT_EQ(database.row(1).driverCapabilities, 0u);
    ASSERT_EQ(log.lines.size(), 4u);
    EXPECT_EQ(log.lines[0], "Nk: CheckConsistencyWindows(): Inconsistent card database entry for card [Broken], WWAN NIC "
                            "device name is empty or not found but driver flag indicates it on this OS, removing flag...");
    EXPECT_NE(log.lines[1].find("WWAN NDIS port name"), std::string::npos);
    EXPECT_NE(log.lines[2].find("Smart card name"), std::string::npos);
    EXPECT_EQ(log.lines[3], "Nk: Successfully set up information for 2 cards");
}

TEST(ConsistencyCheck, BuiltInRowsNeedNoRepairOfTheirNames)
{
    LogSink log;
    CardDatabase database;
    database.checkConsistency();
    EXPECT_EQ(log.lines.size(), 1u) << log.lines.front();
}

// --- the record ---------------------------------------------------------------------------------

TEST(CardInfoCopy, EveryVersionSizeIsCopiedAndOthersRefused)
{
    NkCardInfo current{};
    current.size = sizeof current;
    current.state = NkCardStarted;
    current.typeCode = 0x1800;
    std::strcpy(current.applicationPort, "/dev/ttyUSB1");
    std::strcpy(current.gpsDataPort, "/dev/ttyUSB3");

    for (std::uint32_t size : NkCardInfoSizes) {
        SCOPED_TRACE(size);
        NkCardInfo out{};
        std::memset(&out, 0x55, sizeof out);
        out.size = size;
        ASSERT_EQ(copyCardInfo(current, true, &out), 0);
        EXPECT_EQ(out.size, size);
        EXPECT_EQ(out.typeCode, 0x1800u);
        EXPECT_STREQ(out.applicationPort, "/dev/ttyUSB1");
        // Nothing beyond the asked-for size is written.
        const auto* bytes = reinterpret_cast<const unsigned char*>(&out);
        if (size < sizeof out)
            EXPECT_EQ(bytes[size], 0x55);
        else
            EXPECT_STREQ(out.gpsDataPort, "/dev/ttyUSB3");
    }
    NkCardInfo between{};
    between.size = 1000;
    EXPECT_EQ(copyCardInfo(current, true, &between), NkErrorInsufficientBuffer);
    EXPECT_EQ(copyCardInfo(current, true, nullptr), NkErrorInsufficientBuffer);
}

TEST(CardInfoCopy, WithoutACardOnlyTheSuspendedStateIsReported)
{
    NkCardInfo current{};
    current.state = NkCardStopped;
    NkCardInfo out{};
    out.size = sizeof out;
    EXPECT_EQ(copyCardInfo(current, false, &out), NkErrorNoCard);
    current.state = NkCardSuspended;
    EXPECT_EQ(copyCardInfo(current, false, &out), 0);
    EXPECT_EQ(out.state, NkCardSuspended);
}

// --- logging ---------------------------------------------------------------------------------------

struct FilterCase {
    int logLevel;
    std::vector<bool> passes; // for messages of level 0, 1, 2, 3, 7
};

TEST(XLogFilter, LevelsPassAsDocumented)
{
    const FilterCase cases[] = {{0, {true, false, true, true, true}},
                                {1, {true, true, true, true, true}},
                                {2, {false, false, true, true, true}},
                                {3, {false, false, false, true, true}},
                                {9, {false, false, false, true, true}}};
    const int messageLevels[] = {0, 1, 2, 3, 7};
    for (const FilterCase& c : cases)
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(passesLogFilter(messageLevels[i], c.logLevel), c.passes[i])
                << "log level " << c.logLevel << ", message level " << messageLevels[i];
}

TEST(XLogLevel, ChangingTheLevelIsAnnouncedAndClamped)
{
    LogSink log;
    setLogLevel(0);
    log.lines.clear();
    setLogLevel(7);
    EXPECT_EQ(logLevel(), 3);
    setLogLevel(3); // unchanged: nothing said
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0], "Nk: Logging level has been set to 3");
    setLogLevel(0);
}

TEST(XLogFormat, NullFormatIsSaidSo)
{
    LogSink log;
    xlog(logError, nullptr);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_EQ(log.lines[0], "XLog: <Null>.");
}

} // namespace
} // namespace Nodekin
