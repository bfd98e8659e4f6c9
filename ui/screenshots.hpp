// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <QDir>

namespace dp3::ui {

class MainDialog;

// Reads the keyer into the window, then writes a picture of each of the five
// windows into dir (main_window.png, port_window.png, uploader_window.png,
// about_window.png, rtty_window.png). Returns 0, or 1 when one could not be written.
int writeScreenshots(MainDialog& window, const QDir& dir);

}  // namespace dp3::ui
