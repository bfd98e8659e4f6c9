// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// dp3tools.exe: the DP3tools window for Windows.
//   dp3tools [--port PORT] [--simulate] [--self-test FIRMWARE.hex]

// windows.h before the headers that build on it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
// clang-format on

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "link/serial_link.hpp"
#include "sim/keyer_model.hpp"
#include "sim/sim_link.hpp"
#include "surface/map_surface.hpp"
#include "window_logic/result_texts.hpp"
#include "winui/dialog_surface.hpp"
#include "winui/main_dialog.hpp"
#include "winui/self_test.hpp"

namespace {

// The in-process simulated keyer's port: Windows has no pseudo-terminals, so
// the window reaches it through a link in the same process.
constexpr const char* kSimulatedPort = "SIM";

constexpr const char* kUsage =
    "Usage: dp3tools [--port PORT] [--simulate]\n"
    "  --port PORT   keyer port for this run (default: the one chosen in Set Com Port)\n"
    "  --simulate    talk to a simulated keyer inside the program\n"
    "  --self-test FILE  (with --simulate) work the window through Test, Read, a refused\n"
    "                value, Write and an upload of FILE; exit 0 when all went as expected\n"
    "  --version     show the version\n";

struct Options {
  std::string port;
  bool simulate = false;
  std::string selfTest;     // the firmware file the self-test uploads
  std::string screenshots;  // the folder the pictures go to
  std::string firmware;     // what the screenshots' uploader loads
};

// Text for the operator: the console that started the program, else a box.
void tell(const std::string& text, bool error) {
  if (AttachConsole(ATTACH_PARENT_PROCESS) || GetStdHandle(STD_OUTPUT_HANDLE)) {
    std::fputs(text.c_str(), error ? stderr : stdout);
    std::fflush(error ? stderr : stdout);
    return;
  }
  MessageBoxW(nullptr, dp3::winui::wide(text).c_str(), error ? L"Error" : L"dp3tools",
              MB_OK | (error ? MB_ICONWARNING : MB_ICONINFORMATION));
}

// Returns false after telling why (or after --help and --version, with exit 0 in code).
bool parse(Options& options, int& code) {
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) args.push_back(dp3::winui::utf8(argv[i]));
  LocalFree(argv);
  code = 0;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool hasValue = i + 1 < args.size();
    if (arg == "--help" || arg == "-h") {
      tell(kUsage, false);
      return false;
    }
    if (arg == "--version" || arg == "-v") {
      tell(std::string("dp3tools ") + DP3_VERSION + "\n", false);
      return false;
    }
    if (arg == "--simulate") {
      options.simulate = true;
    } else if (arg == "--port" && hasValue) {
      options.port = args[++i];
    } else if (arg == "--self-test" && hasValue) {
      options.selfTest = args[++i];
    } else if (arg == "--screenshots" && i + 2 < args.size()) {
      options.screenshots = args[++i];
      options.firmware = args[++i];
    } else {
      tell("dp3tools: unknown option " + arg + "\n" + kUsage, true);
      code = 1;
      return false;
    }
  }
  if ((!options.selfTest.empty() || !options.screenshots.empty()) && !options.simulate) {
    tell("dp3tools: --self-test and --screenshots work on the simulated keyer (--simulate)\n",
         true);
    code = 1;
    return false;
  }
  return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  Options options;
  if (int code = 0; !parse(options, code)) return code;
  INITCOMMONCONTROLSEX controls{sizeof(controls),
                                ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);

  dp3::ProgramConfig config;
  config.configFilePath = dp3::defaultConfigFilePath(dp3::executablePath());
  if (const dp3::ConfigResult loaded = dp3::loadProgramConfig(config); !loaded.ok()) {
    MessageBoxW(nullptr, dp3::winui::wide(dp3::configResultText(loaded, config)).c_str(), L"Error",
                MB_OK | MB_ICONWARNING);
  }
  if (!options.port.empty()) config.portPath = options.port;

  std::unique_ptr<dp3::KeyerModel> model;
  std::vector<dp3::SerialDevice> extraPorts;
  if (options.simulate) {
    model = std::make_unique<dp3::KeyerModel>(dp3::SimConfig{});
    config.portPath = kSimulatedPort;
    config.sessionPort = kSimulatedPort;
    extraPorts.push_back({kSimulatedPort, "Simulated keyer"});
  }
  auto makeLink = [&model](const std::string& port) -> std::unique_ptr<dp3::Link> {
    if (model && port == kSimulatedPort) return std::make_unique<dp3::SimLink>(*model);
    return std::make_unique<dp3::SerialLink>(port);
  };

  int verdict = 0;
  std::thread driver;
  if (!options.selfTest.empty()) driver = dp3::winui::startSelfTest(options.selfTest, verdict);
  if (!options.screenshots.empty()) {
    driver = dp3::winui::startScreenshots(options.screenshots, options.firmware, verdict);
  }
  dp3::winui::runMainDialog(config, makeLink, extraPorts);
  if (!driver.joinable()) return 0;
  driver.join();
  return verdict;
}
