// The main window, port window and About logic over a plain map surface.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/about_window.hpp"
#include "app/control_ids.hpp"
#include "app/main_window.hpp"
#include "link/port_selection.hpp"
#include "sim_fixture.hpp"

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
  window.LockControls();
  for (int id : {id::kTestDp, id::kReadDp, id::kUser1, id::kBank2, id::kSetComPort}) {
    EXPECT_FALSE(ui.isEnabled(id)) << id;
  }
  window.UnlockControls();
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
  config.ComPort = 3;
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
  EXPECT_EQ(ui.text(id::kComPortLabel), "com:3");
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
  EXPECT_TRUE(window.BusyFlag());
  EXPECT_FALSE(window.beginKeyerCommand(sim.link));
  EXPECT_TRUE(window.BusyFlag());
  EXPECT_TRUE(sim.wire().empty());
  window.endKeyerCommand();
  EXPECT_FALSE(window.BusyFlag());
  EXPECT_EQ(window.StatusCountdown(), kStatusTicks);
}

TEST(MainWindowTest, KeyerCommandClosesAnOpenPortFirst) {
  test::SimKeyer sim;
  SettingsImage image{};
  ProgramConfig config;
  MainWindow window(sim.ui, image, sim.keyer, config);
  window.setUp();
  ASSERT_EQ(sim.link.CommOpen(), kCommOpenOk);
  ASSERT_TRUE(window.beginKeyerCommand(sim.link));
  EXPECT_FALSE(sim.link.PortOpenFlag());
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
  EXPECT_EQ(window.StatusCountdown(), kStatusTicks);
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
  ASSERT_EQ(sim.link.CommOpen(), kCommOpenOk);
  window.onExit(sim.link);
  EXPECT_FALSE(sim.link.PortOpenFlag());
  EXPECT_FALSE(sim.ui.isEnabled(id::kTestDp));
}

struct PortCase {
  const char* name;
  std::string configured;
  int selected;
};

class PortWindowTest : public ::testing::TestWithParam<PortCase> {};

TEST_P(PortWindowTest, ListsDevicesAndSelectsTheConfiguredOne) {
  const PortCase& c = GetParam();
  MapSurface ui;
  ProgramConfig config;
  config.portPath = c.configured;
  const PortSelection ports =
      OpenPortWindow(ui, config, {{"/dev/ttyACM0", ""}, {"/dev/ttyUSB3", "FTDI FT232R USB UART"}});
  EXPECT_EQ(ui.control(id::kPortList).entries,
            (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyUSB3  FTDI FT232R USB UART"}));
  EXPECT_EQ(ui.selectedEntry(id::kPortList), c.selected);
  EXPECT_EQ(ports.PortSelection, c.selected);
}

INSTANTIATE_TEST_SUITE_P(Configured, PortWindowTest,
                         ::testing::Values(PortCase{"second", "/dev/ttyUSB3", 1},
                                           PortCase{"first", "/dev/ttyACM0", 0},
                                           PortCase{"not_present", "/dev/ttyUSB9", -1},
                                           PortCase{"none_chosen", "", -1}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PortWindowTest, OkSavesTheChosenDeviceAndNoChoiceKeepsThePort) {
  const auto dir = std::filesystem::temp_directory_path() /
                   ("dp3_port_window_test_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  MapSurface ui;
  ProgramConfig config;
  config.ComPort = 1;
  config.ConfigFilePath = dir / "dp3tools.cfg";
  std::filesystem::remove(config.ConfigFilePath);
  PortSelection ports = OpenPortWindow(ui, config, {{"/dev/ttyUSB3", ""}});

  EXPECT_FALSE(AcceptPortWindow(ui, config, ports));  // nothing selected
  EXPECT_EQ(config.ComPort, 1);
  EXPECT_FALSE(std::filesystem::exists(config.ConfigFilePath));

  ui.selectEntry(id::kPortList, 0);
  EXPECT_TRUE(AcceptPortWindow(ui, config, ports));
  EXPECT_EQ(config.portPath, "/dev/ttyUSB3");
  EXPECT_EQ(config.ComPort, 3);
  std::ifstream file(config.ConfigFilePath, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(bytes, std::string("\x03\0\0\0/dev/ttyUSB3", 16));
  EXPECT_EQ(portLabelText(config), "com:/dev/ttyUSB3");
  EXPECT_TRUE(ui.messages.empty());
  std::filesystem::remove_all(dir);
}

TEST(AboutWindowTest, ShowsVersionAndSystemAndTakesTheVerboseBoxOnOk) {
  MapSurface ui;
  AboutState state;
  OpenAboutWindow(ui, state);
  EXPECT_EQ(ui.text(id::kAboutVersion), "Ver 5.3, Built 12:08:37, Apr 29 2019");
  EXPECT_EQ(ui.text(id::kAboutSystem), "Operating System is Linux");
  EXPECT_FALSE(ui.text(id::kAboutGuide).empty());
  EXPECT_FALSE(ui.isChecked(id::kVerboseMode));
  ui.setChecked(id::kVerboseMode, true);
  AcceptAboutWindow(ui, state);
  EXPECT_TRUE(state.VerboseFlag);
  OpenAboutWindow(ui, state);
  EXPECT_TRUE(ui.isChecked(id::kVerboseMode));
}

}  // namespace
}  // namespace dp3
