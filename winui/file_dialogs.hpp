// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <windows.h>

#include <functional>
#include <span>
#include <string>

#include "surface/file_filter.hpp"
#include "window_logic/window_face.hpp"

namespace dp3::winui {

// Picks a file for the window, opening in folder: the common open and save
// dialogs until replaced (the self-test answers without a dialog). "" when
// cancelled.
using FileChooser =
    std::function<std::string(HWND owner, FileChoice choice, const std::string& folder)>;
FileChooser& fileChooser();

// The filter list of the common dialogs: "Settings Files (*.eep)\0*.eep\0...\0\0".
std::wstring filterList(std::span<const FileFilter> filters);

}  // namespace dp3::winui
