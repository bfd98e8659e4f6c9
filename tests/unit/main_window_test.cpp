// The main window logic over a plain map surface.
#include "windows/main_window.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "settings/settings_fields.hpp"
#include "sim_fixture.hpp"
#include "surface/control_ids.hpp"

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
    window.onCheckBox(bit.control);
    SettingsImage expected{};
    expected[fieldOffset(bit.area, bit.offset, 1)] = bit.mask;
    EXPECT_EQ(image, expected) << bit.label;
    EXPECT_TRUE(ui.isChecked(bit.control)) << bit.label;
  }
}
}  // namespace
}  // namespace dp3
