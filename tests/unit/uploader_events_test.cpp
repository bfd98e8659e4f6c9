// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// The uploader window under a face: Load through the file dialog, Program's
// checks off the window thread, and a window that stays while anything runs.
#include "window_logic/uploader_events.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "sim/keyer_model.hpp"
#include "sim/sim_link.hpp"
#include "surface/control_ids.hpp"
#include "test_face.hpp"

namespace dp3 {
namespace {

// With threads the upload is a thread of the session's; without (the page)
// it is the face's work, held back like the checks until the test runs it.
class UploaderEventsTest : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(Threads, UploaderEventsTest, ::testing::Bool());

TEST_P(UploaderEventsTest, EscExitAndTheCloseBoxWaitForTheChecksAndTheUpload) {
  const bool threads = GetParam();
  KeyerModel model;
  SimLink link(model);
  KeyerInfo keyer;
  MapSurface ui;
  ui.answerYes = true;  // an older image, settings changed: go on, write them back
  test::TestFace face;
  face.holdWork = true;
  face.threads = threads;
  face.files[FileChoice::OpenFirmware] = DP3_TEST_DATA "/lark_full.hex";
  std::map<std::string, std::string> folders = {{"firmware", "/home/ann/hex"}};
  UploaderEvents events(ui, face, link, keyer, false, folders);
  events.onOpen();
  EXPECT_FALSE(ui.isVisible(id::kUploadLog));
  events.onButton(id::kLoadBin);
  ASSERT_EQ(face.asked.size(), 1u);
  EXPECT_EQ(face.asked[0].second, "/home/ann/hex");
  EXPECT_EQ(folders["firmware"], std::filesystem::path(DP3_TEST_DATA).string());
  EXPECT_EQ(ui.text(id::kUploadStatus).rfind("DP LARK Version: 31.04 Loaded, ", 0), 0u);

  events.onButton(id::kProgram);
  EXPECT_TRUE(face.held);
  for (int id : {id::kUploaderExit, id::kLoadBin, id::kProgram}) events.onButton(id);
  events.onEscape();
  events.onClose();
  events.onTimer();
  EXPECT_FALSE(face.closed);
  EXPECT_EQ(face.pending.size(), 1u);
  EXPECT_EQ(face.asked.size(), 1u);

  // The checks pass and the upload starts: on a thread, or as the face's
  // work, which runs once the checks have ended.
  face.runNextWork();
  EXPECT_FALSE(face.held);
  EXPECT_TRUE(events.uploader().uploadRunning());
  EXPECT_EQ(face.pending.size(), threads ? 0u : 1u);
  events.onEscape();
  events.onButton(id::kUploaderExit);
  events.onClose();
  events.onTimer();
  EXPECT_FALSE(face.closed);
  // The upload, then the settings written back: work of the face's too.
  while (events.uploader().timerActive()) {
    face.finishWork();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    events.onTimer();
  }
  EXPECT_EQ(ui.text(id::kUploadStatus).rfind("Upload Completed Successfully", 0), 0u)
      << ui.text(id::kUploadStatus);
  events.onEscape();
  EXPECT_TRUE(face.closed);
}

// A file that does not load says where and why under "File Error".
TEST(UploaderEvents, AFileThatDoesNotLoadSaysWhereAndWhy) {
  const struct {
    const char* file;
    const char* where;
  } rows[] = {{DP3_TEST_DATA "/no_such.hex", "cannot open: "},
              {DP3_TEST_DATA "/lark_full.asm", "line 1: "}};
  for (const auto& row : rows) {
    KeyerModel model;
    SimLink link(model);
    KeyerInfo keyer;
    MapSurface ui;
    test::TestFace face;
    face.files[FileChoice::OpenFirmware] = row.file;
    std::map<std::string, std::string> folders;
    UploaderEvents events(ui, face, link, keyer, false, folders);
    events.onOpen();
    events.onButton(id::kLoadBin);
    EXPECT_EQ(ui.text(id::kUploadStatus), "File Error") << row.file;
    EXPECT_EQ(ui.text(id::kUploadPath), row.file);
    EXPECT_EQ(ui.text(id::kUploadFileError).rfind(row.where, 0), 0u)
        << ui.text(id::kUploadFileError);
    EXPECT_FALSE(ui.isEnabled(id::kProgram));
  }
}

}  // namespace
}  // namespace dp3
