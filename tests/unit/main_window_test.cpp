// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// The main window's logic over a map surface and a face without a window, on
// the in-process simulated keyer: what both faces do, tested once.
#include "window_logic/main_window.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "settings/backups.hpp"
#include "settings/settings_fields.hpp"
#include "settings/settings_file.hpp"
#include "settings/settings_image.hpp"
#include "sim/keyer_model.hpp"
#include "sim/sim_link.hpp"
#include "surface/control_ids.hpp"
#include "system/platform.hpp"
#include "test_env.hpp"
#include "test_face.hpp"
#include "window_logic/setting_controls.hpp"

#if !defined(_WIN32)
#include "link/posix/serial_link.hpp"
#endif

namespace dp3 {
namespace {

namespace fs = std::filesystem;

// A folder of the test's own, gone with it.
struct Scratch {
  explicit Scratch(const std::string& name)
      : dir(fs::temp_directory_path() / (name + "-" + std::to_string(::getpid()))) {
    fs::create_directories(dir);
  }
  ~Scratch() { removeTree(dir); }
  fs::path dir;
};

// A map surface that can look at itself while a message box is up.
struct WatchedSurface : MapSurface {
  std::function<void()> whileMessage;
  void showMessage(std::string_view text, std::string_view caption) override {
    if (whileMessage) whileMessage();
    MapSurface::showMessage(text, caption);
  }
};

// The main window on the simulated keyer; the program configuration in
// configFile's folder when one is given.
struct Window {
  explicit Window(SimConfig sim = {}, const fs::path& configFile = {}) : model(sim) {
    ui.setText(id::kIcLine, "DP IC: ?");
    config.configFilePath = configFile;
    window.onOpen();
  }
  void click(int id) { window.onButton(id); }
  std::string text(int id) const { return ui.text(id); }
  // Test, then Read: the window then holds the keyer's image.
  void readKeyer() {
    click(id::kTestDp);
    click(id::kReadDp);
  }

  KeyerModel model;
  WatchedSurface ui;
  test::TestFace face;
  ProgramConfig config;
  MainWindow window{ui, face, config,
                    [this](const std::string&) { return std::make_unique<SimLink>(model); }};
};

// The keyer received the frame 00 command after its first `from` bytes.
bool sentFrame(const KeyerModel& model, std::uint8_t command, std::size_t from = 0) {
  const auto& bytes = model.received();
  for (std::size_t i = from; i + 1 < bytes.size(); ++i) {
    if (bytes[i] == 0x00 && bytes[i + 1] == command) return true;
  }
  return false;
}

struct LockCase {
  const char* name;
  std::uint8_t version;
  bool bootloaderOnly;
  bool fwUpdate;
  bool readWrite;
};

class UnlockControlsTest : public ::testing::TestWithParam<LockCase> {};

TEST_P(UnlockControlsTest, EnablesByFirmwareVersionAndVariant) {
  const LockCase& c = GetParam();
  Window w;
  w.window.keyer() = KeyerInfo{c.version, 0, kVariantLark, c.bootloaderOnly};
  w.window.lockControls();
  for (int id : {id::kTestDp, id::kReadDp, id::kUser1, id::kBank2, id::kSetComPort}) {
    EXPECT_FALSE(w.ui.isEnabled(id)) << id;
  }
  // Read and Write left on by an earlier keyer follow this one.
  w.ui.setEnabled(id::kReadDp, true);
  w.ui.setEnabled(id::kWriteDp, true);
  w.window.unlockControls();
  for (int id : {id::kTestDp, id::kSetComPort, id::kBank1, id::kBank2, id::kUser1, id::kUser2}) {
    EXPECT_TRUE(w.ui.isEnabled(id)) << id;
  }
  EXPECT_EQ(w.ui.isEnabled(id::kFwUpdate), c.fwUpdate);
  for (int id : {id::kReadDp, id::kWriteDp, id::kRtty}) {
    EXPECT_EQ(w.ui.isEnabled(id), c.readWrite) << id;
  }
  // The lock step enabled the file buttons, and unlocking leaves them on.
  EXPECT_TRUE(w.ui.isEnabled(id::kReadConfigFile));
  EXPECT_TRUE(w.ui.isEnabled(id::kWriteConfigFile));
}

INSTANTIATE_TEST_SUITE_P(Versions, UnlockControlsTest,
                         ::testing::Values(LockCase{"never_tested", 0, false, false, false},
                                           LockCase{"version_29", 29, false, false, false},
                                           LockCase{"version_30", 30, false, true, false},
                                           LockCase{"version_31", 31, false, true, true},
                                           LockCase{"no_firmware", 0, true, true, false},
                                           // a keyer that lost its firmware after a good test
                                           LockCase{"firmware_lost", 31, true, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(MainWindowTest, StartUpLocksTheKeyerButtonsAndFillsTheLists) {
  Window w;
  for (int id : {id::kWriteDp, id::kReadDp, id::kFwUpdate, id::kReadConfigFile,
                 id::kWriteConfigFile, id::kRtty, id::kStopPlay}) {
    EXPECT_FALSE(w.ui.isEnabled(id)) << id;
  }
  for (int id : {id::kTestDp, id::kSetComPort, id::kBank1, id::kBank2, id::kUser1, id::kUser2,
                 id::kResetDefaults, id::kAbout, id::kExit, id::kSwap, id::kKeyerMode}) {
    EXPECT_TRUE(w.ui.isEnabled(id)) << id;
  }
  EXPECT_TRUE(w.ui.isChecked(id::kBank1) && !w.ui.isChecked(id::kBank2));
  EXPECT_TRUE(w.ui.isChecked(id::kUser1) && !w.ui.isChecked(id::kUser2));
  EXPECT_TRUE(w.ui.isVisible(id::kMsg1) && !w.ui.isVisible(id::kMsg7));
  EXPECT_TRUE(w.ui.isVisible(id::kCallsignUser1) && !w.ui.isVisible(id::kCallsignUser2));
  EXPECT_EQ(w.text(id::kComPortLabel), "no keyer port chosen: Set Com Port, Find Keyer");
  EXPECT_EQ(w.text(id::kIcLine), "DP IC: ?");
  EXPECT_EQ(w.text(id::kBytesLeft), "Msg Bytes Left: 240");
  const std::vector<std::string> modes = {"Iambic A", "Iambic B", "Ultimatic",
                                          "UltimDit", "UltimDah", "VibroBug"};
  EXPECT_EQ(w.ui.control(id::kKeyerMode).entries, modes);
  EXPECT_EQ(w.ui.control(id::kOutputSelection).entries.size(), 8u);
  EXPECT_EQ(w.ui.control(id::kPaddleHang).entries.size(), 4u);
  EXPECT_EQ(w.ui.selectedEntry(id::kKeyerMode), -1);
  EXPECT_TRUE(w.text(id::kWeight).empty());
  EXPECT_EQ(w.window.image(), SettingsImage{});  // nothing shown or stored yet
  EXPECT_TRUE(w.model.received().empty());
}

// A keyer command runs off the window thread: the window holds its input,
// takes no second command, keeps its timer and closes once it has ended.
TEST(MainWindowTest, CommandsRunOffTheWindowThreadOneAtATime) {
  Window w;
  w.face.holdWork = true;
  ASSERT_EQ(w.window.link().commOpen(), kCommOpenOk);
  w.click(id::kTestDp);
  EXPECT_TRUE(w.window.busyFlag());
  EXPECT_TRUE(w.face.held);
  EXPECT_FALSE(w.window.link().portOpenFlag());  // closed before the command
  EXPECT_FALSE(w.ui.isEnabled(id::kTestDp) || w.ui.isEnabled(id::kUser2));
  for (int id : {id::kReadDp, id::kResetDefaults, id::kSwap}) w.click(id);
  w.window.onListSelection(id::kKeyerMode);
  w.window.onClose();
  EXPECT_EQ(w.face.pending.size(), 1u);
  EXPECT_TRUE(w.text(id::kWeight).empty());
  EXPECT_EQ(w.window.image(), SettingsImage{});
  EXPECT_FALSE(w.face.closed);
  EXPECT_TRUE(w.model.received().empty());
  // The running command owns the status line; the timer leaves it alone.
  w.ui.setText(id::kOperationStatus, ">Reading");
  for (int tick = 0; tick < 2 * kStatusTicks; ++tick) w.window.onTimer();
  EXPECT_EQ(w.text(id::kOperationStatus), ">Reading");

  w.face.finishWork();
  EXPECT_FALSE(w.window.busyFlag());
  EXPECT_FALSE(w.face.held);
  EXPECT_EQ(w.text(id::kOperationStatus), ">DP OK");
  EXPECT_EQ(w.window.statusCountdown(), kStatusTicks);
  EXPECT_TRUE(w.face.closed);  // the close asked for meanwhile
  EXPECT_FALSE(w.window.link().portOpenFlag());
}

TEST(MainWindowTest, FailedReadLeavesFormAndImage) {
  SimConfig sim;
  sim.fault.kind = FaultKind::ShortDump;
  Window w(sim);
  w.ui.setText(id::kWeight, "42");
  w.click(id::kReadDp);
  EXPECT_EQ(w.text(id::kOperationStatus), ">Read Failed");
  EXPECT_EQ(w.window.image(), SettingsImage{});
  EXPECT_EQ(w.text(id::kWeight), "42");
}

TEST(MainWindowTest, TimerCountsBytesLeftAndClearsTheStatusOnTheTwelfthTick) {
  const struct {
    std::string message;
    int left;
  } rows[] = {{"", 240},
              {"A\r\nB", 236},  // a line break counts two
              {std::string(240, 'E'), 0},
              {std::string(241, 'E'), -1},
              {std::string(300, 'T'), -60}};
  for (const auto& row : rows) {
    Window w;
    w.ui.setText(id::kMsg7 + 5, row.message);
    w.window.onTimer();
    EXPECT_EQ(w.text(id::kBytesLeft), "Msg Bytes Left: " + std::to_string(row.left));
  }
  Window w;
  w.click(id::kTestDp);
  for (int tick = 1; tick <= kStatusTicks; ++tick) {
    EXPECT_EQ(w.text(id::kOperationStatus), ">DP OK") << tick;
    w.window.onTimer();
  }
  EXPECT_EQ(w.text(id::kOperationStatus), "");
  EXPECT_EQ(w.text(id::kPotValue), "PotValue: 14");  // the readings stay
  w.ui.setText(id::kOperationStatus, "later");
  w.window.onTimer();
  EXPECT_EQ(w.text(id::kOperationStatus), "later");
}

// Window state after a command: a keyer that failed its test is forgotten,
// and a failed write stays in view until the next command.

TEST(MainWindowState, AFailedTestForgetsTheKeyer) {
  Window w;
  w.readKeyer();
  EXPECT_EQ(w.text(id::kIcLine), "DP IC: LARK");
  SimConfig silent;
  silent.fault.kind = FaultKind::Silence;
  w.model = KeyerModel(silent);  // unplugged, or another port
  w.click(id::kTestDp);
  EXPECT_EQ(w.text(id::kOperationStatus), ">DP ERR");
  EXPECT_EQ(w.text(id::kIcLine), "DP IC: ?");
  EXPECT_EQ(w.text(id::kInterfaceStatus), "DP Fail:no response");
  for (int needsKeyer : {id::kReadDp, id::kWriteDp, id::kFwUpdate}) {
    EXPECT_FALSE(w.ui.isEnabled(needsKeyer)) << needsKeyer;
  }
  EXPECT_EQ(w.window.keyer().firmwareVersion, 0);
}

TEST(MainWindowState, AFailedWriteStaysWithWhatTheKeyerMayHold) {
  const struct {
    FaultKind fault;
    const char* status;
    const char* caption;
    const char* names;  // what the box says failed
  } rows[] = {
      {FaultKind::BadStore, ">Verify Failed", "Verify Failed", "User 1 Weight"},
      {FaultKind::WriteHangUp, ">Write Failed", "Write Failed", "did not go through"},
  };
  for (const auto& row : rows) {
    Window w;
    w.readKeyer();
    SimConfig faulty;
    faulty.fault = {row.fault, 0, 3};
    w.model = KeyerModel(faulty);
    w.ui.messages.clear();
    w.click(id::kWriteDp);
    SCOPED_TRACE(row.status);
    ASSERT_EQ(w.ui.messages.size(), 1u);
    const std::string& box = w.ui.messages[0].text;
    EXPECT_EQ(w.ui.messages[0].caption, row.caption);
    EXPECT_NE(box.find(row.names), std::string::npos) << box;
    EXPECT_NE(box.find("The keyer "), std::string::npos) << box;
    // The backup it names holds what the keyer held before the write.
    const std::string keptIn = "The settings from before the write are kept in\n";
    const auto at = box.find(keptIn);
    ASSERT_NE(at, std::string::npos) << box;
    const auto from = at + keptIn.size();
    SettingsImage before{};
    EXPECT_TRUE(readSettingsFile(box.substr(from, box.find('\n', from) - from), before).ok());
    EXPECT_EQ(before, KeyerModel(faulty).memory());
    for (int tick = 0; tick < 3 * kStatusTicks; ++tick) w.window.onTimer();
    EXPECT_EQ(w.text(id::kOperationStatus), row.status);
    w.face.holdWork = true;
    w.click(id::kTestDp);  // the next command starts afresh
    EXPECT_EQ(w.text(id::kOperationStatus), "");
    w.face.finishWork();
  }
}

// Keyer A read and written, then keyer C swapped onto the same adapter: the
// backup before C is written holds C's settings, not A's.
TEST(MainWindowState, EachKeyerOnTheAdapterIsBackedUpBeforeAWrite) {
  Window w;
  w.readKeyer();
  w.click(id::kWriteDp);
  ASSERT_EQ(w.text(id::kOperationStatus), "Done");
  w.model = KeyerModel();
  const std::string mark = "keyer C " + std::to_string(::getpid());
  std::copy(mark.begin(), mark.end(), w.model.memory().begin() + kMessagePageOffset);
  const SettingsImage keyerC = w.model.memory();
  w.click(id::kTestDp);
  w.click(id::kWriteDp);
  ASSERT_EQ(w.text(id::kOperationStatus), "Done");
  const auto backups = listBackups(backupFolder());
  EXPECT_TRUE(std::any_of(backups.begin(), backups.end(), [&](const BackupEntry& entry) {
    SettingsImage kept{};
    return readSettingsFile(entry.file, kept).ok() && kept == keyerC;
  }));
}

TEST(MainWindowTest, ResetShowsDefaultsAndKeepsTheRadios) {
  Window w;
  w.click(id::kBank2);
  w.window.image()[14] = 0xC0;  // User 2 active, bank 2 shown
  w.click(id::kResetDefaults);
  const SettingsImage& image = w.window.image();
  EXPECT_EQ(image[14], 0);
  EXPECT_TRUE(std::equal(image.begin(), image.begin() + 16, image.begin() + 16));
  EXPECT_TRUE(w.ui.isChecked(id::kBank2));
  const std::pair<int, const char*> boxes[] = {{id::kMaxWpm, "35"},      {id::kMinWpm, "5"},
                                               {id::kStFreq, "801"},     {id::kStVolume, "4"},
                                               {id::kSerialNumber, "1"}, {id::kWeight, "50"}};
  for (const auto& [box, text] : boxes) EXPECT_EQ(w.text(box), text) << box;
  EXPECT_EQ(w.ui.selectedEntry(id::kPaddleHang), 0);       // "1.0 Word"
  EXPECT_EQ(w.ui.selectedEntry(id::kOutputSelection), 3);  // "Port1, ST, PTT"
  EXPECT_EQ(w.ui.selectedEntry(id::kKeyerMode), 1);        // "Iambic B"
  // The lock step enabled the file buttons; the keyer buttons wait for a Test.
  EXPECT_TRUE(w.ui.isEnabled(id::kWriteConfigFile) && !w.ui.isEnabled(id::kReadDp));
}

// A window that loaded a settings file (defaults, Weight 60) from a scratch folder.
struct LoadedWindow : Window {
  LoadedWindow() {
    SettingsImage defaults{};
    resetSettingsImage(defaults);
    defaults[user_field::kWeight] = 60;  // so Reset to Defaults is an edit
    std::ofstream(scratch.dir / "a.eep", std::ios::binary)
        .write(reinterpret_cast<const char*>(defaults.data()), defaults.size());
    open(scratch.dir / "a.eep");
  }
  void open(const fs::path& file) {
    face.files[FileChoice::OpenSettings] = file.string();
    click(id::kReadConfigFile);
  }
  void save(const fs::path& file) {
    face.files[FileChoice::SaveSettings] = file.string();
    click(id::kWriteConfigFile);
  }
  Scratch scratch{"dp3-main-window"};
};

struct ExitCase {
  const char* name;
  void (*edit)(LoadedWindow&);
  Answer answer;
  bool saveDialogSaves;
  bool asked;
  bool closed;
};

class ExitTest : public ::testing::TestWithParam<ExitCase> {};

// Exit and the close box alike: edits no file or keyer holds are asked
// about; Yes saves them first and closes only once they are saved.
TEST_P(ExitTest, AsksOnlyAboutEditsNoFileOrKeyerHolds) {
  const ExitCase& c = GetParam();
  for (bool viaExit : {true, false}) {
    LoadedWindow w;
    w.ui.answer = c.answer;
    c.edit(w);
    const std::size_t messages = w.ui.messages.size();
    const fs::path kept = w.scratch.dir / "kept.eep";
    w.face.files[FileChoice::SaveSettings] = c.saveDialogSaves ? kept.string() : "";
    if (viaExit) {
      w.click(id::kExit);
    } else {
      w.window.onClose();
    }
    EXPECT_EQ(w.ui.questions.size(), c.asked ? 1u : 0u) << viaExit;
    EXPECT_EQ(w.face.closed, c.closed) << viaExit;
    EXPECT_EQ(fs::exists(kept), c.closed && c.asked && c.answer == Answer::Yes) << viaExit;
    if (c.answer != Answer::Yes) {
      EXPECT_EQ(w.ui.messages.size(), messages) << viaExit;  // the check refuses nothing aloud
    }
  }
}

void weight77(LoadedWindow& w) {
  w.ui.setText(id::kWeight, "77");
}

INSTANTIATE_TEST_SUITE_P(
    Edits, ExitTest,
    ::testing::Values(
        ExitCase{"as_loaded", [](LoadedWindow&) {}, Answer::Cancel, true, false, true},
        ExitCase{"typed_over_with_itself",
                 [](LoadedWindow& w) { w.ui.setText(id::kWeight, "060"); }, Answer::Cancel, true,
                 false, true},
        ExitCase{"other_user_and_back",
                 [](LoadedWindow& w) {
                   w.click(id::kUser2);
                   w.click(id::kUser1);
                 },
                 Answer::Cancel, true, false, true},
        ExitCase{"edited_yes", weight77, Answer::Yes, true, true, true},
        ExitCase{"edited_yes_dialog_cancelled", weight77, Answer::Yes, false, true, false},
        ExitCase{"edited_no", weight77, Answer::No, true, true, true},
        ExitCase{"edited_cancel", weight77, Answer::Cancel, true, true, false},
        ExitCase{"refused_value_yes", [](LoadedWindow& w) { w.ui.setText(id::kWeight, "5"); },
                 Answer::Yes, true, true, false},
        ExitCase{"message", [](LoadedWindow& w) { w.ui.setText(id::kMsg1 + 3, "QRL?"); },
                 Answer::Cancel, true, true, false},
        ExitCase{"check_box", [](LoadedWindow& w) { w.click(id::kSwap); }, Answer::Cancel, true,
                 true, false},
        ExitCase{"reset_defaults", [](LoadedWindow& w) { w.click(id::kResetDefaults); },
                 Answer::Cancel, true, true, false},
        ExitCase{"saved_after_edit",
                 [](LoadedWindow& w) {
                   weight77(w);
                   w.save(w.scratch.dir / "b");
                 },
                 Answer::Cancel, true, false, true},
        ExitCase{"failed_save_after_edit",
                 [](LoadedWindow& w) {
                   weight77(w);
                   w.save(w.scratch.dir / "folder/");
                 },
                 Answer::Cancel, true, true, false},
        // What Read DP or Write DP brought in agreement with the keyer is kept.
        ExitCase{"read_from_the_keyer", [](LoadedWindow& w) { w.readKeyer(); }, Answer::Cancel,
                 true, false, true},
        ExitCase{"written_to_the_keyer",
                 [](LoadedWindow& w) {
                   weight77(w);
                   w.click(id::kTestDp);
                   w.click(id::kWriteDp);
                 },
                 Answer::Cancel, true, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MainWindowTest, ExitClosesThePort) {
  Window w;
  w.click(id::kTestDp);
  ASSERT_TRUE(w.window.link().portOpenFlag());
  w.click(id::kExit);
  EXPECT_TRUE(w.face.closed);
  EXPECT_FALSE(w.window.link().portOpenFlag());
  EXPECT_FALSE(w.ui.isEnabled(id::kTestDp));
}

// Save and load through the file dialogs; the file line names the file the
// settings came from or went to, never one that failed; a cancelled dialog
// changes nothing; each dialog opens where the last of its kind was.
TEST(MainWindowTest, SettingsFilesThroughTheDialogs) {
  LoadedWindow w;
  EXPECT_EQ(w.text(id::kFileName), "EEP FileName: a.eep");
  w.readKeyer();
  w.ui.setText(id::kWeight, "77");
  w.save(w.scratch.dir / "keyer");
  EXPECT_TRUE(w.ui.messages.empty());
  std::ifstream file(w.scratch.dir / "keyer.eep", std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(file), {}};
  file.close();
  ASSERT_EQ(bytes.size(), 300u);
  EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), w.window.image().begin(),
                         [](char a, std::uint8_t b) { return std::uint8_t(a) == b; }));
  EXPECT_EQ(std::uint8_t(bytes[user_field::kWeight]), 77);

  w.click(id::kResetDefaults);
  w.ui.setText(id::kMsg1, "");
  w.open(w.scratch.dir / "keyer.eep");
  EXPECT_EQ(w.text(id::kWeight), "77");
  EXPECT_EQ(w.text(id::kMsg1), "CQ CQ DE N0CALL N0CALL K");
  EXPECT_EQ(w.text(id::kFileName), "EEP FileName: keyer.eep");

  w.open(w.scratch.dir / "missing.eep");
  w.save(w.scratch.dir / "folder/");
  EXPECT_EQ(w.ui.messages.size(), 2u);
  EXPECT_EQ(w.text(id::kFileName), "EEP FileName: keyer.eep");

  w.face.files.clear();
  w.ui.setText(id::kWeight, "12");
  w.click(id::kReadConfigFile);
  EXPECT_EQ(w.text(id::kWeight), "12");

  const std::string folder = w.scratch.dir.string();
  const std::vector<std::pair<FileChoice, std::string>> asked = {
      {FileChoice::OpenSettings, ""},     {FileChoice::SaveSettings, ""},
      {FileChoice::OpenSettings, folder}, {FileChoice::OpenSettings, folder},
      {FileChoice::SaveSettings, folder}, {FileChoice::OpenSettings, folder}};
  EXPECT_EQ(w.face.asked, asked);

  // A refused value shows its message and opens no dialog.
  w.ui.setText(id::kWeight, "50");
  w.ui.setText(id::kStFreq, "4001");
  w.click(id::kWriteConfigFile);
  EXPECT_EQ(w.ui.messages.back().text, "Freq must be 500 or greater.");
  EXPECT_EQ(w.face.asked.size(), asked.size());
}

// After a refused value the box it names has the focus, whether the refusal
// came from a keyer command's worker or from the window thread; otherwise the
// command's button has it back.
TEST(MainWindowTest, FocusAfterACommandOrARefusal) {
  const struct {
    int button;
    int box;
    const char* typed;
    int focused;
  } rows[] = {
      {id::kWriteDp, id::kWeight, "5", id::kWeight},
      {id::kWriteDp, id::kMsg1 + 2, "A$B", id::kMsg1 + 2},
      {id::kWriteDp, id::kMaxWpm, "4", id::kMaxWpm},  // the pot values first
      {id::kUser2, id::kRatio, "70", id::kRatio},
      {id::kWriteConfigFile, id::kStFreq, "4001", id::kStFreq},
      {id::kReadDp, id::kWeight, "50", id::kReadDp},
      {id::kWriteDp, id::kWeight, "50", id::kWriteDp},
  };
  for (const auto& row : rows) {
    Window w;
    w.readKeyer();
    w.face.files[FileChoice::SaveSettings] = "";
    w.ui.setText(row.box, row.typed);
    w.ui.focused = -1;
    w.face.holdWork = true;
    w.click(row.button);
    EXPECT_EQ(w.ui.focused, w.face.pending.empty() ? row.focused : -1) << row.box;
    w.face.finishWork();
    EXPECT_EQ(w.ui.focused, row.focused) << row.box;
    EXPECT_EQ(w.ui.messages.size(), row.focused == row.box ? 1u : 0u) << row.box;
  }
}

TEST(MainWindowTest, AWriteRefusedByTheFormSendsNothing) {
  Window w;
  w.readKeyer();
  const SettingsImage before = w.model.memory();
  const std::size_t sent = w.model.received().size();
  w.ui.setText(id::kWeight, "5");
  w.click(id::kWriteDp);
  ASSERT_EQ(w.ui.messages.size(), 1u);
  EXPECT_EQ(w.ui.messages[0].text, "Weight must be between 10 and 90");
  EXPECT_FALSE(sentFrame(w.model, 0x1B, sent) || sentFrame(w.model, 0x0D, sent));
  EXPECT_EQ(w.model.memory(), before);
  EXPECT_EQ(w.text(id::kWeight), "5");
  EXPECT_TRUE(w.ui.isEnabled(id::kWriteDp));
}

// A refused user switch keeps the user, never showing both radios checked
// (the toolkit may have moved the radio already); a stored one shows the other
// user's values and marks it in the image.
TEST(MainWindowTest, UserSwitchGuardedByTheForm) {
  Window w;
  w.readKeyer();
  w.ui.setText(id::kRatio, "70");
  std::vector<bool> radiosDuringMessage;
  w.ui.whileMessage = [&] {
    radiosDuringMessage = {w.ui.isChecked(id::kUser1), w.ui.isChecked(id::kUser2)};
  };
  w.ui.setChecked(id::kUser1, false);  // as the click left it
  w.ui.setChecked(id::kUser2, true);
  w.click(id::kUser2);
  ASSERT_EQ(w.ui.messages.size(), 1u);
  EXPECT_EQ(w.ui.messages[0].text, "Ratio must be between 33 and 66");
  EXPECT_EQ(radiosDuringMessage, (std::vector<bool>{true, false}));
  EXPECT_EQ(w.window.activeUser(), 1);
  EXPECT_TRUE(w.ui.isChecked(id::kUser1) && !w.ui.isChecked(id::kUser2));
  EXPECT_TRUE(w.ui.isVisible(id::kCallsignUser1));

  w.ui.setText(id::kRatio, "40");
  w.click(id::kUser2);
  EXPECT_EQ(w.ui.messages.size(), 1u);
  EXPECT_EQ(w.window.activeUser(), 2);
  EXPECT_TRUE(!w.ui.isChecked(id::kUser1) && w.ui.isChecked(id::kUser2));
  EXPECT_EQ(w.window.image()[user_field::kRatio], 40);
  EXPECT_EQ(w.window.image()[user_field::kSpacingReg] & 0x80, 0x80);
  EXPECT_TRUE(w.ui.isVisible(id::kCallsignUser2) && !w.ui.isVisible(id::kCallsignUser1));
  EXPECT_EQ(w.text(id::kRatio), "50");  // User 2's own value
  w.click(id::kUser1);
  EXPECT_EQ(w.window.image()[user_field::kSpacingReg] & 0x80, 0);
  EXPECT_EQ(w.text(id::kRatio), "40");
}

// Check boxes and lists act on the current user's bytes and nothing else.
TEST(MainWindowTest, ModeControlsActOnTheCurrentUser) {
  for (int user : {1, 2}) {
    for (const BitField& bit : kModeBits) {
      Window w;
      w.click(id::kResetDefaults);
      if (user == 2) w.click(id::kUser2);
      const SettingsImage before = w.window.image();
      w.click(controlOf(bit.label));
      SettingsImage expected = before;
      expected[fieldOffset(bit.area, bit.offset, user)] ^= bit.mask;
      EXPECT_EQ(w.window.image(), expected) << bit.label << " user " << user;
      EXPECT_TRUE(w.ui.isChecked(controlOf(bit.label))) << bit.label;
      w.click(controlOf(bit.label));
      EXPECT_EQ(w.window.image(), before) << bit.label;
      EXPECT_FALSE(w.ui.isChecked(controlOf(bit.label))) << bit.label;
    }
  }
  Window w;
  w.click(id::kResetDefaults);
  w.click(id::kUser2);
  w.ui.selectEntry(id::kKeyerMode, 3);  // "UltimDit"
  w.window.onListSelection(id::kKeyerMode);
  const SettingsImage& image = w.window.image();
  EXPECT_EQ(image[16 + user_field::kModeReg], 0x20);
  EXPECT_EQ(image[16 + user_field::kPinConfig], 0x87);
  EXPECT_EQ(image[user_field::kModeReg], 0);  // User 1 untouched
  EXPECT_EQ(image[user_field::kPinConfig], 7);
}

TEST(MainWindowTest, BankSwitching) {
  Window w;
  w.readKeyer();
  w.click(id::kBank2);
  EXPECT_TRUE(w.ui.isChecked(id::kBank2) && !w.ui.isChecked(id::kBank1));
  for (int i = 0; i < 6; ++i) {
    EXPECT_FALSE(w.ui.isVisible(id::kMsg1 + i) || w.ui.isVisible(id::kMsgLabel1 + i)) << i;
    EXPECT_TRUE(w.ui.isVisible(id::kMsg7 + i) && w.ui.isVisible(id::kMsgLabel7 + i)) << i;
  }
  EXPECT_EQ(w.window.image()[user_field::kSpacingReg] & 0x40, 0x40);
  EXPECT_EQ(w.window.activeBank(), 2);
  w.click(id::kBank1);
  EXPECT_TRUE(w.ui.isVisible(id::kMsg1) && !w.ui.isVisible(id::kMsg7));
  EXPECT_EQ(w.window.image()[user_field::kSpacingReg] & 0x40, 0);
}

// The text boxes take what the keyer can send within its budget; Enter breaks
// the line as two characters. Other boxes are not the filter's.
TEST(MainWindowTest, TypedCharactersPassTheKeyersFilter) {
  Window w;
  const struct {
    int box;
    unsigned character;
    bool swallowed;
  } rows[] = {{id::kMsg1, 'A', false},         {id::kMsg1, '#', true},
              {id::kCallsignUser2, '~', true}, {id::kMsg7 + 5, 0xE9, true},
              {id::kWeight, '#', false},       {id::kMsg1, '\n', false}};
  for (const auto& row : rows) {
    EXPECT_EQ(w.window.onTypedCharacter(row.box, row.character), row.swallowed)
        << row.box << "/" << row.character;
  }
  w.ui.setText(id::kMsg1 + 1, std::string(239, 'E'));
  EXPECT_FALSE(w.window.onTypedCharacter(id::kMsg1, 'A'));
  w.ui.setText(id::kMsg1, "A");
  EXPECT_TRUE(w.window.onTypedCharacter(id::kMsg1, '\n'));
  EXPECT_TRUE(w.window.onTypedCharacter(id::kCallsignUser1, 'B'));
}

// Read a keyer whose texts hold patterns no character has, then Write with no
// edit: the keyer keeps every byte.
TEST(MainWindowTest, ReadThenWriteKeepsTextsTheWindowCannotSpell) {
  Window w;
  SettingsImage& memory = w.model.memory();
  std::fill(memory.begin() + 32, memory.begin() + 288, 0);
  memory[32] = 22;  // free pointer
  memory[33] = 15;  // Msg 1: C Q, six dits, the stop mark alone, A
  memory[34] = 20;  // Msg 2: 5 $
  const std::vector<std::uint8_t> texts = {0x15, 0x1B, 0x40, 0x01, 0x86, 0x20, 0xC8};
  std::copy(texts.begin(), texts.end(), memory.begin() + 32 + 15);
  const SettingsImage before = memory;
  w.readKeyer();
  EXPECT_EQ(w.text(id::kMsg1), "CQ{......}{}A");
  EXPECT_EQ(w.text(id::kMsg1 + 1), "5$");
  w.click(id::kWriteDp);
  EXPECT_EQ(w.text(id::kOperationStatus), "Done");
  EXPECT_EQ(w.model.memory(), before);
}

// RTTY: Ok stores the current user's bytes; Cancel, Esc and the close box
// leave them. About: OK takes the verbose box, the close box leaves it.
TEST(MainWindowTest, RttyAndAboutTakeTheirBoxesOnlyOnOk) {
  Window w;
  w.readKeyer();
  int step = 0;
  w.face.scripts[id::kRttyDialog] = [&](MapSurface& ui, WindowLogic& logic, test::TestFace& face) {
    ui.setChecked(id::kRttyEnable, step == 0);
    ui.selectEntry(id::kRttyBaudRate, step == 0 ? 2 : 0);
    ui.selectEntry(id::kRttyUsos, step == 0 ? 1 : 0);
    if (step == 0) logic.onButton(id::kRttyOk);
    if (step == 1) logic.onButton(id::kRttyCancel);
    if (step == 2) logic.onEscape();
    if (step == 3) logic.onClose();
    EXPECT_TRUE(face.closed) << step;
  };
  for (step = 0; step < 4; ++step) {
    w.click(id::kRtty);
    EXPECT_EQ(w.window.image()[289], 0x82) << step;
    EXPECT_EQ(w.window.image()[290], 0x01) << step;
  }

  for (bool ok : {true, false}) {
    w.face.scripts[id::kAboutDialog] = [&](MapSurface& ui, WindowLogic& logic,
                                           test::TestFace& face) {
      EXPECT_EQ(ui.text(id::kAboutVersion), "Ver 5.3, Built 12:08:37, Apr 29 2019");
      EXPECT_EQ(ui.isChecked(id::kVerboseMode), !ok);
      ui.setChecked(id::kVerboseMode, ok);
      ok ? logic.onButton(id::kAboutOk) : logic.onClose();
      EXPECT_TRUE(face.closed);
    };
    w.click(id::kAbout);
    EXPECT_TRUE(w.window.about().verboseFlag);
  }
}

// The port window lists the devices present and the window's extra ones;
// OK saves the chosen one, shows it and talks to it from then on.
TEST(MainWindowTest, PortWindowListsTheExtraPortsAndOkChoosesOne) {
  Scratch scratch("dp3-main-port");
  Window w({}, scratch.dir / "dp3tools.cfg");
  w.window.setExtraPorts({{"/dev/ttyTEST7", "Test adapter"}, {"/dev/ttyTEST8", ""}});
  const Link* before = &w.window.link();
  w.face.scripts[id::kPortDialog] = [](MapSurface& ui, WindowLogic& logic, test::TestFace& face) {
    const auto& entries = ui.control(id::kPortList).entries;
    EXPECT_EQ(ui.selectedEntry(id::kPortList), -1);  // no port chosen yet
    const auto entry = std::find(entries.begin(), entries.end(), "/dev/ttyTEST7  Test adapter");
    ASSERT_NE(entry, entries.end());
    EXPECT_NE(std::find(entries.begin(), entries.end(), "/dev/ttyTEST8"), entries.end());
    ui.selectEntry(id::kPortList, int(entry - entries.begin()));
    logic.onListSelection(id::kPortList);
    logic.onButton(id::kPortOk);
    EXPECT_TRUE(face.closed);
  };
  w.click(id::kSetComPort);
  EXPECT_EQ(w.config.portPath, "/dev/ttyTEST7");
  EXPECT_EQ(w.config.comPort, 7);
  EXPECT_EQ(w.text(id::kComPortLabel), "com:/dev/ttyTEST7");
  EXPECT_NE(&w.window.link(), before);
  std::ifstream saved(w.config.configFilePath, std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved), {}),
            std::string("\x07\0\0\0/dev/ttyTEST7", 17));
  saved.close();

  // Reopened, the chosen port is selected; OK with nothing selected keeps it.
  w.face.scripts[id::kPortDialog] = [](MapSurface& ui, WindowLogic& logic, test::TestFace&) {
    EXPECT_EQ(ui.control(id::kPortList).entries[std::size_t(ui.selectedEntry(id::kPortList))],
              "/dev/ttyTEST7  Test adapter");
    ui.selectEntry(id::kPortList, -1);
    ui.setText(id::kPortPath, "");
    logic.onButton(id::kPortOk);
  };
  w.click(id::kSetComPort);
  EXPECT_EQ(w.config.portPath, "/dev/ttyTEST7");
}

// Find Keyer probes every port at once, or one after another where the face
// has no threads to give (the page).
TEST(MainWindowTest, FindKeyerProbesOneAtATimeWithoutThreads) {
  for (bool threads : {true, false}) {
    Window w;
    w.face.threads = threads;
    EXPECT_EQ(w.window.probeOptions().oneAtATime, !threads);
  }
}

// FW Update: the uploader over the window, then a Test of the keyer.
TEST(MainWindowTest, FirmwareUpdateEndsWithATest) {
  Window w;
  w.click(id::kFwUpdate);
  EXPECT_EQ(w.face.opened, std::vector<int>{id::kUploaderDialog});
  EXPECT_EQ(w.text(id::kOperationStatus), ">DP OK");
  EXPECT_EQ(w.window.statusCountdown(), kStatusTicks);
}

// The About window's Trace box: from OK on, every byte on the line goes to a
// file in the configuration's folder, until the box is cleared.
TEST(MainWindowTest, TraceFollowsTheAboutWindowsBox) {
  Scratch scratch("dp3-main-trace");
  Window w({}, scratch.dir / "dp3tools.cfg");
  for (bool on : {true, false}) {
    w.face.scripts[id::kAboutDialog] = [on](MapSurface& ui, WindowLogic& logic, test::TestFace&) {
      ui.setChecked(id::kTraceBox, on);
      logic.onButton(id::kAboutOk);
    };
    w.click(id::kAbout);
    w.click(id::kTestDp);
    EXPECT_EQ(w.text(id::kOperationStatus), ">DP OK");
  }
  const std::string file = w.window.about().traceFile;
  EXPECT_EQ(fs::path(file).parent_path(), scratch.dir);
  std::ifstream trace(file);
  const std::string text{std::istreambuf_iterator<char>(trace), {}};
  EXPECT_NE(text.find("port "), std::string::npos);
  const auto lines = std::count(text.begin(), text.end(), '\n');
  w.click(id::kTestDp);  // the trace has stopped
  std::ifstream again(file);
  EXPECT_EQ(std::count(std::istreambuf_iterator<char>(again), {}, '\n'), lines);
}

// Ticking Trace names its file at once; a name that stands for anything but a
// trace (here a folder made meanwhile) is refused and the trace stays off.
TEST(MainWindowTest, TheTraceBoxNamesItsFileAtOnceAndRefusesWhatIsNoTrace) {
  for (bool blocked : {false, true}) {
    Scratch scratch(blocked ? "dp3-main-trace-blocked" : "dp3-main-trace-box");
    Window w({}, scratch.dir / "dp3tools.cfg");
    std::string shown;
    w.face.scripts[id::kAboutDialog] = [&](MapSurface& ui, WindowLogic& logic, test::TestFace&) {
      ui.setChecked(id::kTraceBox, true);
      logic.onButton(id::kTraceBox);
      shown = ui.text(id::kTraceFile);
      if (blocked) fs::create_directories(shown.substr(std::string("Tracing to ").size()));
      logic.onButton(id::kAboutOk);
    };
    w.click(id::kAbout);
    const std::string file = w.window.about().traceFile;
    EXPECT_EQ(shown, "Tracing to " + file);
    EXPECT_EQ(fs::path(file).parent_path(), scratch.dir);
    EXPECT_EQ(w.window.about().traceOn, !blocked);
    ASSERT_EQ(w.ui.messages.size(), blocked ? 1u : 0u);
    if (blocked) {
      EXPECT_EQ(w.ui.messages[0].text,
                "Can't write the trace file " + file + ": is a folder, not a trace");
      fs::remove(file);
    }
  }
}

// What the window keeps between runs: its place (first time: centred at the
// size the face made it), kept wholly on the screen, and each file dialog's
// folder.
TEST(MainWindowTest, WindowMemoryAcrossRuns) {
  Scratch scratch("dp3-main-memory");
  const fs::path config = scratch.dir / "dp3tools.cfg";
  {
    Window w({}, config);
    EXPECT_EQ(w.face.rect, (WindowRect{240, 192, 800, 600}));
    w.face.rect = {30, 40, 900, 700};
    w.face.files[FileChoice::OpenSettings] = (scratch.dir / "none.eep").string();
    w.click(id::kReadConfigFile);
    w.click(id::kExit);
  }
  {
    Window w({}, config);
    EXPECT_EQ(w.face.rect, (WindowRect{30, 40, 900, 700}));
    w.click(id::kReadConfigFile);
    EXPECT_EQ(w.face.asked.back().second, scratch.dir.string());
    // The frame, once known, stays on a smaller screen too.
    w.face.screen = {0, 0, 800, 600};
    w.window.onShown();
    EXPECT_EQ(w.face.rect, (WindowRect{0, 0, 800, 600}));
    w.face.rect = {5000, 40, 700, 500};  // left on a screen no longer there
    w.click(id::kExit);
  }
  {
    Window w({}, config);
    EXPECT_EQ(w.face.rect, (WindowRect{580, 40, 700, 500}));
    w.face.scale = 150;  // kept at 150%
    w.click(id::kExit);
  }
  // At 100% again the window opens as the face made it, in the middle.
  Window w({}, config);
  EXPECT_EQ(w.face.rect, (WindowRect{240, 192, 800, 600}));
}

// Play hands the face the sound of the box shown beside the button, at the
// form's values; Stop and the sound's own end leave Play ready again.
TEST(MainWindowTest, PlayHandsTheFaceTheTextShown) {
  Window w;
  w.click(id::kResetDefaults);
  for (const auto& [box, text] : {std::pair{id::kMsg1, "E"},
                                  {id::kMsg7, "EE"},
                                  {id::kCallsignUser2, "T"},
                                  {id::kCurWpm, "20"},
                                  {id::kFarnsWpm, "0"},
                                  {id::kWeight, "50"},
                                  {id::kRatio, "50"},
                                  {id::kStFreq, "700"}}) {
    w.ui.setText(box, text);
  }
  const struct {
    int bank, user, play;
    std::size_t samples;
  } rows[] = {{1, 1, id::kPlayMsg1, 2880},
              {2, 1, id::kPlayMsg1, 5 * 2880},
              {2, 2, id::kPlayCallsign, 3 * 2880}};
  for (const auto& row : rows) {
    w.click(row.bank == 2 ? id::kBank2 : id::kBank1);
    w.click(row.user == 2 ? id::kUser2 : id::kUser1);
    w.ui.setText(id::kCurWpm, "20");
    w.click(row.play);
    ASSERT_TRUE(w.face.played);
    EXPECT_EQ(w.face.played->totalSamples(), row.samples);
    EXPECT_TRUE(w.ui.isEnabled(id::kStopPlay));
    w.window.onSoundEnded();
    EXPECT_FALSE(w.ui.isEnabled(id::kStopPlay));
  }
  w.click(id::kPlayCallsign);
  w.click(id::kStopPlay);
  EXPECT_FALSE(w.face.played);
  EXPECT_FALSE(w.ui.isEnabled(id::kStopPlay));

  w.ui.setText(id::kCurWpm, "3");
  w.click(id::kPlayCallsign);
  ASSERT_EQ(w.ui.messages.size(), 1u);
  EXPECT_EQ(w.ui.messages[0].text, "CurWpm must be between 5 and 99 to play a message");
  EXPECT_FALSE(w.face.played);

  // Without a sound output Play is off, with the reason as its tooltip.
  Window quiet;
  quiet.face.noSound = "No audio output device";
  quiet.window.onSoundEnded();
  quiet.ui.setText(id::kMsg1, "E");
  quiet.click(id::kPlayMsg1);
  EXPECT_FALSE(quiet.face.played);
  EXPECT_FALSE(quiet.ui.isEnabled(id::kPlayMsg1));
  EXPECT_EQ(quiet.ui.control(id::kPlayMsg1).toolTip, "No audio output device");
}

// Every tick shows what each place would sound like at the form's values as
// typed (not stored), and each box's dits and dahs as its tooltip.
TEST(MainWindowTest, MessageTimesFollowTheForm) {
  Window w;
  w.click(id::kResetDefaults);
  for (const auto& [box, text] : {std::pair{id::kMsg1, "CQ"},
                                  {id::kMsg7, "TEST"},
                                  {id::kCallsignUser1, "N0CALL"},
                                  {id::kCurWpm, "20"},
                                  {id::kFarnsWpm, "0"},
                                  {id::kWeight, "50"},
                                  {id::kRatio, "50"}}) {
    w.ui.setText(box, text);
  }
  w.window.onTimer();
  EXPECT_EQ(w.text(id::kMsgDuration1), "1.6 s");  // 27 dits of 60 ms
  // A screen reader hears which box each Play button plays, and for how long.
  EXPECT_EQ(w.ui.control(id::kPlayMsg1).name, "Play Msg 1");
  EXPECT_EQ(w.ui.control(id::kPlayMsg1).description, "Msg 1 plays for 1.6 s");
  EXPECT_EQ(w.ui.control(id::kPlayMsg1 + 1).description, "Msg 2 is empty");
  EXPECT_EQ(w.ui.control(id::kPlayCallsign).name, "Play User Callsign /M");
  EXPECT_EQ(w.ui.control(id::kMsg1).toolTip, "-.-. --.-");
  EXPECT_EQ(w.ui.control(id::kMsg7).toolTip, "- . ... -");
  EXPECT_EQ(w.text(id::kMsgDuration1 + 1), "");
  EXPECT_EQ(w.text(id::kCallsignDuration), "4.4 s");
  const std::pair<int, const char*> rows[] = {
      {id::kCurWpm, "10"}, {id::kWeight, "60"}, {id::kCurWpm, "3"}};
  const char* shown[] = {"3.2 s", "~3.3 s", "?"};  // the last dit longer, then no speed
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    w.ui.setText(rows[i].first, rows[i].second);
    w.window.onTimer();
    EXPECT_EQ(w.text(id::kMsgDuration1), shown[i]);
  }
  w.ui.setText(id::kCurWpm, "20");
  w.click(id::kBank2);
  w.window.onTimer();
  EXPECT_EQ(w.text(id::kMsgDuration1), "~1.3 s");  // bank 2 in place 1
  EXPECT_EQ(w.ui.control(id::kPlayMsg1 + 2).name, "Play Msg 9");
  EXPECT_EQ(w.ui.control(id::kPlayMsg1).description, "Msg 7 plays for ~1.3 s");
}

#if !defined(_WIN32)
// A Test whose port did not open names the cause in the status line and
// gives the fix once per cause.
TEST(MainWindowTest, APortThatDidNotOpenNamesTheCauseAndTheFixOnce) {
  for (const std::string kind : {"missing", "no_permission", "none_chosen"}) {
    WatchedSurface ui;
    test::TestFace face;
    ProgramConfig config;
    config.portPath = kind == "none_chosen" ? "" : "/dev/dp3-missing";
    MainWindow window(ui, face, config,
                      [](const std::string& port) { return std::make_unique<SerialLink>(port); });
    window.onOpen();
    std::string reason = config.portPath + ": no such device";
    std::string fix = "Plug in the keyer's adapter";
    if (kind == "no_permission") {
      window.setPortFactsSource([](const std::string& p) {
        PortFacts facts = gatherPortFacts(p);
        facts.exists = true;
        facts.permitted = false;
        facts.deviceGroup = "dialout";
        facts.user = "ann";
        return facts;
      });
      reason = config.portPath + ": no permission";
      fix = "sudo usermod -aG dialout ann";
    }
    if (kind == "none_chosen") {
      reason = "no keyer port chosen";
      fix = "Find Keyer";
    }
    for (int round = 0; round < 2; ++round) {
      window.onButton(id::kTestDp);
      EXPECT_EQ(ui.text(id::kInterfaceStatus), "DP Fail:comm open: " + reason) << kind;
      EXPECT_EQ(ui.text(id::kOperationStatus), ">DP ERR") << kind;
    }
    ASSERT_EQ(ui.messages.size(), 1u) << kind;
    EXPECT_EQ(ui.messages[0].text.rfind(reason, 0), 0u) << ui.messages[0].text;
    EXPECT_NE(ui.messages[0].text.find(fix), std::string::npos) << ui.messages[0].text;
  }
}
#endif

}  // namespace
}  // namespace dp3
