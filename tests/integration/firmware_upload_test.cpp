#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "link/posix/serial_link.hpp"
#include "process.hpp"
#include "sim/keyer_model.hpp"
#include "sim/posix/pty_keyer.hpp"
#include "surface/control_ids.hpp"
#include "surface/map_surface.hpp"
#include "window_logic/uploader_window.hpp"

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
    std::string ic;
  };
  const std::vector<Case> cases = {
      {"lark_full.hex", 964, "DP IC: LARK"},
      {"orca_small.hex", 956, "DP IC: ORCA"},
  };
  for (const Case& c : cases) {
    SimConfig bootOnly;
    bootOnly.bootloaderOnly = true;  // any image kind is taken in recovery mode
    PtyBench bench(bootOnly);
    ASSERT_TRUE(bench.opened);
    SerialLink link(bench.keyer.path());
    MapSurface ui;
    KeyerInfo keyer;
    UploaderWindow window(ui, link, keyer, true);
    window.onOpen();
    window.onLoad(kData + "/" + c.file);
    window.onProgram();
    ASSERT_TRUE(window.timerActive()) << ui.text(id::kUploadStatus);
    while (window.timerActive()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(kUploadTimerMs));
      window.onTimer();
    }
    EXPECT_EQ(ui.text(id::kUploadStatus), "Upload Completed Successfully") << c.file;
    const std::string log = ui.text(id::kUploadLog);
    EXPECT_EQ(static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n')), c.slotsSent);

    bench.keyer.inspect([&](KeyerModel& model) {
      EXPECT_EQ(model.programmed().count(), c.slotsSent) << c.file;
      for (std::size_t n = 0; n < kSlotCount; ++n) {
        if (!model.programmed()[n]) continue;
        ASSERT_EQ(model.flash().slots[n], window.image().slots[n]) << c.file << " slot " << n;
      }
    });

    // The keyer now runs the image it was given.
    link.commClose();
    MapSurface main;
    EXPECT_EQ(testInterface(main, link, keyer).version, 31) << c.file;
    EXPECT_EQ(main.text(id::kIcLine), c.ic) << c.file;
    link.commClose();
  }
}

TEST(FirmwareCommands, FirmwareShowsTheImageOrWhereTheFileIsBroken) {
  auto writeFile = [](const std::string& name, const char* text) {
    const std::string path = testing::TempDir() + name;
    std::ofstream(path) << text;
    return path;
  };
  const std::string broken = writeFile("dp3_broken.hex", ":00000001FF\n");
  const std::string badSum =
      writeFile("dp3_bad_sum.hex", ":020000040000FA\n:0400100001020304E3\n:00000001FF\n");

  struct Case {
    std::string file;
    int exitCode;
    std::string out;
  };
  const std::vector<Case> cases = {
      {kData + "/lark_full.hex", 0, "DP LARK Version: 31.04 Loaded, 964 Records\n"},
      {kData + "/orca_small.hex", 0, "DP ORCA Version: 31.04 Loaded, 5 Records\n"},
      {badSum, 4,
       "File Error\n" + badSum + ": line 2: checksum mismatch: stored 0xE3, computed 0xE2\n"},
      {broken, 4, "File Error\n" + broken + ": no data records for the program memory\n"},
      {"/nonexistent.hex", 4,
       "File Error\n/nonexistent.hex: cannot open: No such file or directory\n"},
      {kData, 4, "File Error\n" + kData + ": cannot open: it is a folder\n"},
  };
  for (const Case& c : cases) {
    const auto result = runDp3({"firmware", c.file});
    EXPECT_EQ(result.exitCode, c.exitCode) << c.file;
    EXPECT_EQ(result.out, c.out) << c.file;
  }
}

TEST(FirmwareCommands, UploadReportsTheResult) {
  struct Case {
    std::vector<std::string> sim;
    std::string file;
    int exitCode;
    std::vector<std::string> lines;  // the lines that are not progress; "*" ends a prefix
    std::vector<std::string> options = {};
    std::string err = "";  // found on standard error
  };
  const std::string lark = "DP LARK Version: 31.04 Loaded, 964 Records";
  const std::string older =
      "Note: The keyer runs LARK firmware 31.12; this image holds 31.04, an older version.";
  const std::string changed = "The new firmware changed the keyer's settings: *";
  const std::string notRestored = "Upload Completed Successfully, Settings Not Restored";
  const std::string restoreWith = "To restore the settings from before the update: dp3 --port *";
  const std::vector<Case> cases = {
      {{"--revision", "104"},
       "lark_full.hex",
       0,
       {lark, "Programming DPUSB....", "Upload Completed Successfully"}},
      {{},
       "lark_full.hex",
       0,
       {lark, older, "Programming DPUSB....", changed, notRestored, restoreWith}},
      {{},
       "lark_full.hex",
       0,
       {lark, older, "Programming DPUSB....", changed,
        "Upload Completed Successfully, Settings Restored", "Settings restored from *"},
       {"--restore-settings"}},
      {{"--fault", "bad-store@20"},
       "lark_full.hex",
       2,
       {lark, older, "Programming DPUSB....", changed, notRestored, restoreWith},
       {"--restore-settings"},
       "did not verify"},
      {{},
       "orca_small.hex",
       2,
       {"DP ORCA Version: 31.04 Loaded, 5 Records",
        "Error: Attempting to program a LARK DP with an ORCA image !"}},
      {{"--fault", "refuse:0x81@10"},
       "lark_full.hex",
       2,
       {lark, older, "Programming DPUSB....", "Error: Checksum !"},
       {},
       "runs only its bootloader"},
      {{"--variant", "NONE"},
       "orca_small.hex",
       0,
       {"DP ORCA Version: 31.04 Loaded, 5 Records", "Programming DPUSB in Recovery mode....",
        "Upload Completed Successfully"}},
  };
  for (const Case& c : cases) {
    SimProcess sim(c.sim);
    ASSERT_FALSE(sim.path().empty());
    std::vector<std::string> args = {"--port", sim.path(), "upload", kData + "/" + c.file};
    args.insert(args.end(), c.options.begin(), c.options.end());
    const auto result = runDp3(args);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.file;
    std::vector<std::string> lines;
    std::istringstream out(result.out);
    for (std::string line; std::getline(out, line);) {
      if (line.empty() || line.back() != '%') lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), c.lines.size()) << result.out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const std::string& want = c.lines[i];
      if (!want.empty() && want.back() == '*') {
        EXPECT_EQ(lines[i].rfind(want.substr(0, want.size() - 1), 0), 0u) << result.out;
      } else {
        EXPECT_EQ(lines[i], want) << result.out;
      }
    }
    EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
  }
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
