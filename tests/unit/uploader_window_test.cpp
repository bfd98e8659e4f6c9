#include "window_logic/uploader_window.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "sim/keyer_model.hpp"
#include "sim/sim_link.hpp"
#include "surface/control_ids.hpp"
#include "surface/map_surface.hpp"

namespace dp3 {
namespace {

const std::string kLark = DP3_TEST_DATA "/lark_full.hex";
const std::string kOrca = DP3_TEST_DATA "/orca_small.hex";
const std::string kMissing = "/nonexistent/firmware.hex";

// Word 3 holding version bytes 31 and K = 200.
const std::string kKind200 = DP3_TEST_DATA "/pika_kind200.hex";
const std::string kEndOnly = DP3_TEST_DATA "/end_only.hex";

// A window's question runs an event loop, and with it the upload timer.
struct AskingSurface : MapSurface {
  std::function<void()> whileAsking;
  bool askYesNo(std::string_view text, std::string_view caption) override {
    if (whileAsking) whileAsking();
    return MapSurface::askYesNo(text, caption);
  }
};

struct Bench {
  explicit Bench(SimConfig config = {})
      : model(config), link(model), window(ui, link, keyer, false) {
    ui.answerYes = true;
    window.onOpen();
  }
  // Program, then the timer until the window is idle again.
  void program() {
    window.onProgram();
    while (window.timerActive()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      window.onTimer();
    }
  }
  KeyerModel model;
  SimLink link;
  AskingSurface ui;
  KeyerInfo keyer;
  UploaderWindow window;
};

TEST(Compatibility, EveryIcAgainstEveryImageKind) {
  const std::string ic[] = {"an ORCA", "a ROOK", "a LARK", "a PIKA"};
  for (int kind : {0, 49, 50, 99, 100, 149, 150, 199, 200, 255}) {
    const int band = std::min(kind / 50, 3);
    for (int variant = 1; variant <= 4; ++variant) {
      const std::string expected = variant - 1 == band
                                       ? ""
                                       : "Error: Attempting to program " + ic[variant - 1] +
                                             " DP with " + ic[band] + " image !";
      EXPECT_EQ(compatibilityError(variant, kind), expected) << variant << "/" << kind;
    }
    // 5 is an IC type like any other unknown one: only a keyer whose
    // bootloader alone answers takes any image.
    for (int unknown : {0, 5, 6, 255}) {
      EXPECT_EQ(compatibilityError(unknown, kind), "Error: Unknown Keyer IC Version !");
    }
  }
}

TEST(UploaderWindow, ProgramRefusals) {
  struct Case {
    std::vector<std::string> loads;
    int openCode;
    std::string status;
    bool notConnected;
    std::uint8_t icType = kVariantLark;
  };
  const std::vector<Case> cases = {
      {{}, 0, "Error: Please Open a Programming File !", false},
      {{kMissing}, 0, "Error: Please Open a Programming File !", false},
      {{kLark, kMissing}, 0, "Error: Zero Length File !", false},
      {{kLark, kEndOnly}, 0, "Error: Zero Length File !", false},
      {{kLark}, kCommOpenFailed, "DP LARK Version: 31.04 Loaded, 964 Records", true},
      {{kOrca}, 0, "Error: Attempting to program a LARK DP with an ORCA image !", false},
      {{kKind200}, 0, "Error: Attempting to program a LARK DP with a PIKA image !", false},
      // A running keyer answering IC type 5 is not in recovery mode.
      {{kLark}, 0, "Error: Unknown Keyer IC Version !", false, 5},
  };
  for (const Case& c : cases) {
    SimConfig keyer;
    keyer.variant = c.icType;
    Bench b(keyer);
    for (const std::string& file : c.loads) b.window.onLoad(file);
    b.link.failOpenWith(c.openCode);
    b.ui.setProgress(id::kUploadProgress, 42);
    b.window.onProgram();
    const std::string name = c.status;
    EXPECT_EQ(b.ui.text(id::kUploadStatus), c.status);
    EXPECT_EQ(b.ui.control(id::kUploadProgress).progress, 0) << name;
    EXPECT_FALSE(b.window.timerActive()) << name;
    ASSERT_EQ(b.ui.messages.size(), c.notConnected ? 1u : 0u) << name;
    if (c.notConnected) {
      EXPECT_EQ(b.ui.messages[0].text, "DP not connected");
      EXPECT_EQ(b.ui.messages[0].caption, "Error");
    }
    // Nothing beyond the interface test reached the keyer.
    EXPECT_EQ(std::count(b.model.received().begin(), b.model.received().end(), 0x9B), 0) << name;
  }
}

TEST(UploaderWindow, UploadRunsOnTheWorkerAndEndsIdle) {
  SimConfig bootOnly;
  bootOnly.bootloaderOnly = true;
  SimConfig pika;
  pika.variant = kVariantPika;
  SimConfig refuse;
  refuse.fault = {FaultKind::Refuse, 0x81, 600};
  SimConfig refuse88 = refuse;
  refuse88.fault.code = 0x88;  // the keyer's byte, not a completed upload
  struct Case {
    SimConfig keyer;
    std::string file;
    std::string running;
    std::string result;
    int progress;
    bool failed = false;  // the keyer is left in its bootloader, and told so
  };
  const std::vector<Case> cases = {
      // Another version resets the simulated keyer's settings; the backup goes back.
      {{}, kLark, "Programming DPUSB....", "Upload Completed Successfully, Settings Restored", 99},
      {bootOnly, kOrca, "Programming DPUSB in Recovery mode....", "Upload Completed Successfully",
       99},
      {pika, kKind200, "Programming DPUSB....", "Upload Completed Successfully, Settings Restored",
       99},
      {refuse, kLark, "Programming DPUSB....", "Error: Checksum !", 61, true},  // slot 595 of 960
      {refuse88, kLark, "Programming DPUSB....", "Error: Restart failed !", 61, true},
  };
  for (const Case& c : cases) {
    Bench b(c.keyer);
    EXPECT_FALSE(b.ui.isEnabled(id::kProgram));
    b.window.onLoad(c.file);
    EXPECT_TRUE(b.ui.isEnabled(id::kProgram));
    b.window.onProgram();
    EXPECT_EQ(b.ui.text(id::kUploadStatus), c.running);
    ASSERT_TRUE(b.window.timerActive()) << c.running;
    for (int button : {id::kLoadBin, id::kProgram, id::kUploaderExit}) {
      EXPECT_FALSE(b.ui.isEnabled(button)) << button;
    }
    while (b.window.timerActive()) {
      EXPECT_TRUE(b.window.uploadRunning());
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      b.window.onTimer();
    }
    EXPECT_EQ(b.ui.text(id::kUploadStatus), c.result);
    EXPECT_EQ(b.ui.control(id::kUploadProgress).progress, c.progress) << c.result;
    ASSERT_TRUE(b.window.lastOutcome());
    EXPECT_EQ(b.window.lastOutcome()->completed(), !c.failed);
    EXPECT_EQ(b.keyer.bootloaderOnly, c.failed || c.keyer.bootloaderOnly) << c.result;
    ASSERT_EQ(b.ui.messages.size(), c.failed ? 1u : 0u) << c.result;
    if (c.failed) {
      EXPECT_EQ(b.ui.messages[0].text, kBootloaderOnlyHint);
    }
    EXPECT_FALSE(b.window.uploadRunning());
    // A new load is needed before programming again.
    EXPECT_TRUE(b.ui.isEnabled(id::kLoadBin));
    EXPECT_FALSE(b.ui.isEnabled(id::kProgram));
    EXPECT_TRUE(b.ui.isEnabled(id::kUploaderExit));
  }
}

TEST(UploaderWindow, OlderImageNote) {
  struct Case {
    ImageVersion image;
    std::uint8_t version, revision, variant;
    std::string note;
  };
  const std::string lark = "The keyer runs LARK firmware 31.12; this image holds ";
  const std::vector<Case> cases = {
      {{31, 104}, 31, 112, kVariantLark, lark + "31.04, an older version."},
      {{30, 140}, 31, 112, kVariantLark, lark + "30.40, an older version."},
      {{31, 112}, 31, 112, kVariantLark, ""},
      {{31, 113}, 31, 112, kVariantLark, ""},
      {{32, 100}, 31, 112, kVariantLark, ""},
      {{31, 4},
       31,
       12,
       kVariantOrca,
       "The keyer runs ORCA firmware 31.12; this image holds 31.04, "
       "an older version."},
      // Past the last band an image has no revision: only the major counts.
      {{31, 200}, 31, 160, kVariantPika, ""},
      {{30, 200},
       31,
       160,
       kVariantPika,
       "The keyer runs PIKA firmware 31.10; this image holds "
       "version 30, an older one."},
  };
  for (const Case& c : cases) {
    KeyerInfo keyer;
    keyer.firmwareVersion = c.version;
    keyer.firmwareRevision = c.revision;
    keyer.icVariant = c.variant;
    EXPECT_EQ(olderImageNote(c.image, keyer), c.note)
        << int(c.image.major) << "." << int(c.image.kind);
  }
}

// The settings before and after an upload that completed on a keyer running its firmware.
TEST(UploaderWindow, SettingsAfterUpload) {
  using Kind = SettingsAfterUpload::Kind;
  auto keyerAt = [](std::uint8_t revision, SimFault fault = {}) {
    SimConfig config;
    config.revision = revision;
    config.fault = fault;
    return config;
  };
  struct Case {
    std::string name;
    SimConfig keyer;
    bool answer;
    std::vector<std::string> asked;  // captions, in order
    Kind kind;
    std::string status;
    bool presetKept;  // the keyer ends with the settings it had
    std::size_t messages = 0;
  };
  const std::vector<Case> cases = {
      {"same version keeps the settings",
       keyerAt(104),
       true,
       {},
       Kind::Unchanged,
       "Upload Completed Successfully",
       true},
      {"older, then restored",
       keyerAt(112),
       true,
       {kOlderFirmwareCaption, kSettingsChangedCaption},
       Kind::Restored,
       "Upload Completed Successfully, Settings Restored",
       true},
      {"older refused: nothing changes",
       keyerAt(112),
       false,
       {kOlderFirmwareCaption},
       Kind::NotChecked,
       kProgramCancelled,
       true},
      {"newer, restore declined",
       keyerAt(100),
       false,
       {kSettingsChangedCaption},
       Kind::Changed,
       "Upload Completed Successfully, Settings Not Restored",
       false},
      {"restore does not verify",
       keyerAt(100, {FaultKind::BadStore, 0, 20}),
       true,
       {kSettingsChangedCaption},
       Kind::RestoreFailed,
       "Upload Completed Successfully, Settings Not Restored",
       false,
       1},
  };
  for (const Case& c : cases) {
    Bench b(c.keyer);
    b.ui.answerYes = c.answer;
    b.ui.whileAsking = [&b] { b.window.onTimer(); };
    b.window.onLoad(kLark);
    b.program();
    std::vector<std::string> asked;
    for (const auto& q : b.ui.questions) asked.push_back(q.caption);
    EXPECT_EQ(asked, c.asked) << c.name;
    EXPECT_EQ(b.window.settingsAfter().kind, c.kind) << c.name;
    EXPECT_EQ(b.ui.text(id::kUploadStatus), c.status) << c.name;
    EXPECT_EQ(b.model.memory() == KeyerModel::presetMemory(), c.presetKept) << c.name;
    EXPECT_EQ(b.ui.messages.size(), c.messages) << c.name;
    EXPECT_TRUE(b.ui.isEnabled(id::kLoadBin)) << c.name;
    if (c.kind == Kind::NotChecked) {
      EXPECT_EQ(std::count(b.model.received().begin(), b.model.received().end(), 0x9B), 0);
      continue;
    }
    // The backup named is the keyer's settings from before the upload.
    EXPECT_EQ(b.keyer.firmwareRevision, 104) << c.name;
    EXPECT_NE(b.window.settingsAfter().backupFile, b.keyer.backupFile) << c.name;
    if (c.kind == Kind::Changed) {
      ASSERT_FALSE(b.window.settingsAfter().differences.empty());
      EXPECT_NE(b.ui.questions[0].text.find(b.window.settingsAfter().differences[0]),
                std::string::npos);
    }
  }
}

}  // namespace
}  // namespace dp3
