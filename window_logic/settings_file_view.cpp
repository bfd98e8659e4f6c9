// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#include "window_logic/settings_file_view.hpp"

#include "surface/control_ids.hpp"
#include "window_logic/result_texts.hpp"

namespace dp3 {

namespace {
inline constexpr std::string_view kErrorCaption = "Error";
}

bool loadSettingsFile(ControlSurface& ui, SettingsImage& image, const std::filesystem::path& path) {
  ui.setText(id::kFileName, "EEP FileName: " + path.filename().string());
  const FileResult loaded = readSettingsFile(path, image);
  if (!loaded.ok()) ui.showMessage(settingsLoadText(loaded), kErrorCaption);
  return loaded.ok();
}

bool saveSettingsFile(ControlSurface& ui, const SettingsImage& image,
                      const std::filesystem::path& path) {
  const FileResult saved = writeSettingsFile(path, image);
  // A name that names no file leaves the file line alone.
  if (const auto name = saved.path.filename(); !name.empty())
    ui.setText(id::kFileName, name.string());
  if (!saved.ok()) ui.showMessage(settingsSaveText(saved), kErrorCaption);
  return saved.ok();
}

}  // namespace dp3
