// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// The Win32 serial link against the simulated keyer on a pseudo-terminal that
// scripts/wine-test.sh maps as a COM port. The ports come from the script:
//   DP3_TEST_PORT     the simulated keyer (COM12: reached as \\.\COM12)
//   DP3_MISSING_PORT  a port that is not there
//   DP3_NOT_A_PORT    a port that opens but has no line settings (/dev/null)
#include "link/win32/serial_link.hpp"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "link/keyer_info.hpp"
#include "link/keyer_operations.hpp"
#include "link/port_list.hpp"

namespace dp3 {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::string env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

const std::string kPort = env("DP3_TEST_PORT");

TEST(CommDeviceName, TheDeviceNamespaceFromTen) {
  const struct {
    const char* port;
    const char* name;
  } rows[] = {
      {"COM1", "COM1"},
      {"com9", "COM9"},
      {"COM10", "\\\\.\\COM10"},
      {"Com12", "\\\\.\\COM12"},
      {"COM255", "\\\\.\\COM255"},
      {"COM0", "COM0"},
      {"COM", "COM"},
      {"COMX", "COMX"},
      {"\\\\.\\COM3", "\\\\.\\COM3"},
      {"", ""},
  };
  for (const auto& row : rows) EXPECT_EQ(commDeviceName(row.port), row.name) << row.port;
}

TEST(Win32SerialLink, TestThroughTheDeviceNamespace) {
  ASSERT_FALSE(kPort.empty());
  ASSERT_EQ(commDeviceName(kPort).rfind("\\\\.\\", 0), 0u) << "pick a port above 9";
  SerialLink link(kPort);
  KeyerInfo keyer;
  const KeyerTest result = testKeyer(link, keyer);
  EXPECT_EQ(result.test.version, 31);
  EXPECT_EQ(result.test.icType, kVariantLark);
  EXPECT_EQ(result.supply, (Reading{Reading::Kind::Value, 52}));
  EXPECT_TRUE(link.portOpenFlag());
}

TEST(Win32SerialLink, ASilentReadTimesOutOnTimeAndIsCancelled) {
  SerialLink link(kPort);
  ASSERT_EQ(link.commOpen(), kCommOpenOk);
  std::uint8_t byte = 0xEE;
  const auto start = Clock::now();
  EXPECT_FALSE(link.commRead(std::span(&byte, 1)));
  const auto took = std::chrono::duration_cast<milliseconds>(Clock::now() - start);
  EXPECT_GE(took.count(), 3990);
  EXPECT_LE(took.count(), 4300);
  // The cancelled read must not take the keyer's next reply, nor write into
  // the old buffer: the line works as before.
  const std::uint8_t echo[] = {0x00, 0x04, 0x55};
  ASSERT_TRUE(link.commWrite(echo));
  std::uint8_t reply = 0;
  EXPECT_TRUE(link.commRead(std::span(&reply, 1)));
  EXPECT_EQ(byte, 0xEE);
  link.commClose();
}

TEST(Win32SerialLink, BaudChangesReachTheLine) {
  SerialLink link(kPort);
  ASSERT_EQ(link.commOpen(), kCommOpenOk);
  // A second handle reads the terminal's own settings back (wine does not
  // keep a port to one opener, so this works here).
  const auto lineSpeed = [] {
    const HANDLE other = CreateFileA(commDeviceName(kPort).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    const bool read = other != INVALID_HANDLE_VALUE && GetCommState(other, &dcb);
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
    return read ? static_cast<int>(dcb.BaudRate) : -1;
  };
  EXPECT_EQ(lineSpeed(), 1200);
  ASSERT_TRUE(link.setBaudRate(kBootloaderBaudRate));
  EXPECT_EQ(lineSpeed(), 9600);
  ASSERT_TRUE(link.setBaudRate(kHostBaudRate));
  EXPECT_EQ(lineSpeed(), 1200);
  link.commClose();
  EXPECT_FALSE(link.setBaudRate(kBootloaderBaudRate));
}

// A reply left on the line by an earlier opener; then the open, with and
// without its purge.
TEST(Win32SerialLink, TheOpenDiscardsWhatCameBefore) {
  const std::uint8_t echo[] = {0x00, 0x04, 0x55};
  const auto leaveReply = [&] {
    SerialLink early(kPort);
    ASSERT_EQ(early.commOpen(), kCommOpenOk);
    ASSERT_TRUE(early.commWrite(echo));
    std::this_thread::sleep_for(milliseconds(300));
  };
  leaveReply();
  CommCalls noPurge;
  noPurge.purge = [](HANDLE, DWORD) -> BOOL { return TRUE; };
  SerialLink unpurged(kPort, noPurge);
  ASSERT_EQ(unpurged.commOpen(), kCommOpenOk);
  std::uint8_t byte = 0;
  EXPECT_TRUE(unpurged.commRead(std::span(&byte, 1))) << "the reply should wait on the line";
  unpurged.commClose();

  leaveReply();
  SerialLink link(kPort);
  ASSERT_EQ(link.commOpen(), kCommOpenOk);
  EXPECT_FALSE(link.commRead(std::span(&byte, 1)));
}

TEST(Win32SerialLink, OpenFailureCodes) {
  SerialLink missing(env("DP3_MISSING_PORT"));
  EXPECT_EQ(missing.commOpen(), kCommOpenFailed);
  EXPECT_FALSE(missing.portOpenFlag());
  EXPECT_EQ(missing.openFailureReason(), "no such device");

  SerialLink notAPort(env("DP3_NOT_A_PORT"));
  EXPECT_EQ(notAPort.commOpen(), kCommGetStateFailed);
  EXPECT_TRUE(notAPort.portOpenFlag());
  notAPort.commClose();
  EXPECT_FALSE(notAPort.portOpenFlag());

  CommCalls failing;
  failing.setState = [](HANDLE, LPDCB) -> BOOL { return FALSE; };
  SerialLink refused(kPort, failing);
  EXPECT_EQ(refused.commOpen(), kCommSetStateFailed);
  failing = {};
  failing.purge = [](HANDLE, DWORD) -> BOOL { return FALSE; };
  SerialLink unpurged(kPort, failing);
  EXPECT_EQ(unpurged.commOpen(), kCommPurgeFailed);

  SerialLink none("");
  EXPECT_EQ(none.commOpen(), kCommOpenFailed);
  EXPECT_EQ(none.openFailureReason(), "no port chosen");
}

TEST(Win32PortList, ListsTheMappedPortAndNotTheMissingOne) {
  const auto devices = listSerialDevices();
  const auto listed = [&](const std::string& port) {
    return std::any_of(devices.begin(), devices.end(),
                       [&](const SerialDevice& d) { return d.path == port; });
  };
  EXPECT_TRUE(listed(kPort));
  EXPECT_FALSE(listed(env("DP3_MISSING_PORT")));
  EXPECT_TRUE(serialDevicePresent(kPort));
  EXPECT_FALSE(serialDevicePresent(env("DP3_MISSING_PORT")));
}

}  // namespace
}  // namespace dp3
