// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

// What dp3's settings commands share: file names and loading.
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli.hpp"
#include "settings/settings_image.hpp"
#include "system/file_result.hpp"

namespace dp3::cli {

// A settings file name as the window's dialogs take it: ".eep" when it has no extension.
std::filesystem::path settingsPath(const std::string& name);

// Loads a settings file; on failure the window's text goes to standard error,
// the file and the system's reason beneath it.
bool loadSettings(const std::filesystem::path& path, SettingsImage& image);
// A failed save: the window's text, and beneath it what it leaves unsaid.
void printSaveFailure(const FileResult& saved);

int runShow(const std::string& name, int user, bool json);  // settings_show.cpp
int runDiff(const std::string& nameA, const std::string& nameB);
int runSet(const std::string& name, int user,
           const std::vector<std::string>& edits);  // settings_edit.cpp

}  // namespace dp3::cli
