#include "comm/comnames.h"
#include "comm/serialenum.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace ZUtils;

namespace {

SSerInfo Named(const std::string& friendlyName) {
    SSerInfo info;
    info.friendlyName = friendlyName;
    return info;
}

TEST(FriendlyNames, PortNumberIsReadAfterTheFirstCom) {
    struct {
        const char* name;
        int n; // -1: the name gives no port
    } const cases[] = {
        {"USB Serial Device (COM12)", 12},
        {"USB-to-Serial Comm Port (COM3)", 3},
        {"Communications Port (COM1)", 1},
        {"COM1", -1},
        {"Port 1)", -1},
        {"", -1},
        {"Port (com3)", -1}, // case-sensitive
        {"(COM)", 0},        // nothing to read
        {"(COMx)", 0},
        {"(COM7a)", 7}, // leading digits only
        {"(COM 7)", 7}, // leading blanks skipped
        {"(COM300)", 300},
        {"(COM-2)", -2},
        {"(COM99999999999)", INT_MAX}, // saturates instead of overflowing
        {"COMPORT (COM4)", 0},         // the first "COM" counts
        {"Dual (A) (COM5)", 5},        // a ")" before "COM" is not the end of the number
        {"COM9) (COM4)", 9},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseComNumberFromFriendlyName(c.name), c.n) << '"' << c.name << '"';
}

TEST(FriendlyNames, SearchTakesAtMostTenNumbersBelow256InListOrder) {
    std::vector<SSerInfo> ports;
    for (const char* name : {"USB Serial Device (COM12)", "COM1", "(COM300)", "(COM256)", "(COM255)", "(COM)",
                             "(COM-2)", "USB-to-Serial Comm Port (COM3)", "no number"})
        ports.push_back(Named(name));
    EXPECT_EQ(SearchCandidatePorts(ports), (std::vector<int>{12, 255, 0, 3}));

    ports.clear();
    for (int n = 20; n > 8; --n)
        ports.push_back(Named("Port (COM" + std::to_string(n) + ")"));
    ports.insert(ports.begin() + 3, Named("COM1")); // skipped entries do not count
    EXPECT_EQ(SearchCandidatePorts(ports), (std::vector<int>{20, 19, 18, 17, 16, 15, 14, 13, 12, 11}));
    EXPECT_TRUE(SearchCandidatePorts({}).empty());
}

TEST(FriendlyNames, DescriptionIsTheNameBeforeTheComSuffix) {
    struct {
        const char* friendlyName;
        const char* description;
    } const cases[] = {
        {"Communications Port (COM1)", "Communications Port"},
        {"Port (COM1) x", "Port (COM1) x"},
        {"(COM1)", "(COM1)"}, // " (" must not start the name
        {" (COM1)", " (COM1)"},
        {"A (B) (COM2)", "A (B) (COM2)"}, // the first ")" is not the last character
        {"A (B (COM2)", "A"},
        {"Plain name", "Plain name"},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DescriptionFromFriendlyName(c.friendlyName), c.description) << '"' << c.friendlyName << '"';
}

// Device names come from USB descriptors and from the command line: whatever they hold, the friendly
// name must still give back its own port number and a clean description.
TEST(FriendlyNames, AnyDeviceNameParsesBackToItsPort) {
    struct {
        std::string name;
        std::string description;
    } const cases[] = {
        {"FT232R USB UART", "FT232R USB UART"},
        {"USB COM Port", "USB Com Port"},
        {"FT232 Serial (UART) IC", "FT232 Serial [UART] IC"},
        {"x) (COM7)", "x] [Com7]"},
        {"COMCOM(((", "ComCom[[["},
        {"a\r\n\tb\x7f c  d", "a b c d"},
        {"  padded  ", "padded"},
        {"", "Serial port"},
        {" \n ", "Serial port"},
        {"Ger\xc3\xa4t", "Ger\xc3\xa4t"},
        {std::string(95, 'x') + "\xc3\xa4" + "tail", std::string(95, 'x')}, // cut, never inside a character
        {std::string(200, 'y'), std::string(96, 'y')},
    };
    for (const auto& c : cases) {
        for (int n : {1, 33, 255}) {
            std::string friendlyName = MakeFriendlyName(c.name, n);
            EXPECT_EQ(ParseComNumberFromFriendlyName(friendlyName), n) << friendlyName;
            EXPECT_EQ(DescriptionFromFriendlyName(friendlyName), c.description) << friendlyName;
            EXPECT_EQ(friendlyName, c.description + " (COM" + std::to_string(n) + ")");
        }
    }
}

class ExtraPortList : public ::testing::Test {
protected:
    void SetUp() override { ClearExtraPorts(); }
    void TearDown() override { ClearExtraPorts(); }
};

TEST_F(ExtraPortList, OnlyRegisteredPortsAreListedEvenWhenMissing) {
    ASSERT_EQ(RegisterExtraPort("/nonexistent/mlb8"), 200);
    ASSERT_EQ(RegisterExtraPort("/dev/serial/by-id/usb-COM_adapter(1)"), 201);

    std::vector<SSerInfo> ports{Named("left over from an earlier call")};
    ListSerialPorts(ports, 0);
    ASSERT_EQ(ports.size(), 2u);
    EXPECT_EQ(ports[0].devicePath, "/nonexistent/mlb8");
    EXPECT_EQ(ports[0].portName, "COM200");
    EXPECT_EQ(ports[0].friendlyName, "Serial port /nonexistent/mlb8 (COM200)");
    EXPECT_EQ(ports[0].description, "Serial port /nonexistent/mlb8");
    EXPECT_EQ(ports[0].isUsb, 0);
    EXPECT_EQ(ports[1].devicePath, "/dev/serial/by-id/usb-COM_adapter(1)");
    EXPECT_EQ(ports[1].portName, "COM201");
    EXPECT_EQ(ports[1].friendlyName, "Serial port /dev/serial/by-id/usb-Com_adapter[1] (COM201)");

    std::string error = "stale";
    EXPECT_EQ(ListSearchCandidates(&error), (std::vector<int>{200, 201}));
    EXPECT_EQ(error, "");

    ListSerialPorts(ports, 1); // neither can be opened
    EXPECT_TRUE(ports.empty());

    ClearExtraPorts();
    ListSerialPorts(ports, 0);
    for (const SSerInfo& port : ports)
        EXPECT_LT(ComNumberFromDevicePath(port.devicePath), kFirstExtraComNumber) << port.devicePath;
}

// A real pseudo-terminal stands in for a serial port that another program may hold.
class BusyPort : public ExtraPortList {
protected:
    void SetUp() override {
        ExtraPortList::SetUp();
        m_nMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
        ASSERT_GE(m_nMaster, 0);
        ASSERT_EQ(grantpt(m_nMaster), 0);
        ASSERT_EQ(unlockpt(m_nMaster), 0);
        m_szSlave = ptsname(m_nMaster);
        ASSERT_EQ(RegisterExtraPort(m_szSlave), 200);
    }
    void TearDown() override {
        if (m_nMaster >= 0) close(m_nMaster);
        ExtraPortList::TearDown();
    }
    bool IsListed(int ignoreBusy) {
        std::vector<SSerInfo> ports;
        ListSerialPorts(ports, ignoreBusy);
        return std::any_of(ports.begin(), ports.end(),
                           [&](const SSerInfo& p) { return p.devicePath == m_szSlave; });
    }

    int m_nMaster = -1;
    std::string m_szSlave;
};

TEST_F(BusyPort, IgnoreBusyLeavesOutPortsHeldByOthers) {
    enum EHold { HOLD_NONE, HOLD_SHARED, HOLD_FLOCK, HOLD_EXCLUSIVE };
    struct {
        EHold hold;
        const char* what;
        bool bListedWhenIgnoringBusy;
    } const cases[] = {
        {HOLD_NONE, "nobody holds it", true},
        {HOLD_SHARED, "open without a lock", true},
        {HOLD_FLOCK, "flock", false},
        {HOLD_EXCLUSIVE, "TIOCEXCL", false}, // also when the manager runs as root
    };
    for (const auto& c : cases) {
        int fd = -1;
        if (c.hold != HOLD_NONE) {
            fd = open(m_szSlave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
            ASSERT_GE(fd, 0) << c.what;
        }
        if (c.hold == HOLD_FLOCK) {
            ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
        }
        if (c.hold == HOLD_EXCLUSIVE) {
            ASSERT_EQ(ioctl(fd, TIOCEXCL), 0);
        }

        EXPECT_EQ(IsListed(1), c.bListedWhenIgnoringBusy) << c.what;
        EXPECT_TRUE(IsListed(0)) << c.what;

        if (fd >= 0) {
            // Looking must not change the holder's port: its lock stays, and a shared port is not
            // left in exclusive mode.
            int nExclusive = -1;
            ASSERT_EQ(ioctl(fd, TIOCGEXCL, &nExclusive), 0);
            EXPECT_EQ(nExclusive != 0, c.hold == HOLD_EXCLUSIVE) << c.what;
            int other = open(m_szSlave.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
            if (other >= 0) {
                EXPECT_EQ(flock(other, LOCK_EX | LOCK_NB) != 0, c.hold == HOLD_FLOCK) << c.what;
                close(other);
            }
            close(fd);
        }
    }
}

std::string ReadFirstLine(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// The machine's own ports: whatever is plugged in, the list holds only numbered ports with hardware
// behind them, and every UART-backed ttyS.
TEST_F(ExtraPortList, MachinePortsHaveHardwareAndParseBack) {
    int nMaster = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    ASSERT_GE(nMaster, 0);
    std::string slave = ptsname(nMaster);

    std::vector<SSerInfo> ports;
    ASSERT_NO_THROW(ListSerialPorts(ports, 0));
    int nPrevious = 0;
    std::vector<int> numbers;
    for (const SSerInfo& port : ports) {
        int n = ComNumberFromDevicePath(port.devicePath);
        SCOPED_TRACE(port.devicePath + " " + port.friendlyName);
        EXPECT_GT(n, nPrevious); // sorted, no duplicates
        EXPECT_LE(n, 96);
        EXPECT_NE(port.devicePath, slave);
        EXPECT_EQ(port.portName, ComPortName(n));
        EXPECT_EQ(ParseComNumberFromFriendlyName(port.friendlyName), n);
        EXPECT_EQ(port.friendlyName, port.description + " (" + port.portName + ")");
        if (port.devicePath.starts_with("/dev/ttyS")) {
            EXPECT_EQ(port.description, "Communications Port");
            EXPECT_EQ(port.isUsb, 0);
        }
        nPrevious = n;
        if (numbers.size() < 10) numbers.push_back(n);
    }

    namespace fs = std::filesystem;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/sys/class/tty", ec)) {
        std::string name = entry.path().filename();
        std::string node = "/dev/" + name;
        if (!name.starts_with("ttyS") || ComNumberFromDevicePath(node) == 0) continue;
        bool bUart = fs::exists(entry.path() / "device") && ReadFirstLine(entry.path() / "type") != "0";
        bool bListed =
            std::any_of(ports.begin(), ports.end(), [&](const SSerInfo& p) { return p.devicePath == node; });
        EXPECT_EQ(bListed, bUart) << node;
    }

    std::string error = "stale";
    EXPECT_EQ(ListSearchCandidates(&error), numbers);
    EXPECT_EQ(error, "");
    close(nMaster);
}

} // namespace
