// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// The port window and About logic over a plain map surface.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>

#include "link/port_probe.hpp"
#include "sim/keyer_model.hpp"
#include "sim/sim_link.hpp"
#include "surface/control_ids.hpp"
#include "surface/map_surface.hpp"
#include "test_face.hpp"
#include "window_logic/about_window.hpp"
#include "window_logic/port_window.hpp"

namespace dp3 {
namespace {

struct PortCase {
  const char* name;
  std::string configured;
  int selected;
  std::string status;  // the status line (4132)
};

class PortWindowTest : public ::testing::TestWithParam<PortCase> {};

TEST_P(PortWindowTest, ListsDevicesAndSelectsTheConfiguredOne) {
  const PortCase& c = GetParam();
  MapSurface ui;
  ProgramConfig config;
  config.portPath = c.configured;
  const PortSelection ports =
      openPortWindow(ui, config, {{"/dev/ttyACM0", ""}, {"/dev/ttyUSB3", "FTDI FT232R USB UART"}});
  std::vector<std::string> entries = {"/dev/ttyACM0", "/dev/ttyUSB3  FTDI FT232R USB UART"};
  // A saved port that is missing stays listed and chosen.
  if (c.selected == 2) {
    entries.push_back(c.configured + (c.status.empty() ? "" : "  (saved, not present)"));
  }
  EXPECT_EQ(ui.control(id::kPortList).entries, entries);
  EXPECT_EQ(ui.selectedEntry(id::kPortList), c.selected);
  EXPECT_EQ(ports.configured, c.selected);
  EXPECT_EQ(ui.text(id::kPortPath), c.configured);
  EXPECT_EQ(ui.text(id::kPortStatus), c.status);
}

const std::vector<PortCase> kPortCases = {
    {"second", "/dev/ttyUSB3", 1, ""},
    {"first", "/dev/ttyACM0", 0, ""},
    {"not_present", "/dev/ttyUSB9", 2,
     "The saved port /dev/ttyUSB9 is not present. It stays chosen until another is."},
#if !defined(_WIN32)  // a device every such system has
    {"typed_device", "/dev/null", 2, ""},
#endif
    {"none_chosen", "", -1, "No keyer port chosen yet: pick one, or press Find Keyer."},
};
INSTANTIATE_TEST_SUITE_P(Configured, PortWindowTest, ::testing::ValuesIn(kPortCases),
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

  EXPECT_EQ(acceptPortWindow(ui, config, ports), PortAccept::Unchanged);  // nothing selected
  EXPECT_EQ(config.comPort, 1);
  EXPECT_FALSE(std::filesystem::exists(config.configFilePath));

  ui.selectEntry(id::kPortList, 0);
  EXPECT_EQ(acceptPortWindow(ui, config, ports), PortAccept::Changed);
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

TEST(PortWindowTest, TypedPathFindKeyerAndRefresh) {
  MapSurface ui;
  ProgramConfig config;
  config.configFilePath = std::filesystem::temp_directory_path() /
                          ("dp3_port_typed_" + std::to_string(::getpid()) + ".cfg");
  PortSelection ports = openPortWindow(ui, config, {{"/dev/ttyS0", ""}, {"/dev/ttyUSB0", ""}});

  // Find Keyer: every port's line, and the keyer chosen for OK.
  beginFindKeyer(ui);
  EXPECT_FALSE(ui.isEnabled(id::kPortOk));
  const ProbeResult keyer{
      .port = {"/dev/ttyUSB0", ""},
      .outcome = ProbeOutcome::Keyer,
      .test = {.kind = InterfaceTest::Kind::Firmware, .version = 31, .revision = 112, .icType = 3}};
  const ProbeResult silent{.port = {"/dev/ttyS0", ""}, .outcome = ProbeOutcome::NotKeyer};
  showProbeResults(ui, ports, {keyer, silent});
  EXPECT_TRUE(ui.isEnabled(id::kPortOk));
  EXPECT_EQ(ui.selectedEntry(id::kPortList), 1);
  EXPECT_EQ(ui.text(id::kPortStatus),
            "/dev/ttyUSB0  DP IC: LARK, DP F/W revision 31.12\n"
            "/dev/ttyS0  no keyer: DP Fail:no response\n"
            "Keyer found on /dev/ttyUSB0: press OK to choose it.");

  // Devices come and go: the list follows and keeps the chosen entry.
  EXPECT_FALSE(refreshPortWindow(ui, ports, config, {{"/dev/ttyS0", ""}, {"/dev/ttyUSB0", ""}}));
  EXPECT_TRUE(refreshPortWindow(ui, ports, config,
                                {{"/dev/ttyACM1", ""}, {"/dev/ttyS0", ""}, {"/dev/ttyUSB0", ""}}));
  EXPECT_EQ(ui.control(id::kPortList).entries.size(), 3u);
  EXPECT_EQ(ui.selectedEntry(id::kPortList), 2);
  ui.selectEntry(id::kPortList, 0);
  onPortSelection(ui, ports);
  EXPECT_EQ(ui.text(id::kPortPath), "/dev/ttyACM1");

  // A typed path that the next run could not read back, or that names a
  // device only from one folder, is refused; nothing is saved.
  for (const std::string& typed : {std::string("ttyUSB0/x"), "/dev/" + std::string(4200, 'x')}) {
    ui.setText(id::kPortPath, typed);
    ui.messages.clear();
    EXPECT_EQ(acceptPortWindow(ui, config, ports), PortAccept::Refused);
    EXPECT_EQ(config.portPath, "");
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.focused, id::kPortPath);
    EXPECT_FALSE(std::filesystem::exists(config.configFilePath));
  }

  // A typed path wins over the list.
  ui.setText(id::kPortPath, "  /dev/pts/7 ");
  EXPECT_EQ(acceptPortWindow(ui, config, ports), PortAccept::Changed);
  EXPECT_EQ(config.portPath, "/dev/pts/7");
  EXPECT_EQ(config.comPort, 7);
  EXPECT_EQ(portLabelText(config), "com:/dev/pts/7");
  std::filesystem::remove(config.configFilePath);
}

// Under a face: the list follows the devices present, Find Keyer probes off
// the window thread and chooses the keyer it found, and while the probe holds
// the ports the window stays and its list is left alone. Exit changes nothing.
TEST(PortWindowTest, RefreshFindKeyerOkAndExitUnderAFace) {
  ProgramConfig config;
  config.configFilePath = std::filesystem::temp_directory_path() /
                          ("dp3_port_face_" + std::to_string(::getpid()) + ".cfg");
  config.portPath = "/dev/ttyUSB9";  // saved, unplugged now
  std::vector<SerialDevice> present = {{"/dev/ttyS0", ""}};
  // A keyer on one port, silence on the others. Find Keyer probes every
  // port at once, so each has a model of its own.
  SimConfig quiet;
  quiet.fault.kind = FaultKind::Silence;
  std::map<std::string, KeyerModel> lines;
  lines.try_emplace("/dev/ttyACM0");
  for (const char* path : {"/dev/ttyS0", "/dev/ttyUSB9"}) lines.try_emplace(path, quiet);
  ProbeOptions probe;
  probe.findHolders = [](const std::string&) { return std::vector<PortHolder>{}; };
  probe.makeLink = [&lines](const std::string& path, std::chrono::milliseconds) {
    return std::make_unique<SimLink>(lines.at(path));
  };
  MapSurface ui;
  test::TestFace face;
  face.holdWork = true;
  PortWindow window(
      ui, face, config, [&present] { return present; }, probe);
  window.onOpen();
  const auto selected = [&ui] {
    return ui.control(id::kPortList).entries.at(std::size_t(ui.selectedEntry(id::kPortList)));
  };
  EXPECT_EQ(selected(), "/dev/ttyUSB9  (saved, not present)");
  present.push_back({"/dev/ttyACM0", "Keyer adapter"});
  window.onTimer();
  EXPECT_EQ(ui.control(id::kPortList).entries.size(), 3u);
  EXPECT_EQ(selected(), "/dev/ttyUSB9  (saved, not present)");

  window.onButton(id::kFindKeyer);
  EXPECT_TRUE(window.probing());
  // The focus leaves the greyed button for one that takes keys, and comes
  // back to OK once the keyer is found.
  EXPECT_EQ(ui.focused, id::kPortExit);
  EXPECT_TRUE(ui.isEnabled(id::kPortExit));
  for (int id : {id::kPortOk, id::kPortExit, id::kFindKeyer}) window.onButton(id);
  window.onEscape();
  window.onClose();
  present.pop_back();
  window.onTimer();
  EXPECT_FALSE(face.closed);
  EXPECT_EQ(face.pending.size(), 1u);
  EXPECT_EQ(ui.control(id::kPortList).entries.size(), 3u);
  face.finishWork();
  EXPECT_EQ(selected(), "/dev/ttyACM0  Keyer adapter");
  EXPECT_EQ(ui.text(id::kPortPath), "/dev/ttyACM0");
  const std::string status = ui.text(id::kPortStatus);
  EXPECT_EQ(status.rfind("/dev/ttyACM0  DP IC: LARK, DP F/W revision 31.12\n", 0), 0u) << status;
  EXPECT_NE(status.find("Keyer found on /dev/ttyACM0: press OK to choose it."), std::string::npos);
  EXPECT_EQ(ui.focused, id::kPortOk);
  EXPECT_TRUE(ui.isEnabled(id::kPortOk));
  window.onButton(id::kPortOk);
  EXPECT_TRUE(face.closed);
  EXPECT_EQ(config.portPath, "/dev/ttyACM0");
  std::filesystem::remove(config.configFilePath);

  ProgramConfig untouched;
  test::TestFace exitFace;
  PortWindow typed(ui, exitFace, untouched, [] { return std::vector<SerialDevice>{}; });
  typed.onOpen();
  ui.setText(id::kPortPath, "/dev/pts/9");
  typed.onButton(id::kPortExit);
  EXPECT_TRUE(exitFace.closed);
  EXPECT_TRUE(untouched.portPath.empty());
}

#if !defined(_WIN32)  // by-id names
TEST(PortWindowTest, AUsbAdapterIsKeptByItsStableName) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("dp3_by_id_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const auto link = dir / "usb-1a86_USB_Serial-if00-port0";
  std::filesystem::create_symlink("/dev/null", link);
  EXPECT_EQ(stablePortPath("/dev/null", dir.string()), link.string());
  EXPECT_EQ(stablePortPath(link.string(), dir.string()), link.string());
  EXPECT_EQ(stablePortPath("/dev/zero", dir.string()), "/dev/zero");
  EXPECT_EQ(shortPortName(link.string()), "null");
  EXPECT_TRUE(samePort(link.string(), "/dev/null"));
  EXPECT_FALSE(samePort(link.string(), "/dev/zero"));
  std::filesystem::remove_all(dir);
}
#endif

TEST(PortWindowTest, AFailedOpenNamesTheCauseAndGivesTheFixOnce) {
  struct ClosedLink : Link {
    int commOpen() override { return kCommOpenFailed; }
    void commClose() override {}
    bool portOpenFlag() const override { return false; }
    bool commWrite(std::span<const std::uint8_t>) override { return false; }
    bool commRead(std::span<std::uint8_t>) override { return false; }
    bool setBaudRate(int) override { return false; }
    bool drain() override { return false; }
    std::string openFailureReason() const override { return "permission denied"; }
  } link;
  PortFacts facts;
  facts.path = "/dev/ttyUSB0";
  facts.exists = true;
  facts.permitted = false;
  facts.user = "ann";
  facts.deviceGroup = "dialout";
  MapSurface ui;
  std::string lastShown;
  ui.setText(id::kInterfaceStatus, "DP Fail:no response");
  EXPECT_FALSE(explainPortFailure(ui, link, facts, lastShown));
  for (int round = 0; round < 2; ++round) {
    ui.setText(id::kInterfaceStatus, "DP Fail:comm open");
    EXPECT_TRUE(explainPortFailure(ui, link, facts, lastShown));
    EXPECT_EQ(ui.text(id::kInterfaceStatus), "DP Fail:comm open: /dev/ttyUSB0: no permission");
  }
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].caption, "Error");
  EXPECT_NE(ui.messages[0].text.find("sudo usermod -aG dialout ann"), std::string::npos);
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
  // The README.txt that the zip puts beside the program.
  EXPECT_TRUE(
      std::regex_match(ui.text(id::kAboutGuide), std::regex(R"(Operating guide: .*\\README\.txt)")))
      << ui.text(id::kAboutGuide);
#else
  EXPECT_EQ(ui.text(id::kAboutSystem), "Operating System is Linux");
  EXPECT_TRUE(std::regex_match(ui.text(id::kAboutGuide),
                               std::regex("Operating guide: /.*/doc/dp3tools/README.md")))
      << ui.text(id::kAboutGuide);
#endif
  EXPECT_FALSE(ui.isChecked(id::kVerboseMode));
  ui.setChecked(id::kVerboseMode, true);
  EXPECT_FALSE(acceptAboutWindow(ui, state));  // the trace stays off
  EXPECT_TRUE(state.verboseFlag);
  openAboutWindow(ui, state);
  EXPECT_TRUE(ui.isChecked(id::kVerboseMode));

  // The Trace box starts a trace in a new file, named by the time, and stops it.
  ui.setChecked(id::kTraceBox, true);
  EXPECT_TRUE(acceptAboutWindow(ui, state, "/tmp/dp3"));
  EXPECT_TRUE(state.traceOn);
  EXPECT_TRUE(
      std::regex_match(state.traceFile, std::regex(R"(/tmp/dp3/dp3-trace-\d{8}-\d{6}\.txt)")))
      << state.traceFile;
  openAboutWindow(ui, state);
  EXPECT_EQ(ui.text(id::kTraceFile), "Tracing to " + state.traceFile);
  EXPECT_FALSE(acceptAboutWindow(ui, state, "/tmp/dp3"));
  ui.setChecked(id::kTraceBox, false);
  EXPECT_TRUE(acceptAboutWindow(ui, state, "/tmp/dp3"));
  EXPECT_FALSE(state.traceOn);
}

}  // namespace
}  // namespace dp3
