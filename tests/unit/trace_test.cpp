// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// The line trace: what it records, how it reads back, and the keyer replayed from it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <utility>
#include <vector>

#include "link/keyer_operations.hpp"
#include "link/trace_link.hpp"
#include "sim/keyer_model.hpp"
#include "sim/replay_keyer.hpp"
#include "sim/sim_link.hpp"
#include "sim_fixture.hpp"
#include "test_env.hpp"

namespace dp3 {
namespace {

using Kind = TraceEvent::Kind;

class TraceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = std::filesystem::temp_directory_path() /
            ("dp3_trace_test_" + std::to_string(::getpid()) + ".trace");
  }
  void TearDown() override { std::filesystem::remove(path_); }

  std::vector<TraceEvent> traced(SimConfig config, bool read) {
    KeyerModel model(config);
    auto sink = std::make_shared<TraceSink>(path_.string());
    TraceLink link(std::make_unique<SimLink>(model), sink);
    KeyerInfo keyer;
    SettingsImage image{};
    if (read) {
      readKeyer(link, keyer, image);
    } else {
      testKeyer(link, keyer);
    }
    link.commClose();
    std::string error;
    auto events = loadTrace(path_.string(), error);
    EXPECT_TRUE(events) << error;
    return events ? *events : std::vector<TraceEvent>{};
  }

  std::filesystem::path path_;
};

TEST_F(TraceTest, RecordsEveryByteWithDirectionAndBaud) {
  const auto events = traced({}, false);
  ASSERT_GE(events.size(), 4u);
  EXPECT_EQ(events.front().kind, Kind::Open);
  EXPECT_EQ(events.front().value, 0);
  EXPECT_EQ(events.back().kind, Kind::Close);
  std::vector<std::uint8_t> sent;
  std::vector<std::uint8_t> received;
  double last = 0;
  for (const TraceEvent& e : events) {
    EXPECT_EQ(e.baud, 1200);
    EXPECT_GE(e.timeMs, last);
    last = e.timeMs;
    if (e.kind == Kind::Sent) sent.push_back(static_cast<std::uint8_t>(e.value));
    if (e.kind == Kind::Received) received.push_back(static_cast<std::uint8_t>(e.value));
  }
  // The interface test, then pot, buttons and supply.
  std::vector<std::uint8_t> wire = test::kTestFrames;
  wire.insert(wire.end(), {0x00, 0x06, 0x00, 0x05, 0x00, 0x15});
  EXPECT_EQ(sent, wire);
  EXPECT_EQ(received.front(), 0x55);
  EXPECT_EQ(received.size(), 7u);
}

TEST_F(TraceTest, ATraceOfReadReplaysAsTheSameRead) {
  SimConfig config;
  config.variant = 4;
  config.revision = 163;
  const auto events = traced(config, true);

  KeyerModel replayed;
  auto script = std::make_shared<ReplayScript>(events);
  replayed.replay(script);
  SimLink link(replayed);
  KeyerInfo keyer;
  SettingsImage image{};
  const ReadResult read = readKeyer(link, keyer, image);
  EXPECT_EQ(read.outcome, ReadOutcome::Done);
  EXPECT_EQ(image, KeyerModel::presetMemory());
  EXPECT_EQ(read.test.icType, kVariantPika);
  EXPECT_EQ(read.test.revision, 163);
  EXPECT_TRUE(script->finished());
  EXPECT_FALSE(script->diverged());

  // A program that leaves the trace meets silence, and the replay says where.
  EXPECT_EQ(testKeyer(link, keyer).test.kind, InterfaceTest::Kind::NoAnswer);
  EXPECT_EQ(script->divergence(), "byte 14 from the program (00) is past the end of the trace");
}

TEST(TraceParse, TakesWhatItWritesAndRefusesTheRest) {
  const struct {
    std::string text;
    std::string error;        // "" when the text parses
    std::vector<int> values;  // then the events' values
  } rows[] = {
      {"# dp3 trace 1\n\n0.000 1200 open 0\n1.5 1200 > 0A\n9.25 9600 < ff\n10 9600 close\n",
       "",
       {0, 0x0A, 0xFF, 0}},
      {"0 1200 pause 3000\n1 1200 read-failed 288\n2 1200 write-failed 3\n3 1200 baud 9600\n"
       "4 1200 open -4\n",
       "",
       {3000, 288, 3, 9600, -4}},
      {"x 1200 > 00\n", "line 1: not a time: x", {}},
      {"0 1200 jump 1\n", "line 1: unknown event jump", {}},
      {"0 1200 > 100\n", "line 1: bad value 100", {}},
      {"0 1200 pause 1f\n", "line 1: bad value 1f", {}},
      {"# c\n0 1200 <\n", "line 2: < needs a value", {}},
      {"0\n", "line 1: expected baud rate and event", {}},
      // A message quotes no more of a line than a line of text.
      {std::string(5000, '7') + "x 1200 > 00\n",
       "line 1: not a time: " + std::string(40, '7') + "...",
       {}},
      {std::string(3, '\0') + " 1200 > 00\n", "line 1: not a time: ???", {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    std::istringstream in(row.text);
    std::string error;
    const auto events = parseTrace(in, error);
    EXPECT_EQ(events.has_value(), row.error.empty());
    EXPECT_EQ(error, row.error);
    std::vector<int> values;
    for (const TraceEvent& event : events.value_or(std::vector<TraceEvent>{})) {
      values.push_back(event.value);
    }
    EXPECT_EQ(values, row.values);
  }
  std::istringstream in("1.5 1200 > 0A\n9.25 9600 < ff\n");
  std::string error;
  const auto events = parseTrace(in, error);
  ASSERT_TRUE(events && events->size() == 2);
  EXPECT_EQ((*events)[1].kind, Kind::Received);
  EXPECT_EQ((*events)[1].baud, 9600);
  EXPECT_DOUBLE_EQ((*events)[1].timeMs, 9.25);
}

// A trace replaces only an earlier trace or an empty file; whatever else the
// name stands for is refused and left as it was.
class OpenTraceTest : public TempFolderTest {};

TEST_F(OpenTraceTest, ReplacesOnlyATraceAndRefusesTheRest) {
  namespace fs = std::filesystem;
  const std::string firmware = ":020000040000FA\n";
  const struct {
    std::string name;
    std::string bytes;  // written first ("-" for nothing)
    FileResult::Kind kind;
    std::string reason;
  } rows[] = {
      {"new.txt", "-", FileResult::Kind::Done, ""},
      {"empty.txt", "", FileResult::Kind::Done, ""},
      {"old.txt", "# dp3 trace 1\n0.000 1200 open 0\n", FileResult::Kind::Done, ""},
      {"mine.hex", firmware, FileResult::Kind::Refused, "is not a dp3 trace; it is kept as it is"},
      {"keep.eep", std::string(300, '\0'), FileResult::Kind::Refused,
       "is not a dp3 trace; it is kept as it is"},
      {"no/dir/t.txt", "-", FileResult::Kind::Create, "No such file or directory"},
      {"", "-", FileResult::Kind::Refused, "no file name given"},
  };
  for (const auto& row : rows) {
    const fs::path path = row.name.empty() ? fs::path() : dir_ / row.name;
    if (row.bytes != "-") write(row.name, row.bytes);
    const OpenedTrace opened = openTrace(path);
    SCOPED_TRACE(row.name);
    EXPECT_EQ(opened.result.kind, row.kind);
    EXPECT_EQ(opened.result.reason, row.reason);
    EXPECT_EQ(opened.sink != nullptr, opened.result.ok());
    if (!opened.result.ok() && row.bytes != "-") {
      EXPECT_EQ(fileBytes(path), row.bytes);
    }
  }
#if !defined(_WIN32)
  ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  for (const auto& [name, reason] :
       {std::pair<fs::path, std::string>{dir_, "is a folder, not a trace"},
        {dir_ / "fifo", "is a FIFO, not a trace"},
        {"/dev/full", "is a device, not a trace"},
        {"/dev/null", "is a device, not a trace"}}) {
    const OpenedTrace opened = openTrace(name);
    EXPECT_EQ(opened.result.kind, FileResult::Kind::Refused) << name;
    EXPECT_EQ(opened.result.reason, reason) << name;
  }
#endif
}

// A trace file is judged by type and size before it is read: no FIFO hangs
// the simulated keyer, no huge file fills memory or the message.
using TraceFile = TempFolderTest;

TEST_F(TraceFile, LoadRefusesWhatIsNoTraceFile) {
  const std::filesystem::path huge = dir_ / "huge.trace";
  std::ofstream(huge).close();
  std::filesystem::resize_file(huge, kMaxTraceSize + 1);  // sparse: no disk taken
  std::vector<std::pair<std::filesystem::path, std::string>> rows = {
      {huge, "larger than 67108864 bytes"},
      {dir_, "is a folder, not a file"},
  };
#if !defined(_WIN32)
  const std::filesystem::path fifo = dir_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  rows.push_back({fifo, "is a FIFO, not a file"});
  rows.push_back({"/dev/zero", "is a device, not a file"});
#endif
  for (const auto& [path, reason] : rows) {
    std::string error;
    EXPECT_FALSE(loadTrace(path.string(), error)) << path;
    EXPECT_EQ(error, reason) << path;
  }
}

}  // namespace
}  // namespace dp3
