// The main window logic over a plain map surface.
#include "windows/main_window.hpp"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "sim_fixture.hpp"
#include "surface/control_ids.hpp"

namespace dp3 {
namespace {

struct LockCase {
  const char* name;
  std::uint8_t version;
  std::uint8_t variant;
  bool fwUpdate;
  bool readWrite;
};

class UnlockControlsTest : public ::testing::TestWithParam<LockCase> {};

TEST_P(UnlockControlsTest, EnablesByFirmwareVersionAndVariant) {
  const LockCase& c = GetParam();
  MapSurface ui;
  SettingsImage image{};
  KeyerInfo keyer{c.version, 0, c.variant};
  ProgramConfig config;
  MainWindow window(ui, image, keyer, config);
  window.setUp();
  window.lockControls();
  for (int id : {id::kTestDp, id::kReadDp, id::kUser1, id::kBank2, id::kSetComPort}) {
    EXPECT_FALSE(ui.isEnabled(id)) << id;
  }
  window.unlockControls();
  for (int id : {id::kTestDp, id::kSetComPort, id::kBank1, id::kBank2, id::kUser1, id::kUser2}) {
    EXPECT_TRUE(ui.isEnabled(id)) << id;
  }
  EXPECT_EQ(ui.isEnabled(id::kFwUpdate), c.fwUpdate);
  for (int id : {id::kReadDp, id::kWriteDp, id::kRtty}) EXPECT_EQ(ui.isEnabled(id), c.readWrite);
  // The lock step enabled the file buttons, and unlocking never disables.
  EXPECT_TRUE(ui.isEnabled(id::kReadConfigFile));
  EXPECT_TRUE(ui.isEnabled(id::kWriteConfigFile));
}

INSTANTIATE_TEST_SUITE_P(Versions, UnlockControlsTest,
                         ::testing::Values(LockCase{"never_tested", 0, 0, false, false},
                                           LockCase{"version_29", 29, 1, false, false},
                                           LockCase{"version_30", 30, 1, true, false},
                                           LockCase{"version_31", 31, 3, true, true},
                                           LockCase{"no_firmware", 0, kVariantNoFirmware, true,
                                                    false}),
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
}  // namespace
}  // namespace dp3
