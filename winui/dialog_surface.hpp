#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "surface/control_surface.hpp"

namespace dp3::winui {

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
  void showMessage(std::string_view text, std::string_view caption) override;
  // With a message sink set the question goes there and is answered Yes.
  void focusControl(int id) override;
  Answer ask(std::string_view text, std::string_view caption) override;
  bool askYesNo(std::string_view text, std::string_view caption) override;

 private:
  HWND dialog_;
  HWND toolTips_ = nullptr;
  std::map<int, std::wstring> tips_;  // the text each control's tool shows
};

// Keyer work on a worker thread talks to a dialog through this: each call is
// sent to the dialog's thread (kRunOnWindowThread) and the worker waits for
// it, so the logic keeps its order and no control is touched off its thread.
// On the dialog's thread calls go straight through.
class WindowThreadSurface : public ControlSurface {
 public:
  explicit WindowThreadSurface(DialogSurface& target)
      : target_(target), thread_(GetWindowThreadProcessId(target.dialog(), nullptr)) {}

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
  void showMessage(std::string_view text, std::string_view caption) override;
  void focusControl(int id) override;
  Answer ask(std::string_view text, std::string_view caption) override;
  bool askYesNo(std::string_view text, std::string_view caption) override;

 private:
  void onWindowThread(const std::function<void()>& call) const;

  DialogSurface& target_;
  DWORD thread_;
};

// The message a WindowThreadSurface sends (lParam: the std::function<void()>
// to run), and the ones a worker posts when it has ended.
inline constexpr UINT kRunOnWindowThread = WM_APP + 1;
inline constexpr UINT kWorkerDone = WM_APP + 2;

// Every dialog procedure starts here: runs a call sent by a worker.
bool runSentCall(UINT message, LPARAM lParam);

}  // namespace dp3::winui
