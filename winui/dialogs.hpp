#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "link/keyer_info.hpp"
#include "link/link.hpp"
#include "link/port_list.hpp"
#include "link/port_probe.hpp"
#include "settings/settings_image.hpp"
#include "system/program_config.hpp"
#include "window_logic/about_window.hpp"

namespace dp3::winui {

using DeviceLister = std::function<std::vector<SerialDevice>()>;

// Dialog 1002; true when OK changed the keyer port.
bool runPortDialog(HWND owner, ProgramConfig& config, DeviceLister devices,
                   ProbeOptions probeOptions);
// Dialog 1004; true when OK switched the trace on or off (it goes to traceDir).
bool runAboutDialog(HWND owner, AboutState& state, const std::string& traceDir);
// Dialog 1005 for the given user's RTTY settings.
void runRttyDialog(HWND owner, SettingsImage& image, int user);
// Dialog 1003: Load, Program, and the upload watched by its 100 ms timer.
void runUploaderDialog(HWND owner, Link& link, KeyerInfo& keyer, bool verbose);

}  // namespace dp3::winui
