// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <QString>
#include <QWidget>
#include <functional>

#include "surface/file_filter.hpp"
#include "window_logic/window_face.hpp"

namespace dp3::ui {

// Picks a file for a window, opening in folder: the standard dialogs until
// replaced (tests answer without a dialog). Empty when cancelled.
using FileChooser =
    std::function<QString(QWidget* parent, FileChoice choice, const QString& folder)>;
FileChooser& fileChooser();

// "Bin Files (*.bin)": Qt reads the pattern from the parentheses, so they are
// added when the description lacks them.
QString nameFilter(const FileFilter& filter);

}  // namespace dp3::ui
