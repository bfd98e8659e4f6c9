// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "system/platform.hpp"

#include <emscripten.h>

#include "system/program_config.hpp"

// The system the browser runs on, as the browser tells it ("Linux", "macOS",
// "Windows", "Chrome OS"); under node, node's own name for it.
// The blocks below are JavaScript, left as written.
// clang-format off
EM_JS(void, dp3SystemName, (char* name, int size), {
  let text = "";
  if (typeof navigator !== 'undefined') {
    text =
        (navigator.userAgentData && navigator.userAgentData.platform) || navigator.platform || "";
  } else if (typeof process !== 'undefined') {
    text = process.platform;
  }
  stringToUTF8(text, name, size);
});
// clang-format on

namespace dp3 {

// A page has no program file beside which a configuration could lie.
std::filesystem::path executablePath() {
  return {};
}

std::filesystem::path userSettingsFolder() {
  return {};  // $HOME/.config in the page's own file system, by the configuration's rules
}

std::string operatingSystemName() {
  char name[128] = {};
  dp3SystemName(name, sizeof name);
  return name;
}

// The page serves the guide beside itself.
std::string guideFile() {
  return "README.md";
}

}  // namespace dp3
