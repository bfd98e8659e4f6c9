#include "firmware/uploader_window.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app/control_ids.hpp"
#include "app/map_surface.hpp"
#include "sim/keyer_model.hpp"
#include "sim/sim_link.hpp"

namespace dp3 {
namespace {

const std::string kLark = DP3_TEST_DATA "/lark_full.hex";
const std::string kOrca = DP3_TEST_DATA "/orca_small.hex";

// A one-record firmware file whose version bytes are a and b.
std::string versionFile(std::uint8_t a, std::uint8_t b) {
  const std::vector<std::uint8_t> data = {0x04, 0x28, 0, 0, 0, 0, a, b};
  unsigned sum = 8;
  std::string line = ":08000000";
  for (std::uint8_t byte : data) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", byte);
    line += text;
    sum += byte;
  }
  char check[3];
  std::snprintf(check, sizeof check, "%02X", (0x100 - (sum & 0xFF)) & 0xFF);
  const auto path = std::filesystem::temp_directory_path() /
                    ("dp3_version_" + std::to_string(a) + "_" + std::to_string(b) + ".hex");
  std::ofstream(path) << line << check << "\n:00000001FF\n";
  return path.string();
}

std::string endRecordOnlyFile() {
  const auto path = std::filesystem::temp_directory_path() / "dp3_end_record_only.hex";
  std::ofstream(path) << ":00000001FF\n";
  return path.string();
}

// Ticks the window's timer until the upload has ended.
void runTimer(UploaderWindow& window) {
  for (int tick = 0; window.timerActive() && tick < 100000; ++tick) {
    std::this_thread::sleep_for(std::chrono::microseconds(500));
    window.onTimer();
  }
  ASSERT_FALSE(window.timerActive());
}

struct Bench {
  explicit Bench(SimConfig config = {}, bool verbose = false)
      : model(config), link(model), window(ui, link, keyer, verbose) {
    window.onOpen();
  }
  KeyerModel model;
  SimLink link;
  MapSurface ui;
  KeyerInfo keyer;
  UploaderWindow window;
};

TEST(Compatibility, EveryIcAgainstEveryImageKind) {
  const std::vector<std::uint8_t> kinds = {0, 49, 50, 99, 100, 149, 150, 199, 200, 255};
  // Expected text by variant (row) and kind band (column: ORCA, ROOK, LARK, PIKA).
  const std::vector<std::vector<std::string>> table = {
      {"", "Error: Attempting to program an ORCA DP with a ROOK image !",
       "Error: Attempting to program an ORCA DP with a LARK image !",
       "Error: Attempting to program an ORCA DP with a PIKA image !"},
      {"Error: Attempting to program a ROOK DP with an ORCA image !", "",
       "Error: Attempting to program a ROOK DP with a LARK image !",
       "Error: Attempting to program a ROOK DP with a PIKA image !"},
      {"Error: Attempting to program a LARK DP with an ORCA image !",
       "Error: Attempting to program a LARK DP with a ROOK image !", "",
       "Error: Attempting to program a LARK DP with a PIKA image !"},
      {"Error: Attempting to program a PIKA DP with an ORCA image !",
       "Error: Attempting to program a PIKA DP with a ROOK image !",
       "Error: Attempting to program a PIKA DP with a LARK image !", ""},
  };
  for (std::uint8_t kind : kinds) {
    const std::size_t band = std::min<std::size_t>(kind / 50, 3);
    for (std::uint8_t variant = 1; variant <= 4; ++variant) {
      EXPECT_EQ(compatibilityError(variant, kind), table[variant - 1][band])
          << int(variant) << "/" << int(kind);
    }
    EXPECT_EQ(compatibilityError(5, kind), "") << int(kind);
    for (std::uint8_t unknown : {0, 6, 255}) {
      EXPECT_EQ(compatibilityError(unknown, kind), "Error: Unknown Keyer IC Version !");
    }
  }
}

TEST(UploaderWindow, OpensIdle) {
  Bench b;
  EXPECT_TRUE(b.ui.isEnabled(id::kLoadBin));
  EXPECT_FALSE(b.ui.isEnabled(id::kProgram));
  EXPECT_TRUE(b.ui.isEnabled(id::kUploaderExit));
  EXPECT_FALSE(b.window.timerActive());
  EXPECT_FALSE(b.window.uploadRunning());
}

TEST(UploaderWindow, LoadShowsVersionOrFileError) {
  Bench b;
  b.window.onLoad(kLark);
  EXPECT_EQ(b.ui.text(id::kUploadStatus), "DP LARK Version: 31.04 Loaded, 964 Records");
  EXPECT_EQ(b.ui.text(id::kUploadPath), kLark);
  EXPECT_TRUE(b.ui.isEnabled(id::kProgram));

  b.window.onLoad("/nonexistent/firmware.hex");
  EXPECT_EQ(b.ui.text(id::kUploadStatus), "File Error");
  EXPECT_EQ(b.ui.text(id::kUploadPath), "/nonexistent/firmware.hex");
}

TEST(UploaderWindow, ProgramRefusals) {
  struct Case {
    std::string name;
    std::vector<std::string> loads;
    SimConfig keyer;
    int openCode;
    std::string status;
    std::string message;
  };
  SimConfig lark;  // the simulator's default keyer
  const std::vector<Case> cases = {
      {"no load", {}, lark, 0, "Error: Please Open a Programming File !", ""},
      {"failed load only",
       {"/nonexistent.hex"},
       lark,
       0,
       "Error: Please Open a Programming File !",
       ""},
      {"good then failed load",
       {kLark, "/nonexistent.hex"},
       lark,
       0,
       "Error: Zero Length File !",
       ""},
      {"good then end record only",
       {kLark, endRecordOnlyFile()},
       lark,
       0,
       "Error: Zero Length File !",
       ""},
      {"keyer missing",
       {kLark},
       lark,
       kCommOpenFailed,
       "DP LARK Version: 31.04 Loaded, 964 Records",
       "DP not connected"},
      {"wrong image",
       {kOrca},
       lark,
       0,
       "Error: Attempting to program a LARK DP with an ORCA image !",
       ""},
      {"kind 200 on a LARK",
       {versionFile(200, 31)},
       lark,
       0,
       "Error: Attempting to program a LARK DP with a PIKA image !",
       ""},
  };
  for (const Case& c : cases) {
    Bench b(c.keyer);
    for (const std::string& file : c.loads) b.window.onLoad(file);
    b.link.failOpenWith(c.openCode);
    b.ui.setProgress(id::kUploadProgress, 42);
    b.window.onProgram();
    EXPECT_EQ(b.ui.text(id::kUploadStatus), c.status) << c.name;
    EXPECT_EQ(b.ui.control(id::kUploadProgress).progress, 0) << c.name;
    EXPECT_FALSE(b.window.timerActive()) << c.name;
    if (c.message.empty()) {
      EXPECT_TRUE(b.ui.messages.empty()) << c.name;
    } else {
      ASSERT_EQ(b.ui.messages.size(), 1u) << c.name;
      EXPECT_EQ(b.ui.messages[0].text, c.message) << c.name;
      EXPECT_EQ(b.ui.messages[0].caption, "Error") << c.name;
    }
    // Nothing but the interface test reached the keyer.
    for (std::uint8_t byte : b.model.received()) EXPECT_NE(byte, 0x9B) << c.name;
  }
}

TEST(UploaderWindow, UploadRunsOnTheWorkerAndEndsIdle) {
  struct Case {
    std::string name;
    SimConfig keyer;
    std::string file;
    std::string running;
    std::string result;
    int progress;
  };
  SimConfig bootOnly;
  bootOnly.bootloaderOnly = true;
  SimConfig pika;
  pika.variant = 4;
  pika.revision = 162;
  SimConfig zeroReply;
  zeroReply.fault = {FaultKind::Refuse, 0x00, 3};
  SimConfig refuse;
  refuse.fault = {FaultKind::Refuse, 0x81, 600};
  const std::vector<Case> cases = {
      {"LARK", {}, kLark, "Programming DPUSB....", "Upload Completed Successfully", 99},
      {"recovery, any kind", bootOnly, kOrca, "Programming DPUSB in Recovery mode....",
       "Upload Completed Successfully", 99},
      {"kind 200 on a PIKA", pika, versionFile(31, 200), "Programming DPUSB....",
       "Upload Completed Successfully", 99},
      {"zero reply", zeroReply, kLark, "Programming DPUSB....", "Error: Restart failed !", 0},
      {"checksum", refuse, kLark, "Programming DPUSB....", "Error: Checksum !", 61},
  };
  for (const Case& c : cases) {
    Bench b(c.keyer);
    b.window.onLoad(c.file);
    b.window.onProgram();
    EXPECT_EQ(b.ui.text(id::kUploadStatus), c.running) << c.name;
    ASSERT_TRUE(b.window.timerActive()) << c.name;
    EXPECT_TRUE(b.window.uploadRunning()) << c.name;
    EXPECT_FALSE(b.ui.isEnabled(id::kLoadBin)) << c.name;
    EXPECT_FALSE(b.ui.isEnabled(id::kProgram)) << c.name;
    EXPECT_FALSE(b.ui.isEnabled(id::kUploaderExit)) << c.name;
    runTimer(b.window);
    EXPECT_EQ(b.ui.text(id::kUploadStatus), c.result) << c.name;
    EXPECT_EQ(b.ui.control(id::kUploadProgress).progress, c.progress) << c.name;
    EXPECT_FALSE(b.window.uploadRunning()) << c.name;
    EXPECT_TRUE(b.ui.isEnabled(id::kLoadBin)) << c.name;
    EXPECT_FALSE(b.ui.isEnabled(id::kProgram)) << c.name;
    EXPECT_TRUE(b.ui.isEnabled(id::kUploaderExit)) << c.name;
    EXPECT_EQ(b.ui.text(id::kUploadLog), "") << c.name;  // not verbose
  }
}

TEST(UploaderWindow, VerboseLogReachesTheLogControl) {
  Bench b({}, true);
  b.window.onLoad(kOrca);
  b.window.onProgram();
  EXPECT_EQ(b.ui.text(id::kUploadStatus),
            "Error: Attempting to program a LARK DP with an ORCA image !");
  b.window.onLoad(kLark);
  b.window.onProgram();
  runTimer(b.window);
  const std::string log = b.ui.text(id::kUploadLog);
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 964);
  EXPECT_EQ(log.substr(0, 50), "1fa0 - 631d 6a1d 711d 781d 7f1d 861d 8d1d 941d 3c\n");
  EXPECT_NE(log.find("0018 - ab00 b200 b900 c000 c700 ce00 d500 dc00 3c\n"), std::string::npos);
}

}  // namespace
}  // namespace dp3
