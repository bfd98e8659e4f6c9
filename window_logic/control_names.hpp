// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "surface/control_ids.hpp"

namespace dp3 {

// What a screen reader calls each control, and the text that carries its
// access key: one table for every window and both faces. A row names a
// control by its own text (buttons, check boxes, radios) or by the label
// before it; rows that share a label are boxes shown one at a time in one
// place. The order is the order in which rows get their keys: commands first.
struct ControlName {
  int dialog;
  int control;
  int label;              // the static that names the control; 0: its own text
  std::string_view text;  // as shown, without the key mark
  bool keyed = true;      // false: reached by Tab only (the Play buttons, all alike)
};

// Lines whose changes a screen reader announces as they happen.
inline constexpr std::array kAnnouncedLines = {id::kOperationStatus, id::kInterfaceStatus,
                                               id::kUploadStatus, id::kUploadFileError,
                                               id::kPortStatus};

// One control as a face shows it: the text with '&' before its access key
// (or without one when no key was left), and the name a screen reader says.
struct ShownName {
  int control = 0;
  int label = 0;
  std::string text;  // "&Test DP", "Msg &3"; a literal '&' doubled
  char key = 0;      // the access key in lower case; 0: none
  std::string name;  // "Test DP", "Msg 3"
};

// Every named control of the dialog, keys given in table order, each key at
// most once per window (boxes that share a label share its key).
std::vector<ShownName> shownNames(int dialog);

// The name of a control in its dialog; "" when the table has none.
std::string controlName(int dialog, int control);

}  // namespace dp3
