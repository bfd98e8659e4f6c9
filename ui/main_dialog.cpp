// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "ui/main_dialog.hpp"

#include "surface/control_ids.hpp"

namespace dp3::ui {

MainDialog::MainDialog(ProgramConfig& config, LinkFactory makeLink, QWidget* parent)
    : Dialog(
          id::kMainDialog,
          [&config, &makeLink](ControlSurface& ui, WindowFace& face) {
            return std::make_unique<MainWindow>(ui, face, config, std::move(makeLink));
          },
          parent) {}

}  // namespace dp3::ui
