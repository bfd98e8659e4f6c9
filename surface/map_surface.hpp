// SPDX-License-Identifier: GPL-3.0-or-later
// Copyright (C) 2026 DP3tools maintainers

#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "surface/control_surface.hpp"

namespace dp3 {

// A control surface over a plain map: the window logic's state without a window.
// Used by the command line and by tests.
class MapSurface : public ControlSurface {
 public:
  struct Control {
    std::string text;
    bool checked = false;
    std::vector<std::string> entries;
    int selection = -1;
    bool enabled = true;
    bool visible = true;
    int progress = 0;
    std::string toolTip;
    std::string name;  // as described to a screen reader
    std::string description;
  };
  struct Message {
    std::string text;
    std::string caption;
  };

  void setText(int id, std::string_view text) override;
  std::string text(int id) const override;
  void appendText(int id, std::string_view text) override;
  void setChecked(int id, bool checked) override;
  bool isChecked(int id) const override;
  void clearList(int id) override;
  void addListEntry(int id, std::string_view text) override;
  void selectEntry(int id, int index) override;
  int selectedEntry(int id) const override;
  void setEnabled(int id, bool enabled) override;
  void setVisible(int id, bool visible) override;
  void setProgress(int id, int percent) override;
  void setToolTip(int id, std::string_view text) override;
  void describe(int id, std::string_view name, std::string_view description) override;
  void showMessage(std::string_view text, std::string_view caption) override;
  void focusControl(int id) override { focused = id; }
  // Records the question and gives the answer set beforehand.
  Answer ask(std::string_view text, std::string_view caption) override;
  // Records the question and answers answerYes (No unless a test says otherwise).
  bool askYesNo(std::string_view text, std::string_view caption) override;

  // Read-only view of one control; a control never touched reads as default.
  const Control& control(int id) const;
  bool isEnabled(int id) const { return control(id).enabled; }
  bool isVisible(int id) const { return control(id).visible; }

  std::vector<Message> messages;
  std::vector<Message> questions;
  Answer answer = Answer::No;
  int focused = -1;  // the control last given the focus
  bool answerYes = false;

 private:
  std::map<int, Control> controls_;
};

}  // namespace dp3
