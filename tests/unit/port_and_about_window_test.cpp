// The port window and About logic over a plain map surface.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "surface/control_ids.hpp"
#include "surface/map_surface.hpp"
#include "windows/about_window.hpp"
#include "windows/port_window.hpp"

namespace dp3 {
namespace {

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
      openPortWindow(ui, config, {{"/dev/ttyACM0", ""}, {"/dev/ttyUSB3", "FTDI FT232R USB UART"}});
  EXPECT_EQ(ui.control(id::kPortList).entries,
            (std::vector<std::string>{"/dev/ttyACM0", "/dev/ttyUSB3  FTDI FT232R USB UART"}));
  EXPECT_EQ(ui.selectedEntry(id::kPortList), c.selected);
  EXPECT_EQ(ports.configured, c.selected);
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
  config.comPort = 1;
  config.configFilePath = dir / "dp3tools.cfg";
  std::filesystem::remove(config.configFilePath);
  PortSelection ports = openPortWindow(ui, config, {{"/dev/ttyUSB3", ""}});

  EXPECT_FALSE(acceptPortWindow(ui, config, ports));  // nothing selected
  EXPECT_EQ(config.comPort, 1);
  EXPECT_FALSE(std::filesystem::exists(config.configFilePath));

  ui.selectEntry(id::kPortList, 0);
  EXPECT_TRUE(acceptPortWindow(ui, config, ports));
  EXPECT_EQ(config.portPath, "/dev/ttyUSB3");
  EXPECT_EQ(config.comPort, 3);
  std::ifstream file(config.configFilePath, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  file.close();  // Windows removes no open file
  EXPECT_EQ(bytes, std::string("\x03\0\0\0/dev/ttyUSB3", 16));
  EXPECT_EQ(portLabelText(config), "com:/dev/ttyUSB3");
  EXPECT_TRUE(ui.messages.empty());
  std::filesystem::remove_all(dir);
}

TEST(AboutWindowTest, ShowsVersionAndSystemAndTakesTheVerboseBoxOnOk) {
  MapSurface ui;
  AboutState state;
  openAboutWindow(ui, state);
  EXPECT_EQ(ui.text(id::kAboutVersion), "Ver 5.3, Built 12:08:37, Apr 29 2019");
#if defined(_WIN32)
  // The version the kernel reports, not the one a manifest claims.
  EXPECT_TRUE(
      std::regex_match(ui.text(id::kAboutSystem),
                       std::regex(R"(Operating System is Windows( [0-9.]+)? \(\d+\.\d+\.\d+\))")))
      << ui.text(id::kAboutSystem);
#else
  EXPECT_EQ(ui.text(id::kAboutSystem), "Operating System is Linux");
#endif
  EXPECT_FALSE(ui.text(id::kAboutGuide).empty());
  EXPECT_FALSE(ui.isChecked(id::kVerboseMode));
  ui.setChecked(id::kVerboseMode, true);
  acceptAboutWindow(ui, state);
  EXPECT_TRUE(state.verboseFlag);
  openAboutWindow(ui, state);
  EXPECT_TRUE(ui.isChecked(id::kVerboseMode));
}

}  // namespace
}  // namespace dp3
