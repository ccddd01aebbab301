#include "nodekin/CardDetector.h"

#include "nodekin/DeviceQueries.h"
#include "nodekin/HardwareIds.h"
#include "nodekin/MobileBroadband.h"
#include "nodekin/XLog.h"
#include "platform/PortAccess.h"
#include "platform/SerialPort.h"
#include "platform/SystemError.h"

#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace Nodekin {

namespace {

constexpr const char* modemClassGuid = "{4D36E96D-E325-11CE-BFC1-08002BE10318}";
constexpr const char* netClassGuid = "{4D36E971-E325-11CE-BFC1-08002BE10318}";

// Driver versions from this one up can drive the card through the Mobile Broadband service.
constexpr std::uint32_t mobileBroadbandDriverMajor = 7;

// Copies text into a fixed record field, cut to fit.
void setName(char (&field)[NkNameSize], const std::string& text)
{
    std::snprintf(field, sizeof field, "%s", text.c_str());
}

// The final port test: opening for read and write without sharing works, or fails only
// because another program holds the port, or because this user may not open it; each
// means the port is there. A port this user may not open still makes the card present:
// the backend then fails to open it and says so, rather than the card staying "starting"
// for good with nobody told why.
bool portAnswers(const char* path)
{
    Os::SerialPort port;
    const int error = port.open(path, false);
    if (error == 0) {
        xlog(logNormal, "Nk: Final port could be opened successfully");
        return true;
    }
    if (error == Os::kErrorSharingViolation) {
        xlog(logNormal, "Nk: Final port is kept open by another application, supposing card is o.k.");
        return true;
    }
    if (error == Os::kErrorAccessDenied) {
        xlog(logWarning, "Nk: Final port: %s; supposing card is o.k.", Os::describeOpenFailure(path, error).c_str());
        return true;
    }
    xlog(logWarning, "Nk: Final port could not be opened (err=0x%x)!", error);
    return false;
}

void logMethod(const char* function, const char* disabled, const char* prefix, int method, std::int32_t mask)
{
    switch (method) {
    case methodDisabled:
        xlog(logNormal, "%s", disabled);
        break;
    case methodPolling:
        xlog(logNormal, "Nk: %s detection method is set to %sDetMethodDefaultPolling", function, prefix);
        break;
    case methodEventBased:
        xlog(logNormal, "Nk: %s detection method is set to %sDetMethodDefaultEventBased, insertion event mask=0x%x",
             function, prefix, static_cast<unsigned>(mask));
        break;
    case methodControlDevicePolling:
        xlog(logNormal, "Nk: %s detection method is set to %sDetMethodBroadcomPolling", function, prefix);
        break;
    case methodControlDeviceEventBased:
        xlog(logNormal, "Nk: %s detection method is set to %sDetMethodBroadcomEventBased, insertion event mask=0x%x",
             function, prefix, static_cast<unsigned>(mask));
        break;
    default:
        xlog(logWarning, "Nk: Log%sDetectionMethod(): Warning, unknown %s detection method (0x%x)", prefix, function,
             static_cast<unsigned>(method));
        break;
    }
}

} // namespace

std::string firstExistingDevice(const char* format)
{
    if (isBlank(format))
        return {};
    for (int number = 0; number < 10; ++number) {
        char path[NkNameSize];
        std::snprintf(path, sizeof path, format, number);
        struct stat info{};
        if (::stat(path, &info) == 0 && (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)))
            return path;
    }
    return {};
}

CardDetector::CardDetector(const Os::DeviceTree& tree, const CardDatabase& database,
                           const MobileBroadbandList& mobileBroadband)
    : tree_(tree), database_(database), mobileBroadband_(mobileBroadband)
{
}

bool CardDetector::detectAnyCard(DetectionState& state, Os::DevNode& replugMarker)
{
    std::optional<FoundCard> found;
    for (const std::int32_t bus : {busPcmcia, busUsb, busPci}) {
        std::optional<FoundCard> onBus = findCardOnBus(tree_, database_, bus);
        if (onBus && (!found || onBus->row < found->row))
            found = std::move(onBus);
    }
    if (!found) {
        replugMarker = Os::kNoDevNode;
        return false;
    }
    const CardRow& row = database_.row(static_cast<std::size_t>(found->row));
    if (found->hardwareId.empty()) {
        xlog(logWarning,
             "Nk: DetectAnyCard(): Inconsistent state, card %s is found but its hardware ID is unknown - skipping it",
             row.name);
        return false;
    }
    if (replugMarker != Os::kNoDevNode) {
        if (row.platform == 7) {
            xlog(logNormal, "Nk: Supported card %s is detected but it is ignored since it will be replugged", row.name);
            return false;
        }
        replugMarker = Os::kNoDevNode;
    }

    xlog(logNormal, "Nk: ==================================================");
    xlog(logNormal, "Nk: Supported card %s detected with hardware ID [%s] & devnode 0x%x & symbolic name [%s]", row.name,
         found->hardwareId.c_str(), found->node, found->symbolicName.c_str());
    if (found->vendor != 0 || found->product != 0)
        xlog(logNormal, "Nk: Device vendor ID=0x%04X product ID=0x%04X", static_cast<unsigned>(found->vendor),
             static_cast<unsigned>(found->product));
    else
        xlog(logNormal, "Nk: Unknown device vendor/product ID");

    const std::uint32_t cardState = state.info.state;
    state.reset(); // nothing of a previous card survives
    state.info.state = cardState;
    state.row = found->row;
    state.hardwareId = found->hardwareId.substr(0, NkNameSize - 1);
    state.symbolicName = found->symbolicName.substr(0, NkNameSize - 1);
    if (state.symbolicName.rfind("\\??\\", 0) == 0)
        state.symbolicName[1] = '\\';
    NkCardInfo& info = state.info;
    info.deviceNode = found->node;
    if (const Os::Result<std::string> id = tree_.instanceId(found->node))
        setName(info.deviceInstanceId, id.value());
    else
        xlog(logWarning, "Nk: Could not get the device instance ID (0x%x)", id.error());
    info.typeCode = static_cast<std::uint32_t>(row.typeCode);
    info.platform = static_cast<std::uint32_t>(row.platform);
    info.dataInterfaceKind = static_cast<std::uint32_t>(row.dataInterfaceKind);
    info.insertionEventMask = static_cast<std::uint32_t>(row.insertionEventMask);
    info.capabilities = row.driverCapabilities;
    info.nonSerialPorts = static_cast<std::uint32_t>(row.nonSerialPorts);
    info.vendorId = static_cast<std::uint32_t>(found->vendor);
    info.productId = static_cast<std::uint32_t>(found->product);

    state.subdevicesPresent = subdevicesPresent(state);

    if (offersApplicationPortByType(info.typeCode))
        info.capabilities |= NkCapApplicationPort;

    chooseMethods(state);
    return true;
}

void CardDetector::chooseMethods(DetectionState& state) const
{
    const CardRow& row = rowOf(state);
    DetectionMethods& m = state.methods;
    m.modem = isBlank(row.modemName) ? methodDisabled : methodPolling;
    // Cards with control devices name them instead of ports: the application port is
    // one of those devices, never a member of the ports class.
    if (isBlank(row.appPortName))
        m.application = methodDisabled;
    else
        m.application = row.nonSerialPorts != 0 ? methodControlDevicePolling : methodPolling;
    m.application2 = isBlank(row.app2PortName) ? methodDisabled : methodPolling;
    m.diagnostics = isBlank(row.diagPortName) ? methodDisabled : methodPolling;

    const std::int32_t mask = row.insertionEventMask;
    logMethod("Modem", "Nk: Modem detection is disabled", "Modem", m.modem, mask);
    logMethod("Application port", "Nk: Application port detection is disabled", "AppPort", m.application, mask);
    logMethod("Application2 port", "Nk: Application2 port detection is disabled", "AppPort", m.application2, mask);
    logMethod("Debug port", "Nk: Debug port detection is disabled", "DbgPort", m.diagnostics, mask);
}

bool CardDetector::subdevicesPresent(const DetectionState& state) const
{
    if (!state.cardKnown())
        return false;
    const std::uint32_t type = state.info.typeCode;
    const Os::DevNode card = state.info.deviceNode;
    if (isEarlyNdisStick(type)) {
        if (findIdFragment(tree_, card, {"_FF_NET"}, true) >= 0)
            return true;
        for (const Os::DevNode child : descendants(tree_, card))
            if (findIdFragment(tree_, child, {"MI_00"}, false) >= 0 &&
                tree_.property(child, Os::DeviceProperty::classGuid).ok())
                return true;
        return false;
    }
    if (needsAllChildrenActive(type)) {
        if (!allChildrenActive(tree_, card))
            return false;
        xlog(logNormal, "Nk: All subdevices are active");
    }
    return true;
}

void CardDetector::listSubdevices(DetectionState& state) const
{
    const std::uint32_t type = state.info.typeCode;
    const Os::DevNode card = state.info.deviceNode;
    std::uint32_t& caps = state.info.capabilities;
    bool modem = false;
    bool adapter = false;

    if (isEarlyNdisStick(type)) {
        Os::Result<std::string> guid{Os::Failure{Os::kErrorFileNotFound}};
        for (const Os::DevNode child : descendants(tree_, card))
            if (findIdFragment(tree_, child, {"MI_00"}, false) >= 0) {
                guid = tree_.property(child, Os::DeviceProperty::classGuid);
                break;
            }
        modem = !guid.ok() || guid.value() == modemClassGuid || guid.value() == netClassGuid;
        adapter = !guid.ok() || guid.value() != modemClassGuid;
    } else if (listsMdmAndNetSubdevices(state.info)) {
        modem = findIdFragment(tree_, card, {"_MDM\\"}, true) >= 0;
        adapter = findIdFragment(tree_, card, {"_NET\\"}, true) >= 0;
    } else if (listsMdmSubdeviceOnly(state.info)) {
        modem = findIdFragment(tree_, card, {"_MDM\\"}, true) >= 0; // these never show an adapter
    } else {
        const std::vector<std::string_view> fragments =
            isFirstStick(type) ? std::vector<std::string_view>{"RXNOZ_MODEM", "RXNOZ_NET", "RXNOZ_FF"}
                               : std::vector<std::string_view>{"_FF_SER", "_FF_NET", "_FF\\"};
        const int which = findIdFragment(tree_, card, fragments, true);
        modem = which == 0 || which == 2;
        adapter = which == 1 || which == 2;
    }

    xlog(logNormal, "Nk: This card %s modem device and %s WWAN NIC device", modem ? "has a" : "has NO",
         adapter ? "has a" : "has NO");
    if (modem)
        caps |= NkCapModem;
    if (adapter) {
        caps |= NkCapWwanAdapter | NkCapWwanNdisPort;
        if (adapterIsNdisDataInterface(state.info))
            caps |= NkCapNdisDataInterface;
    } else {
        caps &= ~std::uint32_t{NkCapWwanAdapter | NkCapWwanNdisPort | NkCapNdisDataInterface};
    }
    if (adapterLacksNdisPort(type))
        caps &= ~std::uint32_t{NkCapWwanNdisPort | NkCapNdisDataInterface};

    if (showsApplicationSubdevice(type)) {
        const bool application = findIdFragment(tree_, card, {"_APP\\"}, true) >= 0;
        if (application)
            caps |= NkCapApplicationPort;
        xlog(logNormal, application ? "Nk: This card has a primary application port"
                                    : "Nk: This card has NO primary application port");
        if (isMakersCard(type)) {
            if (findIdFragment(tree_, card, {"_APL\\"}, true) >= 0)
                caps |= NkCapSecondApplicationPort;
            const bool gps = findIdFragment(tree_, card, {"_GPSC\\"}, true) >= 0 &&
                             findIdFragment(tree_, card, {"_GPSD\\"}, true) >= 0;
            if (gps)
                caps |= NkCapGps;
            xlog(logNormal, gps ? "Nk: This card has GPS control+data ports" : "Nk: This card has NO GPS ports");
        }
    }
    state.subdevicesListed = true;
}

bool CardDetector::findModem(DetectionState& state)
{
    const CardRow& row = rowOf(state);
    const std::optional<FoundFunction> modem =
        findFunction(tree_, FunctionKind::modem, row.modemName, state.info.deviceNode);
    if (!modem)
        return false;
    if (modem->name.empty() || modem->port.empty()) {
        xlog(logWarning, "Nk: DetectModem: Inconsistent state, a valid modem found but its modem name or port name is "
                         "empty - skipping it");
        return false;
    }
    state.modemNode = modem->node;
    setName(state.info.modemName, modem->name);
    if ((state.info.capabilities & NkCapOwnApplicationPort) == 0)
        setName(state.info.applicationPort, modem->port);
    xlog(logNormal, "Nk: Corresponding modem %s found with devnode 0x%x", modem->name.c_str(), modem->node);
    return true;
}

bool CardDetector::findApplicationPort(DetectionState& state)
{
    const CardRow& row = rowOf(state);
    const std::uint32_t caps = state.info.capabilities;
    if (!state.finalPortVerified && (caps & NkCapModem) != 0 && state.modemNode == Os::kNoDevNode)
        return false; // the modem comes first
    if ((caps & NkCapOwnApplicationPort) != 0 && state.applicationNode == Os::kNoDevNode &&
        state.info.applicationPort[0] == '\0') {
        if (state.methods.application == methodControlDevicePolling ||
            state.methods.application == methodControlDeviceEventBased) {
            // Each alternative is a device format; the first device that exists is the port.
            std::string_view formats(row.appPortName);
            while (state.info.applicationPort[0] == '\0' && !formats.empty()) {
                const std::size_t comma = formats.find(',');
                const std::string device = firstExistingDevice(std::string(formats.substr(0, comma)).c_str());
                if (!device.empty())
                    setName(state.info.applicationPort, device);
                formats = comma == std::string_view::npos ? std::string_view{} : formats.substr(comma + 1);
            }
        } else if (const std::optional<FoundFunction> port =
                       findFunction(tree_, FunctionKind::port, row.appPortName, state.info.deviceNode)) {
            if (port->port.empty()) {
                xlog(logWarning, "Nk: DetectApplicationPort: Inconsistent state, a valid port found but its port "
                                 "name is empty - skipping it");
            } else {
                state.applicationNode = port->node;
                setName(state.info.applicationPort, port->port);
                xlog(logNormal, "Nk: Corresponding application port found on %s with devnode 0x%x", port->port.c_str(),
                     port->node);
            }
        }
    }
    if (!state.finalPortVerified && state.info.applicationPort[0] != '\0') {
        state.finalPortVerified = portAnswers(state.info.applicationPort);
        if (state.finalPortVerified)
            checkSmartCardPresence(state);
    }
    return true;
}

void CardDetector::checkSmartCardPresence(DetectionState& state) const
{
    const CardRow& row = rowOf(state);
    if (!hasOwnApplicationPort(state.info) || !showsSmartCardSubdevice(state.info.typeCode))
        return;
    const char* fragment = row.platform == 3 ? "&MI_03" : "_SC\\";
    if (findIdFragment(tree_, state.info.deviceNode, {fragment}, true) >= 0) {
        xlog(logNormal, "Nk: This card has a smart card reader device");
    } else {
        xlog(logNormal, "Nk: This card has NO smart card reader device");
        state.info.capabilities &= ~std::uint32_t{NkCapSmartCardReader};
    }
}

void CardDetector::findSmartCardReader(DetectionState& state)
{
    const std::optional<FoundFunction> reader =
        findFunction(tree_, FunctionKind::smartCardReader, rowOf(state).smartCardName, state.info.deviceNode, true);
    if (reader) {
        state.smartCardNode = reader->node;
        setName(state.info.smartCardReaderName, reader->name);
        return;
    }
    const bool modemInPlace = (state.info.capabilities & NkCapModem) == 0 || state.modemNode != Os::kNoDevNode;
    if (modemInPlace && state.finalPortVerified) {
        xlog(logNormal, "Nk: No smart card reader is detected even though it is exposed from the hw - ignoring it...");
        state.info.capabilities &= ~std::uint32_t{NkCapSmartCardReader};
    }
}

void CardDetector::findAdapter(DetectionState& state)
{
    const CardRow& row = rowOf(state);
    const std::optional<FoundFunction> adapter =
        findFunction(tree_, FunctionKind::netAdapter, row.wwanNicName, state.info.deviceNode);
    if (!adapter)
        return;
    state.adapterNode = adapter->node;
    setName(state.info.wwanAdapterName, adapter->name);
    setName(state.info.wwanAdapterId, adapter->extra);
    if ((state.info.capabilities & NkCapWwanNdisPort) == 0)
        return;
    if (adapter->extra.empty()) {
        xlog(logWarning, "Nk: RXNDISx NetCfgInstanceId could not be queried (rc=0x%x), old driver? Assuming "
                         "/dev/rxndis0 as WWAN NDIS port name.",
             static_cast<unsigned>(Os::kErrorFileNotFound));
        setName(state.info.ndisPort, "/dev/rxndis0");
        return;
    }
    const std::string port = firstExistingDevice(row.ndisPortFormat);
    if (!port.empty()) {
        setName(state.info.ndisPort, port);
        xlog(logNormal, "Nk: Corresponding WWAN NDIS port found under %s", port.c_str());
    } else {
        xlog(logNormal, "Nk: WWAN NDIS port name could not be detected, removing CardDriverCapabilitiesWwanNdisPort "
                        "flag...");
        state.info.capabilities &= ~std::uint32_t{NkCapWwanNdisPort};
    }
}

void CardDetector::findGpsPorts(DetectionState& state) const
{
    const Os::DevNode card = state.info.deviceNode;
    if (state.gpsControlNode == Os::kNoDevNode) {
        if (const auto control = findFunction(tree_, FunctionKind::port, "GPS Control", card)) {
            state.gpsControlNode = control->node;
            setName(state.info.gpsControlPort, control->port);
            xlog(logNormal, "Nk: Corresponding GPS control port found on %s with devnode 0x%x", control->port.c_str(),
                 control->node);
        }
    }
    if (state.gpsDataNode == Os::kNoDevNode) {
        if (const auto data = findFunction(tree_, FunctionKind::port, "GPS Data", card)) {
            state.gpsDataNode = data->node;
            setName(state.info.gpsDataPort, data->port);
            xlog(logNormal, "Nk: Corresponding GPS data port found on %s with devnode 0x%x", data->port.c_str(),
                 data->node);
        }
    }
}

bool CardDetector::complete(const DetectionState& state) const
{
    const std::uint32_t caps = state.info.capabilities;
    if ((caps & NkCapModem) != 0 && state.modemNode == Os::kNoDevNode)
        return false;
    if ((caps & NkCapApplicationPort) != 0 && !state.finalPortVerified)
        return false;
    if ((caps & NkCapWwanAdapter) != 0 && state.adapterNode == Os::kNoDevNode)
        return false;
    if (state.methods.diagnostics != methodDisabled && state.diagnosticsNode == Os::kNoDevNode)
        return false;
    if ((caps & NkCapSecondApplicationPort) != 0 && state.application2Node == Os::kNoDevNode)
        return false;
    if ((caps & NkCapGps) != 0 && (state.gpsControlNode == Os::kNoDevNode || state.gpsDataNode == Os::kNoDevNode))
        return false;
    return true;
}

void CardDetector::findBusDevice(DetectionState& state) const
{
    state.busDeviceLooked = true;
    const CardRow& row = rowOf(state);
    if (!isMakersCard(state.info))
        return;
    if (isBlank(row.busDeviceFormat)) {
        xlog(logNormal, "Nk: Bus device name could not be determined, skipping its detection");
        return;
    }
    const std::string device = firstExistingDevice(row.busDeviceFormat);
    if (device.empty()) {
        xlog(logNormal, "Nk: Bus device is not found with mask [%s]", row.busDeviceFormat);
        return;
    }
    setName(state.info.busDevice, device);
    xlog(logNormal, "Nk: Bus device found (%s)", device.c_str());
}

void CardDetector::readDriverVersion(DetectionState& state) const
{
    state.driverVersionLooked = true;
    const Os::Result<std::string> version = tree_.property(state.info.deviceNode, Os::DeviceProperty::driverVersion);
    unsigned parts[4] = {};
    if (!version || std::sscanf(version.value().c_str(), "%u.%u.%u.%u", &parts[0], &parts[1], &parts[2], &parts[3]) < 1) {
        xlog(logWarning, "Nk: Failed to determine driver version (0x%x)",
             static_cast<unsigned>(version ? Os::kErrorInvalidData : version.error()));
        return;
    }
    state.info.driverVersion[0] = (parts[0] << 16) | (parts[1] & 0xFFFF);
    state.info.driverVersion[1] = (parts[2] << 16) | (parts[3] & 0xFFFF);
    xlog(logNormal, "Nk: Driver version: %d.%d.%d.%d", parts[0], parts[1], parts[2], parts[3]);
}

bool CardDetector::mobileBroadbandReady(DetectionState& state) const
{
    const bool capable = isMakersCard(state.info) && state.adapterNode != Os::kNoDevNode &&
                         (state.info.driverVersion[0] >> 16) >= mobileBroadbandDriverMajor;
    if (!capable)
        return true;
    if (!mobileBroadband_.contains(state.info.wwanAdapterId)) {
        xlog(logNormal, "Nk: MB API capable device found but no corresponding API device present yet, waiting...");
        return false;
    }
    xlog(logNormal, "Nk: MB API capable device found");
    state.info.capabilities |= NkCapMobileBroadband;
    state.info.capabilities &= ~std::uint32_t{NkCapPersistentApn};
    xlog(logNormal, "Nk: Removed persistent APN flag for MB API capable device");
    return true;
}

bool CardDetector::discoverPorts(DetectionState& state, DiscoveryScope scope)
{
    if (state.state() != NkCardStarting || !state.cardKnown())
        return false;
    const CardRow& row = rowOf(state);
    const Os::DevNode card = state.info.deviceNode;

    if (listsSubdevices(state.info.typeCode)) {
        if (!state.subdevicesPresent)
            state.subdevicesPresent = subdevicesPresent(state);
        if (!state.subdevicesPresent)
            return false;
        if (!state.subdevicesListed)
            listSubdevices(state);
    }

    std::uint32_t& caps = state.info.capabilities;
    if (scope.modem && (caps & NkCapModem) != 0 && state.modemNode == Os::kNoDevNode &&
        state.methods.modem != methodDisabled)
        findModem(state);

    if (scope.application && !findApplicationPort(state))
        return false;

    if (scope.others && (caps & NkCapSmartCardReader) != 0 && state.smartCardNode == Os::kNoDevNode)
        findSmartCardReader(state);

    const bool modemInPlace = (caps & NkCapModem) == 0 || state.modemNode != Os::kNoDevNode;
    const bool portInPlace = (caps & NkCapApplicationPort) == 0 || state.finalPortVerified;
    const bool readerInPlace = (caps & NkCapSmartCardReader) == 0 || state.smartCardNode != Os::kNoDevNode;

    if (scope.others && (caps & NkCapWwanAdapter) != 0 && state.adapterNode == Os::kNoDevNode && modemInPlace &&
        portInPlace && readerInPlace)
        findAdapter(state);

    if (modemInPlace && portInPlace) {
        if (state.methods.diagnostics != methodDisabled && state.diagnosticsNode == Os::kNoDevNode) {
            if (const auto port = findFunction(tree_, FunctionKind::port, row.diagPortName, card)) {
                state.diagnosticsNode = port->node;
                setName(state.info.diagnosticsPort, port->port);
            }
        }
        if ((caps & NkCapSecondApplicationPort) != 0 && state.application2Node == Os::kNoDevNode) {
            if (const auto port = findFunction(tree_, FunctionKind::port, row.app2PortName, card)) {
                state.application2Node = port->node;
                setName(state.info.application2Port, port->port);
            }
        }
        const bool adapterInPlace = (caps & NkCapWwanAdapter) == 0 || state.adapterNode != Os::kNoDevNode;
        if (scope.others && (caps & NkCapGps) != 0 && adapterInPlace)
            findGpsPorts(state);
    }

    if (!complete(state))
        return false;
    if (!state.busDeviceLooked)
        findBusDevice(state);
    if (!state.driverVersionLooked)
        readDriverVersion(state);
    return mobileBroadbandReady(state);
}

std::vector<Os::DevNode> CardDetector::functionNodes(const DetectionState& state) const
{
    std::vector<Os::DevNode> nodes;
    for (const Os::DevNode node : {state.modemNode, state.applicationNode, state.application2Node,
                                   state.diagnosticsNode, state.gpsControlNode, state.gpsDataNode})
        if (node != Os::kNoDevNode)
            nodes.push_back(node);
    return nodes;
}

bool CardDetector::cardStillActive(const DetectionState& state) const
{
    if (!state.cardKnown())
        return true;
    if (!isDeviceNodeActive(tree_, state.info.deviceNode))
        return false;
    if (state.state() == NkCardStarted && state.adapterNode != Os::kNoDevNode &&
        !isDeviceNodeActive(tree_, state.adapterNode))
        return false;
    return true;
}

} // namespace Nodekin
