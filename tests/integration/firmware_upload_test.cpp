// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "firmware/upload_session.hpp"
#include "link/posix/serial_link.hpp"
#include "process.hpp"
#include "sim/keyer_model.hpp"
#include "sim/posix/pty_keyer.hpp"

namespace dp3 {
namespace {

const std::string kData = DP3_TEST_DATA;

// The simulated keyer on a pseudo-terminal, served on its own thread.
struct PtyBench {
  explicit PtyBench(SimConfig config = {}) : model(config), keyer(model) {
    std::string error;
    opened = keyer.open(error);
    EXPECT_TRUE(opened) << error;
    if (opened) keyer.start();
  }
  KeyerModel model;
  PtyKeyer keyer;
  bool opened = false;
};

using test::runDp3;
using test::SimProcess;

TEST(FirmwareUpload, AssemblerImageLandsInTheKeyersFlash) {
  struct Case {
    std::string file;
    std::size_t slotsSent;
    std::uint8_t ic;
  };
  const std::vector<Case> cases = {
      {"lark_full.hex", 964, kVariantLark},
      {"orca_small.hex", 956, kVariantOrca},
  };
  for (const Case& c : cases) {
    SimConfig bootOnly;
    bootOnly.bootloaderOnly = true;  // any image kind is taken in recovery mode
    PtyBench bench(bootOnly);
    ASSERT_TRUE(bench.opened);
    SerialLink link(bench.keyer.path());
    KeyerInfo keyer;
    UploadSession session(link, keyer, true);
    session.load(kData + "/" + c.file);
    ASSERT_EQ(session.check({}).check, ProgramCheck::Ready) << c.file;
    session.start();
    std::size_t logLines = 0;
    for (bool done = false; !done;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
      done = session.workerDone();
      logLines += session.takeLogLines().size();
    }
    EXPECT_TRUE(session.finish().upload->completed()) << c.file;
    EXPECT_EQ(logLines, c.slotsSent);

    bench.keyer.inspect([&](KeyerModel& model) {
      EXPECT_EQ(model.programmed().count(), c.slotsSent) << c.file;
      for (std::size_t n = 0; n < kSlotCount; ++n) {
        if (!model.programmed()[n]) continue;
        ASSERT_EQ(model.flash().slots[n], session.image().slots[n]) << c.file << " slot " << n;
      }
    });

    // The keyer now runs the image it was given.
    link.commClose();
    const InterfaceTest test = testInterface(link, keyer);
    EXPECT_EQ(test.version, 31) << c.file;
    EXPECT_EQ(test.icType, c.ic) << c.file;
    link.commClose();
  }
}

TEST(FirmwareCommands, FirmwareShowsTheImageOrWhereTheFileIsBroken) {
  const std::string badSum = testing::TempDir() + "dp3_bad_sum.hex";
  std::ofstream(badSum) << ":020000040000FA\n:0400100001020304E3\n:00000001FF\n";

  struct Case {
    std::string file;
    int exitCode;
    std::string out;
  };
  const std::vector<Case> cases = {
      {badSum, 4,
       "File Error\n" + badSum + ": line 2: checksum mismatch: stored 0xE3, computed 0xE2\n"},
      {kData, 4, "File Error\n" + kData + ": cannot open: it is a folder\n"},
  };
  for (const Case& c : cases) {
    const auto result = runDp3({"firmware", c.file});
    EXPECT_EQ(result.exitCode, c.exitCode) << c.file;
    EXPECT_EQ(result.out, c.out) << c.file;
  }
}

// The transcript has the rest; these are the paths it does not take.
TEST(FirmwareCommands, UploadReportsTheResult) {
  struct Case {
    std::vector<std::string> sim;
    int exitCode;
    std::vector<std::string> lines;  // after "Programming", not progress; "*" ends a prefix
    std::vector<std::string> options = {};
    std::string err = "";  // found on standard error
  };
  const std::string changed = "The new firmware changed the keyer's settings: *";
  const std::string notRestored = "Upload Completed Successfully, Settings Not Restored";
  const std::string restored = "Upload Completed Successfully, Settings Restored";
  const std::string restoreWith = "To restore the settings from before the update: dp3 --port *";
  const std::vector<std::string> restore = {"--restore-settings"};
  // A backup that Write refuses is not written back: exit 3, as dp3 write.
  const std::string weight255 = (std::filesystem::temp_directory_path() /
                                 ("dp3-weight255-" + std::to_string(::getpid()) + ".eep"))
                                    .string();
  SettingsImage refused = KeyerModel::presetMemory();
  refused[user_field::kWeight] = 255;
  std::ofstream(weight255, std::ios::binary)
      .write(reinterpret_cast<const char*>(refused.data()), refused.size());
  const std::vector<Case> cases = {
      {{"--eep", weight255}, 3, {changed, notRestored}, restore, "Weight must be between"},
      {{}, 0, {changed, notRestored, restoreWith}},
      {{}, 0, {changed, restored, "Settings restored from *"}, restore},
      {{"--fault", "bad-store@20"}, 2, {changed, notRestored, restoreWith}, restore, "not verify"},
      // The keyer's 0x88 is a refusal like any other byte, never a completed upload.
      {{"--fault", "refuse:0x88@10"}, 2, {"Error: Restart failed !"}, {}, "only its bootloader"},
  };
  for (const Case& c : cases) {
    SimProcess sim(c.sim);
    ASSERT_FALSE(sim.path().empty());
    std::vector<std::string> args = {"--port", sim.path(), "upload", kData + "/lark_full.hex"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const auto result = runDp3(args);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.out;
    std::vector<std::string> lines;
    std::istringstream out(result.out);
    for (std::string line; std::getline(out, line);) {
      if (line.empty() || line.back() != '%') lines.push_back(line);
    }
    std::vector<std::string> want = {
        "DP LARK Version: 31.04 Loaded, 964 Records",
        "Note: The keyer runs LARK firmware 31.12; this image holds 31.04, an older version.",
        "Programming DPUSB...."};
    want.insert(want.end(), c.lines.begin(), c.lines.end());
    ASSERT_EQ(lines.size(), want.size()) << result.out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (want[i].back() == '*') {
        EXPECT_EQ(lines[i].rfind(want[i].substr(0, want[i].size() - 1), 0), 0u) << result.out;
      } else {
        EXPECT_EQ(lines[i], want[i]) << result.out;
      }
    }
    EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
  }
  std::filesystem::remove(weight255);
}

TEST(FirmwareCommands, VerboseUploadPrintsEveryFrame) {
  SimProcess sim({"--revision", "104"});  // the image's own version: nothing else to report
  const auto result =
      runDp3({"--port", sim.path(), "upload", "--verbose", kData + "/lark_full.hex"});
  EXPECT_EQ(result.exitCode, 0);
  // The high block first: slot 1012, word 0x1FA0, accepted.
  EXPECT_NE(result.out.find("\n1fa0 - 631d 6a1d 711d 781d 7f1d 861d 8d1d 941d 3c\n"),
            std::string::npos);
  EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '-'), 964);
}

}  // namespace
}  // namespace dp3
