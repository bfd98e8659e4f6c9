// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "link/posix/serial_link.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <vector>

#include "link/keyer_operations.hpp"
#include "process.hpp"
#include "sim/posix/pty_keyer.hpp"

namespace dp3 {
namespace {

using Clock = std::chrono::steady_clock;

// The simulated keyer serving a pseudo-terminal from a thread of this process.
struct PtyFixture {
  explicit PtyFixture(SimConfig config = {}) : model(config), keyer(model) {
    test::keepBackupsAway();
    std::string error;
    EXPECT_TRUE(keyer.open(error)) << error;
    keyer.start();
  }
  std::vector<std::uint8_t> wire() {
    return keyer.inspect([](KeyerModel& m) { return m.received(); });
  }
  KeyerModel model;
  PtyKeyer keyer;
};

const std::vector<std::uint8_t> kTestFrames = {0x00, 0x04, 0x55, 0x00, 0x09,
                                               0x00, 0x17, 0x00, 0x18};

TEST(SerialLink, TestSendsExactlyItsFramesAndFindsTheKeyer) {
  PtyFixture sim;
  SerialLink link(sim.keyer.path());
  KeyerInfo keyer;
  const KeyerTest result = testKeyer(link, keyer);
  EXPECT_EQ(result.test.kind, InterfaceTest::Kind::Firmware);
  EXPECT_EQ(result.test.version, 31);
  EXPECT_EQ(result.test.revision, 112);
  EXPECT_EQ(result.test.icType, kVariantLark);
  EXPECT_EQ(result.pot, (Reading{Reading::Kind::Value, 14}));
  EXPECT_EQ(result.buttons, (Reading{Reading::Kind::Value, 0}));
  EXPECT_EQ(result.supply, (Reading{Reading::Kind::Value, 52}));
  auto frames = kTestFrames;
  frames.insert(frames.end(), {0x00, 0x06, 0x00, 0x05, 0x00, 0x15});
  EXPECT_EQ(sim.wire(), frames);
}

TEST(SerialLink, ReadBringsTheKeyersMemoryByteForByte) {
  PtyFixture sim;
  SerialLink link(sim.keyer.path());
  KeyerInfo keyer;
  SettingsImage image{};
  ASSERT_EQ(readKeyer(link, keyer, image).outcome, ReadOutcome::Done);
  EXPECT_EQ(image, KeyerModel::presetMemory());
  auto frames = kTestFrames;
  frames.insert(frames.end(), {0x00, 0x0C, 0x00, 0x1A});
  EXPECT_EQ(sim.wire(), frames);
}

TEST(SerialLink, ReadFailuresKeepTheImage) {
  for (FaultKind fault : {FaultKind::ShortDump, FaultKind::Disconnect}) {
    SimConfig config;
    config.fault.kind = fault;
    PtyFixture sim(config);
    SerialLink link(sim.keyer.path());
    KeyerInfo keyer;
    SettingsImage image;
    image.fill(0x77);
    EXPECT_EQ(readKeyer(link, keyer, image).outcome, ReadOutcome::ReadFailed);
    for (std::uint8_t b : image) ASSERT_EQ(b, 0x77);
  }
}

TEST(SerialLink, AKeyerThatNeverAnswersTimesOutAfterFourSeconds) {
  SimConfig config;
  config.fault.kind = FaultKind::Silence;
  PtyFixture sim(config);
  SerialLink link(sim.keyer.path());
  KeyerInfo keyer;
  const auto start = Clock::now();
  EXPECT_EQ(testInterface(link, keyer).kind, InterfaceTest::Kind::NoAnswer);
  const auto waited = Clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(4000));
  EXPECT_LT(waited, std::chrono::milliseconds(5000));
}

TEST(SerialLink, OpenFailureCodes) {
  SerialLink missing("/dev/dp3-no-such-device");
  EXPECT_EQ(missing.commOpen(), -4);
  EXPECT_FALSE(missing.portOpenFlag());
  EXPECT_EQ(missing.openFailureReason(), "no such device");

  SerialLink notATerminal("/dev/null");
  EXPECT_EQ(notATerminal.commOpen(), -5);
  EXPECT_TRUE(notATerminal.portOpenFlag());
  notATerminal.commClose();
  EXPECT_FALSE(notATerminal.portOpenFlag());
  notATerminal.commClose();  // closing twice is harmless

  PtyFixture sim;
  TermiosCalls failSet;
  failSet.setAttr = [](int, int, const termios*) { return -1; };
  SerialLink setFails(sim.keyer.path(), failSet);
  EXPECT_EQ(setFails.commOpen(), -6);
  EXPECT_TRUE(setFails.portOpenFlag());
  setFails.commClose();

  TermiosCalls failFlush;
  failFlush.flush = [](int, int) { return -1; };
  SerialLink flushFails(sim.keyer.path(), failFlush);
  EXPECT_EQ(flushFails.commOpen(), -10);
  EXPECT_TRUE(flushFails.portOpenFlag());
}

TEST(SerialLink, APortInUseIsRefusedWithTheReason) {
  PtyFixture sim;
  SerialLink first(sim.keyer.path());
  SerialLink second(sim.keyer.path());
  // Whether the terminal takes no further opens (TIOCEXCL), as seen from the far
  // end; -1 where the question cannot be asked (qemu-user does not pass it on).
  const auto exclusive = [&sim] {
    int excl = -1;
    const int fd = ::open(sim.keyer.path().c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0 && ::ioctl(fd, TIOCGEXCL, &excl) != 0) excl = -1;
    if (fd >= 0) ::close(fd);
    return excl;
  };
  const bool canAsk = exclusive() == 0;
  ASSERT_EQ(first.commOpen(), 0);
  EXPECT_EQ(second.commOpen(), -4);
  EXPECT_EQ(second.openFailureReason(), "in use by another program");
  if (canAsk && ::geteuid() == 0) {
    EXPECT_EQ(exclusive(), 1);  // only root may look past it
  }
  first.commClose();
  EXPECT_EQ(second.commOpen(), 0);
  second.commClose();
  if (canAsk) {
    EXPECT_EQ(exclusive(), 0);
  }
}

// A bare pseudo-terminal whose far end the test drives byte by byte.
struct RawPty {
  RawPty() {
    master = ::posix_openpt(O_RDWR | O_NOCTTY);
    ::grantpt(master);
    ::unlockpt(master);
    path = ::ptsname(master);
    keepOpen = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    termios raw{};
    ::tcgetattr(keepOpen, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(keepOpen, TCSANOW, &raw);
  }
  ~RawPty() {
    ::close(keepOpen);
    if (master >= 0) ::close(master);
  }
  int master = -1;
  int keepOpen = -1;
  std::string path;
};

TEST(SerialLink, BytesSentBeforeTheOpenAreDiscarded) {
  RawPty pty;
  ASSERT_EQ(::write(pty.master, "stale", 5), 5);
  SerialLink link(pty.path);
  ASSERT_EQ(link.commOpen(), 0);
  ASSERT_EQ(::write(pty.master, "\x42", 1), 1);
  std::uint8_t byte = 0;
  ASSERT_TRUE(link.commRead(std::span(&byte, 1)));
  EXPECT_EQ(byte, 0x42);
}

TEST(SerialLink, AShortReplyIsAFailure) {
  RawPty pty;
  SerialLink link(pty.path);
  ASSERT_EQ(link.commOpen(), 0);
  ASSERT_EQ(::write(pty.master, "abc", 3), 3);
  std::array<std::uint8_t, 4> buffer{};
  const auto start = Clock::now();
  EXPECT_FALSE(link.commRead(buffer));
  EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(4000));
}

TEST(SerialLink, WritesAndBaudChangesReachTheLine) {
  RawPty pty;
  SerialLink link(pty.path);
  ASSERT_EQ(link.commOpen(), 0);
  const std::uint8_t frame[] = {0x00, 0x0D, 0xFF};
  ASSERT_TRUE(link.commWrite(frame));
  std::uint8_t got[3] = {};
  ASSERT_EQ(::read(pty.master, got, 3), 3);
  EXPECT_EQ(std::vector<std::uint8_t>(got, got + 3), std::vector<std::uint8_t>(frame, frame + 3));

  termios line{};
  ::tcgetattr(pty.master, &line);
  EXPECT_EQ(::cfgetospeed(&line), B1200);
  ASSERT_TRUE(link.setBaudRate(9600));
  ::tcgetattr(pty.master, &line);
  EXPECT_EQ(::cfgetospeed(&line), B9600);
  EXPECT_FALSE(link.setBaudRate(1234));
  link.commClose();
  EXPECT_FALSE(link.commWrite(frame));
}

// The port's own settings come back on close; drain sees the far end hang up.
TEST(SerialLink, CloseRestoresTheLineAndDrainSeesAHangUp) {
  RawPty pty;
  termios cooked{};
  ::tcgetattr(pty.keepOpen, &cooked);
  cooked.c_lflag |= ECHO | ICANON;
  ::cfsetospeed(&cooked, B9600);
  ::cfsetispeed(&cooked, B9600);
  ::tcsetattr(pty.keepOpen, TCSANOW, &cooked);

  SerialLink link(pty.path);
  ASSERT_EQ(link.commOpen(), 0);
  termios line{};
  ::tcgetattr(pty.keepOpen, &line);
  EXPECT_EQ(line.c_lflag & ECHO, 0u);
  const std::uint8_t frame[] = {0x00, 0x04, 0x55};
  ASSERT_TRUE(link.commWrite(frame));
  EXPECT_TRUE(link.drain());
  // A pseudo-terminal reports no output queue; drain still waits the bytes'
  // own line time, here 120 bytes at 1200 baud: 1 s from the write.
  const std::vector<std::uint8_t> block(120, 0x55);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(link.commWrite(block));
  EXPECT_TRUE(link.drain());
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_GE(took, std::chrono::milliseconds(1000));
  EXPECT_LT(took, std::chrono::milliseconds(1500));
  link.commClose();
  ::tcgetattr(pty.keepOpen, &line);
  EXPECT_NE(line.c_lflag & ECHO, 0u);
  EXPECT_NE(line.c_lflag & ICANON, 0u);
  EXPECT_EQ(::cfgetospeed(&line), B9600);

  ASSERT_EQ(link.commOpen(), 0);
  ::close(pty.master);
  pty.master = -1;
  EXPECT_FALSE(link.drain());
}

// The terminal the program runs in is never taken for the keyer's line, by its
// own name or as /dev/tty: nothing is written to it and its settings stay.
TEST(SerialLink, TheProgramsOwnTerminalIsRefused) {
  RawPty pty;
  termios before{};
  ::tcgetattr(pty.keepOpen, &before);
  const pid_t child = ::fork();
  if (child == 0) {
    // A new session whose controlling terminal is the pseudo-terminal.
    ::setsid();
    const int own = ::open(pty.path.c_str(), O_RDWR);
    if (own < 0 || ::ioctl(own, TIOCSCTTY, 0) != 0) ::_exit(3);
    int refused = 0;
    for (const std::string& path : {pty.path, std::string("/dev/tty")}) {
      SerialLink link(path);
      refused +=
          link.commOpen() == kCommOpenFailed &&
          link.openFailureReason().find("terminal this program runs in") != std::string::npos;
    }
    ::_exit(refused == 2 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  termios after{};
  ::tcgetattr(pty.keepOpen, &after);
  EXPECT_EQ(after.c_lflag, before.c_lflag);
  EXPECT_EQ(::cfgetospeed(&after), ::cfgetospeed(&before));
  ::fcntl(pty.master, F_SETFL, O_NONBLOCK);
  char byte = 0;
  EXPECT_EQ(::read(pty.master, &byte, 1), -1) << "no byte reached the terminal";

  // A virtual console, where the system has one.
  if (::access("/dev/tty1", F_OK) == 0) {
    SerialLink console("/dev/tty1");
    EXPECT_EQ(console.commOpen(), kCommOpenFailed);
    EXPECT_EQ(console.openFailureReason(), "a console, not a serial port");
  }
}

}  // namespace
}  // namespace dp3
