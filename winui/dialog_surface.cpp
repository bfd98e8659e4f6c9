// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "winui/dialog_surface.hpp"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>

namespace dp3::winui {

namespace {

MessageSink& messageSink() {
  static MessageSink sink;
  return sink;
}

bool isMultiLine(HWND control) {
  return (GetWindowLongPtrW(control, GWL_STYLE) & ES_MULTILINE) != 0;
}

// A multi-line box breaks lines only at CR LF: a lone LF (the log's lines)
// becomes CR LF.
std::wstring forControl(HWND control, std::string_view text) {
  std::wstring converted = wide(text);
  if (!isMultiLine(control)) return converted;
  std::wstring lines;
  for (std::size_t i = 0; i < converted.size(); ++i) {
    if (converted[i] == L'\n' && (i == 0 || converted[i - 1] != L'\r')) lines += L'\r';
    lines += converted[i];
  }
  return lines;
}

// The system's accessibility annotations for this thread's windows; null
// where it has none.
IAccPropServices* annotations() {
  static IAccPropServices* services = [] {
    IAccPropServices* made = nullptr;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (FAILED(CoCreateInstance(CLSID_AccPropServices, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IAccPropServices, reinterpret_cast<void**>(&made)))) {
      return static_cast<IAccPropServices*>(nullptr);
    }
    return made;
  }();
  return services;
}

// UI Automation's LiveSetting property, and its value Polite.
constexpr GUID kLiveSetting = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
constexpr int kPolite = 1;

}  // namespace

std::wstring wide(std::string_view text) {
  if (text.empty()) return {};
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
  std::wstring result(std::size_t(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), result.data(), size);
  return result;
}

std::string utf8(std::wstring_view text) {
  if (text.empty()) return {};
  const int size =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  std::string result(std::size_t(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), result.data(), size, nullptr,
                      nullptr);
  return result;
}

void setMessageSink(MessageSink sink) {
  messageSink() = std::move(sink);
}

void DialogSurface::setText(int id, std::string_view text) {
  HWND c = control(id);
  if (!c) return;
  SetWindowTextW(c, forControl(c, text).c_str());
  if (std::find(live_.begin(), live_.end(), id) != live_.end()) {
    NotifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, c, OBJID_CLIENT, CHILDID_SELF);
  }
}

void DialogSurface::markLive(int id) {
  HWND c = control(id);
  if (!c) return;
  live_.push_back(id);
  if (IAccPropServices* services = annotations()) {
    VARIANT polite;
    VariantInit(&polite);
    polite.vt = VT_I4;
    polite.lVal = kPolite;
    services->SetHwndProp(c, DWORD(OBJID_CLIENT), CHILDID_SELF, kLiveSetting, polite);
  }
}

void DialogSurface::describe(int id, std::string_view name, std::string_view description) {
  HWND c = control(id);
  IAccPropServices* services = annotations();
  if (!c || !services) return;
  auto texts = std::pair{wide(name), wide(description)};
  if (described_[id] == texts) return;
  services->SetHwndPropStr(c, DWORD(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_NAME,
                           texts.first.c_str());
  services->SetHwndPropStr(c, DWORD(OBJID_CLIENT), CHILDID_SELF, PROPID_ACC_DESCRIPTION,
                           texts.second.c_str());
  described_[id] = std::move(texts);
}

std::string DialogSurface::text(int id) const {
  HWND c = control(id);
  if (!c) return {};
  std::wstring text(std::size_t(GetWindowTextLengthW(c)) + 1, L'\0');
  text.resize(std::size_t(GetWindowTextW(c, text.data(), int(text.size()))));
  return utf8(text);
}

void DialogSurface::appendText(int id, std::string_view text) {
  HWND c = control(id);
  if (!c) return;
  if (!isMultiLine(c)) return setText(id, this->text(id) + std::string(text));
  const LRESULT end = SendMessageW(c, WM_GETTEXTLENGTH, 0, 0);
  SendMessageW(c, EM_SETSEL, WPARAM(end), LPARAM(end));
  SendMessageW(c, EM_REPLACESEL, FALSE, LPARAM(forControl(c, text).c_str()));
}

void DialogSurface::setChecked(int id, bool checked) {
  if (control(id)) CheckDlgButton(dialog_, id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool DialogSurface::isChecked(int id) const {
  return control(id) && IsDlgButtonChecked(dialog_, id) == BST_CHECKED;
}

void DialogSurface::clearList(int id) {
  SendDlgItemMessageW(dialog_, id, CB_RESETCONTENT, 0, 0);
}

void DialogSurface::addListEntry(int id, std::string_view text) {
  SendDlgItemMessageW(dialog_, id, CB_ADDSTRING, 0, LPARAM(wide(text).c_str()));
}

void DialogSurface::selectEntry(int id, int index) {
  SendDlgItemMessageW(dialog_, id, CB_SETCURSEL, WPARAM(index), 0);
}

int DialogSurface::selectedEntry(int id) const {
  if (!control(id)) return -1;
  const LRESULT index = SendDlgItemMessageW(dialog_, id, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? -1 : int(index);
}

void DialogSurface::setEnabled(int id, bool enabled) {
  if (HWND c = control(id)) EnableWindow(c, enabled);
}

void DialogSurface::setVisible(int id, bool visible) {
  if (HWND c = control(id)) ShowWindow(c, visible ? SW_SHOW : SW_HIDE);
}

void DialogSurface::setProgress(int id, int percent) {
  SendDlgItemMessageW(dialog_, id, PBM_SETPOS, WPARAM(percent), 0);
}

// One tooltip window per dialog; a control gets its tool the first time it has a hint.
void DialogSurface::setToolTip(int id, std::string_view text) {
  HWND c = control(id);
  if (!c) return;
  std::wstring tip = wide(text);
  const auto known = tips_.find(id);
  if (known != tips_.end() && known->second == tip) return;
  if (!toolTips_) {
    toolTips_ = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, dialog_,
                                nullptr, nullptr, nullptr);
    if (!toolTips_) return;
    SendMessageW(toolTips_, TTM_SETMAXTIPWIDTH, 0, 400);
  }
  TTTOOLINFOW tool{};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = dialog_;
  tool.uId = UINT_PTR(c);
  tool.lpszText = tip.data();
  const bool added = known != tips_.end();
  SendMessageW(toolTips_, added ? TTM_UPDATETIPTEXTW : TTM_ADDTOOLW, 0, LPARAM(&tool));
  tips_[id] = std::move(tip);
}

void DialogSurface::showMessage(std::string_view text, std::string_view caption) {
  if (messageSink()) return messageSink()(text, caption);
  MessageBoxW(dialog_, wide(text).c_str(), wide(caption).c_str(), MB_OK | MB_ICONWARNING);
}

void DialogSurface::focusControl(int id) {
  HWND c = control(id);
  if (!c) return;
  SendMessageW(dialog_, WM_NEXTDLGCTL, WPARAM(c), TRUE);
  SendMessageW(c, EM_SETSEL, 0, -1);
  PostMessageW(dialog_, kShowFocus, 0, 0);
}

Answer DialogSurface::ask(std::string_view text, std::string_view caption) {
  if (messageSink()) {
    messageSink()(text, caption);
    return Answer::No;
  }
  switch (MessageBoxW(dialog_, wide(text).c_str(), wide(caption).c_str(),
                      MB_YESNOCANCEL | MB_ICONQUESTION)) {
    case IDYES:
      return Answer::Yes;
    case IDNO:
      return Answer::No;
    default:
      return Answer::Cancel;
  }
}

bool DialogSurface::askYesNo(std::string_view text, std::string_view caption) {
  if (messageSink()) {
    messageSink()(text, caption);
    return true;
  }
  return MessageBoxW(dialog_, wide(text).c_str(), wide(caption).c_str(),
                     MB_YESNO | MB_ICONQUESTION) == IDYES;
}

}  // namespace dp3::winui
