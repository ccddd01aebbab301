#include "app/KeyKinds.h"

#include <QMap>

#include <initializer_list>

namespace Orvanta {

namespace {

constexpr int integerCode = 0;
constexpr int stringCode = 21;
constexpr int dictionaryCode = 22;
constexpr int pointerCode = 23;
constexpr int callbackCode = 24;
constexpr int arrayCode = 25;
constexpr int doubleCode = 26;
constexpr int unsupportedCode = 27;

void add(QMap<QString, int>& table, int code, std::initializer_list<const char*> keys)
{
    for (const char* key : keys)
        table.insert(QString::fromLatin1(key), code);
}

// Built once, on first use from the GUI thread before the library starts; only read after.
const QMap<QString, int>& table()
{
    static const QMap<QString, int> kinds = [] {
        QMap<QString, int> t;
        add(t, integerCode,
            {"listCount", "vendorId", "productId", "simState", "simLockState", "pinCount", "pukCount",
             "idleText", "signalStrength", "wcdmaSignalStrength", "mccmnc", "networkSelectionMode",
             "networkCount", "radioSupport", "smartAntennaPosition", "hwSwitchState", "duration",
             "speedDown", "speedUp", "volumeDown", "volumeUp", "connectionStatistics", "getNextRow",
             "rowID", "connectionType", "startTime", "endTime", "sentVolume", "receivedVolume",
             "roaming", "mccMnc", "smsNumberOfSegments", "smsNumberOfCharsInLastSegment",
             "smsNumberOfCharsInLastSegmentLeft", "smsResult", "smsRowID", "smsTimeSent",
             "smsTimeReceived", "smsStatus", "smsSimID", "smsContentSize", "gpsAltitude", "gpsDate",
             "gpsDirection", "gpsMode", "gpsServiceType", "gpsSpeed", "gpsState", "gpsSupport",
             "gpsTime", "gpsTrackAngle", "libraryInitMode"});
        // Integers whose code names their enumeration; the code does not change the handling.
        const std::pair<const char*, int> enumerated[] = {
            {"networkScanActive", 1}, {"lastError", 2}, {"pinMode", 3}, {"pinKind", 4},
            {"radioState", 6}, {"networkState", 8}, {"networkTechnology", 10}, {"smsCharSet", 12},
            {"libraryState", 13}, {"deviceState", 14}, {"pinState", 15}, {"registrationState", 16},
            {"connectionState", 17}};
        for (const auto& [key, code] : enumerated)
            t.insert(QString::fromLatin1(key), code);
        add(t, stringCode,
            {"deviceModel", "deviceName", "marketingName", "modemPort", "appPort", "app2Port",
             "wwanName", "firmwareVersion", "hardwareVersion", "driverVersion", "driverPath", "imei",
             "deviceSerial", "rxCode", "isoVersion", "ownPhoneNr", "simSerial", "imsi", "pin", "puk",
             "newPin", "longNetworkName", "shortNetworkName", "apn", "username", "password",
             "authType", "connectionImsi", "networkName", "smsText", "smsLocalPhoneNo",
             "smsRemotePhoneNo", "smsIMSI", "smsContent", "gpsQuality", "gpsType", "gpsHdop",
             "gpsPdop", "gpsVdop", "gpsDataPort"});
        add(t, dictionaryCode, {"smsTrait", "functionParameters", "list", "gpsTrait", "clientTrait"});
        add(t, pointerCode, {"clientContext", "smsContext"});
        add(t, callbackCode,
            {"clientTraitError", "clientLibraryState", "clientDeviceState", "clientPinState",
             "clientEnterPin", "clientUpdate", "clientRegistration", "clientFlightMode",
             "clientNetworkScan", "clientConnectionChange", "clientConnectionHistory", "smsModule",
             "smsNew", "smsSent", "smsDeleted", "smsSaved", "smsChecked", "smsEnum"});
        add(t, doubleCode, {"gpsLatitude", "gpsLongitude"});
        add(t, unsupportedCode, {"networkList"});
        return t;
    }();
    return kinds;
}

} // namespace

int keyTypeCode(const QString& key) { return table().value(key, unsupportedCode); }

KeyKind kindOfCode(int code)
{
    if (code >= integerCode && code < stringCode)
        return KeyKind::integer;
    switch (code) {
    case stringCode: return KeyKind::string;
    case dictionaryCode: return KeyKind::dictionary;
    case pointerCode: return KeyKind::pointer;
    case callbackCode: return KeyKind::callback;
    case arrayCode: return KeyKind::array;
    case doubleCode: return KeyKind::real;
    default: return KeyKind::unsupported;
    }
}

} // namespace Orvanta
