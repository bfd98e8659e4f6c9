// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "surface/control_surface.hpp"

namespace dp3::winui {

// A key went to the dialog, or the logic moved the focus: the dialog brings
// the control with the focus into view.
inline constexpr UINT kShowFocus = WM_APP + 3;

// UTF-8, as the window logic speaks, to and from the UTF-16 of the Win32 calls.
std::wstring wide(std::string_view text);
std::string utf8(std::wstring_view text);

// Where message boxes go instead of the screen (the self-test records them).
using MessageSink = std::function<void(std::string_view text, std::string_view caption)>;
void setMessageSink(MessageSink sink);

// The control surface of a dialog: the control ids are the dialog's own
// control ids, so each call is one Win32 call on GetDlgItem(dialog, id). A
// multi-line box holds the keyer's CR LF line breaks as they are.
class DialogSurface : public ControlSurface {
 public:
  explicit DialogSurface(HWND dialog) : dialog_(dialog) {}

  HWND dialog() const { return dialog_; }
  HWND control(int id) const { return GetDlgItem(dialog_, id); }

  void setText(int id, std::string_view text) override;
  std::string text(int id) const override;
  void appendText(int id, std::string_view text) override;
  void setChecked(int id, bool checked) override;
  bool isChecked(int id) const override;
  void clearList(int id) override;
  void addListEntry(int id, std::string_view text) override;
  void selectEntry(int id, int index) override;
  int selectedEntry(int id) const override;
  void setEnabled(int id, bool enabled) override;
  void setVisible(int id, bool visible) override;
  void setProgress(int id, int percent) override;
  void setToolTip(int id, std::string_view text) override;
  // Through the system's accessibility annotations (where it has them).
  void describe(int id, std::string_view name, std::string_view description) override;
  // The control's text changes are announced as they happen (a live region).
  void markLive(int id);
  void showMessage(std::string_view text, std::string_view caption) override;
  void focusControl(int id) override;
  // With a message sink set, a question goes there and is answered No (ask)
  // or Yes (askYesNo).
  Answer ask(std::string_view text, std::string_view caption) override;
  bool askYesNo(std::string_view text, std::string_view caption) override;

 private:
  HWND dialog_;
  HWND toolTips_ = nullptr;
  std::map<int, std::wstring> tips_;  // the text each control's tool shows
  std::map<int, std::pair<std::wstring, std::wstring>> described_;  // name, description
  std::vector<int> live_;
};

}  // namespace dp3::winui
