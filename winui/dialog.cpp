#include "winui/dialog.hpp"

#include <commctrl.h>
#include <mmsystem.h>

#include <span>

#include "settings/settings_fields.hpp"
#include "sound/pcm.hpp"
#include "surface/control_ids.hpp"
#include "window_logic/setting_controls.hpp"
#include "winui/file_dialogs.hpp"
#include "winui/self_test.hpp"

namespace dp3::winui {

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT_PTR kSoundTimer = 2;
// The property that leads from a dialog's window to its face.
constexpr const wchar_t* kFaceProperty = L"dp3.face";

}  // namespace

Dialog::~Dialog() {
  // The logic lets no window end under running work; should the program end
  // anyway, a worker's calls to the gone window return at once.
  for (auto& [id, work] : works_) work.thread.join();
}

void Dialog::run(HWND owner) {
  // Esc is told apart by its key, not by IDCANCEL: the uploader's Load
  // button has that id.
  HHOOK hook = SetWindowsHookExW(WH_MSGFILTER, escapeFilter, nullptr, GetCurrentThreadId());
  DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(dialogId_), owner, procedure,
                  LPARAM(this));
  if (hook) UnhookWindowsHookEx(hook);
}

INT_PTR CALLBACK Dialog::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) return reinterpret_cast<Dialog*>(lParam)->init(window);
  auto* dialog = reinterpret_cast<Dialog*>(GetPropW(window, kFaceProperty));
  return dialog && dialog->logic_ ? dialog->handle(message, wParam, lParam) : FALSE;
}

// A dialog's modal loop passes every message here first.
LRESULT CALLBACK Dialog::escapeFilter(int code, WPARAM wParam, LPARAM lParam) {
  const auto* message = reinterpret_cast<const MSG*>(lParam);
  if (code == MSGF_DIALOGBOX && message->message == WM_KEYDOWN && message->wParam == VK_ESCAPE) {
    HWND root = GetAncestor(message->hwnd, GA_ROOT);
    if (auto* dialog = reinterpret_cast<Dialog*>(GetPropW(root, kFaceProperty))) {
      dialog->logic_->onEscape();
      return 1;
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

INT_PTR Dialog::init(HWND window) {
  window_ = window;
  SetPropW(window_, kFaceProperty, this);
  surface_ = std::make_unique<DialogSurface>(window_);
  if (dialogId_ == id::kMainDialog) setUpMainControls();
  logic_ = make_(*surface_, *this);
  logic_->onOpen();
  if (const int period = logic_->timerPeriodMs(); period > 0) {
    SetTimer(window_, kTickTimer, UINT(period), nullptr);
  }
  if (dialogId_ == id::kMainDialog) windowWatch().main = window_;
  if (dialogId_ == id::kUploaderDialog) windowWatch().uploader = window_;
  return TRUE;
}

// The program's icon; S/N and ST Freq take digits only; the fourteen text
// boxes show capitals and hand every typed character to the logic.
void Dialog::setUpMainControls() {
  for (const auto& [kind, metric] : {std::pair{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}}) {
    const int size = GetSystemMetrics(metric);
    SendMessageW(window_, WM_SETICON, kind,
                 LPARAM(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size,
                                   size, LR_SHARED)));
  }
  const auto addStyle = [this](int id, LONG_PTR style) {
    HWND box = surface_->control(id);
    SetWindowLongPtrW(box, GWL_STYLE, GetWindowLongPtrW(box, GWL_STYLE) | style);
  };
  for (int box : {id::kSerialNumber, id::kStFreq}) addStyle(box, ES_NUMBER);
  for (const TextField& box : kTextFields) {
    addStyle(controlOf(box.label), ES_UPPERCASE);
    SetWindowSubclass(surface_->control(controlOf(box.label)), textBoxProc, 1, DWORD_PTR(this));
  }
}

LRESULT CALLBACK Dialog::textBoxProc(HWND box, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                     DWORD_PTR dialog) {
  if (message == WM_CHAR && reinterpret_cast<Dialog*>(dialog)->logic_->onTypedCharacter(
                                GetDlgCtrlID(box), unsigned(wParam))) {
    return 0;
  }
  return DefSubclassProc(box, message, wParam, lParam);
}

INT_PTR Dialog::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kRunOnWindowThread:
      (*reinterpret_cast<const std::function<void()>*>(lParam))();
      return TRUE;
    case kWorkDone: {
      auto ended = works_.extract(wParam);
      if (ended.empty()) return TRUE;
      ended.mapped().thread.join();
      ended.mapped().done();
      ++windowWatch().workEnded;
      return TRUE;
    }
    case WM_TIMER:
      if (wParam == kSoundTimer) {
        stopSound();
        logic_->onSoundEnded();
      } else {
        logic_->onTimer();
      }
      return TRUE;
    case WM_SETCURSOR:
      if (!held_ || dialogId_ != id::kMainDialog) return FALSE;
      SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
      SetWindowLongPtrW(window_, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_SHOWWINDOW:
      if (wParam) logic_->onShown();
      return FALSE;
    case WM_CLOSE:
      logic_->onClose();
      return TRUE;
    case WM_DESTROY:
      RemovePropW(window_, kFaceProperty);
      return FALSE;
    case WM_COMMAND:
      break;
    default:
      return FALSE;
  }
  if (held_) return TRUE;  // input waits
  if (HIWORD(wParam) == CBN_SELCHANGE) {
    logic_->onListSelection(LOWORD(wParam));
    return TRUE;
  }
  // A click comes from its control; Enter without a default button comes
  // without one and is no click.
  if (HIWORD(wParam) != BN_CLICKED || lParam == 0) return FALSE;
  logic_->onButton(LOWORD(wParam));
  return TRUE;
}

void Dialog::runOffWindowThread(std::function<void()> work, std::function<void()> done) {
  const WPARAM id = ++lastWork_;
  Work& started = works_[id];
  started.done = std::move(done);
  started.thread = std::thread([window = window_, id, work = std::move(work)] {
    work();
    PostMessageW(window, kWorkDone, id, 0);
  });
}

void Dialog::runOnWindowThread(const std::function<void()>& call) {
  SendMessageW(window_, kRunOnWindowThread, 0, LPARAM(&call));
}

// Input waits; the main window shows the work: a busy cursor, and its form
// and editor greyed.
void Dialog::holdInput(bool hold) {
  held_ = hold;
  if (dialogId_ != id::kMainDialog) return;
  greyForm(hold);
  SetCursor(LoadCursorW(nullptr, hold ? IDC_APPSTARTING : IDC_ARROW));
}

// The controls within the form's and the editor's frames (in Win32 siblings
// of the frame, not its children); afterwards exactly these come back.
void Dialog::greyForm(bool grey) {
  if (!grey) {
    for (HWND control : greyed_) EnableWindow(control, TRUE);
    greyed_.clear();
    return;
  }
  for (int group : {id::kConfigGroup, id::kEditorGroup}) {
    RECT area;
    GetWindowRect(surface_->control(group), &area);
    for (HWND c = GetWindow(window_, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      RECT r;
      GetWindowRect(c, &r);
      const bool inside = r.left >= area.left && r.right <= area.right && r.top >= area.top &&
                          r.bottom <= area.bottom;
      if (inside && IsWindowEnabled(c) && IsWindowVisible(c)) {
        EnableWindow(c, FALSE);
        greyed_.push_back(c);
      }
    }
  }
}

void Dialog::closeWindow() {
  stopSound();
  KillTimer(window_, kTickTimer);
  if (dialogId_ == id::kMainDialog) windowWatch().main = nullptr;
  if (dialogId_ == id::kUploaderDialog) windowWatch().uploader = nullptr;
  EndDialog(window_, 0);
}

void Dialog::runWindow(int dialogId, const MakeLogic& make) {
  Dialog child(dialogId, make);
  child.run(window_);
}

std::string Dialog::chooseFile(FileChoice choice, const std::string& folder) {
  return fileChooser()(window_, choice, folder);
}

// The whole sound as a WAV in memory, through the system's player.
bool Dialog::playSound(std::unique_ptr<PcmRenderer> pcm) {
  stopSound();
  std::vector<std::int16_t> samples(pcm->totalSamples());
  for (std::size_t at = 0; at < samples.size();) {
    const std::size_t n = pcm->render(std::span(samples).subspan(at));
    if (n == 0) break;
    at += n;
  }
  sound_ = wavFile(samples);
  if (!PlaySoundW(reinterpret_cast<LPCWSTR>(sound_.data()), nullptr, SND_MEMORY | SND_ASYNC)) {
    sound_.clear();
    noSound_ = "The system has no sound output";
    return false;
  }
  SetTimer(window_, kSoundTimer, UINT(samples.size() * 1000 / kSampleRate + 100), nullptr);
  return true;
}

void Dialog::stopSound() {
  if (sound_.empty()) return;
  KillTimer(window_, kSoundTimer);
  PlaySoundW(nullptr, nullptr, 0);
  sound_.clear();
}

WindowRect Dialog::windowRect() const {
  RECT r;
  GetWindowRect(window_, &r);
  return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

WindowRect Dialog::screenArea() const {
  RECT free;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &free, 0);
  return {free.left, free.top, free.right - free.left, free.bottom - free.top};
}

// The dialog's size is its template's; only the place is taken.
void Dialog::placeWindow(const WindowRect& place) {
  SetWindowPos(window_, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

}  // namespace dp3::winui
