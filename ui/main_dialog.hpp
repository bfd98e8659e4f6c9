// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include "ui/dialog.hpp"
#include "window_logic/main_window.hpp"

namespace dp3::ui {

// Dialog 1001, the program's window: the Qt face of MainWindow.
class MainDialog : public Dialog {
  Q_OBJECT

 public:
  MainDialog(ProgramConfig& config, LinkFactory makeLink, QWidget* parent = nullptr);

  MainWindow& logic() { return static_cast<MainWindow&>(Dialog::logic()); }
};

}  // namespace dp3::ui
