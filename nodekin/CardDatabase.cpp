#include "nodekin/CardDatabase.h"

#include "nodekin/MakerIds.h"
#include "nodekin/XLog.h"

#include <initializer_list>

namespace Nodekin {

namespace {

constexpr std::int32_t maker = makerVendorId;
constexpr std::int32_t makerLater = makerLaterVendorId;
// The chipset vendor of the two control-device cards, on USB and on PC Card.
constexpr std::int32_t chipset = 0x14E4;
constexpr std::int32_t chipsetPcCard = 0x0274;

constexpr std::array<HardwareIdPair, 25> ids(std::initializer_list<HardwareIdPair> pairs)
{
    std::array<HardwareIdPair, 25> all{};
    std::size_t i = 0;
    for (const HardwareIdPair& pair : pairs)
        all[i++] = pair;
    all[i] = {endOfIds, 0};
    return all;
}

// Name patterns of the maker's cards.
constexpr const char* interfaceAdapter = "Network Interface";
constexpr const char* interfaceModem = "Modem Interface";
constexpr const char* interfaceApp = "Application Interface";
constexpr const char* interfaceAppOrControl = "Application Interface,Control Interface";
constexpr const char* interfaceApp2 = "Application 2 Interface";
constexpr const char* interfaceDiag = "Diagnostics Interface";
constexpr const char* interfaceSmartCard = "Smart Card Interface";
constexpr const char* family = "Roamex";
constexpr const char* ndisFormat = "/dev/rxndis%d";
constexpr const char* controlAdapter = "Wireless WAN";
constexpr const char* controlModem = "Wireless Modem";
constexpr const char* controlDevices = "/dev/rxedg_ctrl%d,/dev/bcmww_ctrl%d";

// clang-format off
const CardRow builtInRows[] = {
    // --- the maker's cards -------------------------------------------------------------
    // GPS minicard, subdevices "_MDM\", "_APP\", "_GPSC\", "_GPSD\"; the virtual card's default.
    {.name = "RoamexGX750", .enabled = 1, .ids = ids({{maker, roamexGx750ProductId}}), .typeCode = 0x1800, .platform = 9,
     .dataInterfaceKind = 2, .bus = busUsb, .insertionEventMask = 0x7F, .driverCapabilities = 0x209,
     .wwanNicName = interfaceAdapter, .modemName = interfaceModem, .appPortName = interfaceApp,
     .smartCardName = interfaceSmartCard, .ndisPortFormat = ndisFormat},
    // The same family without GPS; the virtual card's no-GPS profile.
    {.name = "RoamexHX700", .enabled = 1, .ids = ids({{maker, roamexHx700ProductId}}), .typeCode = 0x1800, .platform = 9,
     .dataInterfaceKind = 2, .bus = busUsb, .insertionEventMask = 0x7F, .driverCapabilities = 0x209,
     .wwanNicName = interfaceAdapter, .modemName = interfaceModem, .appPortName = interfaceApp,
     .smartCardName = interfaceSmartCard, .ndisPortFormat = ndisFormat},
    // GPS minicard with a diagnostics port, subdevices "_FF\", "_APP\", "_GPSC\", "_GPSD\".
    {.name = "RoamexGX500", .enabled = 1, .ids = ids({{maker, 0x0B50}}), .typeCode = 0xB00, .platform = 4,
     .dataInterfaceKind = 2, .bus = busUsb, .insertionEventMask = 0x7F, .driverCapabilities = 0x229,
     .wwanNicName = interfaceAdapter, .modemName = interfaceModem, .appPortName = interfaceApp,
     .diagPortName = interfaceDiag, .smartCardName = interfaceSmartCard, .ndisPortFormat = ndisFormat,
     .busDeviceFormat = "/dev/rxuhsbus%d"},
    // GPS minicard with a second application port ("_APL\").
    {.name = "RoamexGX520", .enabled = 1, .ids = ids({{maker, 0x0B52}, {maker, 0x0B53}}), .typeCode = 0xB20,
     .platform = 4, .dataInterfaceKind = 5, .bus = busUsb, .insertionEventMask = 0x7F,
     .driverCapabilities = 0x229, .wwanNicName = interfaceAdapter, .modemName = interfaceModem,
     .appPortName = interfaceApp, .app2PortName = interfaceApp2, .diagPortName = interfaceDiag,
     .smartCardName = interfaceSmartCard, .ndisPortFormat = ndisFormat, .busDeviceFormat = "/dev/rxuhsbus%d"},
    // GPS card of the later family, family names.
    {.name = "RoamexGX600", .enabled = 1, .ids = ids({{makerLater, 0x0C00}}), .typeCode = 0xC00, .platform = 10,
     .dataInterfaceKind = 2, .bus = busUsb, .insertionEventMask = 0x7F, .driverCapabilities = 0x229,
     .wwanNicName = family, .modemName = family, .appPortName = interfaceApp, .app2PortName = interfaceApp2,
     .diagPortName = interfaceDiag, .smartCardName = family, .ndisPortFormat = ndisFormat,
     .busDeviceFormat = "/dev/rxfbus%d"},
    // First stick, subdevices "RXNOZ_MODEM", "RXNOZ_NET", "RXNOZ_FF".
    {.name = "RoamexU100", .enabled = 1, .ids = ids({{maker, 0x0100}}), .typeCode = 0x800, .platform = 0,
     .dataInterfaceKind = 2, .bus = busUsb, .insertionEventMask = 0x1F, .driverCapabilities = 0x29,
     .wwanNicName = family, .modemName = family, .appPortName = interfaceApp, .diagPortName = interfaceDiag,
     .smartCardName = family, .ndisPortFormat = ndisFormat, .busDeviceFormat = "/dev/rxvbus%d"},
    // NDIS-adapter stick; the class of its "MI_00" child says modem, adapter or both.
    {.name = "RoamexU150", .enabled = 1, .ids = ids({{maker, 0x0150}}), .typeCode = 0x900, .platform = 0,
     .dataInterfaceKind = 3, .bus = busUsb, .insertionEventMask = 0x3F, .driverCapabilities = 0x2F,
     .wwanNicName = interfaceAdapter, .modemName = interfaceModem, .appPortName = interfaceAppOrControl,
     .diagPortName = interfaceDiag, .smartCardName = interfaceSmartCard, .ndisPortFormat = ndisFormat,
     .busDeviceFormat = "/dev/rxuhsbus%d"},
    // Its successor with family names.
    {.name = "RoamexU160", .enabled = 1, .ids = ids({{maker, 0x0160}}), .typeCode = 0xA00, .platform = 0,
     .dataInterfaceKind = 3, .bus = busUsb, .insertionEventMask = 0x3F, .driverCapabilities = 0x2F,
     .wwanNicName = family, .modemName = family, .appPortName = interfaceApp, .diagPortName = interfaceDiag,
     .smartCardName = family, .ndisPortFormat = ndisFormat, .busDeviceFormat = "/dev/rxsbus%d"},
    // Stick with an application port subdevice ("_APP\").
    {.name = "RoamexU170", .enabled = 1, .ids = ids({{maker, 0x0170}}), .typeCode = 0x901, .platform = 5,
     .dataInterfaceKind = 2, .bus = busUsb, .insertionEventMask = 0x7F, .driverCapabilities = 0x229,
     .wwanNicName = interfaceAdapter, .modemName = interfaceModem, .appPortName = interfaceAppOrControl,
     .diagPortName = interfaceDiag, .smartCardName = interfaceSmartCard, .ndisPortFormat = ndisFormat,
     .busDeviceFormat = "/dev/rxuhsbus%d"},
    // HSPA stick.
    {.name = "RoamexU200", .enabled = 1, .ids = ids({{maker, 0x0200}}), .typeCode = 0x1000, .platform = 5,
     .dataInterfaceKind = 2, .bus = busUsb, .insertionEventMask = 0x7F, .driverCapabilities = 0x229,
     .wwanNicName = interfaceAdapter, .modemName = interfaceModem, .appPortName = interfaceApp,
     .diagPortName = interfaceDiag, .smartCardName = interfaceSmartCard, .ndisPortFormat = ndisFormat,
     .busDeviceFormat = "/dev/rx72ubus%d"},
    // HSPA stick sold under two product ids.
    {.name = "RoamexU210", .enabled = 1, .ids = ids({{maker, 0x0210}, {maker, 0x0211}}), .typeCode = 0x1100,
     .platform = 6, .dataInterfaceKind = 5, .bus = busUsb, .insertionEventMask = 0x7F,
     .driverCapabilities = 0x229, .wwanNicName = interfaceAdapter, .modemName = interfaceModem,
     .appPortName = interfaceApp, .diagPortName = interfaceDiag, .smartCardName = interfaceSmartCard,
     .ndisPortFormat = ndisFormat, .busDeviceFormat = "/dev/rx72ubus%d"},
    // Stick that the system re-enumerates after standby (platform 7).
    {.name = "RoamexU300", .enabled = 1, .ids = ids({{maker, 0x0300}}), .typeCode = 0x1200, .platform = 7,
     .dataInterfaceKind = 2, .bus = busUsb, .insertionEventMask = 0x7F, .driverCapabilities = 0x229,
     .wwanNicName = interfaceAdapter, .modemName = interfaceModem, .appPortName = interfaceApp,
     .diagPortName = interfaceDiag, .smartCardName = interfaceSmartCard, .ndisPortFormat = ndisFormat,
     .busDeviceFormat = "/dev/rxuhsbus%d"},
    // Module with the one data interface of kind 4.
    {.name = "RoamexM400", .enabled = 1, .ids = ids({{makerLater, 0x0400}}), .typeCode = 0x1300, .platform = 8,
     .dataInterfaceKind = 4, .bus = busUsb, .insertionEventMask = 0x7F, .driverCapabilities = 0x29,
     .wwanNicName = family, .modemName = family, .appPortName = interfaceApp, .diagPortName = interfaceDiag,
     .smartCardName = family, .ndisPortFormat = ndisFormat, .busDeviceFormat = "/dev/rxmbus%d"},
    // Module of data interface kind 5, family names, no bus device.
    {.name = "RoamexM410", .enabled = 1, .ids = ids({{makerLater, 0x0410}}), .typeCode = 0x1400, .platform = 11,
     .dataInterfaceKind = 5, .bus = busUsb, .insertionEventMask = 0x7F, .driverCapabilities = 0x29,
     .wwanNicName = family, .modemName = family, .appPortName = interfaceApp, .diagPortName = interfaceDiag,
     .smartCardName = family, .ndisPortFormat = ndisFormat},
    // Module that reports only port arrivals (mask 0x07).
    {.name = "RoamexM420", .enabled = 1, .ids = ids({{makerLater, 0x0420}}), .typeCode = 0x1500, .platform = 12,
     .dataInterfaceKind = 5, .bus = busUsb, .insertionEventMask = 0x07, .driverCapabilities = 0x229,
     .wwanNicName = interfaceAdapter, .modemName = interfaceModem, .appPortName = interfaceApp,
     .diagPortName = interfaceDiag, .smartCardName = interfaceSmartCard, .ndisPortFormat = ndisFormat,
     .busDeviceFormat = "/dev/rxuhsbus%d"},
    // Card whose "_MDM\"/"_NET\" listing never yields an adapter.
    {.name = "RoamexH800", .enabled = 1, .ids = ids({{makerLater, 0x2301}}), .typeCode = 0x2301, .platform = 9,
     .dataInterfaceKind = 2, .bus = busUsb, .insertionEventMask = 0x7F, .driverCapabilities = 0x209,
     .wwanNicName = interfaceAdapter, .modemName = interfaceModem, .appPortName = interfaceApp,
     .smartCardName = interfaceSmartCard, .ndisPortFormat = ndisFormat},
    // Zero-footprint sticks, served by the proxy program: no names.
    {.name = "RoamexZ100", .enabled = 1, .ids = ids({{makerLater, 0x2000}}), .typeCode = 0x2000, .platform = 0,
     .dataInterfaceKind = 2, .bus = busUsb, .insertionEventMask = 0x7F, .driverCapabilities = 0x20},
    {.name = "RoamexZ110", .enabled = 1, .ids = ids({{makerLater, 0x2100}}), .typeCode = 0x2100, .platform = 0,
     .dataInterfaceKind = 5, .bus = busUsb, .insertionEventMask = 0x7F, .driverCapabilities = 0x20},
    {.name = "RoamexZ120", .enabled = 1, .ids = ids({{makerLater, 0x2700}}), .typeCode = 0x2700, .platform = 0,
     .dataInterfaceKind = 2, .bus = busUsb, .insertionEventMask = 0x1F, .driverCapabilities = 0x20},
    // Stick on the chipset vendor's id with control devices instead of serial ports.
    {.name = "RoamexE100", .enabled = 1, .ids = ids({{chipset, 0x4E10}}), .typeCode = 0x700, .platform = 4,
     .dataInterfaceKind = 2, .bus = busUsb, .insertionEventMask = 0x1F, .nonSerialPorts = 1,
     .driverCapabilities = 0x3, .wwanNicName = controlAdapter, .modemName = controlModem,
     .appPortName = controlDevices},
    // PC Card with control devices.
    {.name = "RoamexE110", .enabled = 1, .ids = ids({{chipsetPcCard, 0x0E11}}), .typeCode = 0x710, .platform = 4,
     .dataInterfaceKind = 2, .bus = busPcmcia, .insertionEventMask = 0x07, .nonSerialPorts = 1,
     .driverCapabilities = 0x3, .wwanNicName = controlAdapter, .modemName = controlModem,
     .appPortName = controlDevices},
    // Built-in PCI Express module.
    {.name = "RoamexP500", .enabled = 1, .ids = ids({{maker, 0x5000}}), .typeCode = 0x600, .platform = 0,
     .dataInterfaceKind = 5, .bus = busPci, .insertionEventMask = 0x7F, .driverCapabilities = 0x229,
     .wwanNicName = interfaceAdapter, .modemName = interfaceModem, .appPortName = interfaceApp,
     .diagPortName = interfaceDiag, .smartCardName = interfaceSmartCard, .ndisPortFormat = ndisFormat,
     .busDeviceFormat = "/dev/rx72ubus%d"},
    // Its successor with family names and no bus device.
    {.name = "RoamexP510", .enabled = 1, .ids = ids({{maker, 0x5010}}), .typeCode = 0x610, .platform = 0,
     .dataInterfaceKind = 5, .bus = busPci, .insertionEventMask = 0x7F, .driverCapabilities = 0x29,
     .wwanNicName = family, .modemName = family, .appPortName = interfaceApp, .diagPortName = interfaceDiag,
     .smartCardName = family, .ndisPortFormat = ndisFormat},

    // --- other vendors' cards: known, never detected ------------------------------------
    {.name = "SwiAirCard7x0", .enabled = 0, .ids = ids({{0x0192, 0x0710}}), .typeCode = 0x8100,
     .dataInterfaceKind = 1, .bus = busPcmcia, .insertionEventMask = 0x03, .driverCapabilities = 0x82,
     .wwanNicName = "Sierra Wireless", .modemName = "Sierra Wireless"},
    {.name = "SwiMiniCard8775V", .enabled = 0, .ids = ids({{0x1199, 0x6802}}), .typeCode = 0x8200,
     .dataInterfaceKind = 1, .bus = busUsb, .insertionEventMask = 0x2E, .driverCapabilities = 0x23,
     .wwanNicName = "Sierra Wireless", .appPortName = "Sierra Wireless AT Command Port"},
    {.name = "SwiMiniCard8755", .enabled = 0, .ids = ids({{0x1199, 0x6804}}), .typeCode = 0x8300,
     .dataInterfaceKind = 1, .bus = busUsb, .insertionEventMask = 0x2E, .driverCapabilities = 0x23,
     .wwanNicName = "Sierra Wireless", .appPortName = "Sierra Wireless AT Command Port"},
    {.name = "Gobi1000", .enabled = 0,
     .ids = ids({{0x05C6, 0x9001}, {0x05C6, 0x9201}, {0x05C6, 0x9202}, {0x05C6, 0x9211}, {0x05C6, 0x9212},
                 {0x05C6, 0x9221}, {0x1557, 0x0A81}, {0x0930, 0x130E}, {0x1410, 0xA001}, {0x1410, 0xA002},
                 {0x1410, 0xA003}, {0x1410, 0xA004}, {0x1410, 0xA005}, {0x1410, 0xA006}, {0x1410, 0xA007},
                 {0x1410, 0xA008}, {0x1F45, 0x0002}, {0x413C, 0x8171}, {0x413C, 0x8172}, {0x03F0, 0x1F1D},
                 {0x03F0, 0x201D}, {maker, 0x9001}}),
     .typeCode = 0x8400, .dataInterfaceKind = 2, .bus = busUsb, .insertionEventMask = 0x1F,
     .driverCapabilities = 0x83, .wwanNicName = "Ethernet", .modemName = "Modem", .diagPortName = "Diagnostics"},
    {.name = "Gobi2000", .enabled = 0,
     .ids = ids({{0x05C6, 0x9204}, {0x05C6, 0x9205}, {0x05C6, 0x9208}, {0x05C6, 0x920B}, {0x05C6, 0x9214},
                 {0x05C6, 0x9215}, {0x05C6, 0x9225}, {0x05C6, 0x9235}, {0x05C6, 0x9245}, {0x05C6, 0x9255},
                 {0x05C6, 0x9265}, {0x05C6, 0x9275}, {0x0930, 0x1310}, {0x03F0, 0x241D}, {0x03F0, 0x251D},
                 {maker, 0x9002}}),
     .typeCode = 0x8401, .dataInterfaceKind = 2, .bus = busUsb, .insertionEventMask = 0x1F,
     .driverCapabilities = 0x83, .wwanNicName = "Ethernet", .modemName = "Modem", .diagPortName = "Diagnostics"},
    {.name = "SonyEricssonMD300", .enabled = 0, .ids = ids({{0x0FCE, 0xD0CF}}), .typeCode = 0x8500,
     .dataInterfaceKind = 0, .bus = busUsb, .insertionEventMask = 0x1F, .driverCapabilities = 0x4E7,
     .wwanNicName = "Network Adapter", .modemName = "Modem", .appPortName = "Command Interface",
     .diagPortName = "Diagnostics", .ndisPortFormat = "/dev/gcxx_ctrl%d"},
    {.name = "SonyEricssonMD400", .enabled = 0, .ids = ids({{0x0FCE, 0xD0E1}}), .typeCode = 0x8600,
     .dataInterfaceKind = 0, .bus = busUsb, .insertionEventMask = 0x1F, .driverCapabilities = 0x4E3,
     .wwanNicName = "Network Adapter", .modemName = "Data Modem", .appPortName = "Device Mgmt",
     .diagPortName = "Diagnostics"},
    {.name = "SonyEricssonMD400g", .enabled = 0, .ids = ids({{0x0FCE, 0xD103}}), .typeCode = 0x8700,
     .dataInterfaceKind = 0, .bus = busUsb, .insertionEventMask = 0x1F, .driverCapabilities = 0x4E3,
     .wwanNicName = "Network Adapter", .modemName = "Data Modem", .appPortName = "Device Mgmt"},
    {.name = "SonyEricssonMD400g", .enabled = 0, .ids = ids({{0x0FCE, 0xD103}}), .typeCode = 0x8700,
     .dataInterfaceKind = 0, .bus = busUsb, .insertionEventMask = 0x1F, .driverCapabilities = 0x4E3,
     .wwanNicName = "Network Adapter", .modemName = "Data Modem", .appPortName = "Device Mgmt"},
    {.name = "HuaweiE1752", .enabled = 0, .ids = ids({{0x12D1, 0x1003}, {0x12D1, 0x1001}}), .typeCode = 0x8800,
     .dataInterfaceKind = 0, .bus = busUsb, .insertionEventMask = 0x1F, .driverCapabilities = 0x4E1,
     .modemName = "3G Modem", .appPortName = "UI Interface"},
    {.name = "ZteMF110", .enabled = 0, .ids = ids({{0x19D2, 0x0039}, {0x19D2, 0x0031}}), .typeCode = 0x8900,
     .dataInterfaceKind = 2, .bus = busUsb, .insertionEventMask = 0x1F, .driverCapabilities = 0x4E1,
     .modemName = "USB Modem", .appPortName = "NMEA Device", .diagPortName = "Diagnostics Interface"},
};
// clang-format on

void clearInconsistent(CardRow& row, std::uint32_t bit, const char* field, const char* what)
{
    if ((row.driverCapabilities & bit) == 0 || !isBlank(field))
        return;
    xlog(logWarning,
         "Nk: CheckConsistencyWindows(): Inconsistent card database entry for card [%s], %s is empty or not found "
         "but driver flag indicates it on this OS, removing flag...",
         row.name, what);
    row.driverCapabilities &= ~bit;
}

} // namespace

bool CardRow::matches(std::int32_t cardBus, std::int32_t vendor, std::int32_t product) const noexcept
{
    if (!enabled || bus != cardBus)
        return false;
    for (const HardwareIdPair& pair : ids) {
        if (pair.vendor == endOfIds)
            return false;
        if (pair.vendor == vendor && pair.product == product)
            return true;
    }
    return false;
}

std::span<const CardRow> builtInCardRows() noexcept { return builtInRows; }

CardDatabase::CardDatabase() : rows_(std::begin(builtInRows), std::end(builtInRows)) {}

CardDatabase::CardDatabase(std::vector<CardRow> rows) : rows_(std::move(rows)) {}

void CardDatabase::checkConsistency()
{
    for (CardRow& row : rows_) {
        const bool announcesInsertion =
            row.insertionEventMask > 7 && (row.insertionEventMask & (0x2 | 0x4)) != 0;
        if (announcesInsertion)
            row.driverCapabilities |= NkCapInsertionEvents;
        else
            row.driverCapabilities &= ~std::uint32_t{NkCapInsertionEvents};
        clearInconsistent(row, NkCapWwanAdapter, row.wwanNicName, "WWAN NIC device name");
        clearInconsistent(row, NkCapWwanNdisPort, row.ndisPortFormat, "WWAN NDIS port name");
        clearInconsistent(row, NkCapSmartCardReader, row.smartCardName, "Smart card name");
    }
    xlog(logNormal, "Nk: Successfully set up information for %d cards", static_cast<int>(rows_.size()));
}

int CardDatabase::find(std::int32_t bus, std::int32_t vendor, std::int32_t product) const noexcept
{
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (rows_[i].matches(bus, vendor, product))
            return static_cast<int>(i);
    return -1;
}

} // namespace Nodekin
