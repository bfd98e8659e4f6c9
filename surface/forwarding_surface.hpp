// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <functional>
#include <thread>

#include "surface/control_surface.hpp"

namespace dp3 {

// Runs call on the window's thread and returns once it has run. Each face
// gives one: Qt a blocking queued call, Win32 a sent message.
using RunOnWindowThread = std::function<void(const std::function<void()>& call)>;

// Lets work on a worker thread talk to a window: each call runs on the
// window's thread through the face's hook and the worker waits for it, so the
// logic keeps its order (a message box is answered before the work goes on)
// and no control is touched off its thread. Made on the window's thread; calls
// made there go straight through. A call the hook could not run (the window is
// gone) answers as a surface that cannot ask.
class ForwardingSurface : public ControlSurface {
 public:
  ForwardingSurface(ControlSurface& target, RunOnWindowThread run)
      : target_(target), run_(std::move(run)), windowThread_(std::this_thread::get_id()) {}

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
  void describe(int id, std::string_view name, std::string_view description) override;
  void showMessage(std::string_view text, std::string_view caption) override;
  void focusControl(int id) override;
  Answer ask(std::string_view text, std::string_view caption) override;
  bool askYesNo(std::string_view text, std::string_view caption) override;

 private:
  void onWindowThread(const std::function<void()>& call) const;

  ControlSurface& target_;
  RunOnWindowThread run_;
  std::thread::id windowThread_;
};

}  // namespace dp3
