// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// The uploader window's wiring: what each step of an update shows on its
// controls, asks, and enables.
#include "window_logic/uploader_window.hpp"

#include <gtest/gtest.h>

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
    ui.whileAsking = [this] { window.onTimer(); };
    window.onOpen();
  }
  // The timer until the window is idle again; whether the buttons stayed off meanwhile.
  bool runTimer() {
    bool held = true;
    while (window.timerActive()) {
      for (int button : {id::kLoadBin, id::kProgram, id::kUploaderExit}) {
        held = held && !ui.isEnabled(button) && window.uploadRunning();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
      window.onTimer();
    }
    return held;
  }
  std::vector<std::string> asked() const {
    std::vector<std::string> captions;
    for (const auto& q : ui.questions) captions.push_back(q.caption);
    return captions;
  }
  KeyerModel model;
  SimLink link;
  AskingSurface ui;
  KeyerInfo keyer;
  UploaderWindow window;
};

TEST(UploaderWindow, LoadShowsTheImageOrWhereTheFileIsBroken) {
  Bench b;
  EXPECT_FALSE(b.ui.isEnabled(id::kProgram));
  b.window.onLoad(kEndOnly);
  EXPECT_EQ(b.ui.text(id::kUploadStatus), "File Error");
  // The bar shows an upload's progress, and none has run after a load.
  EXPECT_EQ(b.ui.control(id::kUploadProgress).progress, 0);
  EXPECT_EQ(b.ui.text(id::kUploadFileError), "no data records for the program memory");
  EXPECT_TRUE(b.ui.isVisible(id::kUploadFileError));
  EXPECT_FALSE(b.ui.isEnabled(id::kProgram));
  b.window.onLoad(kLark);
  EXPECT_EQ(b.ui.text(id::kUploadStatus), "DP LARK Version: 31.04 Loaded, 964 Records");
  EXPECT_EQ(b.ui.text(id::kUploadPath), kLark);
  EXPECT_FALSE(b.ui.isVisible(id::kUploadFileError));
  EXPECT_TRUE(b.ui.isEnabled(id::kProgram));
  EXPECT_EQ(b.ui.control(id::kUploadProgress).progress, 0);
  EXPECT_EQ(b.ui.focused, id::kProgram);  // the next step, by keyboard
}

// Refusals go to the status line or a box; an upload runs on the worker with
// the questions asked on the way, and the window ends idle.
TEST(UploaderWindow, ProgramShowsEachStep) {
  SimConfig refuse;
  refuse.fault = {FaultKind::Refuse, 0x81, 600};
  const std::vector<std::string> older = {kOlderFirmwareCaption};
  const std::vector<std::string> both = {kOlderFirmwareCaption, kSettingsChangedCaption};
  const std::string wrongIc = "Error: Attempting to program a LARK DP with an ORCA image !";
  const std::string loaded = "DP LARK Version: 31.04 Loaded, 964 Records";
  const std::string restored = "Upload Completed Successfully, Settings Restored";
  const struct {
    std::string file;
    int openCode;
    SimConfig keyer;
    bool answer;  // to every question
    std::string status;
    std::vector<std::string> asked;
    std::string message;  // the one box shown, "" for none
    bool programOn;       // afterwards; after an upload a new load is needed first
  } cases[] = {
      {"", 0, {}, true, "Error: Please Open a Programming File !", {}, "", false},
      {kOrca, 0, {}, true, wrongIc, {}, "", true},
      {kLark, kCommOpenFailed, {}, true, loaded, {}, "DP not connected", true},
      {kLark, 0, {}, false, "Programming cancelled", older, "", true},
      {kLark, 0, {}, true, restored, both, "", false},
      {kLark, 0, refuse, true, "Error: Checksum !", older, kBootloaderOnlyHint, false},
  };
  for (const auto& c : cases) {
    Bench b(c.keyer);
    b.ui.answerYes = c.answer;
    if (!c.file.empty()) b.window.onLoad(c.file);
    b.link.failOpenWith(c.openCode);
    b.ui.setProgress(id::kUploadProgress, 42);
    b.window.onProgram();
    EXPECT_EQ(b.ui.control(id::kUploadProgress).progress, 0) << c.status;
    if (b.window.timerActive()) {
      EXPECT_EQ(b.ui.text(id::kUploadStatus), "Programming DPUSB....");
    }
    EXPECT_TRUE(b.runTimer()) << "Load, Program and Exit stay off while the worker runs";
    EXPECT_EQ(b.ui.text(id::kUploadStatus), c.status);
    // A completed upload ends on a full bar, a failed one where it stopped.
    const int bar = b.ui.control(id::kUploadProgress).progress;
    if (c.status == restored) {
      EXPECT_EQ(bar, 100);
    }
    if (c.keyer.fault.kind == FaultKind::Refuse) {
      EXPECT_TRUE(bar > 0 && bar < 100) << bar;
    }
    EXPECT_EQ(b.asked(), c.asked) << c.status;
    ASSERT_EQ(b.ui.messages.size(), c.message.empty() ? 0u : 1u) << c.status;
    if (!c.message.empty()) {
      EXPECT_EQ(b.ui.messages[0].text, c.message);
    }
    EXPECT_EQ(b.window.lastOutcome().has_value(), !c.programOn && !c.file.empty());
    EXPECT_TRUE(b.ui.isEnabled(id::kLoadBin));
    EXPECT_EQ(b.ui.isEnabled(id::kProgram), c.programOn);
    EXPECT_TRUE(b.ui.isEnabled(id::kUploaderExit));
    // The keys keep working: the focus is never left on a greyed button.
    EXPECT_TRUE(b.ui.isEnabled(b.ui.focused)) << c.status << ": " << b.ui.focused;
  }
}

}  // namespace
}  // namespace dp3
