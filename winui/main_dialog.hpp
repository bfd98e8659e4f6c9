// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <vector>

#include "link/port_list.hpp"
#include "system/program_config.hpp"
#include "window_logic/main_window.hpp"

namespace dp3::winui {

// Dialog 1001 until Exit or its close box. extraPorts: devices the port
// window offers besides those present (the simulated keyer).
void runMainDialog(ProgramConfig& config, LinkFactory makeLink,
                   std::vector<SerialDevice> extraPorts);

}  // namespace dp3::winui
