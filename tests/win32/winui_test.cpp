// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// The Win32 window's control surface over the real dialog templates, run by
// scripts/wine-test.sh on a virtual display.
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "settings/settings_model.hpp"
#include "surface/control_ids.hpp"
#include "window_logic/control_names.hpp"
#include "window_logic/setting_controls.hpp"
#include "window_logic/settings_file_view.hpp"
#include "winui/dialog.hpp"
#include "winui/dialog_surface.hpp"
#include "winui/file_dialogs.hpp"

// After windows.h (through dialog_surface.hpp).
#include <commctrl.h>

namespace dp3::winui {
namespace {

INT_PTR CALLBACK plainDialog(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

// A dialog made from its template, not shown, gone with the test.
class DialogTest : public ::testing::Test {
 protected:
  DialogSurface& open(int dialogId) {
    dialog_ = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(dialogId), nullptr,
                                 plainDialog, 0);
    EXPECT_NE(dialog_, nullptr) << "dialog " << dialogId;
    surface_ = std::make_unique<DialogSurface>(dialog_);
    return *surface_;
  }
  void TearDown() override {
    if (dialog_) DestroyWindow(dialog_);
  }

  HWND dialog_ = nullptr;
  std::unique_ptr<DialogSurface> surface_;
};

// The window logic addresses controls only by these ids; each must be in its template.
TEST_F(DialogTest, EveryControlTheLogicAddressesIsInItsTemplate) {
  std::vector<int> main = {
      id::kBank1,           id::kBank2,         id::kUser1,        id::kUser2,
      id::kReadDp,          id::kWriteDp,       id::kTestDp,       id::kFwUpdate,
      id::kSetComPort,      id::kRtty,          id::kAbout,        id::kReadConfigFile,
      id::kWriteConfigFile, id::kResetDefaults, id::kExit,         id::kBytesLeft,
      id::kOperationStatus, id::kPotValue,      id::kVolts,        id::kPushButtons,
      id::kInterfaceStatus, id::kFileName,      id::kComPortLabel, id::kIcLine,
      id::kConfigGroup,     id::kEditorGroup,   id::kPlayCallsign, id::kStopPlay,
      id::kCallsignDuration};
  for (int i = 0; i < 6; ++i) {
    main.insert(main.end(),
                {id::kMsgLabel1 + i, id::kMsgLabel7 + i, id::kPlayMsg1 + i, id::kMsgDuration1 + i});
  }
  std::vector<int> rtty = {id::kRttyOk, id::kRttyCancel};
  for (const SettingControl& row : kSettingControls) {
    const bool inRtty = findSetting(row.label, 1)->window == SettingWindow::Rtty;
    (inRtty ? rtty : main).push_back(row.control);
  }
  const struct {
    int dialog;
    std::vector<int> ids;
  } rows[] = {
      {id::kMainDialog, main},
      {id::kPortDialog,
       {id::kPortList, id::kPortOk, id::kPortExit, id::kPortPath, id::kFindKeyer, id::kPortStatus}},
      {id::kUploaderDialog,
       {id::kLoadBin, id::kProgram, id::kUploaderExit, id::kUploadProgress, id::kUploadLog,
        id::kUploadStatus, id::kUploadPath, id::kUploadFileError}},
      {id::kAboutDialog,
       {id::kAboutVersion, id::kAboutSystem, id::kVerboseMode, id::kAboutGuide, id::kAboutOk,
        id::kTraceBox, id::kTraceFile}},
      {id::kRttyDialog, rtty},
  };
  for (const auto& row : rows) {
    DialogSurface& surface = open(row.dialog);
    for (int control : row.ids) {
      EXPECT_NE(surface.control(control), nullptr)
          << "dialog " << row.dialog << ", control " << control;
    }
    DestroyWindow(dialog_);
    dialog_ = nullptr;
  }
}

// A screen reader names a box by the static just before it, and the label's
// access key moves to the box after it: in every template each label comes
// right before its box (the second of two boxes sharing one label is named
// through the accessibility annotations). Wine's oleacc names a box by its
// own text, so the templates are checked, not get_accName.
TEST_F(DialogTest, EachLabelComesRightBeforeItsBox) {
  int labelled = 0;
  for (int dialogId :
       {id::kMainDialog, id::kPortDialog, id::kUploaderDialog, id::kAboutDialog, id::kRttyDialog}) {
    open(dialogId);
    std::set<int> labels;
    for (const ShownName& shown : shownNames(dialogId)) {
      if (shown.label == 0 || !labels.insert(shown.label).second) continue;
      HWND label = GetDlgItem(dialog_, shown.label);
      ASSERT_NE(label, nullptr) << shown.name;
      EXPECT_EQ(GetWindow(label, GW_HWNDNEXT), GetDlgItem(dialog_, shown.control)) << shown.name;
      EXPECT_TRUE(GetWindowLongPtrW(GetDlgItem(dialog_, shown.control), GWL_STYLE) & WS_TABSTOP)
          << shown.name;
      ++labelled;
    }
    DestroyWindow(dialog_);
    dialog_ = nullptr;
  }
  EXPECT_EQ(labelled, 38);
}

TEST_F(DialogTest, TextGoesInAndComesBackAsTheLogicWroteIt) {
  DialogSurface& surface = open(id::kMainDialog);
  const struct {
    int id;
    const char* set;
    const char* read;
  } rows[] = {
      {id::kMsg1, "CQ CQ\r\nDE TEST", "CQ CQ\r\nDE TEST"},  // the keyer's line break
      {id::kMsg1, "A\nB\n", "A\r\nB\r\n"},                  // a lone LF breaks the line too
      {id::kMaxWpm, "25", "25"},
      {id::kOperationStatus, ">DP OK", ">DP OK"},
      {id::kFileName, "EEP FileName: \xce\xa9mega.eep", "EEP FileName: \xce\xa9mega.eep"},
      {id::kEditorGroup, "Message Editor", "Message Editor"},
      {9999, "no such control", ""},
  };
  for (const auto& row : rows) {
    surface.setText(row.id, row.set);
    EXPECT_EQ(surface.text(row.id), row.read) << row.id;
  }
}

TEST_F(DialogTest, ListsChecksAndProgress) {
  DialogSurface& surface = open(id::kMainDialog);
  surface.clearList(id::kKeyerMode);
  for (const char* entry : {"Iambic A", "Iambic B", "Bug"})
    surface.addListEntry(id::kKeyerMode, entry);
  EXPECT_EQ(surface.selectedEntry(id::kKeyerMode), -1) << "adding selects nothing";
  for (const auto& [select, selected] : {std::pair{2, 2}, {0, 0}, {-1, -1}, {3, -1}}) {
    surface.selectEntry(id::kKeyerMode, select);
    EXPECT_EQ(surface.selectedEntry(id::kKeyerMode), selected) << select;
  }
  EXPECT_EQ(surface.selectedEntry(9999), -1);
  for (const bool checked : {true, false, true}) {
    surface.setChecked(id::kSwap, checked);
    EXPECT_EQ(surface.isChecked(id::kSwap), checked);
  }
  surface.setEnabled(id::kTestDp, false);
  EXPECT_FALSE(IsWindowEnabled(surface.control(id::kTestDp)));
  surface.setVisible(id::kMsg7, true);
  EXPECT_TRUE(GetWindowLongPtrW(surface.control(id::kMsg7), GWL_STYLE) & WS_VISIBLE);

  DialogSurface& uploader = open(id::kUploaderDialog);
  uploader.appendText(id::kUploadLog, "04 ok\n");
  uploader.appendText(id::kUploadLog, "05 ok\n");
  EXPECT_EQ(uploader.text(id::kUploadLog), "04 ok\r\n05 ok\r\n");
  uploader.setProgress(id::kUploadProgress, 40);
  EXPECT_EQ(SendDlgItemMessageW(uploader.dialog(), id::kUploadProgress, PBM_GETPOS, 0, 0), 40);
}

// Notes what the face forwards and swallows '#'; its timer runs script, one
// step a tick, then closes the window.
struct Recorder : WindowLogic {
  Recorder(WindowFace& face, HWND dialog) : face(face), dialog(dialog) {}
  void onButton(int id) override { log.push_back("button " + std::to_string(id)); }
  void onListSelection(int id) override { log.push_back("list " + std::to_string(id)); }
  bool onTypedCharacter(int id, unsigned c) override {
    log.push_back("typed " + std::to_string(id) + " " + char(c));
    return c == '#';
  }
  void onClose() override { log.push_back("close"); }
  void onEscape() override { log.push_back("escape"); }
  int timerPeriodMs() const override { return 10; }
  void onTimer() override {
    if (step < script.size()) return script[step++]();
    face.closeWindow();
  }
  void post(HWND to, UINT message, WPARAM wParam, LPARAM lParam = 0) {
    PostMessageW(to, message, wParam, lParam);
  }
  void click(int id) {
    post(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), LPARAM(GetDlgItem(dialog, id)));
  }
  WindowFace& face;
  HWND dialog;
  std::vector<std::function<void()>> script;
  std::size_t step = 0;
  std::vector<std::string> log;
};

// Runs dialogId with a Recorder, set up by prepare, until its script is done.
std::vector<std::string> record(int dialogId, std::function<void(Recorder&)> prepare) {
  std::vector<std::string> log;
  Dialog dialog(dialogId, [&](ControlSurface& ui, WindowFace& face) {
    auto recorder = std::make_unique<Recorder>(face, static_cast<DialogSurface&>(ui).dialog());
    prepare(*recorder);
    recorder->script.push_back([&log, r = recorder.get()] { log = r->log; });
    return recorder;
  });
  dialog.run(nullptr);
  return log;
}

// Every button's click, every list choice, Esc and the close box reach the
// logic; Esc is never taken for a click on the uploader's Load button, whose
// id is Esc's cancel code.
TEST(DialogFace, EveryEventReachesTheLogic) {
  for (int dialogId :
       {id::kMainDialog, id::kPortDialog, id::kUploaderDialog, id::kAboutDialog, id::kRttyDialog}) {
    std::vector<std::string> expected;
    const auto log = record(dialogId, [&](Recorder& r) {
      for (HWND c = GetWindow(r.dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        wchar_t kind[32] = {};
        GetClassNameW(c, kind, 32);
        const int id = GetDlgCtrlID(c);
        const auto style = GetWindowLongPtrW(c, GWL_STYLE) & BS_TYPEMASK;
        if (std::wstring_view(kind) == L"Button" && style != BS_GROUPBOX) {
          r.click(id);
          expected.push_back("button " + std::to_string(id));
        } else if (std::wstring_view(kind) == L"ComboBox") {
          r.post(r.dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), LPARAM(c));
          expected.push_back("list " + std::to_string(id));
        }
      }
      r.post(GetWindow(r.dialog, GW_CHILD), WM_KEYDOWN, VK_ESCAPE);
      r.post(r.dialog, WM_CLOSE, 0);
      expected.insert(expected.end(), {"escape", "close"});
    });
    EXPECT_EQ(log, expected) << "dialog " << dialogId;
  }
  const auto uploader = record(id::kUploaderDialog, [](Recorder& r) {
    r.post(GetDlgItem(r.dialog, id::kLoadBin), WM_KEYDOWN, VK_ESCAPE);
  });
  EXPECT_EQ(uploader, std::vector<std::string>{"escape"});
}

// The text boxes hand typed characters to the logic, which may swallow them;
// while input is held clicks wait.
TEST(DialogFace, TypedCharactersAndHeldInput) {
  const auto log = record(id::kMainDialog, [](Recorder& r) {
    HWND box = GetDlgItem(r.dialog, id::kMsg1);
    r.post(box, WM_CHAR, 'a');
    r.post(box, WM_CHAR, '#');
    r.script = {[&r] {
                  r.face.holdInput(true);
                  r.click(id::kTestDp);
                },
                [&r] {
                  r.face.holdInput(false);
                  r.click(id::kReadDp);
                }};
  });
  const std::vector<std::string> expected = {"typed 4001 a", "typed 4001 #", "button 4013"};
  EXPECT_EQ(log, expected);
}

// Work leaves the window thread; its calls back and its ending run on it.
TEST(DialogFace, WorkLeavesTheWindowThread) {
  DWORD worker = 0;
  DWORD called = 0;
  DWORD ended = 0;
  record(id::kMainDialog, [&](Recorder& r) {
    r.script = {[&] {
                  r.face.runOffWindowThread(
                      [&] {
                        worker = GetCurrentThreadId();
                        r.face.runOnWindowThread([&] { called = GetCurrentThreadId(); });
                      },
                      [&] { ended = GetCurrentThreadId(); });
                },
                [] { Sleep(100); }};  // time for the work to end
  });
  EXPECT_NE(worker, 0u);
  EXPECT_NE(worker, GetCurrentThreadId());
  EXPECT_EQ(called, GetCurrentThreadId());
  EXPECT_EQ(ended, GetCurrentThreadId());
}

TEST(FilterList, TheCommonDialogsDoubleNulList) {
  using namespace std::string_literals;
  EXPECT_EQ(filterList(kSettingsFileFilters),
            L"Settings Files (*.eep)\0*.eep\0All Documents (*.*)\0*.*\0\0"s);
  const FileFilter bare[] = {{"Bin Files", "*.bin"}};
  EXPECT_EQ(filterList(bare), L"Bin Files (*.bin)\0*.bin\0\0"s);
}

}  // namespace
}  // namespace dp3::winui
