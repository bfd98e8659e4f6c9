// The main window logic over a plain map surface.
#include "window_logic/main_window.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "settings/settings_fields.hpp"
#include "settings/settings_image.hpp"
#include "sim_fixture.hpp"
#include "surface/control_ids.hpp"
#include "window_logic/setting_controls.hpp"

namespace dp3 {
namespace {

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
  MapSurface ui;
  SettingsImage image{};
  KeyerInfo keyer{c.version, 0, kVariantLark, c.bootloaderOnly};
  ProgramConfig config;
  MainWindow window(ui, image, keyer, config);
  window.setUp();
  window.lockControls();
  for (int id : {id::kTestDp, id::kReadDp, id::kUser1, id::kBank2, id::kSetComPort}) {
    EXPECT_FALSE(ui.isEnabled(id)) << id;
  }
  // Read and Write left on by an earlier keyer follow this one.
  ui.setEnabled(id::kReadDp, true);
  ui.setEnabled(id::kWriteDp, true);
  window.unlockControls();
  for (int id : {id::kTestDp, id::kSetComPort, id::kBank1, id::kBank2, id::kUser1, id::kUser2}) {
    EXPECT_TRUE(ui.isEnabled(id)) << id;
  }
  EXPECT_EQ(ui.isEnabled(id::kFwUpdate), c.fwUpdate);
  for (int id : {id::kReadDp, id::kWriteDp}) EXPECT_EQ(ui.isEnabled(id), c.readWrite) << id;
  EXPECT_EQ(ui.isEnabled(id::kRtty), c.readWrite);
  // The lock step enabled the file buttons, and unlocking leaves them on.
  EXPECT_TRUE(ui.isEnabled(id::kReadConfigFile));
  EXPECT_TRUE(ui.isEnabled(id::kWriteConfigFile));
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
  MapSurface ui;
  SettingsImage image{};
  KeyerInfo keyer;
  ProgramConfig config;
  config.comPort = 3;
  MainWindow window(ui, image, keyer, config);
  window.setUp();
  for (int id : {id::kWriteDp, id::kReadDp, id::kFwUpdate, id::kReadConfigFile,
                 id::kWriteConfigFile, id::kRtty}) {
    EXPECT_FALSE(ui.isEnabled(id)) << id;
  }
  EXPECT_TRUE(ui.isEnabled(id::kTestDp));
  EXPECT_TRUE(ui.isChecked(id::kBank1));
  EXPECT_TRUE(ui.isChecked(id::kUser1));
  EXPECT_FALSE(ui.isVisible(id::kMsg7));
  EXPECT_EQ(ui.text(id::kComPortLabel), "no keyer port chosen: Set Com Port, Find Keyer");
  EXPECT_EQ(ui.control(id::kKeyerMode).entries.size(), 6u);
  EXPECT_EQ(ui.selectedEntry(id::kKeyerMode), -1);
  EXPECT_EQ(image, SettingsImage{});  // nothing shown or stored yet
}

TEST(MainWindowTest, SecondCommandWhileBusyDoesNothing) {
  test::SimKeyer sim;
  SettingsImage image{};
  ProgramConfig config;
  MainWindow window(sim.ui, image, sim.keyer, config);
  window.setUp();
  ASSERT_TRUE(window.beginKeyerCommand(sim.link));
  EXPECT_TRUE(window.busyFlag());
  EXPECT_FALSE(window.beginKeyerCommand(sim.link));
  EXPECT_TRUE(window.busyFlag());
  EXPECT_TRUE(sim.wire().empty());
  window.endKeyerCommand();
  EXPECT_FALSE(window.busyFlag());
  EXPECT_EQ(window.statusCountdown(), kStatusTicks);
}

TEST(MainWindowTest, KeyerCommandClosesAnOpenPortFirst) {
  test::SimKeyer sim;
  SettingsImage image{};
  ProgramConfig config;
  MainWindow window(sim.ui, image, sim.keyer, config);
  window.setUp();
  ASSERT_EQ(sim.link.commOpen(), kCommOpenOk);
  ASSERT_TRUE(window.beginKeyerCommand(sim.link));
  EXPECT_FALSE(sim.link.portOpenFlag());
  window.endKeyerCommand();
}

TEST(MainWindowTest, FailedReadLeavesFormAndImage) {
  SimConfig config;
  config.fault.kind = FaultKind::ShortDump;
  test::SimKeyer sim(config);
  SettingsImage image{};
  ProgramConfig program;
  MainWindow window(sim.ui, image, sim.keyer, program);
  window.setUp();
  sim.ui.setText(id::kWeight, "42");
  window.keyerCommand(KeyerCommand::Read, sim.link);
  EXPECT_EQ(sim.ui.text(id::kOperationStatus), ">Read Failed");
  EXPECT_EQ(image, SettingsImage{});
  EXPECT_EQ(sim.ui.text(id::kWeight), "42");
}

TEST(MainWindowTest, TimerShowsBytesLeftAndClearsTheStatusOnTheTwelfthTick) {
  MapSurface ui;
  SettingsImage image{};
  KeyerInfo keyer;
  ProgramConfig config;
  MainWindow window(ui, image, keyer, config);
  window.setUp();
  ui.setText(id::kMsg1, std::string(241, 'E'));
  ui.setText(id::kOperationStatus, ">DP OK");
  window.endKeyerCommand();
  for (int tick = 1; tick <= kStatusTicks; ++tick) {
    EXPECT_EQ(ui.text(id::kOperationStatus), ">DP OK") << tick;
    window.onTimer();
  }
  EXPECT_EQ(ui.text(id::kOperationStatus), "");
  EXPECT_EQ(ui.text(id::kBytesLeft), "Msg Bytes Left: -1");
  ui.setText(id::kOperationStatus, "later");
  window.onTimer();
  EXPECT_EQ(ui.text(id::kOperationStatus), "later");
}

TEST(MainWindowTest, StatusIsNotClearedWhileACommandRuns) {
  test::SimKeyer sim;
  SettingsImage image{};
  ProgramConfig config;
  MainWindow window(sim.ui, image, sim.keyer, config);
  window.setUp();
  window.keyerCommand(KeyerCommand::Test, sim.link);
  for (int tick = 1; tick < kStatusTicks; ++tick) window.onTimer();
  ASSERT_TRUE(window.beginKeyerCommand(sim.link));
  sim.ui.setText(id::kOperationStatus, ">Reading");
  for (int tick = 0; tick < 2 * kStatusTicks; ++tick) window.onTimer();
  EXPECT_EQ(sim.ui.text(id::kOperationStatus), ">Reading");
  window.endKeyerCommand();
  EXPECT_EQ(window.statusCountdown(), kStatusTicks);
}

TEST(MainWindowTest, ResetShowsDefaultsAndKeepsTheRadios) {
  MapSurface ui;
  SettingsImage image{};
  image[14] = 0xC0;  // User 2 active, bank 2 shown
  KeyerInfo keyer;
  ProgramConfig config;
  MainWindow window(ui, image, keyer, config);
  window.setUp();
  window.onBank(2);
  window.onResetDefaults();
  EXPECT_EQ(image[14], 0);
  EXPECT_TRUE(ui.isChecked(id::kBank2));
  EXPECT_EQ(ui.text(id::kMaxWpm), "35");
  EXPECT_EQ(ui.text(id::kSerialNumber), "1");
}

TEST(MainWindowTest, ExitClosesThePort) {
  test::SimKeyer sim;
  SettingsImage image{};
  ProgramConfig config;
  MainWindow window(sim.ui, image, sim.keyer, config);
  ASSERT_EQ(sim.link.commOpen(), kCommOpenOk);
  window.onExit(sim.link);
  EXPECT_FALSE(sim.link.portOpenFlag());
  EXPECT_FALSE(sim.ui.isEnabled(id::kTestDp));
}

// A window that loaded a settings file (defaults, Weight 60) from a scratch folder.
struct LoadedWindow {
  LoadedWindow() {
    std::filesystem::create_directories(dir);
    window.setUp();
    resetSettingsImage(image);
    SettingsImage defaults = image;
    defaults[user_field::kWeight] = 60;  // so Reset to Defaults is an edit
    image = SettingsImage{};
    std::ofstream(dir / "a.eep", std::ios::binary)
        .write(reinterpret_cast<const char*>(defaults.data()), defaults.size());
    EXPECT_TRUE(window.onReadConfigFile(dir / "a.eep"));
  }
  ~LoadedWindow() { std::filesystem::remove_all(dir); }

  std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("dp3-main-window-" + std::to_string(::getpid()));
  MapSurface ui;
  SettingsImage image{};
  KeyerInfo keyer;
  ProgramConfig config;
  MainWindow window{ui, image, keyer, config};
};

struct ExitCase {
  const char* name;
  void (*edit)(LoadedWindow&);
  Answer answer;
  bool asked;
  ExitStep step;
};

class ExitTest : public ::testing::TestWithParam<ExitCase> {};

TEST_P(ExitTest, AsksOnlyAboutEditsNoFileOrKeyerHolds) {
  const ExitCase& c = GetParam();
  LoadedWindow w;
  w.ui.answer = c.answer;
  c.edit(w);
  const std::size_t messages = w.ui.messages.size();
  EXPECT_EQ(w.window.confirmExit(), c.step);
  EXPECT_EQ(w.ui.questions.size(), c.asked ? 1u : 0u);
  EXPECT_EQ(w.ui.messages.size(), messages);  // the check itself refuses nothing aloud
}

void weight77(LoadedWindow& w) {
  w.ui.setText(id::kWeight, "77");
}

INSTANTIATE_TEST_SUITE_P(
    Edits, ExitTest,
    ::testing::Values(
        ExitCase{"as_loaded", [](LoadedWindow&) {}, Answer::Cancel, false, ExitStep::Close},
        ExitCase{"typed_over_with_itself",
                 [](LoadedWindow& w) { w.ui.setText(id::kWeight, "060"); }, Answer::Cancel, false,
                 ExitStep::Close},
        ExitCase{"other_user_and_back",
                 [](LoadedWindow& w) {
                   w.window.onUser(2);
                   w.window.onUser(1);
                 },
                 Answer::Cancel, false, ExitStep::Close},
        ExitCase{"edited_yes", weight77, Answer::Yes, true, ExitStep::SaveFirst},
        ExitCase{"edited_no", weight77, Answer::No, true, ExitStep::Close},
        ExitCase{"edited_cancel", weight77, Answer::Cancel, true, ExitStep::Stay},
        ExitCase{"refused_value", [](LoadedWindow& w) { w.ui.setText(id::kWeight, "5"); },
                 Answer::Cancel, true, ExitStep::Stay},
        ExitCase{"message", [](LoadedWindow& w) { w.ui.setText(id::kMsg1 + 3, "QRL?"); },
                 Answer::Cancel, true, ExitStep::Stay},
        ExitCase{"check_box", [](LoadedWindow& w) { w.window.onCheckBox(id::kSwap); },
                 Answer::Cancel, true, ExitStep::Stay},
        ExitCase{"reset_defaults", [](LoadedWindow& w) { w.window.onResetDefaults(); },
                 Answer::Cancel, true, ExitStep::Stay},
        ExitCase{"saved_after_edit",
                 [](LoadedWindow& w) {
                   weight77(w);
                   ASSERT_TRUE(w.window.prepareWriteConfigFile());
                   ASSERT_TRUE(w.window.onWriteConfigFile(w.dir / "b"));
                 },
                 Answer::Cancel, false, ExitStep::Close},
        ExitCase{"failed_save_after_edit",
                 [](LoadedWindow& w) {
                   weight77(w);
                   ASSERT_TRUE(w.window.prepareWriteConfigFile());
                   ASSERT_FALSE(w.window.onWriteConfigFile(w.dir / "folder/"));
                 },
                 Answer::Cancel, true, ExitStep::Stay}),
    [](const auto& info) { return std::string(info.param.name); });

// The file line names the file the settings came from or went to, never one
// that failed; a refused value hands the focus to its box.
TEST(MainWindowTest, FailedFilesLeaveTheFileLineAndRefusalsTakeTheFocus) {
  LoadedWindow w;
  EXPECT_EQ(w.ui.text(id::kFileName), "EEP FileName: a.eep");
  EXPECT_FALSE(w.window.onReadConfigFile(w.dir / "missing.eep"));
  EXPECT_FALSE(w.window.onWriteConfigFile(w.dir / "folder/"));
  EXPECT_EQ(w.ui.messages.size(), 2u);
  EXPECT_EQ(w.ui.text(id::kFileName), "EEP FileName: a.eep");
  EXPECT_TRUE(w.window.onWriteConfigFile(w.dir / "b"));
  EXPECT_EQ(w.ui.text(id::kFileName), "b.eep");

  for (const auto& [box, text] : {std::pair{id::kRatio, "70"}, std::pair{id::kMaxWpm, "4"},
                                  std::pair{id::kMsg1 + 1, "A$B"}}) {
    LoadedWindow fresh;
    fresh.ui.setText(box, text);
    EXPECT_FALSE(fresh.window.prepareWriteConfigFile()) << box;
    EXPECT_EQ(fresh.ui.focused, box);
  }
}

// Read a keyer whose texts hold patterns no character has, then Write with no
// edit: the keyer keeps every byte.
TEST(MainWindowTest, ReadThenWriteKeepsTextsTheWindowCannotSpell) {
  test::SimKeyer sim;
  SettingsImage& memory = sim.model.memory();
  std::fill(memory.begin() + 32, memory.begin() + 288, 0);
  memory[32] = 22;  // free pointer
  memory[33] = 15;  // Msg 1: C Q, six dits, the stop mark alone, A
  memory[34] = 20;  // Msg 2: 5 $
  const std::vector<std::uint8_t> texts = {0x15, 0x1B, 0x40, 0x01, 0x86, 0x20, 0xC8};
  std::copy(texts.begin(), texts.end(), memory.begin() + 32 + 15);
  const SettingsImage before = memory;

  SettingsImage image{};
  ProgramConfig program;
  MainWindow window(sim.ui, image, sim.keyer, program);
  window.setUp();
  window.keyerCommand(KeyerCommand::Read, sim.link);
  EXPECT_EQ(sim.ui.text(id::kMsg1), "CQ{......}{}A");
  EXPECT_EQ(sim.ui.text(id::kMsg1 + 1), "5$");
  window.keyerCommand(KeyerCommand::Write, sim.link);
  EXPECT_EQ(sim.ui.text(id::kOperationStatus), "Done");
  EXPECT_EQ(sim.model.memory(), before);
}

// Every mode check box of the table is live in the window: a click flips its
// bit for the current user and nothing else.
TEST(MainWindowTest, EveryModeCheckBoxFlipsItsBit) {
  for (const BitField& bit : kModeBits) {
    MapSurface ui;
    SettingsImage image{};
    KeyerInfo keyer;
    ProgramConfig config;
    MainWindow window(ui, image, keyer, config);
    window.setUp();
    window.onCheckBox(controlOf(bit.label));
    SettingsImage expected{};
    expected[fieldOffset(bit.area, bit.offset, 1)] = bit.mask;
    EXPECT_EQ(image, expected) << bit.label;
    EXPECT_TRUE(ui.isChecked(controlOf(bit.label))) << bit.label;
  }
}
}  // namespace
}  // namespace dp3
