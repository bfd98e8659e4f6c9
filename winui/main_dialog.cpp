// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "winui/main_dialog.hpp"

#include "surface/control_ids.hpp"
#include "winui/dialog.hpp"

namespace dp3::winui {

void runMainDialog(ProgramConfig& config, LinkFactory makeLink,
                   std::vector<SerialDevice> extraPorts) {
  Dialog main(id::kMainDialog, [&](ControlSurface& ui, WindowFace& face) {
    auto window = std::make_unique<MainWindow>(ui, face, config, std::move(makeLink));
    window->setExtraPorts(std::move(extraPorts));
    return window;
  });
  main.run(nullptr);
}

}  // namespace dp3::winui
