#include "tests/nodekin/DetectionFixture.h"

#include "platform/SimDeviceTree.h"

#include <condition_variable>
#include <cstdio>
#include <mutex>

namespace Nodekin::testing {

namespace {

std::mutex recordMutex; // guards recorded: notifications come on the notifier thread
std::condition_variable recordChanged;
std::vector<Notification> recorded;

void record(int reason)
{
    NkCardInfo info{};
    info.size = sizeof info;
    NkGetCardInfo(&info); // a callback may call back into the library
    std::lock_guard lock(recordMutex);
    recorded.push_back({reason, info.state, info.capabilities, std::this_thread::get_id()});
    recordChanged.notify_all();
}

std::string escaped(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out;
}

std::string hex4(std::int32_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04X", static_cast<unsigned>(value));
    return text;
}

} // namespace

SimCard::SimCard(std::int32_t vendor, std::int32_t product, std::string serial)
{
    const std::string ids = "VID_" + hex4(vendor) + "&PID_" + hex4(product);
    cardId_ = "USB\\" + ids + "\\" + serial;
    hardwareIds_ = {"USB\\" + ids + "&REV_0100", "USB\\" + ids};
}

SimCard& SimCard::child(const std::string& fragment, const std::string& deviceClass, const std::string& friendlyName,
                        bool withPort, int problem, const std::string& parent)
{
    Node node;
    node.id = nextChildId(fragment);
    node.parent = parent.empty() ? cardId_ : parent;
    node.deviceClass = deviceClass;
    node.friendlyName = friendlyName;
    node.problem = problem;
    if (withPort) {
        ports_.push_back(Orvanta::testing::openPseudoTerminal());
        node.port = ports_.back().portPath;
    }
    children_.push_back(std::move(node));
    return *this;
}

std::string SimCard::nextChildId(const std::string& fragment) const
{
    const std::string serial = cardId_.substr(cardId_.rfind('\\') + 1);
    return "ROAMEX\\" + cardId_.substr(4, 17) + fragment + serial + "&" + std::to_string(children_.size());
}

std::string SimCard::idOf(const std::string& fragment) const
{
    for (const Node& node : children_)
        if (node.id.find(fragment) != std::string::npos)
            return node.id;
    return {};
}

std::string SimCard::portOf(const std::string& fragment) const
{
    for (const Node& node : children_)
        if (node.id.find(fragment) != std::string::npos)
            return node.port;
    return {};
}

SimCard SimCard::gpsCard(const std::string& serial)
{
    SimCard card(makerVendorId, roamexGx750ProductId, serial);
    card.child("_MDM\\", "Modem", "Roamex Modem Interface")
        .child("_APP\\", "Ports", "Roamex Application Interface")
        .child("_GPSC\\", "Ports", "Roamex GPS Control Port")
        .child("_GPSD\\", "Ports", "Roamex GPS Data Port");
    return card;
}

std::string SimCard::json() const
{
    std::string out = "{\"devices\": [\n  {\"instanceId\": \"" + escaped(cardId_) + "\", \"class\": \"USB\", \"hardwareIds\": [";
    for (std::size_t i = 0; i < hardwareIds_.size(); ++i)
        out += (i ? ", \"" : "\"") + escaped(hardwareIds_[i]) + "\"";
    out += "], \"friendlyName\": \"Roamex card\", \"driverVersion\": \"2.1.0.7\"}";
    for (const Node& node : children_) {
        out += ",\n  {\"instanceId\": \"" + escaped(node.id) + "\", \"parent\": \"" + escaped(node.parent) +
               "\", \"class\": \"" + node.deviceClass + "\", \"friendlyName\": \"" + escaped(node.friendlyName) + "\"";
        if (!node.port.empty())
            out += ", \"portName\": \"" + escaped(node.port) + "\"";
        if (node.problem != 0)
            out += ", \"problem\": " + std::to_string(node.problem);
        out += "}";
    }
    return out + "\n]}\n";
}

void DetectionTest::SetUp()
{
    std::lock_guard lock(recordMutex);
    recorded.clear();
}

void DetectionTest::TearDown() { EXPECT_EQ(NkUninitialize(), 0); }

void DetectionTest::startOn(const std::filesystem::path& folder)
{
    Os::Result<std::unique_ptr<Os::SimDeviceTree>> tree = Os::SimDeviceTree::open(folder);
    ASSERT_TRUE(tree.ok()) << tree.error();
    DetectionEnvironment environment;
    environment.tree = std::move(tree).value();
    environment.clock = &clock;
    environment.namedObjectFolder = objectFolder.path();
    environment.settle = settle;
    ASSERT_EQ(initializeWith(std::move(environment)), 0);
}

void DetectionTest::plug(const std::string& file, const SimCard& card) { simFolder.writeAtomically(file, card.json()); }

void DetectionTest::unplug(const std::string& file) { std::filesystem::remove(simFolder / file); }

void DetectionTest::power(const std::string& event) { simFolder.append("power", event + "\n"); }

void DetectionTest::registerRecorder() { ASSERT_EQ(NkRegisterCallback(&record), 0); }

NkCardInfo DetectionTest::cardInfo() const
{
    NkCardInfo info{};
    info.size = sizeof info;
    NkGetCardInfo(&info);
    return info;
}

bool DetectionTest::waitFor(NkCardState state, int reason, std::chrono::milliseconds timeout)
{
    return waitForFrom(0, state, reason, timeout);
}

bool DetectionTest::waitForFrom(std::size_t from, NkCardState state, int reason, std::chrono::milliseconds timeout)
{
    std::unique_lock lock(recordMutex);
    return recordChanged.wait_for(lock, timeout, [&] {
        for (std::size_t i = from; i < recorded.size(); ++i)
            if (recorded[i].state == state && recorded[i].reason == reason)
                return true;
        return false;
    });
}

std::vector<Notification> DetectionTest::notifications() const
{
    std::lock_guard lock(recordMutex);
    return recorded;
}

} // namespace Nodekin::testing
