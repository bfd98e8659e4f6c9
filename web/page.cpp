// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers
//
// The page's entry points: the main window under the page's face, and the
// events page.js hands it. dp3Start is called with ccall(..., {async: true})
// and runs until the window closes; the others return at once.
#include <emscripten.h>
#include <sys/stat.h>

#include <chrono>
#include <memory>
#include <string>

#include "link/serial_link.hpp"
#include "sim/keyer_model.hpp"
#include "sim/sim_config.hpp"
#include "sim/sim_link.hpp"
#include "surface/control_ids.hpp"
#include "system/program_config.hpp"
#include "web/page_face.hpp"
#include "window_logic/main_window.hpp"
#include "window_logic/result_texts.hpp"

// clang-format off
EM_ASYNC_JS(void, dp3LetPagePaint, (), { await new Promise((resolve) => setTimeout(resolve, 0)); });
// clang-format on

namespace {

// The port name of the simulated keyer in the page, as the Win32 window names its own.
constexpr const char* kSimulatedPort = "SIM";

// The simulated keyer answers at once; over a long exchange (an upload) the
// page still paints and runs its timers now and then.
class PageSimLink : public dp3::SimLink {
 public:
  using SimLink::SimLink;
  bool commRead(std::span<std::uint8_t> bytes) override {
    const auto now = std::chrono::steady_clock::now();
    if (now - lastPaint_ > std::chrono::milliseconds(20)) {
      dp3LetPagePaint();
      lastPaint_ = std::chrono::steady_clock::now();
    }
    return SimLink::commRead(bytes);
  }

 private:
  std::chrono::steady_clock::time_point lastPaint_ = std::chrono::steady_clock::now();
};

struct Page {
  std::unique_ptr<dp3::KeyerModel> simulated;
  dp3::ProgramConfig config;
  dp3::MainWindow* window = nullptr;
};

Page& page() {
  static Page state;
  return state;
}

}  // namespace

extern "C" {

// The main window until it closes. The keyer port is the last one chosen,
// else the simulated keyer in the page, which shows fault (as dp3 sim's
// --fault; "" for none).
EMSCRIPTEN_KEEPALIVE void dp3Start(const char* fault) {
  // Emscripten starts with a umask that leaves new files unreadable.
  ::umask(022);
  Page& state = page();
  dp3::SimConfig simulated;
  if (*fault) {
    if (const auto named = dp3::parseFault(fault)) {
      simulated.fault = *named;
    } else {
      dp3::web::DomSurface(dp3::id::kMainDialog)
          .showMessage(std::string("Unknown fault ") + fault + ": " + dp3::faultNames(), "Error");
    }
  }
  state.simulated = std::make_unique<dp3::KeyerModel>(simulated);
  state.config.configFilePath = dp3::defaultConfigFilePath({});
  if (const dp3::ConfigResult loaded = dp3::loadProgramConfig(state.config); !loaded.ok()) {
    dp3::web::DomSurface(dp3::id::kMainDialog)
        .showMessage(dp3::configResultText(loaded, state.config), "Error");
  }
  if (state.config.portPath.empty()) state.config.portPath = kSimulatedPort;
  auto makeLink = [](const std::string& port) -> std::unique_ptr<dp3::Link> {
    if (port == kSimulatedPort) return std::make_unique<PageSimLink>(*page().simulated);
    return std::make_unique<dp3::SerialLink>(port);
  };
  dp3::web::PageDialog main(
      dp3::id::kMainDialog, [&](dp3::ControlSurface& ui, dp3::WindowFace& face) {
        auto window = std::make_unique<dp3::MainWindow>(ui, face, state.config, makeLink);
        window->setExtraPorts({{kSimulatedPort, "Simulated keyer (in this page)"}});
        state.window = window.get();
        return window;
      });
  main.run();
  state.window = nullptr;
}

// An event page.js hands over while the page's work waits on the line.
EMSCRIPTEN_KEEPALIVE void dp3Dispatch(int dialog, int event, int id) {
  dp3::web::PageDialog::dispatchNow(dialog, dp3::web::PageEvent(event), id);
}

// A character typed into a box; 1 when the window swallows it.
EMSCRIPTEN_KEEPALIVE int dp3Typed(int dialog, int id, unsigned character) {
  return dp3::web::PageDialog::typed(dialog, id, character) ? 1 : 0;
}

// The trace file of the trace running or last run ("" when none).
EMSCRIPTEN_KEEPALIVE const char* dp3TraceFile() {
  static std::string file;
  file = page().window ? page().window->about().traceFile : "";
  return file.c_str();
}

}  // extern "C"
