// The page's entry points: Test and Read on a port the browser granted or on
// the simulated keyer inside the page, their texts handed to the page as the
// window logic sets them. The page calls each with ccall(..., {async: true}):
// a command on a real port suspends while the browser waits for the line.
#include <emscripten.h>

#include <memory>
#include <string>
#include <string_view>

#include "link/keyer_info.hpp"
#include "link/serial_link.hpp"
#include "link/trace_link.hpp"
#include "settings/settings_image.hpp"
#include "sim/keyer_model.hpp"
#include "sim/sim_link.hpp"
#include "surface/map_surface.hpp"
#include "window_logic/keyer_commands.hpp"

// The blocks below are JavaScript, left as written.
// clang-format off
EM_JS(void, dp3PageText, (int id, const char* text), {
  if (Module.onText) Module.onText(id, UTF8ToString(text));
});
EM_JS(void, dp3PageMessage, (const char* text, const char* caption), {
  if (Module.onMessage) Module.onMessage(UTF8ToString(text), UTF8ToString(caption));
});
// clang-format on

namespace {

// The port name of the simulated keyer in the page, as the Win32 window names its own.
constexpr std::string_view kSimulatedPort = "SIM";

// Keeps the window logic's state and tells the page each text as it is set.
class PageSurface : public dp3::MapSurface {
 public:
  void setText(int id, std::string_view text) override {
    MapSurface::setText(id, text);
    dp3PageText(id, std::string(text).c_str());
  }
  void showMessage(std::string_view text, std::string_view caption) override {
    MapSurface::showMessage(text, caption);
    dp3PageMessage(std::string(text).c_str(), std::string(caption).c_str());
  }
};

struct Page {
  dp3::KeyerModel simulated;
  dp3::KeyerInfo keyer;
  dp3::SettingsImage image{};
  PageSurface ui;
  std::shared_ptr<dp3::TraceSink> trace;
};

Page& page() {
  static Page state;
  return state;
}

std::unique_ptr<dp3::Link> linkFor(const std::string& port) {
  std::unique_ptr<dp3::Link> link;
  if (port == kSimulatedPort) {
    link = std::make_unique<dp3::SimLink>(page().simulated);
  } else {
    link = std::make_unique<dp3::SerialLink>(port);
  }
  if (!page().trace) return link;
  page().trace->comment("port " + port);
  return std::make_unique<dp3::TraceLink>(std::move(link), page().trace);
}

}  // namespace

extern "C" {

// Test (0) or Read (1) on port ("SIM", or a name the page registered for a
// granted port); 1 when the keyer and the page then hold the same settings.
EMSCRIPTEN_KEEPALIVE int dp3RunCommand(int command, const char* port) {
  const dp3::KeyerCommand which = command == 1 ? dp3::KeyerCommand::Read : dp3::KeyerCommand::Test;
  auto link = linkFor(port);
  Page& state = page();
  const bool same =
      dp3::runKeyerCommand(which, state.ui, *link, state.keyer, state.image, 1).keptForm;
  link->commClose();
  return same ? 1 : 0;
}

// From now on every byte on the line goes to a trace file in the page's own
// file system; 1 when it could be written.
EMSCRIPTEN_KEEPALIVE int dp3TraceTo(const char* path) {
  page().trace = std::make_shared<dp3::TraceSink>(path);
  return page().trace->ok() ? 1 : 0;
}

// The 300 bytes of the settings the page holds.
EMSCRIPTEN_KEEPALIVE const std::uint8_t* dp3Image() {
  return page().image.data();
}

}  // extern "C"
