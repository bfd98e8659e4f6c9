// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// dp3 ports --probe over pseudo-terminals: a keyer, a silent line, a line held
// by another program; the holders seen from /proc; a trace of Read replayed.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "link/port_check.hpp"
#include "process.hpp"

namespace dp3 {
namespace {

namespace fs = std::filesystem;
using test::runDp3;
using test::SimProcess;

// A pseudo-terminal nobody answers on; this process keeps the master.
class SilentLine {
 public:
  SilentLine() {
    char name[128] = {};
    if (::openpty(&master_, &slave_, name, nullptr, nullptr) == 0) path_ = name;
  }
  ~SilentLine() {
    ::close(slave_);
    ::close(master_);
  }
  const std::string& path() const { return path_; }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};

// Another program that holds a device open.
class Holder {
 public:
  explicit Holder(const std::string& path) {
    pid_ = ::fork();
    if (pid_ == 0) {
      const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
      if (fd < 0) ::_exit(1);
      ::pause();
      ::_exit(0);
    }
    // Wait until the child has the device open.
    for (int i = 0; i < 200 && portHolders(path).empty(); ++i) ::usleep(5000);
  }
  ~Holder() {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
};

class PortProbe : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("dp3-probe-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
    ::setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
  }
  void TearDown() override { fs::remove_all(dir_); }
  fs::path dir_;
};

TEST_F(PortProbe, FindsTheKeyerAndLeavesAHeldPortAlone) {
  SimProcess keyer;
  SimProcess held;
  SilentLine silent;
  ASSERT_FALSE(keyer.path().empty());
  ASSERT_FALSE(silent.path().empty());
  // The simulated keyer keeps its own end open; that does not count as held.
  EXPECT_TRUE(portHolders(keyer.path()).empty());
  Holder holder(held.path());
  const auto holders = portHolders(held.path());
  ASSERT_EQ(holders.size(), 1u);
  EXPECT_EQ(holders[0].pid, holder.pid());

  const auto start = std::chrono::steady_clock::now();
  const auto result =
      runDp3({"ports", "--probe", silent.path(), held.path(), keyer.path(), "--choose"});
  const auto took = std::chrono::steady_clock::now() - start;
  RecordProperty(
      "probe_ms",
      static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(took).count()));
  EXPECT_EQ(result.exitCode, 0) << result.err;
  const std::string expected = silent.path() + "  no keyer: DP Fail:no response\n" + held.path() +
                               "  skipped: in use by " + holdersText(holders) + "\n" +
                               keyer.path() + "  DP IC: LARK, DP F/W revision 31.12\n" +
                               "Keyer port: " + keyer.path() + "\n";
  EXPECT_EQ(result.out, expected);

  // --choose kept the keyer's port for later calls.
  const auto chosen = runDp3({"test"});
  EXPECT_EQ(chosen.exitCode, 0) << chosen.err;
}

// A port another program holds open without a lock (a shell's redirection)
// is refused by the keyer commands as by the probe, naming the holder.
TEST_F(PortProbe, CommandsRefuseAPortAnotherProgramHolds) {
  SimProcess keyer;
  Holder holder(keyer.path());
  const std::string named = "in use by " + holdersText(portHolders(keyer.path()));
  for (const std::string command : {"test", "read"}) {
    std::vector<std::string> args = {"--port", keyer.path(), command};
    if (command == "read") args.push_back((dir_ / "k.eep").string());
    const auto result = runDp3(args);
    EXPECT_EQ(result.exitCode, 2) << command;
    EXPECT_EQ(result.out, "DP Fail:comm open\n>DP ERR\n") << command;
    EXPECT_NE(result.err.find(keyer.path() + ": " + named), std::string::npos) << result.err;
  }
  EXPECT_FALSE(fs::exists(dir_ / "k.eep"));
}

// Two keyers answer: --choose picks neither and says so.
TEST_F(PortProbe, ChooseAmongSeveralKeyersIsRefused) {
  SimProcess first;
  SimProcess second({"--variant", "PIKA"});
  const auto result = runDp3({"ports", "--probe", first.path(), second.path(), "--choose"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_NE(result.err.find("--choose found 2 keyers (listed above) and chose none"),
            std::string::npos)
      << result.err;
  EXPECT_EQ(result.out.find("Keyer port:"), std::string::npos) << result.out;
}

TEST_F(PortProbe, NoKeyerExitsTwo) {
  SilentLine silent;
  const auto result = runDp3({"ports", "--probe", silent.path(), "/dev/dp3-missing"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.out, silent.path() + "  no keyer: DP Fail:no response\n" +
                            "/dev/dp3-missing  not opened: no such device\nNo keyer found.\n");
  EXPECT_EQ(runDp3({"ports", "/dev/ttyS0"}).exitCode, 1);
}

TEST_F(PortProbe, ATraceOfReadReplaysAsTheSameRead) {
  const fs::path trace = dir_ / "read.trace";
  const fs::path first = dir_ / "first.eep";
  const fs::path again = dir_ / "again.eep";
  std::string out;
  {
    SimProcess keyer({"--variant", "ROOK"});
    const auto read =
        runDp3({"--trace", trace.string(), "--port", keyer.path(), "read", first.string()});
    ASSERT_EQ(read.exitCode, 0) << read.err;
    out = read.out;
  }
  EXPECT_EQ(out, "DP F/W revision 31.12\nDP IC: ROOK\n>Done\n");
  SimProcess replayed({"--replay", trace.string()});
  ASSERT_FALSE(replayed.path().empty());
  const auto read = runDp3({"--port", replayed.path(), "read", again.string()});
  EXPECT_EQ(read.exitCode, 0) << read.err;
  EXPECT_EQ(read.out, out);
  std::ifstream a(first, std::ios::binary);
  std::ifstream b(again, std::ios::binary);
  const std::string bytesA{std::istreambuf_iterator<char>(a), {}};
  const std::string bytesB{std::istreambuf_iterator<char>(b), {}};
  EXPECT_EQ(bytesA.size(), 300u);
  EXPECT_EQ(bytesA, bytesB);

  EXPECT_EQ(runDp3({"sim", "--replay", (dir_ / "none.trace").string()}).exitCode, 1);
}

// A keyer that names itself and then falls silent: Test says which reading got
// no answer instead of showing a value, and fails.
TEST_F(PortProbe, TestSaysWhichReadingGotNoAnswer) {
  const fs::path trace = dir_ / "test.trace";
  {
    SimProcess keyer;
    ASSERT_EQ(runDp3({"--trace", trace.string(), "--port", keyer.path(), "test"}).exitCode, 0);
  }
  // The trace up to the IC type's reply: the replayed keyer says no more.
  std::ifstream in(trace);
  std::string kept;
  for (std::string line; std::getline(in, line);) {
    kept += line + "\n";
    if (line.find(" < 03") != std::string::npos) break;
  }
  in.close();
  std::ofstream(trace) << kept;
  SimProcess silent({"--replay", trace.string()});
  const auto test = runDp3({"--port", silent.path(), "test"});
  EXPECT_EQ(test.exitCode, 2);
  EXPECT_EQ(test.out,
            "DP F/W revision 31.12\nDP IC: LARK\n>DP OK\nPotValue: no answer\nPB: no answer\n"
            "Volts: no answer\n");
}

}  // namespace
}  // namespace dp3
