// The Win32 serial port, enumeration and diagnosis. The cases that need a processor talk to the
// simulated one through a COM port that Wine maps onto its pseudo-terminal: wine_port_test.sh starts
// a fresh simulator for each case (with --hangup-after 4) and names the port in MLB8_WINE_COM
// ("COM7"). Without that variable those cases are skipped; the rest needs no port.
#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "comm/comnames.h"
#include "comm/crc16.h"
#include "comm/devicesearch.h"
#include "comm/portdiagnosis.h"
#include "comm/portwatch.h"
#include "comm/protocol.h"
#include "comm/serialenum.h"
#include "comm/serialport.h"
#include "comm/win32/win32util.h"

namespace {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

bool WaitFor(const std::function<bool()>& done, int nMs) {
    const auto end = Clock::now() + std::chrono::milliseconds(nMs);
    while (!done()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// The port the simulator answers on, or "" when the cases with a processor do not run.
std::string SimPort() {
    const char* psz = std::getenv("MLB8_WINE_COM");
    return psz ? psz : "";
}

// Wine opens a serial port as often as asked; Windows' serial drivers refuse a second open.
bool UnderWine() {
    HMODULE hNtdll = ::GetModuleHandleW(L"ntdll.dll");
    return hNtdll && ::GetProcAddress(hNtdll, "wine_get_version");
}

int SimComNumber() {
    return Win32::ComNumberFromPortName(Win32::Widen(SimPort()));
}

// A presence probe for bus address 0: the system group, read.
Bytes ProbeFrame() {
    const std::uint8_t header[IPC_HEADER_LEN] = {0, VA_SYSTEM, MODE_READ, 0, 0, 0, 0};
    Bytes frame(IPC_HEADER_LEN + 2);
    const int nLen = CProtocol::BuildPacket(frame.data(), header, IPC_HEADER_LEN, nullptr, 0);
    frame.resize(static_cast<std::size_t>(nLen));
    return frame;
}

// What a port hands to its callbacks.
struct SSink {
    std::mutex lock;
    Bytes bytes;
    std::atomic<int> nChunks{0};
    std::atomic<int> nHangups{0};
    std::atomic<int> nLargestChunk{0};

    void Attach(IPort& port) {
        port.SetReceiver(
            [this](const std::uint8_t* p, int n) {
                std::lock_guard<std::mutex> guard(lock);
                bytes.insert(bytes.end(), p, p + n);
                ++nChunks;
                if (n > nLargestChunk) nLargestChunk = n;
            },
            [this] { ++nHangups; });
    }
    std::size_t Size() {
        std::lock_guard<std::mutex> guard(lock);
        return bytes.size();
    }
    Bytes Take() {
        std::lock_guard<std::mutex> guard(lock);
        return bytes;
    }
};

class Win32SimPort : public ::testing::Test {
protected:
    void SetUp() override {
        if (SimPort().empty()) GTEST_SKIP() << "MLB8_WINE_COM names no simulated port";
        ASSERT_GT(SimComNumber(), 0) << SimPort();
    }
};

} // namespace

// Port names, device names and the errors of CreateFile in the diagnosis's words.
TEST(Win32Names, ComNumbersOfPortNames) {
    const struct {
        const wchar_t* name;
        int nCom;
    } cases[] = {{L"COM1", 1}, {L"com7", 7},  {L"COM255", 255}, {L"COM256", 0},
                 {L"COM0", 0}, {L"COM07", 0}, {L"COM", 0},      {L"COM-1", 0},
                 {L"LPT1", 0}, {L"COM1 ", 0}, {L"", 0},         {L"COM1234", 0}};
    for (const auto& c : cases)
        EXPECT_EQ(Win32::ComNumberFromPortName(c.name), c.nCom) << Win32::Narrow(c.name);
    EXPECT_EQ(Win32::PortDeviceName("COM7"), L"\\\\.\\COM7");
    EXPECT_EQ(Win32::PortDeviceName("\\\\.\\COM7"), L"\\\\.\\COM7");
    EXPECT_EQ(Win32::PortDeviceName("C:\\ports\\x"), L"C:\\ports\\x");
    EXPECT_EQ(Win32::Narrow(Win32::Widen("Gerät (COM3)")), "Gerät (COM3)");
}

TEST(Win32Names, ComNamesArePortNumbers) {
    EXPECT_EQ(ZUtils::DevicePathFromComNumber(7), "\\\\.\\COM7");
    EXPECT_EQ(ZUtils::DevicePathFromComNumber(199), "\\\\.\\COM199");
    EXPECT_EQ(ZUtils::DevicePathFromComNumber(0), "");
    EXPECT_EQ(ZUtils::DevicePathFromComNumber(200), ""); // the first number of the extra ports
    EXPECT_EQ(ZUtils::ComNumberFromDevicePath("\\\\.\\COM7"), 7);
    EXPECT_EQ(ZUtils::ComNumberFromDevicePath("\\\\.\\COM0"), 0);
    EXPECT_EQ(ZUtils::ComNumberFromDevicePath("\\\\.\\COM200"), 0);
    EXPECT_EQ(ZUtils::ComNumberFromDevicePath("\\\\.\\COM07"), 0);
    EXPECT_EQ(ZUtils::ComNumberFromDevicePath("/dev/ttyUSB0"), 0);
    ZUtils::ClearExtraPorts();
    EXPECT_EQ(ZUtils::RegisterExtraPort("\\\\.\\COM9"), 200); // --port keeps its extra number
    EXPECT_EQ(ZUtils::ComNumberFromDevicePath("\\\\.\\COM9"), 200);
    EXPECT_EQ(ZUtils::DevicePathFromComNumber(200), "\\\\.\\COM9");
    ZUtils::ClearExtraPorts();
}

TEST(Win32Names, OpenErrorsReadAsOnLinux) {
    const struct {
        DWORD nError;
        const char* reason;
    } cases[] = {
        {ERROR_ACCESS_DENIED, "in use by another program"}, // how Windows refuses a port that is held
        {ERROR_SHARING_VIOLATION, "in use by another program"},
        {ERROR_PRIVILEGE_NOT_HELD, "no permission to open it"},
        {ERROR_FILE_NOT_FOUND, "not present"},
        {ERROR_PATH_NOT_FOUND, "not present"},
        {ERROR_DEVICE_NOT_CONNECTED, "not present"},
        {ERROR_INVALID_FUNCTION, "not a serial port"},
    };
    for (const auto& c : cases) {
        const std::string text = DescribePortOpenFailure(Win32::ErrnoFromWin32(c.nError), "\\\\.\\COM3");
        EXPECT_EQ(text.rfind(c.reason, 0), 0u) << c.nError << ": " << text;
    }
    EXPECT_EQ(Win32::ErrnoFromWin32(ERROR_SUCCESS), 0);
    EXPECT_FALSE(DescribePortOpenFailure(Win32::ErrnoFromWin32(ERROR_CRC), "COM3").empty());
}

// The configuration-manager watch registers and unregisters without a call (Wine may not offer it).
TEST(Win32Port, PortWatchStopsWithoutCallingTheHandler) {
    std::atomic<int> nCalls{0};
    auto pWatch = WatchSerialPorts([&](const SPortEvent&) { ++nCalls; });
    if (!pWatch) GTEST_SKIP() << "no device notifications here";
    pWatch.reset();
    EXPECT_EQ(nCalls.load(), 0);
}

TEST(Win32Port, MissingPortIsNotPresent) {
    auto port = NewSerialPort();
    EXPECT_FALSE(port->Open("COM199"));
    EXPECT_FALSE(port->IsOpen());
    EXPECT_EQ(DescribePortOpenFailure(port->OpenError(), "COM199"), "not present");
    EXPECT_FALSE(port->Open(""));
    EXPECT_FALSE(port->Close()); // was not open
    EXPECT_EQ(port->Write(ProbeFrame().data(), 9), 0);
}

TEST(Win32Port, FileIsNotASerialPort) {
    wchar_t szDir[MAX_PATH], szFile[MAX_PATH];
    ASSERT_NE(::GetTempPathW(MAX_PATH, szDir), 0u);
    ASSERT_NE(::GetTempFileNameW(szDir, L"mlb", 0, szFile), 0u);
    auto port = NewSerialPort();
    EXPECT_FALSE(port->Open(Win32::Narrow(szFile)));
    EXPECT_EQ(DescribePortOpenFailure(port->OpenError(), Win32::Narrow(szFile)), "not a serial port");
    ::DeleteFileW(szFile);
}

TEST_F(Win32SimPort, ReplyArrivesForARequest) {
    auto port = NewSerialPort();
    SSink sink;
    sink.Attach(*port);
    ASSERT_TRUE(port->Open(SimPort())) << DescribePortOpenFailure(port->OpenError(), SimPort());
    EXPECT_FALSE(port->Open(SimPort())); // a second Open needs a Close first
    // A quiet line is no hang-up: the reader waits without failing.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_FALSE(port->IsHungUp());
    const Bytes probe = ProbeFrame();
    ASSERT_EQ(port->Write(probe.data(), static_cast<std::uint32_t>(probe.size())),
              static_cast<int>(probe.size()));
    // The reply: from the probed address, with a CRC over the whole frame.
    ASSERT_TRUE(WaitFor(
        [&] {
            const Bytes got = sink.Take();
            return got.size() > IPC_HEADER_LEN + 2 &&
                   CalcCrc16(got.data(), got.size() - 2) == (got[got.size() - 2] | got[got.size() - 1] << 8);
        },
        5000))
        << sink.Size() << " bytes";
    const Bytes reply = sink.Take();
    EXPECT_EQ(reply[0], 0);
    EXPECT_LE(sink.nLargestChunk.load(), IPort::READ_CHUNK);
    EXPECT_TRUE(port->Close());
    EXPECT_FALSE(port->IsOpen());
    EXPECT_FALSE(port->IsHungUp());
    EXPECT_EQ(sink.nHangups.load(), 0); // a Close is no hang-up
}

TEST_F(Win32SimPort, SecondOpenIsReportedAsInUse) {
    auto first = NewSerialPort();
    ASSERT_TRUE(first->Open(SimPort()));
    auto second = NewSerialPort();
    if (second->Open(SimPort()) && UnderWine()) GTEST_SKIP() << "Wine lets a second program open the port";
    EXPECT_FALSE(second->IsOpen());
    EXPECT_TRUE(IsPortBusyError(second->OpenError())) << second->OpenError();
    EXPECT_EQ(DescribePortOpenFailure(second->OpenError(), SimPort()), "in use by another program");
    first->Close();
    EXPECT_TRUE(second->Open(SimPort())); // free again
}

// Close while the reader waits in its read: the thread ends, no callback follows, and the port opens
// again at once. Done many times so that a Close that races the reader shows.
TEST_F(Win32SimPort, CloseEndsAWaitingReader) {
    auto port = NewSerialPort();
    SSink sink;
    sink.Attach(*port);
    for (int i = 0; i < 20; ++i) {
        ASSERT_TRUE(port->Open(SimPort())) << i;
        if (i % 2) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        ASSERT_TRUE(port->Close()) << i;
    }
    EXPECT_EQ(sink.nHangups.load(), 0);
    EXPECT_EQ(sink.nChunks.load(), 0);
}

// The whole link: the enumeration lists the mapped port, and the device search finds the simulated
// processor on it at address 0.
TEST_F(Win32SimPort, DeviceSearchFindsTheSimulator) {
    std::vector<SSerInfo> ports;
    ListSerialPorts(ports, 0);
    const std::string path = "\\\\.\\" + ZUtils::ComPortName(SimComNumber());
    const SSerInfo* pFound = nullptr;
    for (const SSerInfo& info : ports)
        if (info.devicePath == path) pFound = &info;
    ASSERT_NE(pFound, nullptr) << path << " not among " << ports.size() << " ports";
    EXPECT_EQ(pFound->portName, ZUtils::ComPortName(SimComNumber()));
    EXPECT_EQ(ParseComNumberFromFriendlyName(pFound->friendlyName), SimComNumber()) << pFound->friendlyName;

    std::vector<SSerInfo> only{*pFound};
    int nPort = -1, nAddress = -1;
    std::vector<SProbeReport> reports;
    ASSERT_TRUE(RunDeviceSearch(only, &nPort, &nAddress, &reports));
    EXPECT_EQ(nPort, SimComNumber());
    EXPECT_EQ(nAddress, 0);
}

// The simulator hangs up at its fourth frame, as an unplugged adapter would: the port reports it once,
// stays hung up until closed, and the port is then gone.
TEST_F(Win32SimPort, HangUpWhenTheSimulatorGoesAway) {
    auto port = NewSerialPort();
    SSink sink;
    sink.Attach(*port);
    ASSERT_TRUE(port->Open(SimPort()));
    const Bytes probe = ProbeFrame();
    for (int i = 0; i < 20 && !port->IsHungUp(); ++i) {
        port->Write(probe.data(), static_cast<std::uint32_t>(probe.size()));
        WaitFor([&] { return port->IsHungUp(); }, 300);
    }
    ASSERT_TRUE(WaitFor([&] { return port->IsHungUp(); }, 5000));
    EXPECT_EQ(sink.nHangups.load(), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(sink.nHangups.load(), 1); // once, not a stream of them
    EXPECT_TRUE(port->IsOpen());        // open until closed
    EXPECT_TRUE(port->Close());
    EXPECT_FALSE(port->Open(SimPort()));
    const std::string reason = DescribePortOpenFailure(port->OpenError(), SimPort());
    if (UnderWine() && reason == "not a serial port")
        return; // Wine opens a mapped port whose device is gone, and then refuses its line settings
    EXPECT_EQ(reason, "not present");
}
