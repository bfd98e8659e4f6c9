// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// The web serial link (link/web) as WebAssembly under node, against a
// SerialPort in the same process (fake_port.js): line settings, all-or-nothing
// transfers within their time-outs, the drain's line time, the speed change
// by reopening, a lost device, and waits that let the event loop run.
#include "link/serial_link.hpp"

#include <emscripten.h>
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// The blocks below are JavaScript, left as written.
// clang-format off
EM_JS(void, fakeFresh, (char* name, int size),
      { stringToUTF8(Module.fakePort.fresh(), name, size); });
EM_JS(void, fakeSend, (const std::uint8_t* bytes, int count, int delayMs), {
  const data = HEAPU8.slice(bytes, bytes + count);
  setTimeout(() => Module.fakePort.port.deliver(data), delayMs);
});
EM_JS(void, fakeStallWrites, (int stall), { Module.fakePort.port.stallWrites = stall !== 0; });
EM_JS(void, fakeFailOpen, (const char* error),
      { Module.fakePort.port.failOpen = UTF8ToString(error); });
EM_JS(void, fakeLose, (int delayMs), { setTimeout(() => Module.fakePort.port.lose(), delayMs); });
EM_JS(void, fakeEvents, (char* out, int size),
      { stringToUTF8(Module.fakePort.port.events.join(', '), out, size); });
EM_JS(void, startTicking, (), {
  Module.ticks = 0;
  Module.ticker = setInterval(() => Module.ticks++, 5);
});
EM_JS(int, stopTicking, (), {
  clearInterval(Module.ticker);
  return Module.ticks;
});
// clang-format on

namespace dp3 {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kShort{300};  // the transfers' deadlines in these tests

milliseconds since(Clock::time_point start) {
  return std::chrono::duration_cast<milliseconds>(Clock::now() - start);
}

class WebSerialLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[32] = {};
    fakeFresh(name, sizeof name);
    port = name;
    link = std::make_unique<SerialLink>(port);
    link->setTimeouts(kShort, kShort);
  }

  static std::string events() {
    char out[2048] = {};
    fakeEvents(out, sizeof out);
    return out;
  }

  static void send(const std::vector<std::uint8_t>& bytes, int delayMs = 0) {
    fakeSend(bytes.data(), static_cast<int>(bytes.size()), delayMs);
  }

  std::string port;
  std::unique_ptr<SerialLink> link;
};

TEST_F(WebSerialLinkTest, OpensAt1200EightNOneWithDtrOnRtsOffAndClosesThePort) {
  ASSERT_EQ(link->commOpen(), kCommOpenOk);
  EXPECT_TRUE(link->portOpenFlag());
  link->commClose();
  EXPECT_FALSE(link->portOpenFlag());
  EXPECT_EQ(events(), "open 1200 8N1 none, signals dtr -rts, close");
}

TEST_F(WebSerialLinkTest, DiscardsWhatTheKeyerSentWhileThePortOpened) {
  send({0x11, 0x22}, 30);  // within the 100 ms the open waits before its purge
  ASSERT_EQ(link->commOpen(), kCommOpenOk);
  send({0x33}, 10);
  std::array<std::uint8_t, 1> byte{};
  EXPECT_TRUE(link->commRead(byte));
  EXPECT_EQ(byte[0], 0x33);
}

struct OpenFailureRow {
  const char* name;
  const char* browserError;  // "" for a port the page was never granted
  const char* reason;
};

TEST_F(WebSerialLinkTest, AnOpenThatFailsIsCodeMinusFourWithTheReason) {
  const OpenFailureRow rows[] = {
      {"never granted", "", "no such port (choose it again)"},
      {"held elsewhere", "NetworkError",
       "in use by another program, or the device could not be opened"},
      {"open already", "InvalidStateError", "already open"},
  };
  for (const OpenFailureRow& row : rows) {
    SCOPED_TRACE(row.name);
    SetUp();
    SerialLink other(std::string(row.browserError).empty() ? "serial:999" : port);
    fakeFailOpen(row.browserError);
    EXPECT_EQ(other.commOpen(), kCommOpenFailed);
    EXPECT_FALSE(other.portOpenFlag());
    EXPECT_EQ(other.openFailureReason(), row.reason);
  }
  SerialLink none("");
  EXPECT_EQ(none.commOpen(), kCommOpenFailed);
  EXPECT_EQ(none.openFailureReason(), "no port chosen");
}

struct ReadRow {
  const char* name;
  std::vector<std::uint8_t> sent;
  int delayMs;
  std::size_t asked;
  bool ok;
};

TEST_F(WebSerialLinkTest, AReadIsAllOrNothingWithinItsTimeOut) {
  const ReadRow rows[] = {
      {"whole reply", {1, 2, 3}, 10, 3, true},
      {"reply near the deadline", {1, 2, 3}, 200, 3, true},
      {"short reply", {1, 2}, 10, 3, false},
      {"reply after the deadline", {1, 2, 3}, 450, 3, false},
  };
  for (const ReadRow& row : rows) {
    SCOPED_TRACE(row.name);
    SetUp();
    ASSERT_EQ(link->commOpen(), kCommOpenOk);
    send(row.sent, row.delayMs);
    std::vector<std::uint8_t> got(row.asked);
    const auto start = Clock::now();
    EXPECT_EQ(link->commRead(got), row.ok);
    if (row.ok) {
      EXPECT_EQ(got, row.sent);
      EXPECT_LT(since(start), kShort);
    } else {
      EXPECT_GE(since(start), kShort - milliseconds(1));
    }
    if (row.delayMs > kShort.count()) continue;  // those bytes come after the read gave up
    // What came of a failed read is consumed with it: the next read sees only new bytes.
    link->pause(milliseconds(200));
    send({0x7E}, 0);
    std::array<std::uint8_t, 1> next{};
    EXPECT_TRUE(link->commRead(next));
    EXPECT_EQ(next[0], 0x7E);
  }
}

TEST_F(WebSerialLinkTest, AWriteThatDoesNotEndInTimeFailsAndIsAborted) {
  ASSERT_EQ(link->commOpen(), kCommOpenOk);
  const std::array<std::uint8_t, 3> frame = {0x00, 0x04, 0x55};
  fakeStallWrites(1);
  const auto start = Clock::now();
  EXPECT_FALSE(link->commWrite(frame));
  EXPECT_GE(since(start), kShort - milliseconds(1));
  fakeStallWrites(0);
  // The port offers a new stream after the abort; the line goes on.
  EXPECT_TRUE(link->commWrite(frame));
  link->commClose();
  EXPECT_EQ(events(), "open 1200 8N1 none, signals dtr -rts, abort, write 3, close");
}

TEST_F(WebSerialLinkTest, DrainWaitsUntilTheBytesCanHaveLeftAtTheLineRate) {
  ASSERT_EQ(link->commOpen(), kCommOpenOk);
  const std::vector<std::uint8_t> block(36, 0xA5);  // 300 ms at 1200 baud, 37.5 ms at 9600
  auto start = Clock::now();
  ASSERT_TRUE(link->commWrite(block));
  ASSERT_TRUE(link->commWrite(block));  // queued behind the first: 600 ms in all
  EXPECT_TRUE(link->drain());
  EXPECT_GE(since(start), milliseconds(599));
  EXPECT_LT(since(start), milliseconds(800));

  ASSERT_TRUE(link->setBaudRate(kBootloaderBaudRate));
  start = Clock::now();
  ASSERT_TRUE(link->commWrite(block));
  EXPECT_TRUE(link->drain());
  EXPECT_GE(since(start), milliseconds(37));
  EXPECT_LT(since(start), milliseconds(200));
}

TEST_F(WebSerialLinkTest, ASpeedChangeReopensThePortAndKeepsWhatArrived) {
  ASSERT_EQ(link->commOpen(), kCommOpenOk);
  const std::array<std::uint8_t, 1> speedByte = {0x35};
  ASSERT_TRUE(link->commWrite(speedByte));
  send({0xAA}, 0);
  link->pause(milliseconds(20));
  ASSERT_TRUE(link->setBaudRate(kBootloaderBaudRate));
  std::array<std::uint8_t, 1> byte{};
  EXPECT_TRUE(link->commRead(byte));
  EXPECT_EQ(byte[0], 0xAA);
  ASSERT_TRUE(link->setBaudRate(kHostBaudRate));
  EXPECT_EQ(events(),
            "open 1200 8N1 none, signals dtr -rts, write 1, close, open 9600 8N1 none, "
            "signals dtr -rts, close, open 1200 8N1 none, signals dtr -rts");
}

TEST_F(WebSerialLinkTest, ALostDeviceFailsEveryCallAtOnce) {
  ASSERT_EQ(link->commOpen(), kCommOpenOk);
  fakeLose(20);
  std::array<std::uint8_t, 1> byte{};
  const auto start = Clock::now();
  EXPECT_FALSE(link->commRead(byte));
  EXPECT_LT(since(start), milliseconds(150));  // not after the read's time-out
  EXPECT_FALSE(link->drain());
  EXPECT_FALSE(link->commWrite(byte));
  EXPECT_FALSE(link->setBaudRate(kBootloaderBaudRate));
  link->commClose();  // safe on a lost port
  EXPECT_FALSE(link->portOpenFlag());
}

TEST_F(WebSerialLinkTest, APauseLetsTheEventLoopRun) {
  startTicking();
  const auto start = Clock::now();
  link->pause(milliseconds(100));
  const int ticks = stopTicking();
  EXPECT_GE(since(start), milliseconds(100));
  EXPECT_GE(ticks, 5);  // a busy wait would have let none run
}

TEST_F(WebSerialLinkTest, TransfersOnAClosedLinkFail) {
  std::array<std::uint8_t, 1> byte{};
  EXPECT_FALSE(link->commWrite(byte));
  EXPECT_FALSE(link->commRead(byte));
  EXPECT_FALSE(link->drain());
  EXPECT_FALSE(link->setBaudRate(kBootloaderBaudRate));
}

}  // namespace
}  // namespace dp3

// main returns only once every test ran: the tests suspend while node waits.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  std::exit(RUN_ALL_TESTS());
}
