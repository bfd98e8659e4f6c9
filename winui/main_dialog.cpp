#include "winui/main_dialog.hpp"

#include <commctrl.h>
#include <mmsystem.h>

#include <filesystem>
#include <thread>

#include "link/port_check.hpp"
#include "link/trace_link.hpp"
#include "settings/settings_fields.hpp"
#include "sound/pcm.hpp"
#include "surface/control_ids.hpp"
#include "window_logic/about_window.hpp"
#include "window_logic/main_window.hpp"
#include "window_logic/message_sound.hpp"
#include "window_logic/messages_view.hpp"
#include "window_logic/port_window.hpp"
#include "window_logic/setting_controls.hpp"
#include "window_logic/window_memory.hpp"
#include "winui/dialog_proc.hpp"
#include "winui/dialogs.hpp"
#include "winui/file_dialogs.hpp"
#include "winui/self_test.hpp"

namespace dp3::winui {

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT_PTR kSoundTimer = 2;

// The fourteen text boxes take typed characters through the keyer's filter.
LRESULT CALLBACK textBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR surface) {
  if (message == WM_CHAR) {
    const unsigned character = unsigned(wParam) == '\n' ? '\r' : unsigned(wParam);
    if (messageKeyFilter(*reinterpret_cast<const ControlSurface*>(surface), character)) return 0;
  }
  return DefSubclassProc(box, message, wParam, lParam);
}

struct MainDialog {
  ProgramConfig& config;
  LinkFactory makeLink;
  std::vector<SerialDevice> extraPorts;
  HWND window = nullptr;
  std::unique_ptr<DialogSurface> surface{};
  std::unique_ptr<WindowThreadSurface> threaded{};
  std::unique_ptr<Link> link{};
  SettingsImage image{};
  KeyerInfo keyer{};
  AboutState about{};
  std::unique_ptr<MainWindow> logic{};
  std::thread worker{};
  int commandButton = 0;
  std::vector<HWND> held{};  // the form's controls greyed while a command runs
  bool closeRequested = false;
  std::string lastPortAdvice{};
  std::shared_ptr<TraceSink> trace{};
  std::vector<std::uint8_t> sound{};  // the WAV playing, kept while it plays

  INT_PTR init() {
    for (const auto& [kind, metric] : {std::pair{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}}) {
      const int size = GetSystemMetrics(metric);
      SendMessageW(window, WM_SETICON, kind,
                   LPARAM(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON,
                                     size, size, LR_SHARED)));
    }
    surface = std::make_unique<DialogSurface>(window);
    threaded = std::make_unique<WindowThreadSurface>(*surface);
    link = newLink();
    logic = std::make_unique<MainWindow>(*surface, image, keyer, config);
    logic->setUp();
    for (int box : {id::kSerialNumber, id::kStFreq}) addStyle(box, ES_NUMBER);
    for (const TextField& box : kTextFields) {
      addStyle(controlOf(box.label), ES_UPPERCASE);
      SetWindowSubclass(surface->control(controlOf(box.label)), textBoxProc, 1,
                        DWORD_PTR(surface.get()));
    }
    showPlayState(*surface, "", false);
    restoreWindowMemory();
    SetTimer(window, kTickTimer, kTimerPeriodMs, nullptr);
    tick();
    windowWatch().main = window;
    return TRUE;
  }

  void addStyle(int id, LONG_PTR style) {
    HWND box = surface->control(id);
    SetWindowLongPtrW(box, GWL_STYLE, GetWindowLongPtrW(box, GWL_STYLE) | style);
  }

  void tick() {
    logic->onTimer();
    showMessageTimes(*surface, logic->activeBank(), logic->activeUser());
  }

  // A link for the configured port, traced while the About window's Trace box is set.
  std::unique_ptr<Link> newLink() {
    auto made = makeLink(config.portPath);
    if (!trace) return made;
    trace->comment("port " + config.portPath);
    return std::make_unique<TraceLink>(std::move(made), trace);
  }

  void startTrace() {
    link->commClose();
    link.reset();
    trace.reset();
    if (about.traceOn) {
      std::error_code error;
      std::filesystem::create_directories(std::filesystem::path(about.traceFile).parent_path(),
                                          error);
      trace = std::make_shared<TraceSink>(about.traceFile);
      if (!trace->ok()) {
        trace.reset();
        about.traceOn = false;
        surface->showMessage("Can't write the trace file " + about.traceFile, "Error");
      }
    }
    link = newLink();
  }

  // Test, Read or Write: the keyer work runs on a worker thread, which talks
  // to the window through the window-thread surface and posts kWorkerDone.
  void startKeyerCommand(KeyerCommand command) {
    if (worker.joinable() || !logic->beginKeyerCommand(*link)) return;
    commandButton = command == KeyerCommand::Test   ? id::kTestDp
                    : command == KeyerCommand::Read ? id::kReadDp
                                                    : id::kWriteDp;
    holdForm(true);
    SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
    worker = std::thread([this, command, user = logic->activeUser()] {
      runKeyerCommand(command, *threaded, *link, keyer, image, user);
      PostMessageW(window, kWorkerDone, 0, 0);
    });
  }

  void endKeyerCommand() {
    worker.join();
    holdForm(false);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    logic->endKeyerCommand();
    explainPortFailure(*surface, *link, gatherPortFacts(config.portPath), lastPortAdvice);
    if (HWND button = surface->control(commandButton); IsWindowEnabled(button)) SetFocus(button);
    ++windowWatch().commandsEnded;
    // A close asked for during the command is done now that it has ended.
    if (closeRequested) PostMessageW(window, WM_CLOSE, 0, 0);
  }

  // While a command runs the editor and the form are greyed and take no input;
  // afterwards exactly the controls greyed here come back.
  void holdForm(bool hold) {
    if (!hold) {
      for (HWND control : held) EnableWindow(control, TRUE);
      held.clear();
      return;
    }
    for (int group : {id::kConfigGroup, id::kEditorGroup}) {
      RECT area;
      GetWindowRect(surface->control(group), &area);
      for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        RECT r;
        GetWindowRect(c, &r);
        const bool inside = r.left >= area.left && r.right <= area.right && r.top >= area.top &&
                            r.bottom <= area.bottom;
        if (inside && IsWindowEnabled(c) && IsWindowVisible(c)) {
          EnableWindow(c, FALSE);
          held.push_back(c);
        }
      }
    }
  }

  void onButton(int button) {
    switch (button) {
      case id::kBank1:
      case id::kBank2:
        return logic->onBank(button == id::kBank1 ? 1 : 2);
      case id::kUser1:
      case id::kUser2:
        logic->onUser(button == id::kUser1 ? 1 : 2);
        return;
      case id::kTestDp:
        return startKeyerCommand(KeyerCommand::Test);
      case id::kReadDp:
        return startKeyerCommand(KeyerCommand::Read);
      case id::kWriteDp:
        return startKeyerCommand(KeyerCommand::Write);
      case id::kFwUpdate:
        runUploaderDialog(window, *link, keyer, about.verboseFlag);
        return startKeyerCommand(KeyerCommand::Test);
      case id::kSetComPort:
        return setComPort();
      case id::kRtty:
        return runRttyDialog(window, image, logic->activeUser());
      case id::kAbout:
        if (runAboutDialog(window, about, config.configFilePath.parent_path().string())) {
          startTrace();
        }
        return;
      case id::kReadConfigFile: {
        const std::string path = fileChooser()(window, FileChoice::OpenSettings);
        if (!path.empty()) logic->onReadConfigFile(std::filesystem::u8path(path));
        return;
      }
      case id::kWriteConfigFile:
        writeConfigFile();
        return;
      case id::kResetDefaults:
        return logic->onResetDefaults();
      case id::kExit:
        if (!mayClose()) return;
        logic->onExit(*link);
        return end();
      case id::kStopPlay:
        return stopSound();
      default:
        return play(button);
    }
  }

  bool writeConfigFile() {
    if (!logic->prepareWriteConfigFile()) return false;
    const std::string path = fileChooser()(window, FileChoice::SaveSettings);
    return !path.empty() && logic->onWriteConfigFile(std::filesystem::u8path(path));
  }

  // Unsaved edits: save them, leave them, or stay.
  bool mayClose() {
    switch (logic->confirmExit()) {
      case ExitStep::Close:
        return true;
      case ExitStep::SaveFirst:
        return writeConfigFile();
      case ExitStep::Stay:
        break;
    }
    return false;
  }

  void setComPort() {
    if (link->portOpenFlag()) link->commClose();
    ProbeOptions probe;
    probe.makeLink = [this](const std::string& path, std::chrono::milliseconds) {
      return makeLink(path);
    };
    const auto devices = [this] {
      std::vector<SerialDevice> listed = listSerialDevices();
      for (const SerialDevice& extra : extraPorts) {
        bool present = false;
        for (const SerialDevice& device : listed) present = present || device.path == extra.path;
        if (!present) listed.push_back(extra);
      }
      return listed;
    };
    if (runPortDialog(window, config, devices, probe)) link = newLink();
    logic->showPort();
  }

  // The box beside the Play button as it reads now, at the form's values,
  // through the system's sound player.
  void play(int playId) {
    if (playedBox(playId, logic->activeBank(), logic->activeUser()) == 0) return;
    const KeyingSettings settings = formKeying(*surface);
    if (!playableSpeed(settings)) {
      surface->showMessage("CurWpm must be between 5 and 99 to play a message", "Error");
      return;
    }
    const Keying keying = playKeying(*surface, playId, logic->activeBank(), logic->activeUser());
    if (keying.empty()) return;
    stopSound();
    const std::vector<std::int16_t> samples = renderPcm(keying, settings.toneHz);
    sound = wavFile(samples);
    if (!PlaySoundW(reinterpret_cast<LPCWSTR>(sound.data()), nullptr, SND_MEMORY | SND_ASYNC)) {
      sound.clear();
      showPlayState(*surface, "The system has no sound output", false);
      return;
    }
    const auto ms = UINT(samples.size() * 1000 / kSampleRate + 100);
    SetTimer(window, kSoundTimer, ms, nullptr);
    showPlayState(*surface, "", true);
  }

  void stopSound() {
    KillTimer(window, kSoundTimer);
    PlaySoundW(nullptr, nullptr, 0);
    sound.clear();
    showPlayState(*surface, "", false);
  }

  // Where the window was and how big, and the file dialogs' folders, from
  // the last run; the window is kept wholly on the screen's free area.
  void restoreWindowMemory() {
    if (config.configFilePath.empty()) return;
    const WindowMemory memory = loadWindowMemory(windowMemoryPath(config.configFilePath));
    for (const auto& [name, folder] : memory.folders) lastFolders()[name] = folder;
    if (!memory.geometry) return;
    RECT free;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &free, 0);
    const WindowRect placed = fitOnScreen(
        *memory.geometry,
        WindowRect{free.left, free.top, free.right - free.left, free.bottom - free.top});
    // The dialog's size is its template's; only the place is taken back.
    SetWindowPos(window, nullptr, placed.x, placed.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  }

  void end() {
    stopSound();
    if (!config.configFilePath.empty()) {
      WindowMemory memory;
      RECT r;
      GetWindowRect(window, &r);
      memory.geometry = WindowRect{r.left, r.top, r.right - r.left, r.bottom - r.top};
      memory.folders = lastFolders();
      saveWindowMemory(windowMemoryPath(config.configFilePath), memory);
    }
    KillTimer(window, kTickTimer);
    windowWatch().main = nullptr;
    EndDialog(window, 0);
  }

  INT_PTR handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
      case kWorkerDone:
        endKeyerCommand();
        return TRUE;
      case WM_TIMER:
        if (wParam == kSoundTimer) {
          stopSound();
        } else {
          tick();
        }
        return TRUE;
      case WM_SETCURSOR:
        if (!worker.joinable()) return FALSE;
        SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
        SetWindowLongPtrW(window, DWLP_MSGRESULT, TRUE);
        return TRUE;
      case WM_CLOSE:
        // The close box waits for a running command.
        if (worker.joinable()) {
          closeRequested = true;
          return TRUE;
        }
        if (!mayClose()) return TRUE;
        link->commClose();
        end();
        return TRUE;
      case WM_COMMAND:
        break;
      default:
        return FALSE;
    }
    // Input waits while a command runs; Escape never ends this window.
    if (worker.joinable()) return TRUE;
    const int id = LOWORD(wParam);
    if (HIWORD(wParam) == CBN_SELCHANGE) {
      logic->onListSelection(id);
      return TRUE;
    }
    const int button = clickedButton(wParam, lParam);
    if (button == 0) return FALSE;
    for (const BitField& bit : kModeBits) {
      if (controlOf(bit.label) == button) {
        logic->onCheckBox(button);
        return TRUE;
      }
    }
    onButton(button);
    return TRUE;
  }
};

}  // namespace

int runMainDialog(ProgramConfig& config, LinkFactory makeLink,
                  std::vector<SerialDevice> extraPorts) {
  MainDialog dialog{config, std::move(makeLink), std::move(extraPorts)};
  return int(runDialog(id::kMainDialog, nullptr, dialog));
}

}  // namespace dp3::winui
