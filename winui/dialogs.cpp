#include "winui/dialogs.hpp"

#include <memory>
#include <thread>

#include "surface/control_ids.hpp"
#include "window_logic/port_window.hpp"
#include "window_logic/rtty_view.hpp"
#include "window_logic/uploader_window.hpp"
#include "winui/dialog_proc.hpp"
#include "winui/file_dialogs.hpp"
#include "winui/self_test.hpp"

namespace dp3::winui {

namespace {

constexpr UINT_PTR kTimerId = 1;
constexpr UINT kRefreshMs = 1000;

struct PortDialog {
  ProgramConfig& config;
  DeviceLister devices;
  ProbeOptions probeOptions;
  HWND window = nullptr;
  std::unique_ptr<DialogSurface> surface{};
  PortSelection ports{};
  std::thread probe{};
  std::vector<ProbeResult> results{};
  bool changed = false;

  INT_PTR init() {
    surface = std::make_unique<DialogSurface>(window);
    ports = openPortWindow(*surface, config, devices());
    SetTimer(window, kTimerId, kRefreshMs, nullptr);
    return TRUE;
  }

  // Exit and the close box wait for a running probe: it holds the ports.
  void end(INT_PTR result) {
    if (probe.joinable()) return;
    KillTimer(window, kTimerId);
    EndDialog(window, result);
  }

  void findKeyer() {
    if (probe.joinable()) return;
    beginFindKeyer(*surface);
    probe = std::thread([this, candidates = ports.portList] {
      results = probePorts(candidates, probeOptions);
      PostMessageW(window, kWorkerDone, 0, 0);
    });
  }

  INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case WM_TIMER:
        if (!probe.joinable()) refreshPortWindow(*surface, ports, config, devices());
        return TRUE;
      case kWorkerDone:
        probe.join();
        showProbeResults(*surface, ports, results);
        return TRUE;
      case WM_CLOSE:
        end(0);
        return TRUE;
      case WM_COMMAND:
        break;
      default:
        return FALSE;
    }
    if (LOWORD(wParam) == id::kPortList && HIWORD(wParam) == CBN_SELCHANGE) {
      onPortSelection(*surface, ports);
      return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL && lParam == 0) {
      end(0);
      return TRUE;
    }
    switch (clickedButton(wParam, lParam)) {
      case id::kPortOk:
        if (probe.joinable()) return TRUE;
        changed = acceptPortWindow(*surface, config, ports);
        end(1);
        return TRUE;
      case id::kPortExit:
        end(0);
        return TRUE;
      case id::kFindKeyer:
        findKeyer();
        return TRUE;
    }
    return FALSE;
  }
};

struct AboutDialog {
  AboutState& state;
  const std::string& traceDir;
  HWND window = nullptr;
  std::unique_ptr<DialogSurface> surface{};
  bool traceChanged = false;

  INT_PTR init() {
    surface = std::make_unique<DialogSurface>(window);
    openAboutWindow(*surface, state);
    return TRUE;
  }

  // OK takes the boxes; the close box and Escape leave them.
  INT_PTR handle(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_CLOSE) return EndDialog(window, 0);
    if (message != WM_COMMAND) return FALSE;
    if (LOWORD(wParam) == id::kAboutOk) {
      traceChanged = acceptAboutWindow(*surface, state, traceDir);
      return EndDialog(window, 1);
    }
    if (LOWORD(wParam) == IDCANCEL) return EndDialog(window, 0);
    return FALSE;
  }
};

struct RttyDialog {
  SettingsImage& image;
  int user;
  HWND window = nullptr;
  std::unique_ptr<DialogSurface> surface{};

  INT_PTR init() {
    surface = std::make_unique<DialogSurface>(window);
    openRttyWindow(*surface, image, user);
    return TRUE;
  }

  INT_PTR handle(UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_CLOSE) return EndDialog(window, 0);
    if (message != WM_COMMAND) return FALSE;
    switch (LOWORD(wParam)) {
      case id::kRttyOk:
        acceptRttyWindow(*surface, image, user);
        return EndDialog(window, 1);
      case id::kRttyCancel:
      case IDCANCEL:
        return EndDialog(window, 0);
    }
    return FALSE;
  }
};

struct UploaderDialog {
  Link& link;
  KeyerInfo& keyer;
  bool verbose;
  HWND window = nullptr;
  std::unique_ptr<DialogSurface> surface{};
  std::unique_ptr<WindowThreadSurface> threaded{};
  std::unique_ptr<UploaderWindow> logic{};
  std::thread starter{};  // Program's checks, which talk to the keyer

  ~UploaderDialog() {
    // The logic joins a running upload: it holds the link and the image.
    logic.reset();
    windowWatch().uploader = nullptr;
  }

  bool busy() const { return starter.joinable() || (logic && logic->uploadRunning()); }

  INT_PTR init() {
    surface = std::make_unique<DialogSurface>(window);
    threaded = std::make_unique<WindowThreadSurface>(*surface);
    surface->setVisible(id::kUploadLog, verbose);
    logic = std::make_unique<UploaderWindow>(*threaded, link, keyer, verbose);
    logic->onOpen();
    windowWatch().uploader = window;
    return TRUE;
  }

  void load() {
    const std::string path = fileChooser()(window, FileChoice::OpenFirmware);
    if (!path.empty()) logic->onLoad(path);
  }

  // The checks before an upload run the keyer's interface test; they run on a
  // worker so the window keeps painting. The upload itself is the logic's
  // worker, watched by the 100 ms timer.
  void program() {
    starter = std::thread([this] {
      logic->onProgram();
      PostMessageW(window, kWorkerDone, 0, 0);
    });
  }

  INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case kWorkerDone:
        starter.join();
        if (logic->timerActive()) SetTimer(window, kTimerId, kUploadTimerMs, nullptr);
        return TRUE;
      case WM_TIMER:
        logic->onTimer();
        if (!logic->timerActive()) {
          KillTimer(window, kTimerId);
          ++windowWatch().uploadsEnded;
        }
        return TRUE;
      case WM_CLOSE:
        if (!busy()) EndDialog(window, 0);
        return TRUE;
      case WM_COMMAND:
        break;
      default:
        return FALSE;
    }
    // Escape comes as IDCANCEL without a control; Load BIN has the same id.
    const int button = LOWORD(wParam) == IDCANCEL && lParam == 0 ? int(id::kUploaderExit)
                                                                 : clickedButton(wParam, lParam);
    if (button == 0 || busy()) return button != 0;
    switch (button) {
      case id::kLoadBin:
        load();
        return TRUE;
      case id::kProgram:
        program();
        return TRUE;
      case id::kUploaderExit:
        EndDialog(window, 0);
        return TRUE;
    }
    return FALSE;
  }
};

}  // namespace

bool runPortDialog(HWND owner, ProgramConfig& config, DeviceLister devices,
                   ProbeOptions probeOptions) {
  PortDialog dialog{config, std::move(devices), std::move(probeOptions)};
  runDialog(id::kPortDialog, owner, dialog);
  return dialog.changed;
}

bool runAboutDialog(HWND owner, AboutState& state, const std::string& traceDir) {
  AboutDialog dialog{state, traceDir};
  runDialog(id::kAboutDialog, owner, dialog);
  return dialog.traceChanged;
}

void runRttyDialog(HWND owner, SettingsImage& image, int user) {
  RttyDialog dialog{image, user};
  runDialog(id::kRttyDialog, owner, dialog);
}

void runUploaderDialog(HWND owner, Link& link, KeyerInfo& keyer, bool verbose) {
  UploaderDialog dialog{link, keyer, verbose};
  runDialog(id::kUploaderDialog, owner, dialog);
}

}  // namespace dp3::winui
