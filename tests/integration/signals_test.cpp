// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// A closed pipe, Ctrl+C and SIGTERM sent to a real dp3 in the middle of an
// upload or a write against `dp3 sim`: the transfer ends at a safe point, the
// port gets its line settings back and the keyer is left working.
#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <ostream>

#include "../unit/test_env.hpp"
#include "process.hpp"

namespace dp3 {
namespace {

namespace fs = std::filesystem;
using test::Dp3Process;
using test::runDp3;
using test::SimProcess;

const std::string kLarkImage = DP3_TEST_DATA "/lark_full.hex";

// The pseudo-terminal's line settings as stty prints them (-g: all of them).
std::string lineSettings(const std::string& path) {
  std::string settings;
  if (std::FILE* pipe = ::popen(("stty -g -F " + path).c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe)) settings += buffer;
    ::pclose(pipe);
  }
  return settings;
}

class Signals : public TempFolderTest {
 protected:
  void SetUp() override {
    TempFolderTest::SetUp();
    ASSERT_FALSE(sim_.path().empty());
    // Anything but what dp3 sets while it talks (raw, 1200 or 9600 baud).
    ASSERT_EQ(std::system(("stty -F " + sim_.path() + " 19200 sane").c_str()), 0);
    before_ = lineSettings(sim_.path());
  }
  // After the stop: the port as it was, and a keyer that answers with its firmware.
  void expectKeyerWorkingAndLineRestored() {
    EXPECT_EQ(lineSettings(sim_.path()), before_);
    const auto test = runDp3({"--port", sim_.path(), "test"});
    EXPECT_EQ(test.exitCode, 0) << test.out << test.err;
    EXPECT_NE(test.out.find(">DP OK"), std::string::npos) << test.out;
  }

  SimProcess sim_;
  std::string before_;
};

struct StopRow {
  const char* name;
  int signal;    // sent once the transfer is under way; SIGPIPE: the output is closed
  int exitCode;  // 130 and 143 for the signals, 4 for output that could not be written
  const char* said;
};

void PrintTo(const StopRow& row, std::ostream* out) {
  *out << row.name;
}

const StopRow kStops[] = {
    {"sigint", SIGINT, 130, "dp3: stopped by SIGINT"},
    {"sigterm", SIGTERM, 143, "dp3: stopped by SIGTERM"},
    {"closed_pipe", SIGPIPE, 4, "dp3: the output could not be written"},
};

class StopMidUpload : public Signals, public ::testing::WithParamInterface<StopRow> {};

TEST_P(StopMidUpload, FinishesTheUploadThenStops) {
  const StopRow& row = GetParam();
  Dp3Process dp3({"--port", sim_.path(), "upload", kLarkImage});
  std::string seen;
  ASSERT_TRUE(dp3.readUntil("Programming", seen)) << seen;
  std::string line;
  ASSERT_TRUE(dp3.readLine(line) && dp3.readLine(line)) << seen;  // "0%", then frames went
  if (row.signal == SIGPIPE) {
    dp3.closeOutput();
  } else {
    dp3.signal(row.signal);
  }
  const auto result = dp3.wait();
  EXPECT_EQ(result.exitCode, row.exitCode) << result.err;
  EXPECT_NE(result.err.find(row.said), std::string::npos) << result.err;
  // What the keyer holds, and how to put its settings back: on standard
  // error when standard output is gone.
  const std::string& told = row.signal == SIGPIPE ? result.err : result.out;
  EXPECT_NE(told.find("Upload Completed Successfully"), std::string::npos) << told;
  EXPECT_NE(told.find("To restore the settings from before the update: dp3 "), std::string::npos)
      << told;
  if (row.signal != SIGPIPE) {
    EXPECT_NE(result.err.find("the upload goes on to its end"), std::string::npos) << result.err;
  }
  expectKeyerWorkingAndLineRestored();
}

class StopMidWrite : public Signals, public ::testing::WithParamInterface<StopRow> {};

TEST_P(StopMidWrite, FinishesTheWriteThenStops) {
  const StopRow& row = GetParam();
  const std::string file = (dir_ / "k.eep").string();
  ASSERT_EQ(runDp3({"--port", sim_.path(), "read", file}).exitCode, 0);
  ASSERT_EQ(std::system(("stty -F " + sim_.path() + " 19200 sane").c_str()), 0);
  Dp3Process dp3({"--port", sim_.path(), "write", file});
  std::string seen;
  ASSERT_TRUE(dp3.readUntil("Writing", seen)) << seen;  // the keyer's 3 s to store follow
  if (row.signal == SIGPIPE) {
    dp3.closeOutput();
  } else {
    dp3.signal(row.signal);
  }
  const auto result = dp3.wait();
  EXPECT_EQ(result.exitCode, row.exitCode) << result.err;
  EXPECT_NE(result.err.find(row.said), std::string::npos) << result.err;
  if (row.signal != SIGPIPE) {
    EXPECT_EQ(result.out, "Done\n");
  }
  expectKeyerWorkingAndLineRestored();
}

const auto kRowName = [](const auto& info) { return std::string(info.param.name); };
INSTANTIATE_TEST_SUITE_P(Stops, StopMidUpload, ::testing::ValuesIn(kStops), kRowName);
INSTANTIATE_TEST_SUITE_P(Stops, StopMidWrite, ::testing::ValuesIn(kStops), kRowName);

}  // namespace
}  // namespace dp3
