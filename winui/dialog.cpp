// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "winui/dialog.hpp"

#include <commctrl.h>
#include <mmsystem.h>

#include <algorithm>
#include <span>
#include <tuple>

#include "settings/settings_fields.hpp"
#include "sound/pcm.hpp"
#include "surface/control_ids.hpp"
#include "window_logic/control_names.hpp"
#include "window_logic/setting_controls.hpp"
#include "winui/file_dialogs.hpp"
#include "winui/self_test.hpp"

namespace dp3::winui {

namespace {

constexpr UINT_PTR kTickTimer = 1;
constexpr UINT_PTR kSoundTimer = 2;
constexpr int kScrollLine = 24;  // pixels per arrow click or wheel notch
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
  if (code == MSGF_DIALOGBOX &&
      (message->message == WM_KEYDOWN || message->message == WM_SYSKEYDOWN)) {
    // Once the dialog has moved the focus (Tab, an access key), it is brought into view.
    PostMessageW(GetAncestor(message->hwnd, GA_ROOT), kShowFocus, 0, 0);
  }
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
  applyNames();
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

// Each control's access key from the one table: a label carries the key of
// the box after it (and names it for a screen reader), a button its own.
// Status lines are live regions.
void Dialog::applyNames() {
  for (const ShownName& shown : shownNames(dialogId_)) {
    if (shown.key != 0) {
      SetDlgItemTextW(window_, shown.label != 0 ? shown.label : shown.control,
                      wide(shown.text).c_str());
    }
    // The second of two boxes sharing a label is not right after it.
    HWND label = GetDlgItem(window_, shown.label);
    if (label && GetWindow(label, GW_HWNDNEXT) != surface_->control(shown.control)) {
      surface_->describe(shown.control, shown.name, "");
    }
  }
  for (int line : kAnnouncedLines) surface_->markLive(line);
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
    case kShowFocus:
      showFocus();
      return TRUE;
    case WM_VSCROLL:
    case WM_HSCROLL:
      if (lParam != 0) return FALSE;  // a scroll bar control's own
      onScroll(message == WM_VSCROLL ? SB_VERT : SB_HORZ, wParam);
      return TRUE;
    case WM_MOUSEWHEEL:
      if (content_.cy == 0) return FALSE;
      scrollBy(SB_VERT, -GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA * kScrollLine * 2);
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

// The dialog's size is its template's; a place too small for it (a large
// scale on a small screen) makes it that size with scroll bars.
void Dialog::placeWindow(const WindowRect& place) {
  const WindowRect now = windowRect();
  if (content_.cy == 0 && place.width >= now.width && place.height >= now.height) {
    SetWindowPos(window_, nullptr, place.x, place.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    return;
  }
  if (content_.cy == 0) {
    RECT client;
    GetClientRect(window_, &client);
    content_ = {client.right, client.bottom};
    SetWindowLongPtrW(window_, GWL_STYLE,
                      GetWindowLongPtrW(window_, GWL_STYLE) | WS_VSCROLL | WS_HSCROLL);
  }
  SetWindowPos(window_, nullptr, place.x, place.y, place.width, place.height,
               SWP_NOZORDER | SWP_FRAMECHANGED);
  updateScrollBars();
}

int Dialog::scalePercent() const {
  return MulDiv(int(GetDpiForWindow(window_)), 100, USER_DEFAULT_SCREEN_DPI);
}

void Dialog::updateScrollBars() {
  RECT client;
  GetClientRect(window_, &client);
  for (const auto& [bar, whole, page] :
       {std::tuple{SB_VERT, content_.cy, client.bottom}, {SB_HORZ, content_.cx, client.right}}) {
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE, 0, int(whole) - 1, UINT(page), 0, 0};
    SetScrollInfo(window_, bar, &info, TRUE);
  }
}

// The controls move by delta pixels' worth of scrolling, within the content.
void Dialog::scrollBy(int bar, int delta) {
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  if (!GetScrollInfo(window_, bar, &info)) return;
  const int last = std::max(info.nMin, info.nMax - int(info.nPage) + 1);
  const int position = std::clamp(info.nPos + delta, info.nMin, last);
  const int moved = info.nPos - position;
  if (moved == 0) return;
  info.fMask = SIF_POS;
  info.nPos = position;
  SetScrollInfo(window_, bar, &info, TRUE);
  ScrollWindowEx(window_, bar == SB_HORZ ? moved : 0, bar == SB_VERT ? moved : 0, nullptr, nullptr,
                 nullptr, nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
}

void Dialog::onScroll(int bar, WPARAM request) {
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(window_, bar, &info);
  switch (LOWORD(request)) {
    case SB_LINEUP:
      return scrollBy(bar, -kScrollLine);
    case SB_LINEDOWN:
      return scrollBy(bar, kScrollLine);
    case SB_PAGEUP:
      return scrollBy(bar, -int(info.nPage));
    case SB_PAGEDOWN:
      return scrollBy(bar, int(info.nPage));
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      return scrollBy(bar, info.nTrackPos - info.nPos);
    case SB_TOP:
      return scrollBy(bar, info.nMin - info.nPos);
    case SB_BOTTOM:
      return scrollBy(bar, info.nMax - info.nPos);
  }
}

// The control with the focus scrolled wholly into view, with a margin.
void Dialog::showFocus() {
  HWND focus = GetFocus();
  if (content_.cy == 0 || !focus || !IsChild(window_, focus)) return;
  RECT r;
  GetWindowRect(focus, &r);
  MapWindowPoints(nullptr, window_, reinterpret_cast<POINT*>(&r), 2);
  RECT client;
  GetClientRect(window_, &client);
  const int margin = kScrollLine / 2;
  if (r.bottom + margin > client.bottom) scrollBy(SB_VERT, r.bottom + margin - client.bottom);
  if (r.top - margin < 0) scrollBy(SB_VERT, r.top - margin);
  if (r.right + margin > client.right) scrollBy(SB_HORZ, r.right + margin - client.right);
  if (r.left - margin < 0) scrollBy(SB_HORZ, r.left - margin);
}

}  // namespace dp3::winui
