#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/control_ids.hpp"
#include "app/map_surface.hpp"
#include "firmware/uploader_window.hpp"
#include "link/posix/serial_link.hpp"
#include "sim/keyer_model.hpp"
#include "sim/pty_keyer.hpp"

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

struct Output {
  int exitCode;
  std::string out;
};

// Runs dp3 with arguments; standard output captured, standard error dropped.
Output runDp3(const std::string& arguments) {
  const std::string command = std::string(DP3_EXECUTABLE) + " " + arguments + " 2>/dev/null";
  FILE* pipe = ::popen(command.c_str(), "r");
  if (!pipe) return {-1, {}};
  std::string out;
  std::array<char, 4096> buffer{};
  std::size_t n = 0;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0) out.append(buffer.data(), n);
  const int status = ::pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, out};
}

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
    link.CommClose();
    MapSurface main;
    EXPECT_EQ(TestInterface(main, link, keyer), 31) << c.file;
    EXPECT_EQ(main.text(id::kIcLine), c.ic) << c.file;
    link.CommClose();
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
    std::string arguments;
    int exitCode;
    std::string out;
  };
  const std::vector<Case> cases = {
      {"firmware " + kData + "/lark_full.hex", 0, "DP LARK Version: 31.04 Loaded, 964 Records\n"},
      {"firmware " + kData + "/orca_small.hex", 0, "DP ORCA Version: 31.04 Loaded, 5 Records\n"},
      {"firmware " + badSum, 4,
       "File Error\n" + badSum + ": line 2: checksum mismatch: stored 0xE3, computed 0xE2\n"},
      {"firmware " + broken, 4,
       "File Error\n" + broken + ": no data records for the program memory\n"},
      {"firmware /nonexistent.hex", 4,
       "File Error\n/nonexistent.hex: cannot open: No such file or directory\n"},
      {"firmware", 1, ""},
  };
  for (const Case& c : cases) {
    const Output result = runDp3(c.arguments);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.arguments;
    EXPECT_EQ(result.out, c.out) << c.arguments;
  }
}

TEST(FirmwareCommands, UploadReportsTheResult) {
  SimConfig refuse;
  refuse.fault = {FaultKind::Refuse, 0x81, 10};
  struct Case {
    std::string name;
    SimConfig keyer;
    std::string file;
    int exitCode;
    std::vector<std::string> lines;  // the lines that are not progress
  };
  const std::vector<Case> cases = {
      {"completed",
       {},
       "lark_full.hex",
       0,
       {"DP LARK Version: 31.04 Loaded, 964 Records", "Programming DPUSB....",
        "Upload Completed Successfully"}},
      {"wrong image",
       {},
       "orca_small.hex",
       2,
       {"DP ORCA Version: 31.04 Loaded, 5 Records",
        "Error: Attempting to program a LARK DP with an ORCA image !"}},
      {"refused frame",
       refuse,
       "lark_full.hex",
       2,
       {"DP LARK Version: 31.04 Loaded, 964 Records", "Programming DPUSB....",
        "Error: Checksum !"}},
  };
  for (const Case& c : cases) {
    PtyBench bench(c.keyer);
    ASSERT_TRUE(bench.opened);
    const Output result =
        runDp3("--port " + bench.keyer.path() + " upload " + kData + "/" + c.file);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.name;
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = result.out.find('\n', start)) != std::string::npos;
         start = end + 1) {
      const std::string line = result.out.substr(start, end - start);
      if (!line.empty() && line.back() != '%') lines.push_back(line);
    }
    EXPECT_EQ(lines, c.lines) << c.name << "\n" << result.out;
  }
}

TEST(FirmwareCommands, VerboseUploadPrintsEveryFrame) {
  PtyBench bench;
  ASSERT_TRUE(bench.opened);
  const Output result =
      runDp3("--port " + bench.keyer.path() + " upload --verbose " + kData + "/lark_full.hex");
  EXPECT_EQ(result.exitCode, 0);
  // The high block first: slot 1012, word 0x1FA0, accepted.
  EXPECT_NE(result.out.find("\n1fa0 - 631d 6a1d 711d 781d 7f1d 861d 8d1d 941d 3c\n"),
            std::string::npos);
  EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '-'), 964);
}

}  // namespace
}  // namespace dp3
